#include "gbk_text.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>

#include <cstdlib>
#endif

namespace {

using settings::CanStoreText;
using settings::DecodeGbk;
using settings::EncodeGbk;

struct Mapping {
    const char* bytes;
    const wchar_t* text;
};

// Characters whose code page 936 bytes are known from Windows; several are
// where plain GB2312 tables differ from Windows.
const Mapping kMappings[] = {
    {"Config", L"Config"},
    {"\xB7\xC0\xB5\xC1\xC1\xB4", L"防盗链"},
    {"\x80", L"\u20AC"},          // euro sign, a single byte
    {"\xA1\xA4", L"\u00B7"},      // middle dot
    {"\xA1\xAA", L"\u2014"},      // em dash
    {"\xA1\xA1", L"\u3000"},      // ideographic space
    {"\xA3\xAF\xCD\xBC", L"／图"},  // full-width solidus, then a character
    {"\xA8\xA6", L"\u00E9"},      // pinyin e with acute
    {"\x81\x40", L"\u4E02"},      // first character of the GBK extension
    {"\xFE\x4F", L"\uFA29"},      // last row of the extension
    {"/a?\xCD\xBC", L"/a?图"},      // "?", which stands for unmapped bytes in some conversions
};

TEST(GbkText, DecodesAndEncodesTheCodePageExactly) {
    for (const auto& m : kMappings) {
        SCOPED_TRACE(m.bytes);
        EXPECT_EQ(DecodeGbk(m.bytes), m.text);
        const auto encoded = EncodeGbk(m.text);
        ASSERT_TRUE(encoded.has_value());
        EXPECT_EQ(*encoded, m.bytes);
    }
}

TEST(GbkText, MalformedBytesBecomeReplacementCharactersAndDecodingGoesOn) {
    const struct {
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"a\xFF" "b", L"a\uFFFDb"},                   // 0xFF starts no character
        {"\xB7", L"\uFFFD"},                          // lead byte at the end
        // A lead byte takes the byte after it, as the profile reader divides
        // the file: one replacement for both when that is no trail byte.
        {"\xB7\x7F", L"\uFFFD"},
        {"\xB7 x", L"\uFFFDx"},
        {"\xB7\nx", L"\uFFFDx"},
        {"\xB7\xC0\xB7", L"防\uFFFD"},
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},  // NUL stays a character
        {std::string("\xB7\0b", 3), std::wstring(L"\uFFFD\0b", 3)},  // and is taken by no lead byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(DecodeGbk(c.bytes), c.text);
    }
}

TEST(GbkText, TextOutsideTheCodePageIsNeverReplaced) {
    for (const wchar_t* text : {L"\uD55C", L"/img/\uD55C", L"\u0628", L"\U0001F600"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
        EXPECT_FALSE(EncodeGbk(text).has_value());
        EXPECT_FALSE(CanStoreText(text));
    }
}

TEST(GbkText, LineBreaksAndNulCannotBeStored) {
    EXPECT_TRUE(CanStoreText(L""));
    EXPECT_TRUE(CanStoreText(L"\t/x.gif\t"));
    EXPECT_TRUE(CanStoreText(L"|a|b|"));
    EXPECT_FALSE(CanStoreText(L"/a\r\n[SETTING]"));
    EXPECT_FALSE(CanStoreText(L"/a\n"));
    EXPECT_FALSE(CanStoreText(L"\r"));
    EXPECT_FALSE(CanStoreText(std::wstring(L"/a\0b", 4)));
}

TEST(GbkText, EveryDoubleByteCharacterRoundTrips) {
    // Whatever the platform's table maps, decoding and encoding agree on it.
    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const std::wstring text = DecodeGbk(bytes);
            if (text == L"\uFFFD") continue;
            ++mapped;
            const auto encoded = EncodeGbk(text);
            ASSERT_TRUE(encoded.has_value()) << lead << "," << trail;
            ASSERT_EQ(*encoded, bytes) << lead << "," << trail;
        }
    }
    // GBK holds 21,886 characters; the count tells that the whole table works.
    EXPECT_GE(mapped, 21000);
}

#ifdef _WIN32
// The code page tests below and the store's tests run under two ANSI code
// pages; this one tells that the run really is under the one it names.
TEST(GbkText, RunsUnderTheAnsiCodePageTheTestRunAskedFor) {
    const char* expected = std::getenv("HOTLINK_EXPECT_ACP");
    if (!expected) GTEST_SKIP() << "no code page asked for";
    EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
}
#endif

}  // namespace
