#include "settings_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_files.h"

namespace {

using namespace std::string_literals;
using settings::LoadSettings;
using settings::ProtectionSettings;
using settings::SaveSettings;
using testing_files::ReadBytes;
using testing_files::TempDir;
using testing_files::WriteBytes;

const std::string kFreshDefaults =
    "[SETTING]\r\nSTART=False\r\nProtectJpg=False\r\nProtectGif=False\r\nProtectJpeg=False\r\n"
    "RedirectFile=\r\nFreePath=\r\nFriendUrl=\r\n";

ProtectionSettings LoadFrom(const TempDir& dir, const std::string& bytes) {
    WriteBytes(dir.config(), bytes);
    return LoadSettings(dir.path());
}

TEST(SettingsStore, MissingFileLoadsDefaultsAndSavesTheSevenKeys) {
    TempDir dir;
    EXPECT_EQ(LoadSettings(dir.path()), ProtectionSettings{});
    ASSERT_TRUE(SaveSettings(LoadSettings(dir.path()), dir.path()));
    EXPECT_EQ(ReadBytes(dir.config()), kFreshDefaults);
    EXPECT_EQ(testing_files::Entries(dir.path()), std::vector<std::string>{"Config.ini"});
}

TEST(SettingsStore, SavesTheExactTextOfEveryKeyInGbk) {
    TempDir dir;
    ProtectionSettings record;
    record.enabled = true;
    record.protectGif = true;
    record.protectJpeg = true;
    record.redirectFile = L"/防盗链.gif";
    record.freePaths = {L"/img", L"/pic"};
    record.friendUrls = {L"www.example.com"};
    ASSERT_TRUE(SaveSettings(record, dir.path()));
    EXPECT_EQ(ReadBytes(dir.config()),
              "[SETTING]\r\nSTART=True\r\nProtectJpg=False\r\nProtectGif=True\r\nProtectJpeg=True\r\n"
              "RedirectFile=/\xB7\xC0\xB5\xC1\xC1\xB4.gif\r\nFreePath=|/img|/pic|\r\nFriendUrl=|www.example.com|\r\n");
}

TEST(SettingsStore, RecordsRoundTrip) {
    const std::wstring longItem(3000, L'图');  // 6,000 bytes: far past any fixed read buffer
    std::vector<std::wstring> manyItems;
    for (int i = 0; i < 500; ++i) manyItems.push_back(L"/目录" + std::to_wstring(i));

    std::vector<ProtectionSettings> records(6);
    records[1].enabled = records[1].protectJpg = records[1].protectGif = records[1].protectJpeg = true;
    records[2].redirectFile = L"\u3000/ideographic-space.gif\u3000";  // U+3000 is no blank
    records[2].freePaths = {L"/€", L"/a b", L"\t/tab"};
    records[3].freePaths = {L""};  // one empty item: "||"
    records[3].friendUrls = {L"", L"", L"x"};
    records[4].freePaths = {longItem, L"/after"};
    records[4].friendUrls = manyItems;
    records[5].redirectFile = L"http://example.com/no.gif";
    records[5].friendUrls = {L"HTTP://www.example.com", L"例子.中国"};

    // Saved into Config.ini, and exported into a file of their own, which
    // holds what a save into an empty folder writes.
    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        TempDir dir;
        ASSERT_TRUE(SaveSettings(records[i], dir.path()));
        EXPECT_EQ(LoadSettings(dir.path()), records[i]);
        const auto exported = dir.path() / "policy.ini";
        ASSERT_TRUE(settings::ExportSettings(records[i], exported));
        EXPECT_EQ(ReadBytes(exported), ReadBytes(dir.config()));
        EXPECT_EQ(settings::LoadSettingsFile(exported), records[i]);
    }
}

TEST(SettingsStore, ListsReadTheItemsBetweenTheFirstAndLastBar) {
    const struct {
        std::string value;
        std::vector<std::wstring> items;
    } cases[] = {
        {"|a|b|", {L"a", L"b"}},
        {"|a|b", {L"a"}},
        {"a|b|", {L"b"}},
        {"||", {L""}},
        {"|||", {L"", L""}},
        {"a|b", {}},
        {"/img", {}},
        {"|", {}},
        {"", {}},
        {"x|a||b|y", {L"a", L"", L"b"}},
        {"\"|a|\"", {L"a"}},  // quotes come off first
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const auto loaded = LoadFrom(dir, "[SETTING]\r\nFreePath=" + c.value + "\r\nFriendUrl=" + c.value + "\r\n");
        EXPECT_EQ(loaded.freePaths, c.items);
        EXPECT_EQ(loaded.friendUrls, c.items);
    }
}

TEST(SettingsStore, FlagsReadTrueFalseAndNumbersAndOtherwiseFalse) {
    const struct {
        const char* value;
        bool flag;
    } cases[] = {
        {"True", true},   {"TRUE", true},   {"true", true},   {"tRuE", true},     {"1", true},
        {"-1", true},     {"2.5", true},    {"0.01", true},   {"\"True\"", true}, {" 1 ", true},
        {"10", true},     {"100", true},    {"-20", true},    {"30.0", true},
        {"False", false}, {"FALSE", false}, {"0", false},     {"-0", false},      {"0.0", false},
        {"", false},      {"yes", false},   {"Tru", false},   {"1x", false},      {"1.2.3", false},
        {".", false},     {"-", false},     {"1e3", false},   {"\xB7\xC0", false},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const std::string v = c.value;
        const auto loaded = LoadFrom(
            dir, "[SETTING]\r\nSTART=" + v + "\r\nProtectJpg=" + v + "\r\nProtectGif=" + v + "\r\nProtectJpeg=" + v);
        EXPECT_EQ(loaded.enabled, c.flag);
        EXPECT_EQ(loaded.protectJpg, c.flag);
        EXPECT_EQ(loaded.protectGif, c.flag);
        EXPECT_EQ(loaded.protectJpeg, c.flag);
    }
}

TEST(SettingsStore, ReadsAHandEditedFile) {
    TempDir dir;
    const auto loaded = LoadFrom(dir,
                                 "START=True\n"  // before any section: not ours
                                 "[setting]\n"
                                 "  redirectfile =   /no.gif  \n"
                                 "protectgif=\t1\n"
                                 "FreePath=\"|/a|/b|\"\n"
                                 "[Other]\n"
                                 "ProtectJpg=True\n");
    ProtectionSettings expected;
    expected.redirectFile = L"/no.gif";
    expected.protectGif = true;
    expected.freePaths = {L"/a", L"/b"};
    EXPECT_EQ(loaded, expected);
}

TEST(SettingsStore, SaveChangesOnlyItsOwnValuesAndKeepsEveryOtherByte) {
    const struct {
        const char* name;
        std::string before;
        std::string after;
    } cases[] = {
        {"foreign keys and sections around",
         "; written by hand\r\n[Filter]\r\nLog=1\r\n[SETTING]\r\nOwner=web\r\nSTART=True\r\nExtra=\xB7\xC0\r\n\r\n"
         "[Tail]\r\nz=1\r\n",
         "; written by hand\r\n[Filter]\r\nLog=1\r\n[SETTING]\r\nOwner=web\r\nSTART=False\r\nExtra=\xB7\xC0\r\n"
         "ProtectJpg=False\r\nProtectGif=False\r\nProtectJpeg=False\r\nRedirectFile=\r\nFreePath=\r\nFriendUrl=\r\n"
         "\r\n[Tail]\r\nz=1\r\n"},
        {"lines ending in LF",
         "[Filter]\nLog=1\n[SETTING]\nSTART=True\nProtectJpg=True\nProtectGif=True\nProtectJpeg=True\n"
         "RedirectFile=x\nFreePath=|a|\nFriendUrl=|b|\nMore=2\n",
         "[Filter]\nLog=1\n[SETTING]\nSTART=False\r\nProtectJpg=False\r\nProtectGif=False\r\nProtectJpeg=False\r\n"
         "RedirectFile=\r\nFreePath=\r\nFriendUrl=\r\nMore=2\n"},
        // (Not at the very start as FF FE: that is the UTF-16 mark.)
        {"invalid GBK bytes and NUL in foreign lines",
         "\x81\xFF\xFE\r\n[SETTING]\r\nbad=\x81\x7F\xB7\r\nnul=\0x\r\n"s,
         "\x81\xFF\xFE\r\n[SETTING]\r\nbad=\x81\x7F\xB7\r\nnul=\0x\r\n"s + kFreshDefaults.substr(11)},
        {"keys twice: the first changes",
         "[SETTING]\r\nSTART=True\r\nSTART=True\r\n",
         "[SETTING]\r\nSTART=False\r\nSTART=True\r\n" + kFreshDefaults.substr(24)},
        {"section missing", "[Filter]\r\nLog=1", "[Filter]\r\nLog=1\r\n" + kFreshDefaults},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(dir.config(), c.before);
        ASSERT_TRUE(SaveSettings(ProtectionSettings{}, dir.path()));
        EXPECT_EQ(ReadBytes(dir.config()), c.after);
    }
}

TEST(SettingsStore, SaveWritesTheRedirectTextAsGivenAndLoadTrimsOnlyBlanks) {
    TempDir dir;
    ProtectionSettings record;
    record.redirectFile = L"  /no.gif  ";
    ASSERT_TRUE(SaveSettings(record, dir.path()));
    EXPECT_NE(ReadBytes(dir.config()).find("RedirectFile=  /no.gif  \r\n"), std::string::npos);
    EXPECT_EQ(LoadSettings(dir.path()).redirectFile, L"/no.gif");
}

TEST(SettingsStore, ValuesDamagedByHandLoadWithReplacementCharacters) {
    TempDir dir;
    const auto loaded = LoadFrom(dir,
                                 "[SETTING]\r\nRedirectFile=/\xFF.gif\r\nFreePath=|\xB7\xC0|\xFF|\r\n"
                                 // A lead byte takes the bar after it as its trail byte, as Windows does.
                                 "FriendUrl=|a|\x81|b|\r\n");
    EXPECT_EQ(loaded.redirectFile, L"/\uFFFD.gif");
    EXPECT_EQ(loaded.freePaths, (std::vector<std::wstring>{L"防", L"\uFFFD"}));
    EXPECT_EQ(loaded.friendUrls, (std::vector<std::wstring>{L"a", L"\u4E85b"}));
}

// Every way a save must refuse, each leaving the file as it was.
TEST(SettingsStore, RefusedSavesLeaveTheFileExactlyAsItWas) {
    const std::string stored = "[SETTING]\r\nSTART=True\r\nFreePath=|/img|\r\nLog=1";
    const struct {
        const char* name;
        bool readOnly;
        ProtectionSettings record;
    } cases[] = {
        {"read-only file", true, {}},
        {"redirect text outside GBK", false, {true, true, true, true, L"/\uD55C.gif", {}, {}}},
        {"directory outside GBK", false, {false, false, false, false, L"", {L"/img", L"/\U0001F600"}, {}}},
        {"site outside GBK", false, {false, false, false, false, L"", {}, {L"\u0628.com"}}},
        {"line break in an item", false, {false, false, false, false, L"", {L"/a\r\n[SETTING]"}, {}}},
        {"line break in the redirect text", false, {false, false, false, false, L"a\nSTART=True", {}, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        WriteBytes(dir.config(), stored);
        if (c.readOnly) testing_files::MakeReadOnly(dir.config());
        EXPECT_FALSE(SaveSettings(c.record, dir.path()));
        EXPECT_EQ(ReadBytes(dir.config()), stored);
        EXPECT_EQ(testing_files::Entries(dir.path()), std::vector<std::string>{"Config.ini"});
    }
}

TEST(SettingsStore, SaveFailsWhenConfigIniIsNoFileOrTheDirectoryIsMissing) {
    TempDir dir;
    std::filesystem::create_directory(dir.config());
    EXPECT_FALSE(SaveSettings(ProtectionSettings{}, dir.path()));
    EXPECT_TRUE(std::filesystem::is_directory(dir.config()));
    EXPECT_EQ(LoadSettings(dir.path()), ProtectionSettings{});

    EXPECT_FALSE(SaveSettings(ProtectionSettings{}, dir.path() / "missing"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing"));
}

TEST(SettingsStore, WorksInAFolderPastTheOldPathLimit) {
    TempDir dir;
    const auto deep = testing_files::MakeDeepDirectory(dir.path(), 400);
    ProtectionSettings record;
    record.friendUrls = {L"www.example.com"};
    EXPECT_EQ(LoadSettings(deep), ProtectionSettings{});
    ASSERT_TRUE(SaveSettings(record, deep));
    record.enabled = true;
    ASSERT_TRUE(SaveSettings(record, deep));  // now replacing the file
    EXPECT_EQ(LoadSettings(deep), record);
}

// Given the values it last saw, a save writes over another program's change
// only where that change means nothing new: the same setting spelled
// otherwise, or what the save writes anyway.
TEST(SettingsStore, ASaveFindsAnotherProgramsChangeSinceItLastSawTheFile) {
    using settings::SaveResult;
    using settings::SaveSettings;
    TempDir dir;
    const std::string stored = "[SETTING]\r\nSTART=True\r\nRedirectFile=/a.gif\r\nFreePath=|/img|\r\n";
    WriteBytes(dir.config(), stored);
    settings::SeenValues seen;
    ProtectionSettings record = LoadSettings(dir.path(), &seen);
    record.protectGif = true;

    struct Case {
        const char* name;
        std::string elsewhere;  // the file as another program leaves it
        SaveResult result;
    };
    const Case cases[] = {
        {"unchanged", stored, SaveResult::Saved},
        {"the same settings spelled otherwise",
         "; new\r\n[setting]\r\nSTART = true\r\nRedirectFile=\"/a.gif\"\r\nFreePath=x|/img|\r\nProtectGif=0\r\n",
         SaveResult::Saved},
        {"changed to what the save writes", stored + "ProtectGif=True\r\n", SaveResult::Saved},
        {"a flag changed", "[SETTING]\r\nSTART=False\r\nRedirectFile=/a.gif\r\nFreePath=|/img|\r\n",
         SaveResult::ChangedElsewhere},
        {"a list changed", "[SETTING]\r\nSTART=True\r\nRedirectFile=/a.gif\r\nFreePath=|/img|/pic|\r\n",
         SaveResult::ChangedElsewhere},
        {"only the last key changed", stored + "FriendUrl=|www.example.com|\r\n", SaveResult::ChangedElsewhere},
        {"the file gone", "", SaveResult::ChangedElsewhere},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.elsewhere.empty()) {
            std::filesystem::remove(dir.config());
        } else {
            WriteBytes(dir.config(), c.elsewhere);
        }
        settings::SeenValues mine = seen;
        const auto report = SaveSettings(record, dir.path(), &mine);
        EXPECT_EQ(report.result, c.result);
        if (c.result == SaveResult::Saved) continue;
        EXPECT_EQ(c.elsewhere.empty() ? !std::filesystem::exists(dir.config()) : ReadBytes(dir.config()) == c.elsewhere,
                  true)
            << "nothing written";
        // Overwriting it, once told.
        mine = report.found;
        ASSERT_EQ(SaveSettings(record, dir.path(), &mine).result, SaveResult::Saved);
        EXPECT_EQ(LoadSettings(dir.path()), record);
    }

    // After a save, what it wrote is what was seen: taking a change of one's
    // own back is no question.
    record.enabled = false;
    ASSERT_EQ(SaveSettings(record, dir.path(), &seen).result, SaveResult::Saved);
    record.enabled = true;
    EXPECT_EQ(SaveSettings(record, dir.path(), &seen).result, SaveResult::Saved);
}

TEST(SettingsStore, PathIsTheDirectoryTextJoinedWithConfigIni) {
    const auto sep = std::filesystem::path::preferred_separator;
    const std::filesystem::path dir = std::filesystem::path("a") / "目录";
    auto expected = dir.native();
    expected += sep;
    expected += std::filesystem::path("Config.ini").native();
    EXPECT_EQ(settings::SettingsFilePath(dir), expected);
}

}  // namespace
