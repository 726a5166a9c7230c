// The store finds Config.ini beside the running program, wherever that is.
#include <gtest/gtest.h>

#include <string>

#include "settings_file.h"
#include "settings_store.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

fs::path ProbeProgram() {
#ifdef _WIN32
    return fs::path(settings::platform::ApplicationDirectory()) / "settings_probe.exe";
#else
    return fs::path(settings::platform::ApplicationDirectory()) / "settings_probe";
#endif
}

// Copies the probe into `directory`, runs it there and checks the file it
// saved beside itself.
void ExpectProbeSavesBesideItself(const fs::path& directory) {
    fs::create_directories(directory);
    const fs::path copy = directory / ProbeProgram().filename();
    fs::copy_file(ProbeProgram(), copy);
    ASSERT_EQ(testing_files::RunProgram(copy), 0);
    EXPECT_EQ(settings::LoadSettings(directory).redirectFile, L"/probe.gif");
    EXPECT_EQ(settings::LoadSettings(directory).freePaths, (std::vector<std::wstring>{L"/img", L"/图片"}));
}

TEST(ApplicationDirectory, IsTheFolderOfTheRunningProgramWithoutSeparator) {
    const fs::path directory = settings::platform::ApplicationDirectory();
    EXPECT_TRUE(fs::exists(ProbeProgram())) << ProbeProgram();
    const auto text = directory.native();
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), fs::path::preferred_separator);
}

TEST(ApplicationDirectory, WorksInAFolderWithChineseName) {
    testing_files::TempDir dir;
    ExpectProbeSavesBesideItself(dir.path() / "网站 根目录" / "防盗链");
}

#ifndef _WIN32
// Windows itself starts no program from so deep a folder; the store's file
// calls at such depth are tested on every platform with the other store tests.
TEST(ApplicationDirectory, WorksInAFolderPastTheOldPathLimit) {
    testing_files::TempDir dir;
    ExpectProbeSavesBesideItself(testing_files::MakeDeepDirectory(dir.path(), 300));
}
#endif

}  // namespace
