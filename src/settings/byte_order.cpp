#include "byte_order.h"

namespace settings {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(char32_t c, std::wstring& out) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(c);
}

std::wstring DecodeUtf8(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                          : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        bool ok = length != 0 && at + length <= bytes.size();
        for (size_t i = 1; ok && i < length; ++i) {
            const auto trail = static_cast<unsigned char>(bytes[at + i]);
            ok = (trail & 0xC0) == 0x80;
            c = (c << 6) | (trail & 0x3F);
        }
        // Overlong forms and surrogates are malformed too.
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!ok || c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            out += static_cast<wchar_t>(kReplacement);
            ++at;
            continue;
        }
        AppendCodePoint(c, out);
        at += length;
    }
    return out;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring out;
    out.reserve(bytes.size() / 2);
    const auto unit = [&](size_t at) {
        const auto first = static_cast<unsigned char>(bytes[at]), second = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<char32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        const char32_t c = unit(at);
        if (c >= 0xD800 && c <= 0xDBFF && at + 3 < bytes.size()) {
            const char32_t low = unit(at + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendCodePoint(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00), out);
                at += 2;
                continue;
            }
        }
        AppendCodePoint(c, out);  // a lone surrogate becomes U+FFFD there
    }
    if (at < bytes.size()) out += static_cast<wchar_t>(kReplacement);  // an odd last byte
    return out;
}

}  // namespace

FileCoding CodingOf(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return FileCoding::Utf8;
    if (bytes.substr(0, 2) == "\xFF\xFE") return FileCoding::Utf16LittleEndian;
    if (bytes.substr(0, 2) == "\xFE\xFF") return FileCoding::Utf16BigEndian;
    return FileCoding::Gbk;
}

const wchar_t* CodingName(FileCoding coding) {
    switch (coding) {
        case FileCoding::Utf8: return L"UTF-8";
        case FileCoding::Utf16LittleEndian:
        case FileCoding::Utf16BigEndian: return L"UTF-16";
        case FileCoding::Gbk: break;
    }
    return L"GBK";
}

std::wstring DecodeMarkedText(std::string_view bytes, FileCoding coding) {
    switch (coding) {
        case FileCoding::Utf8: return DecodeUtf8(bytes.substr(3));
        case FileCoding::Utf16LittleEndian: return DecodeUtf16(bytes.substr(2), false);
        case FileCoding::Utf16BigEndian: return DecodeUtf16(bytes.substr(2), true);
        case FileCoding::Gbk: break;
    }
    return {};
}

}  // namespace settings
