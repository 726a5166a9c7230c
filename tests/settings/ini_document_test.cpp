#include "ini_document.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using settings::IniDocument;
using namespace std::string_literals;

struct GetCase {
    const char* name;
    std::string file;
    std::optional<std::string> value;  // of START in SETTING
};

TEST(IniDocument, ReadsByTheRulesOfProfileFiles) {
    const GetCase cases[] = {
        {"plain", "[SETTING]\r\nSTART=True\r\n", "True"},
        {"names in any case", "[setting]\r\nstart=x\r\n", "x"},
        {"blanks around names and values", "  [ SETTING ]  \r\n \t START \t=\t  a b \t\r\n", "a b"},
        {"double quotes", "[SETTING]\r\nSTART=\" a \"\r\n", " a "},
        {"single quotes", "[SETTING]\r\nSTART='x'\r\n", "x"},
        {"quotes that do not match stay", "[SETTING]\r\nSTART=\"x'\r\n", "\"x'"},
        {"a lone quote stays", "[SETTING]\r\nSTART=\"\r\n", "\""},
        {"only the outer pair goes", "[SETTING]\r\nSTART=\"\"x\"\"\r\n", "\"x\""},
        {"empty value", "[SETTING]\r\nSTART=\r\n", ""},
        {"value holds further signs", "[SETTING]\r\nSTART=a=b\r\n", "a=b"},
        {"LF line endings", "[SETTING]\nA=1\nSTART=x\n", "x"},
        {"CR line endings", "[SETTING]\rA=1\rSTART=x\r", "x"},
        {"no line ending at the end", "[SETTING]\r\nSTART=x", "x"},
        {"first of two keys", "[SETTING]\r\nSTART=1\r\nSTART=2\r\n", "1"},
        {"first of two sections only", "[SETTING]\r\nA=1\r\n[SETTING]\r\nSTART=2\r\n", std::nullopt},
        {"key in another section", "[OTHER]\r\nSTART=1\r\n", std::nullopt},
        {"key before any section", "START=1\r\n[SETTING]\r\n", std::nullopt},
        {"header without bracket is no section", "[SETTING\r\nSTART=1\r\n", std::nullopt},
        {"section ends at the next header", "[SETTING]\r\n[X]\r\nSTART=1\r\n", std::nullopt},
        {"comment is no key", "[SETTING]\r\n;START=1\r\n", std::nullopt},
        {"line without sign is no key", "[SETTING]\r\nSTART\r\n", std::nullopt},
        {"missing file", "", std::nullopt},
        {"GBK bytes around", "[\xB7\xC0]\r\n[SETTING]\r\n\xB5\xC1=1\r\nSTART=\xC1\xB4\r\n", "\xC1\xB4"},
        {"GBK trail byte ] in another header",
         "[\x81]x]\r\nSTART=0\r\n[SETTING]\r\nSTART=1\r\n", "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IniDocument(c.file).Get("SETTING", "START"), c.value);
    }
}

struct SetCase {
    const char* name;
    std::string before;
    std::string after;  // once START is set to V
};

TEST(IniDocument, WritesOneKeyAndLeavesEveryOtherByte) {
    const SetCase cases[] = {
        {"new file", "", "[SETTING]\r\nSTART=V\r\n"},
        {"value replaced in place",
         "; note\r\n[SETTING]\r\nA=1\r\nSTART=old\r\nB=2\r\n",
         "; note\r\n[SETTING]\r\nA=1\r\nSTART=V\r\nB=2\r\n"},
        {"name and blanks before the sign kept", "[setting]\r\n  start =  old  \r\n",
         "[setting]\r\n  start =V\r\n"},
        {"first of two keys changed", "[SETTING]\r\nSTART=1\r\nSTART=2\r\n",
         "[SETTING]\r\nSTART=V\r\nSTART=2\r\n"},
        {"first of two sections changed", "[SETTING]\r\nA=1\r\n[SETTING]\r\nSTART=2\r\n",
         "[SETTING]\r\nA=1\r\nSTART=V\r\n[SETTING]\r\nSTART=2\r\n"},
        {"missing key after the section's last line, before blank lines",
         "[SETTING]\r\nA=1\r\n\r\n[OTHER]\r\nB=2\r\n",
         "[SETTING]\r\nA=1\r\nSTART=V\r\n\r\n[OTHER]\r\nB=2\r\n"},
        {"missing section after the last line", "[OTHER]\r\nB=2\r\n",
         "[OTHER]\r\nB=2\r\n[SETTING]\r\nSTART=V\r\n"},
        {"last line without ending gets one", "[OTHER]\r\nB=2", "[OTHER]\r\nB=2\r\n[SETTING]\r\nSTART=V\r\n"},
        {"section at the end without ending", "[SETTING]", "[SETTING]\r\nSTART=V\r\n"},
        {"LF file keeps its other lines", "x\n[SETTING]\nSTART=1\nB=2\n", "x\n[SETTING]\nSTART=V\r\nB=2\n"},
        {"CR file keeps its other lines", "[SETTING]\rA=1\r", "[SETTING]\rA=1\rSTART=V\r\n"},
        {"header without bracket left alone", "[SETTING\r\nSTART=1\r\n",
         "[SETTING\r\nSTART=1\r\n[SETTING]\r\nSTART=V\r\n"},
        {"key before any section left alone", "START=1\r\n", "START=1\r\n[SETTING]\r\nSTART=V\r\n"},
        {"invalid GBK bytes kept", "\xFF\x81\r\n[SETTING]\r\n\x80\xFE=\xB7\r\n",
         "\xFF\x81\r\n[SETTING]\r\n\x80\xFE=\xB7\r\nSTART=V\r\n"},
        {"NUL bytes kept", "[SETTING]\r\nA=\0\r\n"s, "[SETTING]\r\nA=\0\r\nSTART=V\r\n"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IniDocument document(c.before);
        document.Set("SETTING", "START", "V");
        EXPECT_EQ(document.bytes(), c.after);
        EXPECT_EQ(document.Get("SETTING", "START"), "V");
    }
}

}  // namespace
