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

}  // namespace settings::platform
