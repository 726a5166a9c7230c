// The editor's reading and writing of Config.ini against the platform's
// profile reader, GetPrivateProfileStringA under code page 936, through which
// the filter reads the file: Wine's implementation under Wine, Windows' own
// on Windows.
//
// Read side: every key of odd, damaged and randomly mutated files, as the
// editor reads it and as the profile reader does. Write side: records saved
// into such files, then read by the profile reader, whole and through the
// filter's 1000-byte buffer. A disagreement names the key and prints the
// smallest file that still shows it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "byte_order.h"
#include "gbk_text.h"
#include "ini_document.h"
#include "settings_store.h"
#include "test_files.h"

namespace {

using testing_files::Escaped;

namespace fs = std::filesystem;
using namespace std::string_literals;
using settings::ProtectionSettings;

constexpr size_t kKeyCount = settings::kSettingKeyCount;
// The key names, in the order the store writes them.
const char* KeyName(size_t k) { return settings::kSettingKeys[k].name; }
// The defaults the filter reads for a missing key.
const char* DefaultOf(size_t k) { return settings::kSettingKeys[k].flag ? "False" : ""; }

constexpr UINT kGbk = 936;

// Bytes through the conversions the profile reader makes: the file into
// UTF-16, the value back into code page 936.
std::string RoundTrip(std::string_view bytes) {
    if (bytes.empty()) return {};
    std::wstring wide(bytes.size(), L'\0');
    wide.resize(MultiByteToWideChar(kGbk, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    std::string back(wide.size() * 2, '\0');
    back.resize(WideCharToMultiByte(kGbk, 0, wide.data(), static_cast<int>(wide.size()), back.data(),
                                    static_cast<int>(back.size()), nullptr, nullptr));
    return back;
}

// A directory with Config.ini, read by the profile reader.
class ProfileFile {
public:
    ProfileFile() {
        const std::wstring wide = dir_.config().native();
        path_.resize(wide.size() * 2 + 1);
        path_.resize(WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, path_.data(), static_cast<int>(path_.size()),
                                         nullptr, nullptr));
        path_.pop_back();  // the NUL
    }

    const testing_files::TempDir& dir() const { return dir_; }

    // (The profile reader keeps no copy of a file written in the last two
    // seconds: each file is read afresh.)
    void Write(const std::string& bytes) { testing_files::WriteBytes(dir_.config(), bytes); }

    // The key's value as the filter reads it through a buffer of `size`
    // bytes; by default one that holds any value of the file whole. Where the
    // last character did not fit, the buffer's own byte (0x01) stands there.
    std::string Read(size_t k, size_t size = 0) const {
        if (size == 0) size = static_cast<size_t>(fs::file_size(dir_.config())) + 16;
        std::string buffer(size, '\x01');
        const DWORD n = GetPrivateProfileStringA("SETTING", KeyName(k), DefaultOf(k), buffer.data(),
                                                 static_cast<DWORD>(size), path_.c_str());
        buffer.resize(n);
        return buffer;
    }

private:
    testing_files::TempDir dir_;
    std::string path_;
};

// What the editor reads for each key, as bytes that the profile reader would
// give for the same value: a file in another coding is read through GBK,
// as the editor loads it.
std::array<std::string, kKeyCount> EditorValues(const std::string& file) {
    std::string bytes = file;
    if (const auto coding = settings::CodingOf(bytes); coding != settings::FileCoding::Gbk) {
        bytes = settings::EncodeGbkLossy(settings::DecodeMarkedText(bytes, coding));
    }
    const settings::IniDocument document(std::move(bytes));
    std::array<std::string, kKeyCount> values;
    for (size_t k = 0; k < kKeyCount; ++k) {
        const auto value = document.Get("SETTING", KeyName(k));
        values[k] = RoundTrip(value ? *value : DefaultOf(k));
    }
    return values;
}

// The record the filter's values mean, by the rules the editor loads with.
ProtectionSettings RecordOf(const std::array<std::string, kKeyCount>& values) {
    ProtectionSettings record;
    record.enabled = settings::ParseBooleanText(values[0]);
    record.protectJpg = settings::ParseBooleanText(values[1]);
    record.protectGif = settings::ParseBooleanText(values[2]);
    record.protectJpeg = settings::ParseBooleanText(values[3]);
    record.redirectFile = settings::DecodeGbk(values[4]);
    record.freePaths = settings::SplitItemList(settings::DecodeGbk(values[5]));
    record.friendUrls = settings::SplitItemList(settings::DecodeGbk(values[6]));
    return record;
}

bool HasReplacement(const std::wstring& text) { return text.find(L'\uFFFD') != std::wstring::npos; }
bool HasReplacement(const std::vector<std::wstring>& items) {
    return std::any_of(items.begin(), items.end(), [](const std::wstring& item) { return HasReplacement(item); });
}

// The first key on which the editor and the profile reader disagree about
// the file, with both readings; nothing when they agree. Beside the bytes,
// the editor's loaded record must be what the profile reader's values mean,
// but for text the editor shows as U+FFFD: bytes that are no GBK, which it
// never writes back.
struct Disagreement {
    std::string key, editor, reader;
};

std::optional<Disagreement> Compare(ProfileFile& profile, const std::string& file) {
    profile.Write(file);
    const auto editor = EditorValues(file);
    std::array<std::string, kKeyCount> reader;
    for (size_t k = 0; k < kKeyCount; ++k) {
        reader[k] = profile.Read(k);
        if (editor[k] != reader[k]) return Disagreement{KeyName(k), editor[k], reader[k]};
    }
    const ProtectionSettings loaded = settings::LoadSettings(profile.dir().path());
    const ProtectionSettings meant = RecordOf(reader);
    const bool flags = loaded.enabled == meant.enabled && loaded.protectJpg == meant.protectJpg &&
                       loaded.protectGif == meant.protectGif && loaded.protectJpeg == meant.protectJpeg;
    if (!flags) return Disagreement{"the loaded flags", "", ""};
    if (loaded.redirectFile != meant.redirectFile && !HasReplacement(loaded.redirectFile)) {
        return Disagreement{"the loaded RedirectFile", "", ""};
    }
    if (loaded.freePaths != meant.freePaths && !HasReplacement(loaded.freePaths)) {
        return Disagreement{"the loaded FreePath", "", ""};
    }
    if (loaded.friendUrls != meant.friendUrls && !HasReplacement(loaded.friendUrls)) {
        return Disagreement{"the loaded FriendUrl", "", ""};
    }
    return std::nullopt;
}

// The file cut down, a piece at a time, while `disagrees` still holds.
std::string Minimize(std::string file, const std::function<bool(const std::string&)>& disagrees) {
    for (size_t chunk = std::max<size_t>(file.size() / 2, 1);; chunk /= 2) {
        for (size_t at = 0; at < file.size();) {
            std::string smaller = file;
            smaller.erase(at, chunk);
            if (disagrees(smaller)) {
                file = std::move(smaller);
            } else {
                at += chunk;
            }
        }
        if (chunk == 1) return file;
    }
}

void ExpectAgreement(ProfileFile& profile, const std::string& name, const std::string& file) {
    const auto found = Compare(profile, file);
    if (!found) return;
    const std::string minimal =
        Minimize(file, [&](const std::string& f) { return Compare(profile, f).has_value(); });
    const auto shown = Compare(profile, minimal);
    ADD_FAILURE() << name << ": the editor and the profile reader disagree on " << found->key
                  << "\n  editor: " << Escaped(found->editor) << "\n  reader: " << Escaped(found->reader)
                  << "\n  smallest file that disagrees (on " << (shown ? shown->key : "?")
                  << "): " << Escaped(minimal);
}

// The hand-made files of the fuzzing corpus: what a hand or another program
// may have left. (An input there may carry a record after "@record@".)
std::vector<std::pair<std::string, std::string>> CorpusFiles() {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : fs::directory_iterator(fs::path(exe).parent_path() / "profile-corpus")) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bytes = bytes.substr(0, bytes.rfind("@record@"));
        files.emplace_back(entry.path().filename().string(), bytes);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Files where the editor once read what the filter does not.
const std::vector<std::pair<std::string, std::string>> kOddFiles = {
    {"key line without sign first", "[SETTING]\r\nSTART\r\nSTART=True\r\n"},
    {"comment after the header", "[SETTING] ; note [x]\r\nSTART=True\r\n"},
    {"doubled bracket", "[SETTING]]\r\nSTART=True\r\n"},
    {"unclosed headers inside", "[SETTING]\r\n[\r\n[Other\r\nSTART=True\r\n"},
    {"control characters at the ends", "[SETTING]\r\nSTART=\v\f\x1ATrue\x1A\f\v\r\nRedirectFile=\f/x.gif\v\r\n"},
    {"NUL in names and values", "[SETTING]\r\nST\0ART=True\r\nSTART\0x=1\r\nRedirectFile=a \0b\r\n"s},
    {"lead byte before LF", "[SETTING]\nSTART=True\nRedirectFile=/a\x81\nFreePath=|/x|\n"},
    {"lead byte before CRLF", "[SETTING]\r\nRedirectFile=/a\xB7\r\nFreePath=|/x|\r\n"},
    {"quoted redirect", "[SETTING]\r\nRedirectFile=\"/x.gif\"\r\nFreePath=\"|/a|\"\r\n"},
};

std::string Mutated(std::string file, std::mt19937& random) {
    static const std::vector<std::string> kTokens = {
        "\r", "\n", "\r\n", "[", "]", "=", "\"", "'", " ", "\t", "\v", "\f", "\x1A", std::string(1, '\0'),
        "\x81", "\xFE", "\xFF", "\x80", "|", ";", "[SETTING]", "SETTING", "START", "RedirectFile", "FreePath",
        "\xB7\xC0", "\xA1\xA1", "True", "0", "\r\n[SETTING]\r\n"};
    const auto position = [&] { return file.empty() ? 0 : random() % (file.size() + 1); };
    for (int steps = 1 + static_cast<int>(random() % 4); steps > 0; --steps) {
        const size_t at = position();
        switch (random() % 6) {
            case 0: file.insert(at, kTokens[random() % kTokens.size()]); break;
            case 1: file.erase(at, random() % 4); break;
            case 2:
                if (at < file.size()) file[at] = kTokens[random() % kTokens.size()][0];
                break;
            case 3: file.insert(at, file.substr(position(), random() % 24)); break;
            case 4: file.insert(at, 1, static_cast<char>(random())); break;
            default: file.resize(std::max(at, file.size() / 2)); break;
        }
    }
    return file;
}

// Files in GBK to mutate: the corpus's and the odd ones.
std::vector<std::string> GbkFiles() {
    std::vector<std::string> files;
    for (const auto& [name, bytes] : CorpusFiles()) {
        if (settings::CodingOf(bytes) == settings::FileCoding::Gbk) files.push_back(bytes);
    }
    for (const auto& [name, bytes] : kOddFiles) files.push_back(bytes);
    return files;
}

TEST(ProfileDifferential, RunsUnderCodePage936) { ASSERT_EQ(GetACP(), kGbk); }

TEST(ProfileDifferential, TheEditorReadsOddFilesAsTheFilterDoes) {
    ProfileFile profile;
    for (const auto& [name, bytes] : CorpusFiles()) ExpectAgreement(profile, name, bytes);
    for (const auto& [name, bytes] : kOddFiles) ExpectAgreement(profile, name, bytes);
}

TEST(ProfileDifferential, TheEditorReadsRandomlyDamagedFilesAsTheFilterDoes) {
    ProfileFile profile;
    const auto files = GbkFiles();
    std::mt19937 random(20261207);
    for (int i = 0; i < 2000 && !HasFailure(); ++i) {
        const std::string& base = files[random() % files.size()];
        ExpectAgreement(profile, "mutation " + std::to_string(i), Mutated(base, random));
    }
}

// ---- Write side -------------------------------------------------------------

// Texts of every kind the window may hold: the signs that mean something in
// the file, blanks of every sort, GBK's own characters.
std::wstring RandomText(std::mt19937& random) {
    static const std::wstring kSigns = L" \t\v\f\x1A|\"'[]=;/.\u3000\u20AC";
    std::wstring text(random() % 13, L'\0');
    for (auto& c : text) {
        switch (random() % 4) {
            case 0: c = kSigns[random() % kSigns.size()]; break;
            case 1: c = static_cast<wchar_t>(0x21 + random() % 0x5E); break;
            case 2: c = static_cast<wchar_t>(0x4E00 + random() % 0x51A6); break;  // CJK, all in GBK
            default: c = static_cast<wchar_t>(L'a' + random() % 26); break;
        }
    }
    static const wchar_t* kWrappers[] = {L"", L"", L"\"", L"'", L"\t\"", L"\"\t"};
    const std::wstring wrapper = kWrappers[random() % 6];
    return wrapper + text + std::wstring(wrapper.rbegin(), wrapper.rend());
}

ProtectionSettings RandomRecord(std::mt19937& random) {
    ProtectionSettings record;
    record.enabled = random() % 2;
    record.protectJpg = random() % 2;
    record.protectGif = random() % 2;
    record.protectJpeg = random() % 2;
    record.redirectFile = RandomText(random);
    for (auto* items : {&record.freePaths, &record.friendUrls}) {
        items->resize(random() % 5 == 0 ? 40 + random() % 80 : random() % 6);
        for (auto& item : *items) item = RandomText(random);
    }
    return record;
}

std::vector<ProtectionSettings> TypedRecords() {
    std::vector<ProtectionSettings> records(10);
    records[1] = {true, true, true, true, L"/防盗链.gif", {L"/img", L"/图片"}, {L"www.example.com"}};
    records[2].redirectFile = L"\"/x.gif\"";
    records[2].freePaths = {L"\"/q\"", L"'", L""};
    records[3].redirectFile = L"' /y.gif '";
    records[3].friendUrls = {L"[SETTING]", L"START=True", L";x", L" a b "};
    // Lists past the filter's 999 bytes: 60 sites of 20 bytes, 500 of 6.
    for (int i = 0; i < 60; ++i) records[4].friendUrls.push_back(L"www.site" + std::to_wstring(1000 + i) + L".com.cn");
    for (int i = 0; i < 500; ++i) records[4].freePaths.push_back(L"/图" + std::to_wstring(100 + i));
    // Redirect texts at the limit, quoted and not.
    records[4].redirectFile = L"\"" + std::wstring(997, L'a') + L"\"";
    records[5].redirectFile = L"\"" + std::wstring(999, L'b') + L"\"";
    records[5].freePaths = {std::wstring(998, L'c'), L"/after"};
    // Values ending at the filter's 999th byte and at the 1000th, a
    // double-byte character at the cut; all but one byte double-byte, where
    // a count of characters goes wrong.
    const auto text = [](size_t ascii, size_t chinese) { return std::wstring(ascii, L'a') + std::wstring(chinese, L'图'); };
    records[6] = {false, false, false, false, text(997, 1), {text(995, 1)}, {text(1, 498)}};
    records[7] = {false, false, false, false, text(998, 1), {text(996, 1)}, {text(0, 499)}};
    records[8].redirectFile = text(0, 500);
    records[8].freePaths = {text(1, 497), L"/after"};
    // 999 bytes in quotes, double-byte within: far fewer than 999
    // characters, so the reader keeps all of it.
    records[9].redirectFile = L"\"" + text(1, 498) + L"\"";
    return records;
}

// The pieces the format makes of items: an item that holds "|" is more than one.
std::vector<std::wstring> Pieces(const std::vector<std::wstring>& items, size_t count) {
    std::vector<std::wstring> pieces;
    for (size_t i = 0; i < count; ++i) {
        size_t start = 0;
        for (size_t bar; (bar = items[i].find(L'|', start)) != std::wstring::npos; start = bar + 1) {
            pieces.push_back(items[i].substr(start, bar - start));
        }
        pieces.push_back(items[i].substr(start));
    }
    return pieces;
}

std::string Trimmed(const std::string& value) {
    const char* kTrimmed = "\t\n\v\f\r\x1A ";
    const size_t first = value.find_first_not_of(kTrimmed);
    return first == std::string::npos ? std::string() : value.substr(first, value.find_last_not_of(kTrimmed) - first + 1);
}

// Saves the record into the file and reads every key back through the
// profile reader; false, with a failure reported, when it reads otherwise
// than the window meant.
bool SavedAsMeant(ProfileFile& profile, const std::string& file, const ProtectionSettings& record) {
    profile.Write(file);
    const settings::SaveReport report = settings::SaveSettings(record, profile.dir().path());
    if (report.result == settings::SaveResult::OtherCoding) return true;  // never written
    EXPECT_EQ(report.result, settings::SaveResult::Saved);
    if (report.result != settings::SaveResult::Saved) return false;
    std::vector<std::string> wrong;
    const bool flags[] = {record.enabled, record.protectJpg, record.protectGif, record.protectJpeg};
    for (size_t k = 0; k < 4; ++k) {
        if (profile.Read(k) != (flags[k] ? "True" : "False")) wrong.push_back(KeyName(k));
    }
    // Blanks and control characters at the redirect text's ends are the
    // reader's to trim, unless the text is written in quotes.
    const std::string redirect = *settings::EncodeGbk(record.redirectFile);
    const std::string redirectRead = profile.Read(4);
    if (redirectRead != redirect && (settings::IsWrittenInQuotes(redirect) || redirectRead != Trimmed(redirect))) {
        wrong.push_back("RedirectFile");
    }
    const std::string redirectFiltered = profile.Read(4, settings::kFilterReadLimit + 1);
    if ((redirectFiltered == redirectRead) != report.reading.redirectFileWhole) {
        wrong.push_back("RedirectFile through the filter's buffer");
    }
    const std::vector<std::wstring>* lists[] = {&record.freePaths, &record.friendUrls};
    const size_t read[] = {report.reading.freePathsRead, report.reading.friendUrlsRead};
    for (size_t i = 0; i < 2; ++i) {
        const std::vector<std::wstring>& items = *lists[i];
        if (settings::SplitItemList(settings::DecodeGbk(profile.Read(5 + i))) != Pieces(items, items.size())) {
            wrong.push_back(KeyName(5 + i));
        }
        // Through the buffer: the pieces of the items the save counts as
        // read, and of the next item at most those before the cut.
        std::string filtered = profile.Read(5 + i, settings::kFilterReadLimit + 1);
        if (!filtered.empty() && filtered.back() == '\x01') filtered.pop_back();  // a character cut in two
        const auto pieces = settings::SplitItemList(settings::DecodeGbk(filtered));
        const auto all = Pieces(items, items.size());
        const size_t whole = Pieces(items, read[i]).size();
        const size_t before = read[i] < items.size() ? Pieces(items, read[i] + 1).size() : whole + 1;
        if (pieces.size() < whole || pieces.size() >= before || !std::equal(pieces.begin(), pieces.end(), all.begin())) {
            wrong.push_back(std::string(KeyName(5 + i)) + " through the filter's buffer");
        }
    }
    if (wrong.empty()) return true;
    std::string keys;
    for (const auto& key : wrong) keys += " " + key;
    ADD_FAILURE() << "after a save the profile reader reads otherwise than the window meant:" << keys
                  << "\n  into: " << Escaped(file) << "\n  saved: " << Escaped(testing_files::ReadBytes(profile.dir().config()));
    return false;
}

TEST(ProfileDifferential, SavesMakeTheFilterReadWhatTheWindowShows) {
    ProfileFile profile;
    std::vector<std::string> files = GbkFiles();
    std::mt19937 random(7);
    const size_t plain = files.size();
    for (size_t i = 0; i < 30; ++i) files.push_back(Mutated(files[random() % plain], random));
    for (const auto& file : files) {
        for (const auto& record : TypedRecords()) {
            if (!SavedAsMeant(profile, file, record)) return;
        }
        for (int i = 0; i < 2; ++i) {
            if (!SavedAsMeant(profile, file, RandomRecord(random))) return;
        }
    }
}

}  // namespace
