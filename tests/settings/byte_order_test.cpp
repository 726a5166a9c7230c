// Files that announce another coding by a byte-order mark: recognised, read
// for display, and never written.
#include "byte_order.h"

#include <gtest/gtest.h>

#include "gbk_text.h"
#include "settings_store.h"
#include "test_files.h"

namespace {

using settings::FileCoding;

// U+1F600 as the platform's wide text holds it.
const std::wstring kGrin = sizeof(wchar_t) == 2 ? std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}
                                                : std::wstring(1, static_cast<wchar_t>(0x1F600));

TEST(ByteOrderTest, TheMarkNamesTheCoding) {
    EXPECT_EQ(settings::CodingOf("\xEF\xBB\xBF[SETTING]"), FileCoding::Utf8);
    EXPECT_EQ(settings::CodingOf("\xFF\xFE[\0"), FileCoding::Utf16LittleEndian);
    EXPECT_EQ(settings::CodingOf("\xFE\xFF\0["), FileCoding::Utf16BigEndian);
    // Without a mark, or with a mark cut short, the file is GBK, as always.
    for (const char* bytes : {"", "[SETTING]", "\xEF\xBB", "\xFF", "\xEF\xBB\xBE", "\xC4\xE3\xBA\xC3"}) {
        EXPECT_EQ(settings::CodingOf(bytes), FileCoding::Gbk) << bytes;
    }
}

TEST(ByteOrderTest, Utf8DecodesAndMalformedBytesBecomeReplacements) {
    const auto decode = [](const std::string& body) {
        return settings::DecodeMarkedText("\xEF\xBB\xBF" + body, FileCoding::Utf8);
    };
    EXPECT_EQ(decode("a\xE5\x9B\xBE\xC3\xA9\xF0\x9F\x98\x80"), L"a\u56FE\u00E9" + kGrin);
    EXPECT_EQ(decode("\x80x"), L"\uFFFDx");                  // a lone trail byte
    EXPECT_EQ(decode("\xE5\x9B"), L"\uFFFD\uFFFD");          // cut short at the end
    EXPECT_EQ(decode("\xC0\xAF"), L"\uFFFD\uFFFD");          // an overlong "/"
    EXPECT_EQ(decode("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");  // a surrogate
    EXPECT_EQ(decode("\xF4\x90\x80\x80"), L"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
}

TEST(ByteOrderTest, Utf16DecodesInBothByteOrders) {
    EXPECT_EQ(settings::DecodeMarkedText(std::string("\xFF\xFE" "a\0\xFE\x56\x3D\xD8\x00\xDE", 10),
                                         FileCoding::Utf16LittleEndian),
              L"a\u56FE" + kGrin);
    EXPECT_EQ(settings::DecodeMarkedText(std::string("\xFE\xFF\0a\x56\xFE", 6), FileCoding::Utf16BigEndian),
              L"a\u56FE");
    // A lone surrogate and an odd last byte.
    EXPECT_EQ(settings::DecodeMarkedText(std::string("\xFF\xFE\x3D\xD8" "a\0" "b", 7),
                                         FileCoding::Utf16LittleEndian),
              L"\uFFFDa\uFFFD");
}

TEST(ByteOrderTest, LossyGbkKeepsWhatItCanAndMarksTheRest) {
    EXPECT_EQ(settings::EncodeGbkLossy(L"/图.gif"), "/\xCD\xBC.gif");
    EXPECT_EQ(settings::EncodeGbkLossy(L"a\uD55Cb\r\n" + kGrin + L"\u56FE"), "a?b\r\n?\xCD\xBC");
}

TEST(ByteOrderTest, AMarkedFileIsReadButNeverWritten) {
    testing_files::TempDir dir;
    const std::string stored = "\xEF\xBB\xBF[SETTING]\r\nSTART=True\r\nFreePath=|/\xE5\x9B\xBE|\r\n";
    testing_files::WriteBytes(dir.config(), stored);
    const auto loaded = settings::LoadSettings(dir.path());
    EXPECT_TRUE(loaded.enabled);
    EXPECT_EQ(loaded.freePaths, std::vector<std::wstring>{L"/\u56FE"});
    const auto report = settings::SaveSettings(loaded, dir.path());
    EXPECT_EQ(report.result, settings::SaveResult::OtherCoding);
    EXPECT_EQ(report.storedCoding, FileCoding::Utf8);
    EXPECT_EQ(testing_files::ReadBytes(dir.config()), stored);
    EXPECT_EQ(testing_files::Entries(dir.path()), std::vector<std::string>{"Config.ini"});
}

}  // namespace
