// The start-up picture's decoder on arbitrary bytes. Beyond crashes and the
// sanitizers' findings it checks that what it accepts it decodes within its
// bounds, and that a decode it calls good has written every pixel with an
// index into the colour table.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gif_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    startup::GifPicture picture;
    if (!picture.Open(data, size)) return 0;
    if (picture.width() < 1 || picture.height() < 1 || picture.width() > startup::GifPicture::kLargestSide ||
        picture.height() > startup::GifPicture::kLargestSide) {
        std::fprintf(stderr, "gif_fuzzer: opened a picture of %d x %d\n", picture.width(), picture.height());
        std::abort();
    }
    // Decoded twice over different fillings: a decode called good leaves no
    // index unwritten, and names only colours the table has.
    const size_t count = static_cast<size_t>(picture.width()) * static_cast<size_t>(picture.height());
    std::vector<uint8_t> zeros(count, 0x00), ones(count, 0xFF);
    const bool decoded = picture.Decode(zeros.data(), static_cast<size_t>(picture.width()));
    if (decoded != picture.Decode(ones.data(), static_cast<size_t>(picture.width()))) {
        std::fprintf(stderr, "gif_fuzzer: two decodes of the same picture disagree\n");
        std::abort();
    }
    if (!decoded) return 0;
    for (size_t i = 0; i < count; ++i) {
        if (zeros[i] != ones[i] || zeros[i] >= picture.colours()) {
            std::fprintf(stderr, "gif_fuzzer: a decode called good left index %zu unwritten or out of the table\n", i);
            std::abort();
        }
    }
    return 0;
}
