#include "gbk_platform.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace settings::platform {
namespace {

// One conversion descriptor for the length of one call.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `in`; false on the first sequence that does not map.
    bool Convert(const char* in, size_t inBytes, std::string& out) {
        out.assign(inBytes * 2 + 16, '\0');
        auto* src = const_cast<char*>(in);
        size_t srcLeft = inBytes;
        size_t produced = 0;
        for (;;) {
            char* dst = out.data() + produced;
            size_t dstLeft = out.size() - produced;
            const size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            produced = out.size() - dstLeft;
            if (rc != static_cast<size_t>(-1)) break;
            if (errno != E2BIG) return false;
            out.resize(out.size() * 2);
        }
        out.resize(produced);
        return srcLeft == 0;
    }

private:
    iconv_t cd_;
};

}  // namespace

bool DecodeGbkStrict(std::string_view bytes, std::wstring& out) {
    out.clear();
    if (bytes.empty()) return true;
    Converter converter("WCHAR_T", "CP936");
    std::string wide;
    if (!converter.ok() || !converter.Convert(bytes.data(), bytes.size(), wide)) return false;
    out.resize(wide.size() / sizeof(wchar_t));
    std::memcpy(out.data(), wide.data(), out.size() * sizeof(wchar_t));
    return true;
}

bool EncodeGbkStrict(std::wstring_view text, std::string& out) {
    out.clear();
    if (text.empty()) return true;
    Converter converter("CP936", "WCHAR_T");
    return converter.ok() &&
           converter.Convert(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t), out);
}

// iconv has no quicker way.
bool AppendWellFormedGbkQuickly(std::string_view, size_t, std::wstring&) { return false; }

}  // namespace settings::platform
