// Whole Config.ini files, as a hand or another program may have left them:
// loaded, saved over with a record, loaded again. Beyond crashes and the
// sanitizers' findings, every run checks what the store promises, and aborts
// with the broken promise named:
//  - a record that code page 936 holds is saved, and loads back as the reader
//    sees it: the redirect text as given, but where it is not written in
//    quotes without the characters the reader trims at its ends, and a "|"
//    inside a list item splits the item;
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
#include "test_files.h"

namespace {

using testing_files::Escaped;

namespace fs = std::filesystem;
using settings::ProtectionSettings;

constexpr std::string_view kRecordMarker = "@record@";
// The seven keys, in the order the store writes them.
using settings::kSettingKeys;
constexpr size_t kKeyCount = settings::kSettingKeyCount;

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

// A text as the profile reader divides it into characters: a byte 0x81-0xFE
// together with the byte after it, unless that is NUL or missing.
using Chars = std::vector<std::string_view>;

Chars Characters(std::string_view bytes) {
    Chars chars;
    for (size_t at = 0; at < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[at]);
        const size_t length = c >= 0x81 && c <= 0xFE && at + 1 < bytes.size() && bytes[at + 1] != '\0' ? 2 : 1;
        chars.push_back(bytes.substr(at, length));
        at += length;
    }
    return chars;
}

std::string Joined(Chars::const_iterator begin, Chars::const_iterator end) {
    std::string bytes;
    for (; begin != end; ++begin) bytes += *begin;
    return bytes;
}

bool Is(std::string_view c, char ascii) { return c.size() == 1 && c[0] == ascii; }

// Tab, LF, VT, FF, CR, Ctrl-Z and space go at the ends of lines and names.
bool IsTrimmed(std::string_view c) {
    return c.size() == 1 && ((c[0] >= 0x09 && c[0] <= 0x0D) || c[0] == 0x1A || c[0] == ' ');
}

Chars Trimmed(Chars chars) {
    while (!chars.empty() && IsTrimmed(chars.back())) chars.pop_back();
    const auto first = std::find_if(chars.begin(), chars.end(), [](std::string_view c) { return !IsTrimmed(c); });
    return Chars(first, chars.end());
}

// A name as it is compared: up to its first NUL.
std::string NameOf(const Chars& chars) {
    const auto nul = std::find_if(chars.begin(), chars.end(), [](std::string_view c) { return Is(c, '\0'); });
    return Joined(chars.begin(), nul);
}

struct Line {
    std::string_view text;
    std::string_view ending;  // CRLF, LF, CR, or nothing on a last line
    Chars chars;              // of the text
    std::string whole() const { return std::string(text) + std::string(ending); }
};

// Lines end at a CR or LF that is a character of its own.
std::vector<Line> SplitLines(std::string_view bytes) {
    std::vector<Line> lines;
    const Chars chars = Characters(bytes);
    Line line;
    size_t begin = 0, at = 0;
    for (size_t i = 0; i < chars.size(); ++i) {
        const bool cr = Is(chars[i], '\r');
        if (!cr && !Is(chars[i], '\n')) {
            line.chars.push_back(chars[i]);
            at += chars[i].size();
            continue;
        }
        const size_t ending = cr && i + 1 < chars.size() && Is(chars[i + 1], '\n') ? 2 : 1;
        i += ending - 1;
        line.text = bytes.substr(begin, at - begin);
        line.ending = bytes.substr(at, ending);
        lines.push_back(std::move(line));
        line = Line{};
        begin = at = at + ending;
    }
    if (begin < bytes.size()) {
        line.text = bytes.substr(begin);
        lines.push_back(std::move(line));
    }
    return lines;
}

bool SameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// A line that begins with "[" and holds a "]" heads a section, named by what
// stands between the "[" and the last "]".
bool IsHeader(const Line& line, std::string& name) {
    const Chars text = Trimmed(line.chars);
    if (text.empty() || !Is(text.front(), '[')) return false;
    for (size_t close = text.size() - 1; close > 0; --close) {
        if (!Is(text[close], ']')) continue;
        name = NameOf(Trimmed(Chars(text.begin() + 1, text.begin() + static_cast<std::ptrdiff_t>(close))));
        return true;
    }
    return false;
}

// Every other non-blank line is a key line: its name before the first "=",
// or the whole line when it has none.
std::string KeyName(const Line& line) {
    const Chars text = Trimmed(line.chars);
    const auto equals = std::find_if(text.begin(), text.end(), [](std::string_view c) { return Is(c, '='); });
    return NameOf(Trimmed(Chars(text.begin(), equals)));
}

// What of a key line the save keeps: up to its "=", or where it has none,
// up to the end of its name (the name ends at a NUL) and an "=" added.
std::string KeptOfKeyLine(const Line& line) {
    const Chars text = Trimmed(line.chars);
    const auto equals = std::find_if(text.begin(), text.end(), [](std::string_view c) { return Is(c, '='); });
    const auto upTo = [&](std::string_view c) {
        return std::string(line.text.substr(0, static_cast<size_t>(c.data() + c.size() - line.text.data())));
    };
    if (equals != text.end()) return upTo(*equals);
    const auto nul = std::find_if(text.begin(), text.end(), [](std::string_view c) { return Is(c, '\0'); });
    return upTo(*(nul - 1)) + "=";
}

// The first SETTING section: its header, and for each key the lines within
// it that name the key, in file order.
struct Section {
    bool found = false;
    std::array<std::vector<size_t>, kKeyCount> keyLines;
};

Section FirstSettingSection(const std::vector<Line>& lines) {
    Section section;
    std::string name;
    size_t i = 0;
    while (i < lines.size() && !(IsHeader(lines[i], name) && SameName(name, "SETTING"))) ++i;
    if (i == lines.size()) return section;
    section.found = true;
    for (++i; i < lines.size() && !IsHeader(lines[i], name); ++i) {
        if (Trimmed(lines[i].chars).empty()) continue;
        const std::string key = KeyName(lines[i]);
        for (size_t k = 0; k < kKeyCount; ++k) {
            if (SameName(key, kSettingKeys[k].name)) section.keyLines[k].push_back(i);
        }
    }
    return section;
}

// A value the reader would take a pair of quotes off is written inside one
// more pair.
bool WrittenInQuotes(std::string_view value) {
    const Chars text = Trimmed(Characters(value));
    return text.size() >= 2 && (Is(text.front(), '"') || Is(text.front(), '\'')) && text.back() == text.front();
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
    const auto list = [](const std::vector<std::wstring>& items) {
        std::string value = items.empty() ? "" : "|";
        for (const auto& item : items) value += *settings::EncodeGbk(item) + "|";
        return value;
    };
    const auto text = [](const std::wstring& given) {
        const std::string bytes = *settings::EncodeGbk(given);
        if (!WrittenInQuotes(bytes)) return bytes;
        const char quote = Trimmed(Characters(bytes)).front()[0];
        return quote + bytes + quote;
    };
    std::array<std::string, kKeyCount> values;
    for (size_t k = 0; k < kKeyCount; ++k) {
        const settings::SettingKey& key = kSettingKeys[k];
        if (key.flag) values[k] = record.*key.flag ? "True" : "False";
        if (key.text) values[k] = text(record.*key.text);
        if (key.list) values[k] = list(record.*key.list);
    }
    return values;
}

// What a load gives back for a stored record: the redirect text as given
// when it is written in quotes, otherwise without what the reader trims at
// its ends; a list item split at each "|" in it.
ProtectionSettings AsReadBack(ProtectionSettings record) {
    const std::string redirect = *settings::EncodeGbk(record.redirectFile);
    if (!WrittenInQuotes(redirect)) {
        const Chars trimmed = Trimmed(Characters(redirect));
        record.redirectFile = settings::DecodeGbk(Joined(trimmed.begin(), trimmed.end()));
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
        std::string line = std::string(kSettingKeys[k].name) + "=";
        if (!oldLines.empty()) {
            owned[oldLines.front()] = true;
            line = KeptOfKeyLine(old[oldLines.front()]);
        }
        line += values[k] + "\r\n";
        written.push_back(line);
        if (is.keyLines[k].size() != std::max<size_t>(1, oldLines.size())) {
            Fail("each key stands once in the first SETTING section (or as often as it stood before)",
                 std::string(kSettingKeys[k].name) + ": " + std::to_string(oldLines.size()) + " before, " +
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

    // Saved as the editor saves: with the values its load saw, against which
    // it looks for another program's change. Here there is none.
    settings::SeenValues seen;
    const ProtectionSettings loaded = settings::LoadSettings(directory, &seen);
    ProtectionSettings record = loaded;
    if (marker != std::string_view::npos) {
        const std::string_view tail = input.substr(marker + kRecordMarker.size());
        FuzzedDataProvider draw(reinterpret_cast<const uint8_t*>(tail.data()), tail.size());
        record = DrawRecord(draw);
    }

    const auto result = settings::SaveSettings(record, directory, &seen).result;
    Check(result != settings::SaveResult::ChangedElsewhere, "a file nobody else changed is no other program's change");
    const bool saved = result == settings::SaveResult::Saved;
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

    Check(settings::SaveSettings(record, directory, &seen).result == settings::SaveResult::Saved,
          "the same record saves again, the file as the save left it");
    CheckOnlyConfigIni();
    Check(ReadFile(config) == after, "saving the same record again changes no byte");
    return 0;
}
