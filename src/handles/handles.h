#pragma once

#include <windows.h>

// Owners of the Win32 handles the program holds: files, searches, GDI
// objects and device contexts. Each gives its one handle back when it goes,
// on every path.
namespace handles {

// A handle given back by `Free` (CloseHandle, FindClose, DeleteObject,
// DeleteDC) unless it is null or INVALID_HANDLE_VALUE, the two ways the
// system says "no handle".
template <typename Handle, auto Free>
class Owned {
public:
    explicit Owned(Handle handle = nullptr) : handle_(handle) {}
    ~Owned() { Close(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle get() const { return handle_; }
    bool valid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return valid(); }
    // Gives the handle back now; false when the system reports that it
    // failed (a file's last write, say).
    bool Close() { return !valid() || Free(release()) != FALSE; }
    void reset(Handle handle = nullptr) {
        Close();
        handle_ = handle;
    }
    // The handle, no longer owned: someone else gives it back.
    Handle release() {
        const Handle handle = handle_;
        handle_ = nullptr;
        return handle;
    }

private:
    Handle handle_;
};

using FileHandle = Owned<HANDLE, CloseHandle>;
// A kernel object other than a file: a process, a thread, a mutex, an event.
using KernelObject = Owned<HANDLE, CloseHandle>;
using SearchHandle = Owned<HANDLE, FindClose>;
using AutoFont = Owned<HFONT, DeleteObject>;
using AutoBitmap = Owned<HBITMAP, DeleteObject>;
using AutoRegion = Owned<HRGN, DeleteObject>;
using MemoryDC = Owned<HDC, DeleteDC>;
using LoadedModule = Owned<HMODULE, FreeLibrary>;

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

}  // namespace handles
