#pragma once

#include <optional>
#include <string>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace settings {

// Whether two names are the same without regard to ASCII letter case, as
// names of profile files match.
bool SameIgnoringCase(std::string_view a, std::string_view b);

// An initialization file held as its bytes. Reads and changes single keys by
// the rules of profile files and leaves every byte it does not write as it
// was: other sections, other keys, comments, blank lines, line endings and
// byte sequences that are not text.
//
// Lines end in CRLF, LF or a lone CR. A line whose first non-blank character
// is "[" starts a section named by what stands before the first "]"; without
// a "]" it starts a section that no name matches. A key line holds a name, an
// "=" and a value. Names match without regard to ASCII letter case; blanks
// (spaces and tabs) around names and values are not part of them. Where a
// section or key appears twice, the first counts.
class IniDocument {
public:
    explicit IniDocument(std::string bytes = {});

    // The value of the key, without surrounding blanks and without one pair
    // of matching quotation marks around it; nothing when the section or the
    // key is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // The values of several keys of one section, found in one reading. They
    // point into the document and last as long as it is not changed.
    std::vector<std::optional<std::string_view>> Get(std::string_view section,
                                                     std::initializer_list<std::string_view> keys) const;

    // Gives the key this value. A present key keeps its line up to the "=";
    // a missing key is added after the last non-blank line of its section; a
    // missing section is added, with the key, after the last line. Every line
    // written ends in CRLF.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    const std::string& bytes() const { return bytes_; }

private:
    struct KeyLine;
    struct Location;
    // Reads the section once: where it ends, and the first line of each key.
    Location Scan(std::string_view section, const std::string_view* keys, KeyLine* lines, size_t count) const;

    std::string bytes_;
};

}  // namespace settings
