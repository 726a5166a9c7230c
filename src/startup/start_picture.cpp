#include "start_picture.h"

#include "handles.h"
#include "gif_decoder.h"
#include "resource.h"

namespace startup {

HBITMAP LoadStartPicture(HINSTANCE instance) {
    const HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(IDR_START_PICTURE), RT_RCDATA);
    const HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const auto* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    const DWORD size = found ? SizeofResource(instance, found) : 0;
    GifPicture gif;
    if (!bytes || size == 0 || !gif.Open(bytes, size)) return nullptr;

    // A bitmap of the GIF's own kind: an index a pixel into its colour table,
    // a quarter of the memory of 32 bits a pixel, the same colours on the
    // screen.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = gif.width();
    info.header.biHeight = -gif.height();  // top row first
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = static_cast<DWORD>(gif.colours());
    for (size_t i = 0; i < gif.colours(); ++i) {
        const uint32_t rgb = gif.Colour(i);
        info.colours[i] = RGBQUAD{static_cast<BYTE>(rgb), static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb >> 16), 0};
    }
    void* bits = nullptr;
    handles::AutoBitmap bitmap(
        CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
    const size_t stride = (static_cast<size_t>(gif.width()) + 3) & ~size_t{3};  // rows of whole 32-bit words
    if (!bitmap || !gif.Decode(static_cast<uint8_t*>(bits), stride)) return nullptr;
    return bitmap.release();
}

}  // namespace startup
