#include "gbk_platform.h"

#include <windows.h>

#include <climits>
#include <string_view>

namespace settings::platform {
namespace {
constexpr UINT kGbk = 936;
}

bool DecodeGbkStrict(std::string_view bytes, std::wstring& out) {
    out.clear();
    if (bytes.empty()) return true;
    if (bytes.size() > INT_MAX) return false;
    const int inLength = static_cast<int>(bytes.size());
    // No byte gives more than one UTF-16 unit: one call does it.
    out.resize(bytes.size());
    const int written = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes.data(), inLength, out.data(), inLength);
    if (written <= 0) return false;
    out.resize(static_cast<size_t>(written));
    return true;
}

bool EncodeGbkStrict(std::wstring_view text, std::string& out) {
    out.clear();
    if (text.empty()) return true;
    if (text.size() > INT_MAX / 2) return false;
    const int inLength = static_cast<int>(text.size());
    // No UTF-16 unit gives more than two bytes: one call does it.
    out.resize(text.size() * 2);
    BOOL usedDefault = FALSE;
    const int written = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, text.data(), inLength, out.data(),
                                            static_cast<int>(out.size()), nullptr, &usedDefault);
    if (written <= 0 || usedDefault) return false;
    out.resize(static_cast<size_t>(written));
    return true;
}

bool AppendWellFormedGbkQuickly(std::string_view bytes, size_t characters, std::wstring& out) {
    // Asked to refuse unmapped bytes, the conversion takes a slow path; let
    // loose, it puts the code page's default character for any of them. So
    // the quick conversion counts when it gives one unit per character and
    // no default character (a text that holds one goes the strict way). It
    // writes straight into `out`: under Wine, fresh large blocks of memory
    // cost more than the conversion.
    static const wchar_t defaultChar = [] {
        CPINFOEXW info{};
        return GetCPInfoExW(kGbk, 0, &info) ? info.UnicodeDefaultChar : L'\0';
    }();
    const size_t start = out.size();
    if (defaultChar != L'\0' && bytes.size() <= INT_MAX && characters <= bytes.size()) {
        out.resize(start + bytes.size());
        const int inLength = static_cast<int>(bytes.size());
        const int written = MultiByteToWideChar(kGbk, 0, bytes.data(), inLength, &out[start], inLength);
        if (written >= 0 && static_cast<size_t>(written) == characters &&
            std::wstring_view(out).substr(start, characters).find(defaultChar) == std::wstring_view::npos) {
            out.resize(start + characters);
            return true;
        }
        out.resize(start);
    }
    return false;
}

}  // namespace settings::platform
