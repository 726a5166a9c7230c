// A save cut short leaves its temporary file beside Config.ini. The next save
// removes such files once they are old, and nothing else: not a young one,
// which may be another save at work, no other name, and nothing at all when
// the save is refused.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "settings_store.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;
using settings::ProtectionSettings;
using settings::SaveSettings;
using testing_files::Entries;
using testing_files::TempDir;
using testing_files::WriteBytes;

const std::string kTorn = "[SETTING]\r\nSTART=True\r\nFreeP";

void Age(const fs::path& path) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(2));
}

TEST(AbandonedTemporaries, TheNextSaveRemovesOldOnesOfItsOwnName) {
    for (const bool configExists : {true, false}) {
        SCOPED_TRACE(configExists ? "replacing Config.ini" : "creating Config.ini");
        TempDir dir;
        if (configExists) WriteBytes(dir.config(), "[SETTING]\r\nSTART=True\r\n");
        for (const char* name : {"Config.ini.0123abcd.tmp", "Config.ini.ffffffff.tmp", "Config.ini.00000000.tmp"}) {
            WriteBytes(dir.path() / name, kTorn);
            Age(dir.path() / name);
        }
        ASSERT_TRUE(SaveSettings(ProtectionSettings{}, dir.path()));
        EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"Config.ini"});
        EXPECT_EQ(settings::LoadSettings(dir.path()), ProtectionSettings{});
    }
}

TEST(AbandonedTemporaries, EverythingElseStays) {
    TempDir dir;
    WriteBytes(dir.config(), "[SETTING]\r\nSTART=True\r\n");
    const std::vector<std::string> oldNames = {
        "Config.ini.tmp",          "Config.ini.0123abc.tmp",     "Config.ini.0123abcde.tmp",
        "Config.ini.0123ABCD.tmp", "Config.ini.0123abcg.tmp",    "Config.ini.0123abcd.tmp.bak",
        "Config.ini.0123abce.TMP", "Config.ini.0123abcf.txt",    "Config.ini0123abcd.tmp",
        "Other.ini.0123abcd.tmp",  "xConfig.ini.0123abcd.tmp",   "Config.ini.0123-bcd.tmp",
    };
    for (const auto& name : oldNames) {
        WriteBytes(dir.path() / name, kTorn);
        Age(dir.path() / name);
    }
    // Of the right name, but young: perhaps another save at work.
    WriteBytes(dir.path() / "Config.ini.5555aaaa.tmp", kTorn);
    // Of the right name and old, but a folder.
    fs::create_directory(dir.path() / "Config.ini.6666bbbb.tmp");
    std::error_code folderTimeNotSettable;
    fs::last_write_time(dir.path() / "Config.ini.6666bbbb.tmp",
                        fs::file_time_type::clock::now() - std::chrono::hours(2), folderTimeNotSettable);

    const auto before = Entries(dir.path());
    ASSERT_EQ(before.size(), oldNames.size() + 3);
    ASSERT_TRUE(SaveSettings(ProtectionSettings{}, dir.path()));
    EXPECT_EQ(Entries(dir.path()), before);
    for (const auto& name : oldNames) EXPECT_EQ(testing_files::ReadBytes(dir.path() / name), kTorn) << name;

    // A save refused because Config.ini is read-only touches nothing, not
    // even an old temporary file of the right name.
    WriteBytes(dir.path() / "Config.ini.7777cccc.tmp", kTorn);
    Age(dir.path() / "Config.ini.7777cccc.tmp");
    testing_files::MakeReadOnly(dir.config());
    EXPECT_FALSE(SaveSettings(ProtectionSettings{}, dir.path()));
    EXPECT_EQ(testing_files::ReadBytes(dir.path() / "Config.ini.7777cccc.tmp"), kTorn);
}

}  // namespace
