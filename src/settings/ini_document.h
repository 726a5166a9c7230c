#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

// Whether two names are the same without regard to ASCII letter case, as
// names of profile files match.
bool SameIgnoringCase(std::string_view a, std::string_view b);

// Whether IniDocument::Set writes this value inside one more pair of
// quotation marks, so that the reader's taking off a pair leaves it whole.
bool IsWrittenInQuotes(std::string_view value);

// An initialization file held as its bytes (code page 936). Reads keys as
// the platform's profile reader reads them, and changes single keys so that
// the profile reader then reads the new value, leaving every byte it does
// not write as it was: other sections, other keys, comments, blank lines,
// line endings and byte sequences that are not text.
//
// The reader's rules:
//  - Characters are as CharacterLength (gbk_text.h) divides the bytes: a
//    lead byte just before a line break takes the break into its character,
//    and the line goes on.
//  - Lines end at CR or LF. Tab, LF, VT, FF, CR, Ctrl-Z (0x1A) and space are
//    trimmed at the ends of lines, names and values.
//  - A line that begins with "[" and holds a "]" starts a section, named by
//    what stands between the "[" and the last "]". Every other non-blank
//    line is a key line: its name stands before the first "=", its value
//    after it; a line without "=" names a key without a value, which reads
//    as missing.
//  - A name or value ends at its first NUL byte. A value of two or more
//    characters that begins and ends with the same quotation mark (double
//    or single) is read without that pair.
//  - Names match without regard to ASCII letter case. Only the first section
//    of a name counts, and in it only the first key line of a name.
class IniDocument {
public:
    explicit IniDocument(std::string bytes = {});

    // The value of the key as the reader reads it; nothing when the section
    // or the key is missing, or the key has no value.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // The values of several keys of one section, found in one reading. They
    // point into the document and last as long as it is not changed.
    std::vector<std::optional<std::string_view>> Get(std::string_view section, const std::string_view* keys,
                                                     size_t count) const;

    // Gives the key this value. A present key keeps its line up to the "="
    // (a line without one, up to the name, and gets it); a missing key is added after the last
    // non-blank line of its section; a missing section is added, with the
    // key, after the last line. Every line written ends in CRLF.
    //
    // The value is written so that Get gives it back: when the reader would
    // take a pair of quotation marks off it, it is written inside one more
    // pair. Only a value with a line break or NUL in it, or with characters
    // the reader trims at its ends, reads back otherwise.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // What a reader of a section meets beyond its values: whether the
    // section is there, how many more sections of its name follow (the
    // reader ignores them), and for each key the lines of the section that
    // name it (numbered from 1 as the reader divides lines), and whether the
    // first of them lacks an "=".
    struct SectionSurvey {
        struct Key {
            std::vector<size_t> lines;
            bool firstWithoutEquals = false;
        };
        bool found = false;
        size_t ignoredSections = 0;
        std::vector<Key> keys;
    };
    SectionSurvey Survey(std::string_view section, const std::string_view* keys, size_t count) const;

    const std::string& bytes() const { return bytes_; }

private:
    struct KeyLine;
    struct Location;
    // Reads the section once: where it ends, and the first line of each key;
    // with a survey, the whole file for it.
    Location Scan(std::string_view section, const std::string_view* keys, KeyLine* lines, size_t count,
                  SectionSurvey* survey = nullptr) const;

    std::string bytes_;
};

}  // namespace settings
