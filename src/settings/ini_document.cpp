#include "ini_document.h"

#include <cstring>
#include <utility>

namespace settings {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// One line: its text runs from `begin` to `textEnd`, its line ending from
// there to `end` (empty on a last line without one).
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
        const size_t stop = LineBreak();
        if (stop == std::string_view::npos) {
            line.textEnd = line.end = bytes_.size();
        } else {
            line.textEnd = stop;
            const bool crlf = bytes_[stop] == '\r' && stop + 1 < bytes_.size() && bytes_[stop + 1] == '\n';
            line.end = stop + (crlf ? 2 : 1);
        }
        at_ = line.end;
        return true;
    }

private:
    // Where the next CR or LF stands. Values can be long (list values run to
    // hundreds of kilobytes), so both are searched with memchr.
    size_t LineBreak() const {
        const char* begin = bytes_.data() + at_;
        const size_t left = bytes_.size() - at_;
        const void* lf = std::memchr(begin, '\n', left);
        const size_t lfLength = lf ? static_cast<size_t>(static_cast<const char*>(lf) - begin) : left;
        const void* cr = std::memchr(begin, '\r', lfLength);
        const char* stop = cr ? static_cast<const char*>(cr) : lf ? static_cast<const char*>(lf) : nullptr;
        return stop ? static_cast<size_t>(stop - bytes_.data()) : std::string_view::npos;
    }

    std::string_view bytes_;
    size_t at_ = 0;
};

enum class LineKind { Blank, Section, Other };

LineKind Classify(std::string_view text, std::string_view& sectionName) {
    const std::string_view trimmed = TrimBlanks(text);
    if (trimmed.empty()) return LineKind::Blank;
    if (trimmed.front() != '[') return LineKind::Other;
    const size_t close = trimmed.find(']');
    sectionName = close == std::string_view::npos ? std::string_view() : TrimBlanks(trimmed.substr(1, close - 1));
    return LineKind::Section;
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
    size_t valueBegin = 0;  // just after the key's "="
    size_t valueEnd = 0;    // end of the key line's text
    size_t lineEnd = 0;     // end of the key line, ending included
};

struct IniDocument::Location {
    bool sectionFound = false;
    size_t sectionLastLineEnd = 0;      // end of the section's last non-blank line
    bool sectionLastLineEnded = false;  // whether that line has a line ending
};

IniDocument::IniDocument(std::string bytes) : bytes_(std::move(bytes)) {}

IniDocument::Location IniDocument::Scan(std::string_view section, const std::string_view* keys, KeyLine* lines,
                                        size_t count) const {
    const std::string_view all(bytes_);
    Location where;
    bool inSection = false;
    LineReader reader(all);
    Line line;
    while (reader.Next(line)) {
        const std::string_view text = all.substr(line.begin, line.textEnd - line.begin);
        std::string_view name;
        const LineKind kind = Classify(text, name);
        if (kind == LineKind::Section) {
            if (inSection) break;
            // An unnamed header ends a section but never matches one.
            if (!name.data() || !SameIgnoringCase(name, section)) continue;
            inSection = true;
            where.sectionFound = true;
        } else if (!inSection || kind == LineKind::Blank) {
            continue;
        } else if (const size_t equals = text.find('='); equals != std::string_view::npos) {
            const std::string_view lineKey = TrimBlanks(text.substr(0, equals));
            for (size_t k = 0; k < count; ++k) {
                if (lines[k].found || !SameIgnoringCase(lineKey, keys[k])) continue;
                lines[k] = KeyLine{true, line.begin + equals + 1, line.textEnd, line.end};
            }
        }
        where.sectionLastLineEnd = line.end;
        where.sectionLastLineEnded = line.end > line.textEnd;
    }
    return where;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    const auto value = Get(section, {key}).front();
    if (!value) return std::nullopt;
    return std::string(*value);
}

std::vector<std::optional<std::string_view>> IniDocument::Get(std::string_view section,
                                                              std::initializer_list<std::string_view> keys) const {
    std::vector<KeyLine> lines(keys.size());
    Scan(section, keys.begin(), lines.data(), keys.size());
    std::vector<std::optional<std::string_view>> values(keys.size());
    for (size_t k = 0; k < keys.size(); ++k) {
        if (!lines[k].found) continue;
        std::string_view value =
            TrimBlanks(std::string_view(bytes_).substr(lines[k].valueBegin, lines[k].valueEnd - lines[k].valueBegin));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        values[k] = value;
    }
    return values;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    KeyLine keyLine;
    const Location where = Scan(section, &key, &keyLine, 1);
    if (keyLine.found) {
        std::string replacement(value);
        replacement += kLineEnd;
        bytes_.replace(keyLine.valueBegin, keyLine.lineEnd - keyLine.valueBegin, replacement);
        return;
    }
    std::string added;
    size_t at = bytes_.size();
    if (where.sectionFound) {
        at = where.sectionLastLineEnd;
        if (!where.sectionLastLineEnded) added += kLineEnd;
    } else {
        const bool lastLineEnded = bytes_.empty() || bytes_.back() == '\n' || bytes_.back() == '\r';
        if (!lastLineEnded) added += kLineEnd;
        added.append("[").append(section).append("]").append(kLineEnd);
    }
    added.append(key).append("=").append(value).append(kLineEnd);
    bytes_.insert(at, added);
}

}  // namespace settings
