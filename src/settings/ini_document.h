#pragma once

#include <optional>
#include <string>
#include <string_view>

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

    // Gives the key this value. A present key keeps its line up to the "=";
    // a missing key is added after the last non-blank line of its section; a
    // missing section is added, with the key, after the last line. Every line
    // written ends in CRLF.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    const std::string& bytes() const { return bytes_; }

private:
    struct Location;
    Location Find(std::string_view section, std::string_view key) const;

    std::string bytes_;
};

}  // namespace settings
