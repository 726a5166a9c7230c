#include "ini_document.h"

#include <cstring>
#include <utility>

#include "gbk_text.h"

namespace settings {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Tab, LF, VT, FF, CR, Ctrl-Z and space. None of them is a lead byte, so
// each is a character of its own wherever a character begins.
bool IsTrimmed(char c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' '; }

// Whether a character begins at `at`, given that one begins at `from`. A
// byte that is no lead byte always ends a character, so the characters
// before `at` pair up from the first of the lead bytes that run up to it:
// an odd run leaves its last byte to take the one at `at`. NUL is taken by
// no lead byte.
bool StartsCharacter(std::string_view bytes, size_t from, size_t at) {
    if (bytes[at] == '\0') return true;
    size_t leads = 0;
    while (at > from && IsLeadByte(bytes[at - 1])) {
        --at;
        ++leads;
    }
    return leads % 2 == 0;
}

// The first character `c`, an ASCII byte, in [from, to) where a character
// begins at `from`; `to` when there is none. Values can be long (list values
// run to hundreds of kilobytes), so the bytes are searched with memchr.
size_t FindCharacter(std::string_view bytes, size_t from, size_t to, char c) {
    while (from < to) {
        const void* hit = std::memchr(bytes.data() + from, c, to - from);
        if (!hit) return to;
        const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - bytes.data());
        if (StartsCharacter(bytes, from, at)) return at;
        from = at + 1;  // it was the second byte of a character
    }
    return to;
}

// The first CR or LF in [from, to) that is a character of its own.
size_t FindLineBreak(std::string_view bytes, size_t from, size_t to) {
    while (from < to) {
        const char* begin = bytes.data() + from;
        const size_t left = to - from;
        const void* lf = std::memchr(begin, '\n', left);
        const size_t beforeLf = lf ? static_cast<size_t>(static_cast<const char*>(lf) - begin) : left;
        const void* cr = std::memchr(begin, '\r', beforeLf);
        const void* stop = cr ? cr : lf;
        if (!stop) return to;
        const size_t at = static_cast<size_t>(static_cast<const char*>(stop) - bytes.data());
        if (StartsCharacter(bytes, from, at)) return at;
        from = at + 1;
    }
    return to;
}

// [begin, end) without the trimmed characters at its ends; a character
// begins at `begin`.
void Trim(std::string_view bytes, size_t& begin, size_t& end) {
    while (begin < end && IsTrimmed(bytes[begin])) ++begin;
    while (end > begin && IsTrimmed(bytes[end - 1]) && StartsCharacter(bytes, begin, end - 1)) --end;
}

// A name or value ends at its first NUL.
size_t CutAtNul(std::string_view bytes, size_t begin, size_t end) {
    const void* nul = std::memchr(bytes.data() + begin, '\0', end - begin);
    return nul ? static_cast<size_t>(static_cast<const char*>(nul) - bytes.data()) : end;
}

// Narrows [begin, end) to the value the reader reads from it: without the
// trimmed characters at its ends, up to its first NUL, and without a pair of
// quotation marks (two characters or more, the first and the last the same
// quotation mark). True when it took such a pair off.
bool ReadValue(std::string_view bytes, size_t& begin, size_t& end) {
    Trim(bytes, begin, end);
    end = CutAtNul(bytes, begin, end);
    if (end - begin < 2) return false;
    const char first = bytes[begin];
    if ((first != '"' && first != '\'') || bytes[end - 1] != first || !StartsCharacter(bytes, begin, end - 1)) {
        return false;
    }
    ++begin;
    --end;
    return true;
}

// One line: its text runs from `begin` to `textEnd`, its line ending (CRLF,
// CR or LF) from there to `end`; none on a last line without one.
struct Line {
    size_t begin = 0;
    size_t textEnd = 0;
    size_t end = 0;
};

class LineReader {
public:
    explicit LineReader(std::string_view bytes) : bytes_(bytes) {}

    bool Next(Line& line) {
        if (at_ >= bytes_.size()) return false;
        line.begin = at_;
        line.textEnd = FindLineBreak(bytes_, at_, bytes_.size());
        line.end = line.textEnd;
        if (line.end < bytes_.size()) line.end += bytes_.substr(line.end, 2) == kLineEnd ? 2 : 1;
        at_ = line.end;
        return true;
    }

private:
    std::string_view bytes_;
    size_t at_ = 0;
};

// What a line is to the reader. `begin` and `end` are its text without the
// trimmed characters at the ends; for a key line `equals` is where its "="
// stands (`end` when it has none).
struct Parsed {
    enum Kind { Blank, Section, Key } kind = Blank;
    size_t begin = 0, end = 0;
    size_t nameBegin = 0, nameEnd = 0;  // up to its first NUL
    size_t equals = 0;
};

Parsed Parse(std::string_view bytes, const Line& line) {
    Parsed p;
    p.begin = line.begin;
    p.end = line.textEnd;
    Trim(bytes, p.begin, p.end);
    if (p.begin == p.end) return p;
    if (bytes[p.begin] == '[') {
        size_t close = p.end;
        for (size_t at = p.begin + 1; (at = FindCharacter(bytes, at, p.end, ']')) < p.end; ++at) close = at;
        if (close < p.end) {
            p.kind = Parsed::Section;
            p.nameBegin = p.begin + 1;
            p.nameEnd = close;
            Trim(bytes, p.nameBegin, p.nameEnd);
            p.nameEnd = CutAtNul(bytes, p.nameBegin, p.nameEnd);
            return p;
        }
    }
    p.kind = Parsed::Key;
    p.equals = FindCharacter(bytes, p.begin, p.end, '=');
    p.nameBegin = p.begin;
    p.nameEnd = p.equals;
    Trim(bytes, p.nameBegin, p.nameEnd);
    p.nameEnd = CutAtNul(bytes, p.nameBegin, p.nameEnd);
    return p;
}

}  // namespace

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

struct IniDocument::KeyLine {
    bool found = false;
    bool hasValue = false;  // the line has an "="
    size_t writeAt = 0;     // just after the "=", or after the name on a line without one
    size_t valueBegin = 0;  // the value as the reader reads it
    size_t valueEnd = 0;
    size_t lineEnd = 0;  // end of the key line, ending included
};

struct IniDocument::Location {
    bool sectionFound = false;
    size_t sectionLastLineEnd = 0;      // end of the section's last non-blank line
    bool sectionLastLineEnded = false;  // whether that line has a line ending
    bool lastLineEnded = true;          // of the whole file, when the section is missing
};

IniDocument::IniDocument(std::string bytes) : bytes_(std::move(bytes)) {}

IniDocument::Location IniDocument::Scan(std::string_view section, const std::string_view* keys, KeyLine* lines,
                                        size_t count, SectionSurvey* survey) const {
    const std::string_view all(bytes_);
    Location where;
    bool inSection = false;
    LineReader reader(all);
    Line line;
    for (size_t number = 1; reader.Next(line); ++number) {
        where.lastLineEnded = line.end > line.textEnd;
        const Parsed p = Parse(all, line);
        if (p.kind == Parsed::Blank) continue;
        const std::string_view name = all.substr(p.nameBegin, p.nameEnd - p.nameBegin);
        if (p.kind == Parsed::Section) {
            const bool named = SameIgnoringCase(name, section);
            if (where.sectionFound) {
                // Only the first section of the name counts; a survey goes
                // on to count the others.
                if (!survey) break;
                survey->ignoredSections += named ? 1 : 0;
                inSection = false;
                continue;
            }
            inSection = where.sectionFound = named;
            if (!named) continue;
        } else if (!inSection) {
            continue;
        } else {
            for (size_t k = 0; k < count; ++k) {
                if (!SameIgnoringCase(name, keys[k])) continue;
                if (survey) {
                    survey->keys[k].lines.push_back(number);
                    if (!lines[k].found) survey->keys[k].firstWithoutEquals = p.equals == p.end;
                }
                if (lines[k].found) continue;
                KeyLine& key = lines[k];
                key.found = true;
                key.hasValue = p.equals < p.end;
                key.lineEnd = line.end;
                if (!key.hasValue) {
                    // The "=" goes right after the name, which ends in a
                    // letter of ours: no lead byte before it can take it.
                    key.writeAt = p.nameEnd;
                    continue;
                }
                key.writeAt = p.equals + 1;
                key.valueBegin = p.equals + 1;
                key.valueEnd = p.end;
                ReadValue(all, key.valueBegin, key.valueEnd);
            }
        }
        where.sectionLastLineEnd = line.end;
        where.sectionLastLineEnded = line.end > line.textEnd;
    }
    return where;
}

IniDocument::SectionSurvey IniDocument::Survey(std::string_view section, const std::string_view* keys,
                                               size_t count) const {
    SectionSurvey survey;
    survey.keys.resize(count);
    std::vector<KeyLine> lines(count);
    survey.found = Scan(section, keys, lines.data(), count, &survey).sectionFound;
    return survey;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    const auto value = Get(section, &key, 1).front();
    if (!value) return std::nullopt;
    return std::string(*value);
}

std::vector<std::optional<std::string_view>> IniDocument::Get(std::string_view section, const std::string_view* keys,
                                                              size_t count) const {
    std::vector<KeyLine> lines(count);
    Scan(section, keys, lines.data(), count);
    std::vector<std::optional<std::string_view>> values(count);
    for (size_t k = 0; k < count; ++k) {
        if (!lines[k].hasValue) continue;
        values[k] = std::string_view(bytes_).substr(lines[k].valueBegin, lines[k].valueEnd - lines[k].valueBegin);
    }
    return values;
}

bool IsWrittenInQuotes(std::string_view value) {
    size_t begin = 0, end = value.size();
    return ReadValue(value, begin, end);
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string written;
    size_t begin = 0, end = value.size();
    if (ReadValue(value, begin, end)) {
        const char quote = value[begin - 1];
        written.reserve(value.size() + 2 + kLineEnd.size());
        written.append(1, quote).append(value).append(1, quote);
    } else {
        written.reserve(value.size() + kLineEnd.size());
        written.append(value);
    }
    written.append(kLineEnd);

    KeyLine keyLine;
    const Location where = Scan(section, &key, &keyLine, 1);
    if (keyLine.found) {
        if (!keyLine.hasValue) written.insert(0, "=");
        bytes_.replace(keyLine.writeAt, keyLine.lineEnd - keyLine.writeAt, written);
        return;
    }
    std::string added;
    size_t at = bytes_.size();
    if (where.sectionFound) {
        at = where.sectionLastLineEnd;
        if (!where.sectionLastLineEnded) added += kLineEnd;
    } else {
        if (!where.lastLineEnded) added += kLineEnd;
        added.append("[").append(section).append("]").append(kLineEnd);
    }
    added.append(key).append("=").append(written);
    bytes_.insert(at, added);
}

}  // namespace settings
