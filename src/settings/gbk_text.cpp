#include "gbk_text.h"

#include <algorithm>

#include "gbk_platform.h"

namespace settings {
namespace {

constexpr wchar_t kReplacement = L'\uFFFD';

bool IsTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFE);
}

// Whether the character of `length` bytes at `at` can be one of code page
// 936: ASCII, the euro sign 0x80, or a lead byte with a trail byte.
bool IsWellFormed(std::string_view bytes, size_t at, size_t length) {
    const auto c = static_cast<unsigned char>(bytes[at]);
    return length == 2 ? IsTrailByte(static_cast<unsigned char>(bytes[at + 1])) : c <= 0x80;
}

// Decodes bytes that are well formed, `characters` characters; a pair that
// the code page leaves unmapped becomes one replacement character.
void AppendWellFormed(std::string_view run, size_t characters, std::wstring& out) {
    if (platform::AppendWellFormedGbkQuickly(run, characters, out)) return;
    std::wstring decoded;
    if (platform::DecodeGbkStrict(run, decoded)) {
        out += decoded;
        return;
    }
    for (size_t at = 0; at < run.size();) {
        const size_t length = CharacterLength(run, at);
        if (platform::DecodeGbkStrict(run.substr(at, length), decoded)) {
            out += decoded;
        } else {
            out += kReplacement;
        }
        at += length;
    }
}

}  // namespace

std::wstring DecodeGbk(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    size_t at = 0;
    while (at < bytes.size()) {
        const size_t runStart = at;
        size_t length = 0, characters = 0;
        while (at < bytes.size()) {
            // ASCII, most of any file, goes by quickly.
            while (at < bytes.size() && static_cast<unsigned char>(bytes[at]) < 0x80) {
                ++at;
                ++characters;
            }
            if (at == bytes.size()) break;
            length = CharacterLength(bytes, at);
            if (!IsWellFormed(bytes, at, length)) break;
            at += length;
            ++characters;
        }
        if (at > runStart) AppendWellFormed(bytes.substr(runStart, at - runStart), characters, out);
        if (at < bytes.size()) {
            out += kReplacement;  // one for the whole character
            at += length;
        }
    }
    return out;
}

std::optional<std::string> EncodeGbk(std::wstring_view text) {
    std::string bytes;
    if (!platform::EncodeGbkStrict(text, bytes)) return std::nullopt;
    // Only an exact round trip counts: this also turns away any mapping a
    // platform might make to a similar-looking character.
    if (DecodeGbk(bytes) != text) return std::nullopt;
    return bytes;
}

std::string EncodeGbkLossy(std::wstring_view text) {
    if (auto whole = EncodeGbk(text)) return std::move(*whole);
    // Line by line, and only a failing line character by character.
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const size_t lineEnd = std::min(text.find(L'\n', at), text.size() - 1) + 1;
        const std::wstring_view line = text.substr(at, lineEnd - at);
        if (auto bytes = EncodeGbk(line)) {
            out += *bytes;
        } else {
            for (size_t i = 0; i < line.size(); ++i) {
                // A surrogate pair (UTF-16) is one character.
                const bool pair = line[i] >= 0xD800 && line[i] <= 0xDBFF && i + 1 < line.size() &&
                                  line[i + 1] >= 0xDC00 && line[i + 1] <= 0xDFFF;
                const auto bytes = EncodeGbk(line.substr(i, pair ? 2 : 1));
                out += bytes ? *bytes : std::string("?");
                i += pair ? 1 : 0;
            }
        }
        at = lineEnd;
    }
    return out;
}

std::optional<std::string> EncodeStorableText(std::wstring_view text) {
    if (text.find_first_of(std::wstring_view(L"\r\n\0", 3)) != std::wstring_view::npos) return std::nullopt;
    return EncodeGbk(text);
}

bool CanStoreText(std::wstring_view text) { return EncodeStorableText(text).has_value(); }

}  // namespace settings
