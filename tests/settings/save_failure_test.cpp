// A save that fails after the new content is ready: the old file stays as it
// was, byte for byte, and no temporary file is left beside it.
#include "settings_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_files.h"

#ifdef _WIN32
#include <windows.h>

#include "handles.h"
#else
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

using settings::ProtectionSettings;
using settings::SaveSettings;
using testing_files::Entries;
using testing_files::ReadBytes;
using testing_files::TempDir;
using testing_files::WriteBytes;

const std::string kStored = "[SETTING]\r\nSTART=True\r\nFreePath=|/img|\r\n; kept\r\n";

ProtectionSettings Changed() {
    ProtectionSettings record;
    record.freePaths = {L"/new"};
    return record;
}

#ifndef _WIN32
// Marks a file or directory immutable: nobody, root included, may replace the
// file, or add or remove a name in the directory. Needs a file system that
// supports it and root; a plain user gets the same from the mode bits.
class Immutable {
public:
    explicit Immutable(const std::filesystem::path& path) : path_(path) { ok_ = Set(true); }
    ~Immutable() {
        if (ok_) Set(false);
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
    }
    bool ok() const { return ok_; }

private:
    bool Set(bool on) {
        if (::geteuid() != 0) {
            using std::filesystem::perms;
            const auto write = perms::owner_write | perms::group_write | perms::others_write;
            std::error_code error;
            std::filesystem::permissions(std::filesystem::is_directory(path_) ? path_ : path_.parent_path(), write,
                                         on ? std::filesystem::perm_options::remove
                                            : std::filesystem::perm_options::add,
                                         error);
            return !error;
        }
        const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }

    std::filesystem::path path_;
    bool ok_ = false;
};

// A directory that refuses new files, so that no temporary file can be
// written; and an old file that refuses to be replaced, so that the
// temporary file is written but cannot take its place.
TEST(SaveFailure, LockedDirectoryOrFile) {
    for (const bool lockFile : {false, true}) {
        SCOPED_TRACE(lockFile ? "the file locked" : "the directory locked");
        TempDir dir;
        WriteBytes(dir.config(), kStored);
        {
            Immutable locked(lockFile ? dir.config() : dir.path());
            if (!locked.ok()) GTEST_SKIP() << "this file system cannot lock a file or directory";
            EXPECT_FALSE(SaveSettings(Changed(), dir.path()));
        }
        EXPECT_EQ(ReadBytes(dir.config()), kStored);
        EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"Config.ini"});
    }
}

TEST(SaveFailure, ReplacedFileKeepsItsMode) {
    TempDir dir;
    WriteBytes(dir.config(), kStored);
    std::filesystem::permissions(dir.config(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                                   std::filesystem::perms::group_read);
    ASSERT_TRUE(SaveSettings(Changed(), dir.path()));
    EXPECT_EQ(std::filesystem::status(dir.config()).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
}
#else
TEST(SaveFailure, FileHeldOpenWithoutSharing) {
    TempDir dir;
    WriteBytes(dir.config(), kStored);
    handles::FileHandle held(CreateFileW(dir.config().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.valid());
    EXPECT_FALSE(SaveSettings(Changed(), dir.path()));
    held.Close();
    EXPECT_EQ(ReadBytes(dir.config()), kStored);
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"Config.ini"});
}
#endif

}  // namespace
