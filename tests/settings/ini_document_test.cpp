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
        // Where hand-edited files meet the profile reader's own rules.
        {"a key line without sign hides a later one", "[SETTING]\r\nSTART\r\nSTART=True\r\n", std::nullopt},
        {"the header's name runs to the last bracket", "[SETTING] ; note [x]\r\nSTART=1\r\n", std::nullopt},
        {"a doubled bracket is part of the name", "[SETTING]]\r\nSTART=1\r\n", std::nullopt},
        {"text after the last bracket is no part of it", "[SETTING] junk\r\nSTART=1\r\n", "1"},
        {"an unclosed header does not end the section", "[SETTING]\r\n[Other\r\n[\r\nSTART=1\r\n", "1"},
        {"control characters trimmed", "\v[SETTING]\f\r\nSTART\x1A=\v\f\x1AT \x1A\f\v\r\n", "T"},
        {"a lead byte takes the LF after it", "[SETTING]\nSTART=\x81\nSTART=True\n", "\x81\nSTART=True"},
        {"a lead byte takes the CR of a CRLF", "[SETTING]\r\nSTART=\x81\r\nX=1\r\n", "\x81\r"},
        {"a lead byte takes the sign", "[SETTING]\r\nSTART\x81=1\r\nSTART=2\r\n", "2"},
        {"a lead byte takes a trailing blank", "[SETTING]\r\nSTART=a\x81 \r\n", "a\x81 "},
        {"a lead byte takes a closing quote", "[SETTING]\r\nSTART=\"a\x81\"\r\n", "\"a\x81\""},
        {"a name ends at NUL", "[SETTING]\r\nST\0ART=1\r\nSTART\0x=2\r\n"s, "2"},
        {"a section name ends at NUL", "[SETTING\0x]\r\nSTART=1\r\n"s, "1"},
        {"a value ends at NUL, blanks before it kept", "[SETTING]\r\nSTART=a \0b\r\n"s, "a "},
        {"quotes are looked at up to NUL", "[SETTING]\r\nSTART=\"a\0\"\r\n"s, "\"a"},
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
        {"a new section after a lone CR, no blank line between", "[OTHER]\rB=2\r",
         "[OTHER]\rB=2\r[SETTING]\r\nSTART=V\r\n"},
        {"header without bracket left alone", "[SETTING\r\nSTART=1\r\n",
         "[SETTING\r\nSTART=1\r\n[SETTING]\r\nSTART=V\r\n"},
        {"key before any section left alone", "START=1\r\n", "START=1\r\n[SETTING]\r\nSTART=V\r\n"},
        {"invalid GBK bytes kept", "\xFF\x81\r\n[SETTING]\r\n\x80\xFE=\xB7\r\n",
         "\xFF\x81\r\n[SETTING]\r\n\x80\xFE=\xB7\r\nSTART=V\r\n"},
        {"NUL bytes kept", "[SETTING]\r\nA=\0\r\n"s, "[SETTING]\r\nA=\0\r\nSTART=V\r\n"s},
        {"a key line without sign gets one", "[SETTING]\r\n START \r\nSTART=1\r\n",
         "[SETTING]\r\n START=V\r\nSTART=1\r\n"},
        {"right after its name, not after a lead byte that would take it", "[SETTING]\r\nSTART\0\xBB"s,
         "[SETTING]\r\nSTART=V\r\n"},
        {"a section of another name", "[SETTING] ; [x]\r\nSTART=1\r\n",
         "[SETTING] ; [x]\r\nSTART=1\r\n[SETTING]\r\nSTART=V\r\n"},
        {"an unclosed header stays in the section", "[SETTING]\r\n[Other\r\n", "[SETTING]\r\n[Other\r\nSTART=V\r\n"},
        {"a last line whose LF a lead byte took gets a line ending", "[SETTING]\nA=\x81\n",
         "[SETTING]\nA=\x81\n\r\nSTART=V\r\n"},
        {"so does one before a new section", "[X]\nA=\x81\n", "[X]\nA=\x81\n\r\n[SETTING]\r\nSTART=V\r\n"},
        {"a value's line runs on past a taken LF", "[SETTING]\nSTART=\x81\nB=1\nC=2\r\n",
         "[SETTING]\nSTART=V\r\nC=2\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IniDocument document(c.before);
        document.Set("SETTING", "START", "V");
        EXPECT_EQ(document.bytes(), c.after);
        EXPECT_EQ(document.Get("SETTING", "START"), "V");
    }
}

// A value the reader would take a pair of quotes off goes into one more
// pair; any other value is written as it stands.
TEST(IniDocument, ValuesReadBackAsGiven) {
    const struct {
        std::string value, line;
    } cases[] = {
        {"\"/x.gif\"", "START=\"\"/x.gif\"\"\r\n"},
        {"'x'", "START=''x''\r\n"},
        {"\t\"x\" ", "START=\"\t\"x\" \"\r\n"},
        {"\"\"", "START=\"\"\"\"\r\n"},
        {"\"", "START=\"\r\n"},
        {"\"x'", "START=\"x'\r\n"},
        {"a\"b\"", "START=a\"b\"\r\n"},
        {"\"a\x81\"", "START=\"a\x81\"\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        IniDocument document("[SETTING]\r\nSTART=old\r\n");
        document.Set("SETTING", "START", c.value);
        EXPECT_EQ(document.bytes(), "[SETTING]\r\n" + c.line);
        EXPECT_EQ(document.Get("SETTING", "START"), c.value);
    }
}

}  // namespace
