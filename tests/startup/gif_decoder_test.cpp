// The start-up picture's decoder: the picture as ImageMagick reads it, pixel
// for pixel, and every other kind of GIF refused, each made from the
// picture's own file by changing what makes it another kind.
#include "gif_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Where the parts of StartPicture.gif begin: its global table of 256
// colours, a graphic control block, an application block, then the image.
struct Layout {
    size_t graphicControl, image;
};

Layout Find(const Bytes& gif) {
    Layout layout{};
    size_t at = 13 + 3 * 256;
    while (at < gif.size() && gif[at] == 0x21) {
        if (gif[at + 1] == 0xF9) layout.graphicControl = at;
        at += 2;
        while (gif[at] != 0) at += gif[at] + 1;
        ++at;
    }
    layout.image = at;
    return layout;
}

TEST(GifDecoder, DecodesTheStartPictureAsImageMagickDoes) {
    const Bytes gif = ReadAll(HOTLINK_START_PICTURE);
    const Bytes rgb = ReadAll(HOTLINK_START_PICTURE_RGB);  // ImageMagick's: R, G, B a pixel
    startup::GifPicture picture;
    ASSERT_TRUE(picture.Open(gif.data(), gif.size()));
    ASSERT_EQ(picture.width(), 300);
    ASSERT_EQ(picture.height(), 300);
    ASSERT_EQ(rgb.size(), 300u * 300u * 3u);
    // Rows of 300 indices, 304 bytes apart, as a bitmap keeps them.
    std::vector<uint8_t> indices(304 * 300, 0xEE);
    ASSERT_TRUE(picture.Decode(indices.data(), 304));
    size_t differing = 0;
    for (size_t y = 0; y < 300; ++y) {
        for (size_t x = 0; x < 300; ++x) {
            const uint8_t* want = &rgb[3 * (y * 300 + x)];
            differing += picture.Colour(indices[y * 304 + x]) != (uint32_t{want[0]} << 16 | want[1] << 8 | want[2]);
        }
        EXPECT_EQ(indices[y * 304 + 300], 0xEE) << "a row's padding written";
    }
    EXPECT_EQ(differing, 0u);
}

TEST(GifDecoder, RefusesEveryOtherKind) {
    const Bytes gif = ReadAll(HOTLINK_START_PICTURE);
    const Layout at = Find(gif);
    ASSERT_GT(at.graphicControl, 0u);
    ASSERT_EQ(gif[at.image], 0x2C);
    const size_t imageFlags = at.image + 9, codeSize = at.image + 10;
    const auto changed = [&](size_t offset, uint8_t value) {
        Bytes bytes = gif;
        bytes[offset] = value;
        return bytes;
    };
    Bytes secondImage = gif;
    secondImage.insert(secondImage.end() - 1, gif.begin() + static_cast<std::ptrdiff_t>(at.image), gif.end() - 1);
    const struct {
        const char* name;
        Bytes bytes;
    } refused[] = {
        {"no GIF", changed(0, 'X')},
        {"another version", changed(4, '8')},
        {"no global colour table", changed(10, gif[10] & 0x7F)},
        {"transparent", changed(at.graphicControl + 3, 1)},
        {"the image not at the corner", changed(at.image + 1, 1)},
        {"the image smaller than the screen", changed(at.image + 5, gif[at.image + 5] - 1)},
        {"a local colour table", changed(imageFlags, 0x80)},
        {"interlaced", changed(imageFlags, 0x40)},
        {"a code size past 8", changed(codeSize, 9)},
        {"two images", secondImage},
        {"larger than 1024 pixels", changed(7, 0x08)},  // 2092 wide
        {"cut short", Bytes(gif.begin(), gif.end() - 2)},
        {"an unknown block", changed(at.image, 0x2D)},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        startup::GifPicture picture;
        EXPECT_FALSE(picture.Open(c.bytes.data(), c.bytes.size()));
    }

    // Whole in form, but a colour table of 2 colours where the pixels name
    // 256: the rest of the table cut out of the file.
    Bytes small(gif.begin(), gif.begin() + 13 + 6);
    small[10] = static_cast<uint8_t>(gif[10] & ~0x07);
    small.insert(small.end(), gif.begin() + 13 + 3 * 256, gif.end());
    startup::GifPicture fewColours;
    ASSERT_TRUE(fewColours.Open(small.data(), small.size()));
    ASSERT_EQ(fewColours.colours(), 2u);
    std::vector<uint8_t> pixels(300 * 300);
    EXPECT_FALSE(fewColours.Decode(pixels.data(), 300)) << "a pixel names a colour the table lacks";

    // Whole in form, but its data end before the last pixel.
    Bytes cut(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(codeSize + 2 + gif[codeSize + 1]));
    cut.push_back(0);
    cut.push_back(0x3B);
    startup::GifPicture picture;
    ASSERT_TRUE(picture.Open(cut.data(), cut.size()));
    std::vector<uint8_t> indices(300 * 300);
    EXPECT_FALSE(picture.Decode(indices.data(), 300));
}

}  // namespace
