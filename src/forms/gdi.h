#pragma once

#include <windows.h>

// Owners of the few GDI objects and device contexts the windows hold: each
// gives its one handle back when it goes, on every path.
namespace forms {

// A handle freed by `Free` (DeleteObject, DeleteDC) unless it is null.
template <typename Handle, auto Free>
class Owned {
public:
    explicit Owned(Handle handle = nullptr) : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void reset(Handle handle = nullptr) {
        if (handle_) Free(handle_);
        handle_ = handle;
    }
    // The handle, no longer owned: the system has taken it over.
    Handle release() {
        const Handle handle = handle_;
        handle_ = nullptr;
        return handle;
    }

private:
    Handle handle_;
};

using AutoFont = Owned<HFONT, DeleteObject>;
using AutoBitmap = Owned<HBITMAP, DeleteObject>;
using AutoRegion = Owned<HRGN, DeleteObject>;
using MemoryDC = Owned<HDC, DeleteDC>;

// A window's device context from GetDC, released again.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedGetDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;

    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context, the one before it put back.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~ScopedSelectObject() { SelectObject(dc_, old_); }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace forms
