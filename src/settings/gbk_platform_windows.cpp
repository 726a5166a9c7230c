#include "gbk_platform.h"

#include <windows.h>

#include <climits>

namespace settings::platform {
namespace {
constexpr UINT kGbk = 936;
}

bool DecodeGbkStrict(std::string_view bytes, std::wstring& out) {
    out.clear();
    if (bytes.empty()) return true;
    if (bytes.size() > INT_MAX) return false;
    const int inLength = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes.data(), inLength, nullptr, 0);
    if (needed <= 0) return false;
    out.resize(static_cast<size_t>(needed));
    return MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes.data(), inLength, out.data(), needed) == needed;
}

bool EncodeGbkStrict(std::wstring_view text, std::string& out) {
    out.clear();
    if (text.empty()) return true;
    if (text.size() > INT_MAX / 2) return false;
    const int inLength = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int needed = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, text.data(), inLength, nullptr, 0,
                                           nullptr, &usedDefault);
    if (needed <= 0 || usedDefault) return false;
    out.resize(static_cast<size_t>(needed));
    const int written = WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, text.data(), inLength, out.data(),
                                            needed, nullptr, &usedDefault);
    return written == needed && !usedDefault;
}

}  // namespace settings::platform
