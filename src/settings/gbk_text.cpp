#include "gbk_text.h"

#include "gbk_platform.h"

namespace settings {
namespace {

constexpr wchar_t kReplacement = L'\uFFFD';

bool IsTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFE);
}

// Length of the character that starts at `at`, by the shape of code page
// 936 alone: 1 for ASCII and the euro sign 0x80, 2 for a lead byte
// 0x81-0xFE with a trail byte, 0 where no character can start.
size_t CharLength(std::string_view bytes, size_t at) {
    const auto c = static_cast<unsigned char>(bytes[at]);
    if (c <= 0x80) return 1;
    if (c == 0xFF) return 0;
    if (at + 1 < bytes.size() && IsTrailByte(static_cast<unsigned char>(bytes[at + 1]))) return 2;
    return 0;
}

// Decodes bytes that are well formed; a pair that the code page leaves
// unmapped becomes one replacement character.
void AppendWellFormed(std::string_view run, std::wstring& out) {
    std::wstring decoded;
    if (platform::DecodeGbkStrict(run, decoded)) {
        out += decoded;
        return;
    }
    for (size_t at = 0; at < run.size();) {
        const size_t length = CharLength(run, at);
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
        size_t length = 0;
        while (at < bytes.size() && (length = CharLength(bytes, at)) != 0) at += length;
        if (at > runStart) AppendWellFormed(bytes.substr(runStart, at - runStart), out);
        if (at < bytes.size()) {
            out += kReplacement;
            ++at;
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

std::optional<std::string> EncodeStorableText(std::wstring_view text) {
    if (text.find_first_of(std::wstring_view(L"\r\n\0", 3)) != std::wstring_view::npos) return std::nullopt;
    return EncodeGbk(text);
}

bool CanStoreText(std::wstring_view text) { return EncodeStorableText(text).has_value(); }

}  // namespace settings
