#pragma once

#include <cstddef>
#include <cstdint>

namespace startup {

// A decoder for the one kind of GIF the start-up picture is, so that the
// picture needs neither COM nor the system's imaging component: GIF87a or
// GIF89a, a global colour table, one image that fills the whole screen of
// the file, not interlaced, no local colour table, no transparency, at most
// 1024 pixels a side. Extensions are passed over. Anything else is refused.
class GifPicture {
public:
    static constexpr int kLargestSide = 1024;

    // Reads the file up to its pixels. False for anything but a GIF of the
    // kind above, whole up to its trailer.
    bool Open(const uint8_t* bytes, size_t size);

    int width() const { return width_; }
    int height() const { return height_; }

    // The colour table: colours() entries, each as 0xRRGGBB.
    size_t colours() const { return colours_; }
    uint32_t Colour(size_t index) const;

    // Decodes the pixels as indices into the colour table: height() rows of
    // width() indices, the top row first, each row `stride` bytes after the
    // one before. False when the compressed data are damaged or end too
    // soon, or a pixel names a colour the table lacks.
    bool Decode(uint8_t* indices, size_t stride) const;

private:
    const uint8_t* bytes_ = nullptr;
    int width_ = 0, height_ = 0;
    size_t palette_ = 0;     // where the colour table begins
    size_t colours_ = 0;     // its entries
    size_t data_ = 0;        // the first sub-block of the image's data
    int minimumCodeSize_ = 0;
};

}  // namespace startup
