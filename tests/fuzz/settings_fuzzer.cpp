// Whole Config.ini files, as a hand or another program may have left them:
// loaded, saved over with a record, loaded again. Beyond crashes and the
// sanitizers' findings, every run checks what the store promises, and aborts
// with the broken promise named:
//  - a record that code page 936 holds is saved, and loads back as the reader
//    sees it: blanks and then one pair of matching quotes around the redirect
//    text go, and a "|" inside a list item splits the item;
//  - a record it cannot hold is refused, and so may be a file that announces
//    another coding by a byte-order mark; a refused save keeps every byte;
//  - every line the save does not own keeps its bytes and its order; the
//    lines it owns are the first line of each of the seven keys in the first
//    SETTING section, and it adds only the missing keys' lines and, when the
//    section is missing, its header;
//  - afterwards each key's first line there carries the saved value, and the
//    key stands there exactly once, unless the file already had it there more
//    than once: the later copies stay as they were;
//  - saving the same record again changes no byte;
//  - no temporary file is left beside Config.ini.
//
// An input is the file's bytes, optionally followed by "@record@" and bytes
// from which the record is drawn. Without the marker the record is the one
// the first load gave: the editor opened and saved without a change. The
// empty input stands for a missing file.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "gbk_text.h"
#include "settings_store.h"

namespace {

namespace fs = std::filesystem;
using settings::ProtectionSettings;

constexpr std::string_view kRecordMarker = "@record@";
constexpr size_t kKeyCount = 7;
constexpr std::array<std::string_view, kKeyCount> kKeys = {"START",        "ProtectJpg", "ProtectGif", "ProtectJpeg",
                                                           "RedirectFile", "FreePath",   "FriendUrl"};

std::string Escaped(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '\\') {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        }
    }
    return out;
}

// The private directory of this process, once made; see Directory().
const fs::path* gDirectory = nullptr;

void RemoveDirectory() {
    std::error_code ignored;
    if (gDirectory) fs::remove_all(*gDirectory, ignored);
}

[[noreturn]] void Fail(const char* promise, std::string_view detail = {}) {
    std::fprintf(stderr, "\nsettings_fuzzer: CHECK FAILED: %s\n", promise);
    if (!detail.empty()) std::fprintf(stderr, "  %s\n", std::string(detail).c_str());
    RemoveDirectory();  // the input that failed tells all
    std::abort();
}

void Check(bool kept, const char* promise) {
    if (!kept) Fail(promise);
}

// ---- Files -----------------------------------------------------------------

// A private directory for this process, in memory where the system has one.
const fs::path& Directory() {
    if (!gDirectory) {
        std::error_code error;
        const fs::path base = fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0
                                  ? fs::path("/dev/shm")
                                  : fs::temp_directory_path();
        std::string name = (base / "hotlink-fuzz-XXXXXX").string();
        if (!::mkdtemp(name.data())) Fail("a directory of its own", base.string());
        gDirectory = new fs::path(name);
        std::atexit(RemoveDirectory);
    }
    return *gDirectory;
}

void WriteFile(const fs::path& file, std::string_view bytes) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = fd >= 0;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        ok = n > 0;
        done += ok ? static_cast<size_t>(n) : 0;
    }
    if (fd < 0 || ::close(fd) != 0 || !ok) Fail("the fuzzer writes its input file", file.string());
}

std::string ReadFile(const fs::path& file) {
    std::string bytes;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Fail("Config.ini is there to read", file.string());
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    if (n < 0) Fail("Config.ini is there to read", file.string());
    return bytes;
}

void CheckOnlyConfigIni() {
    for (const auto& entry : fs::directory_iterator(Directory())) {
        if (entry.path().filename() != "Config.ini") {
            Fail("nothing but Config.ini is left in the directory", entry.path().filename().string());
        }
    }
}

// ---- The reader's rules, stated on their own --------------------------------

struct Line {
    std::string_view text;
    std::string_view ending;  // CRLF, LF, CR, or nothing on a last line
    std::string whole() const { return std::string(text) + std::string(ending); }
};

std::vector<Line> SplitLines(std::string_view bytes) {
    std::vector<Line> lines;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t stop = at;
        while (stop < bytes.size() && bytes[stop] != '\r' && bytes[stop] != '\n') ++stop;
        size_t end = stop;
        if (end < bytes.size()) end += bytes.substr(end, 2) == "\r\n" ? 2 : 1;
        lines.push_back({bytes.substr(at, stop - at), bytes.substr(stop, end - stop)});
        at = end;
    }
    return lines;
}

std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// A line whose first non-blank character is "[" heads a section, named by
// what stands before the first "]"; without a "]" it has no name.
bool IsHeader(std::string_view text, std::optional<std::string_view>& name) {
    const std::string_view trimmed = TrimBlanks(text);
    if (trimmed.empty() || trimmed.front() != '[') return false;
    const size_t close = trimmed.find(']');
    name.reset();
    if (close != std::string_view::npos) name = TrimBlanks(trimmed.substr(1, close - 1));
    return true;
}

// The first SETTING section: its header, and for each key the lines within
// it that name the key, in file order.
struct Section {
    bool found = false;
    std::array<std::vector<size_t>, kKeyCount> keyLines;
};

Section FirstSettingSection(const std::vector<Line>& lines) {
    Section section;
    std::optional<std::string_view> name;
    size_t i = 0;
    while (i < lines.size() && !(IsHeader(lines[i].text, name) && name && SameName(*name, "SETTING"))) ++i;
    if (i == lines.size()) return section;
    section.found = true;
    for (++i; i < lines.size() && !IsHeader(lines[i].text, name); ++i) {
        const std::string_view text = lines[i].text;
        const size_t equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        for (size_t k = 0; k < kKeyCount; ++k) {
            if (SameName(TrimBlanks(text.substr(0, equals)), kKeys[k])) section.keyLines[k].push_back(i);
        }
    }
    return section;
}

// ---- Records ----------------------------------------------------------------

wchar_t DrawCharacter(FuzzedDataProvider& data) {
    // The signs that mean something in the file, and characters of every
    // kind: ASCII, GBK's own, CJK, anything in the BMP and beyond it.
    static constexpr wchar_t kSigns[] = {L' ',  L'\t', L'|',  L'"',  L'\'', L'=', L'[',     L']',     L';',
                                         L'\r', L'\n', L'\0', L'\\', L'/',  L'.', L'\u3000', L'\u20AC', L'\uFFFD'};
    switch (data.ConsumeIntegralInRange(0, 5)) {
        case 0:
            return data.PickValueInArray(kSigns);
        case 1:
            return static_cast<wchar_t>(data.ConsumeIntegralInRange(0x20, 0x7E));
        case 2: {
            const char pair[] = {static_cast<char>(data.ConsumeIntegralInRange(0x81, 0xFE)),
                                 static_cast<char>(data.ConsumeIntegralInRange(0x40, 0xFE))};
            return settings::DecodeGbk(std::string_view(pair, 2)).front();
        }
        case 3:
            return static_cast<wchar_t>(data.ConsumeIntegralInRange(0x4E00, 0x9FA5));
        case 4:
            return static_cast<wchar_t>(data.ConsumeIntegral<uint16_t>());
        default:
            return static_cast<wchar_t>(data.ConsumeIntegralInRange(0, 0x10FFFF));
    }
}

std::wstring DrawText(FuzzedDataProvider& data) {
    std::wstring text(data.ConsumeIntegralInRange<size_t>(0, 12), L'\0');
    for (auto& c : text) c = DrawCharacter(data);
    // Often wrapped in what the reader takes off around a value.
    static constexpr const wchar_t* kWrappers[] = {L"", L"", L"\"", L"'", L" ", L"\t", L" \"", L"' "};
    const std::wstring wrapper = data.PickValueInArray(kWrappers);
    return wrapper + text + std::wstring(wrapper.rbegin(), wrapper.rend());
}

std::vector<std::wstring> DrawItems(FuzzedDataProvider& data) {
    std::vector<std::wstring> items(data.ConsumeIntegralInRange<size_t>(0, 6));
    for (auto& item : items) item = DrawText(data);
    return items;
}

ProtectionSettings DrawRecord(FuzzedDataProvider& data) {
    ProtectionSettings record;
    record.enabled = data.ConsumeBool();
    record.protectJpg = data.ConsumeBool();
    record.protectGif = data.ConsumeBool();
    record.protectJpeg = data.ConsumeBool();
    record.redirectFile = DrawText(data);
    record.freePaths = DrawItems(data);
    record.friendUrls = DrawItems(data);
    return record;
}

// A file that begins with a byte-order mark says it is not GBK: a save may
// refuse it rather than add GBK lines to it.
bool AnnouncesOtherCoding(std::string_view bytes) {
    return bytes.substr(0, 3) == "\xEF\xBB\xBF" || bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
}

bool Storable(const ProtectionSettings& record) {
    const auto storable = [](const std::wstring& text) { return settings::CanStoreText(text); };
    return storable(record.redirectFile) && std::all_of(record.freePaths.begin(), record.freePaths.end(), storable) &&
           std::all_of(record.friendUrls.begin(), record.friendUrls.end(), storable);
}

// The values of the seven keys as the save must write them.
std::array<std::string, kKeyCount> ValueBytes(const ProtectionSettings& record) {
    const auto flag = [](bool on) { return std::string(on ? "True" : "False"); };
    const auto list = [](const std::vector<std::wstring>& items) {
        std::string value = items.empty() ? "" : "|";
        for (const auto& item : items) value += *settings::EncodeGbk(item) + "|";
        return value;
    };
    return {flag(record.enabled),     flag(record.protectJpg),        flag(record.protectGif),
            flag(record.protectJpeg), *settings::EncodeGbk(record.redirectFile), list(record.freePaths),
            list(record.friendUrls)};
}

// What a load gives back for a stored record.
ProtectionSettings AsReadBack(ProtectionSettings record) {
    std::wstring& redirect = record.redirectFile;
    const size_t first = redirect.find_first_not_of(L" \t");
    redirect = first == std::wstring::npos ? std::wstring()
                                           : redirect.substr(first, redirect.find_last_not_of(L" \t") - first + 1);
    if (redirect.size() >= 2 && (redirect.front() == L'"' || redirect.front() == L'\'') &&
        redirect.back() == redirect.front()) {
        redirect = redirect.substr(1, redirect.size() - 2);
    }
    for (auto* items : {&record.freePaths, &record.friendUrls}) {
        std::vector<std::wstring> pieces;
        for (const auto& item : *items) {
            size_t start = 0;
            for (size_t bar; (bar = item.find(L'|', start)) != std::wstring::npos; start = bar + 1) {
                pieces.push_back(item.substr(start, bar - start));
            }
            pieces.push_back(item.substr(start));
        }
        *items = std::move(pieces);
    }
    return record;
}

// ---- The promises about the file's lines ---------------------------------

void CheckLines(std::string_view before, std::string_view after, const std::array<std::string, kKeyCount>& values) {
    const std::vector<Line> old = SplitLines(before), now = SplitLines(after);
    const Section was = FirstSettingSection(old), is = FirstSettingSection(now);
    Check(is.found, "a SETTING section after the save");

    std::vector<bool> owned(old.size(), false);
    std::vector<std::string> written;  // the lines the save may have written
    if (!was.found) written.push_back("[SETTING]\r\n");
    for (size_t k = 0; k < kKeyCount; ++k) {
        const auto& oldLines = was.keyLines[k];
        std::string line = std::string(kKeys[k]) + "=";
        if (!oldLines.empty()) {
            owned[oldLines.front()] = true;
            const std::string_view text = old[oldLines.front()].text;
            line = std::string(text.substr(0, text.find('=') + 1));
        }
        line += values[k] + "\r\n";
        written.push_back(line);
        if (is.keyLines[k].size() != std::max<size_t>(1, oldLines.size())) {
            Fail("each key stands once in the first SETTING section (or as often as it stood before)",
                 std::string(kKeys[k]) + ": " + std::to_string(oldLines.size()) + " before, " +
                     std::to_string(is.keyLines[k].size()) + " after");
        }
        if (now[is.keyLines[k].front()].whole() != line) {
            Fail("each key's first line carries the saved value",
                 "expected " + Escaped(line) + ", found " + Escaped(now[is.keyLines[k].front()].whole()));
        }
    }

    // The lines the save does not own appear in order with their bytes; a
    // last line without an ending may have got one. What remains is exactly
    // the lines written, whichever copy of two equal lines is taken for which.
    std::vector<bool> matched(now.size(), false);
    size_t j = 0;
    for (size_t i = 0; i < old.size(); ++i) {
        if (owned[i]) continue;
        const std::string exact = old[i].whole();
        size_t at = j;
        while (at < now.size() && now[at].whole() != exact) ++at;
        if (at == now.size() && old[i].ending.empty()) {
            const std::string ended = exact + "\r\n";
            for (at = j; at < now.size() && now[at].whole() != ended;) ++at;
        }
        if (at == now.size()) Fail("every line the save does not own is kept, in order", "line " + Escaped(exact));
        matched[at] = true;
        j = at + 1;
    }
    std::vector<std::string> rest;
    for (size_t at = 0; at < now.size(); ++at) {
        if (!matched[at]) rest.push_back(now[at].whole());
    }
    std::sort(rest.begin(), rest.end());
    std::sort(written.begin(), written.end());
    if (rest != written) {
        std::string detail;
        for (const auto& line : rest) detail += "[" + Escaped(line) + "] ";
        Fail("the save writes only its own lines", detail);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t marker = input.rfind(kRecordMarker);
    const std::string_view bytes = input.substr(0, marker);
    const fs::path& directory = Directory();
    const fs::path config = directory / "Config.ini";
    if (input.empty()) {
        fs::remove(config);  // no file at all, as on first use
    } else {
        WriteFile(config, bytes);
    }

    const ProtectionSettings loaded = settings::LoadSettings(directory);
    ProtectionSettings record = loaded;
    if (marker != std::string_view::npos) {
        const std::string_view tail = input.substr(marker + kRecordMarker.size());
        FuzzedDataProvider draw(reinterpret_cast<const uint8_t*>(tail.data()), tail.size());
        record = DrawRecord(draw);
    }

    const bool saved = settings::SaveSettings(record, directory);
    CheckOnlyConfigIni();
    if (!saved) {
        Check(ReadFile(config) == bytes, "a refused save leaves the file byte for byte");
        Check(!Storable(record) || AnnouncesOtherCoding(bytes),
              "a record that code page 936 holds is saved into a file in GBK");
        return 0;
    }
    Check(Storable(record), "a record that code page 936 cannot hold is refused");
    const std::string after = ReadFile(config);
    CheckLines(bytes, after, ValueBytes(record));
    Check(settings::LoadSettings(directory) == AsReadBack(record), "the saved record loads back");

    Check(settings::SaveSettings(record, directory), "the same record saves again");
    CheckOnlyConfigIni();
    Check(ReadFile(config) == after, "saving the same record again changes no byte");
    return 0;
}
