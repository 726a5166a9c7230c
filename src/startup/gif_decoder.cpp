#include "gif_decoder.h"

#include <array>
#include <cstring>

namespace startup {
namespace {

constexpr uint8_t kExtension = 0x21, kImage = 0x2C, kTrailer = 0x3B;
constexpr uint8_t kGraphicControl = 0xF9;
constexpr unsigned kTableSize = 4096;  // LZW codes of at most 12 bits

unsigned Le16(const uint8_t* p) { return p[0] | static_cast<unsigned>(p[1]) << 8; }

// Passes over a chain of sub-blocks starting at `at`: true, with `at` just
// after its terminating empty block, when the whole chain lies in the file.
bool SkipSubBlocks(const uint8_t* bytes, size_t size, size_t& at) {
    for (;;) {
        if (at >= size) return false;
        const size_t length = bytes[at++];
        if (length == 0) return true;
        if (length > size - at) return false;
        at += length;
    }
}

// The bits of a chain of sub-blocks, least significant first, as LZW codes
// are packed. The chain was checked whole by GifPicture::Open.
class CodeReader {
public:
    CodeReader(const uint8_t* bytes, size_t at) : bytes_(bytes), at_(at) {}

    bool Read(int count, unsigned& code) {
        while (held_ < count) {
            if (left_ == 0) {
                left_ = bytes_[at_++];
                if (left_ == 0) return false;  // the end of the data
            }
            bits_ |= static_cast<uint32_t>(bytes_[at_++]) << held_;
            held_ += 8;
            --left_;
        }
        code = bits_ & ((1u << count) - 1);
        bits_ >>= count;
        held_ -= count;
        return true;
    }

private:
    const uint8_t* bytes_;
    size_t at_;
    size_t left_ = 0;  // bytes left in the current sub-block
    uint32_t bits_ = 0;
    int held_ = 0;
};

}  // namespace

bool GifPicture::Open(const uint8_t* bytes, size_t size) {
    *this = GifPicture{};
    if (size < 13 || (std::memcmp(bytes, "GIF87a", 6) != 0 && std::memcmp(bytes, "GIF89a", 6) != 0)) return false;
    const int width = static_cast<int>(Le16(bytes + 6)), height = static_cast<int>(Le16(bytes + 8));
    const uint8_t screen = bytes[10];
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide || !(screen & 0x80)) return false;
    const size_t colours = size_t{2} << (screen & 7);
    size_t at = 13;
    if (3 * colours > size - at) return false;
    const size_t palette = at;
    at += 3 * colours;

    size_t data = 0;
    int minimumCodeSize = 0;
    for (;;) {
        if (at >= size) return false;
        const uint8_t block = bytes[at++];
        if (block == kTrailer) break;
        if (block == kExtension) {
            if (at >= size) return false;
            const uint8_t label = bytes[at++];
            // A graphic control block that makes a colour transparent.
            if (label == kGraphicControl && at + 1 < size && bytes[at] >= 1 && (bytes[at + 1] & 1)) return false;
            if (!SkipSubBlocks(bytes, size, at)) return false;
            continue;
        }
        // One image, at the screen's corner, its whole size, with the global
        // table, its rows in order.
        if (block != kImage || data != 0 || size - at < 10) return false;
        const uint8_t* image = bytes + at;
        if (Le16(image) != 0 || Le16(image + 2) != 0 || static_cast<int>(Le16(image + 4)) != width ||
            static_cast<int>(Le16(image + 6)) != height || (image[8] & 0xC0) != 0) {
            return false;
        }
        minimumCodeSize = image[9];
        if (minimumCodeSize < 2 || minimumCodeSize > 8) return false;
        at += 10;
        data = at;
        if (!SkipSubBlocks(bytes, size, at)) return false;
    }
    if (data == 0) return false;

    bytes_ = bytes;
    width_ = width;
    height_ = height;
    palette_ = palette;
    colours_ = colours;
    data_ = data;
    minimumCodeSize_ = minimumCodeSize;
    return true;
}

uint32_t GifPicture::Colour(size_t index) const {
    const uint8_t* rgb = bytes_ + palette_ + 3 * index;
    return static_cast<uint32_t>(rgb[0]) << 16 | static_cast<uint32_t>(rgb[1]) << 8 | rgb[2];
}

bool GifPicture::Decode(uint8_t* indices, size_t stride) const {
    if (!bytes_ || stride < static_cast<size_t>(width_)) return false;
    // The code table: each code past the end code stands for the string of
    // an earlier code (its prefix) and one index more.
    const unsigned clear = 1u << minimumCodeSize_, end = clear + 1;
    constexpr unsigned kNone = kTableSize;
    std::array<uint16_t, kTableSize> prefix{};
    std::array<uint8_t, kTableSize> last{}, first{};
    std::array<uint8_t, kTableSize + 1> string{};
    for (unsigned c = 0; c < clear; ++c) last[c] = first[c] = static_cast<uint8_t>(c);

    int codeSize = minimumCodeSize_ + 1;
    unsigned next = end + 1, previous = kNone, code = 0;
    const size_t total = static_cast<size_t>(width_) * static_cast<size_t>(height_);
    size_t written = 0, column = 0;
    uint8_t* row = indices;
    CodeReader reader(bytes_, data_);
    while (written < total && reader.Read(codeSize, code)) {
        if (code == clear) {
            codeSize = minimumCodeSize_ + 1;
            next = end + 1;
            previous = kNone;
            continue;
        }
        if (code == end) break;
        // The string, gathered from its last index back to its first.
        size_t length = 0;
        unsigned walk = code;
        if (previous == kNone) {
            if (code >= clear) return false;
        } else if (code == next && next < kTableSize) {
            string[length++] = first[previous];  // the string of the previous code and its own first index
            walk = previous;
        } else if (code >= next) {
            return false;
        }
        while (walk > end) {
            string[length++] = last[walk];
            walk = prefix[walk];
        }
        string[length++] = static_cast<uint8_t>(walk);
        if (previous != kNone && next < kTableSize) {
            prefix[next] = static_cast<uint16_t>(previous);
            last[next] = static_cast<uint8_t>(walk);
            first[next] = first[previous];
            if (++next == (1u << codeSize) && codeSize < 12) ++codeSize;
        }
        while (length > 0 && written < total) {
            const uint8_t index = string[--length];
            if (index >= colours_) return false;
            row[column] = index;
            ++written;
            if (++column == static_cast<size_t>(width_)) {
                column = 0;
                row += stride;
            }
        }
        previous = code;
    }
    return written == total;
}

}  // namespace startup
