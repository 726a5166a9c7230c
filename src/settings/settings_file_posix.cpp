#include "settings_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

namespace settings::platform {
namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = EIO;  // nothing written, and no reason given
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// A name beside `file` that nothing else uses, and the open file under it.
int CreateUniqueSibling(const std::string& file, std::string& name) {
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(entropy()));
        name = file + suffix;
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Removes the temporary files that replacements of `file` cut short left.
void RemoveAbandonedTemporaries(const std::filesystem::path& file) {
    const std::string directory = file.has_parent_path() ? file.parent_path().native() : ".";
    const std::string fileName = file.filename().native();
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(directory.c_str()), ::closedir);
    if (!listing) return;
    const time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(listing.get())) {
        if (!IsTemporaryName<char>(fileName, entry->d_name)) continue;
        struct stat info {};
        if (::fstatat(::dirfd(listing.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        // A time in the future (another clock) is no age.
        if (!S_ISREG(info.st_mode) || now < info.st_mtime || now - info.st_mtime < kAbandonedAfter.count()) continue;
        ::unlinkat(::dirfd(listing.get()), entry->d_name, 0);
    }
}

void SyncDirectoryOf(const std::string& file) {
    const auto directory = std::filesystem::path(file).parent_path();
    const int fd = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

NativePath ApplicationDirectory() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::filesystem::current_path(error).native();
    return executable.parent_path().native();
}

FileState Inspect(const NativePath& file, ErrorCode& error) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        error = static_cast<ErrorCode>(errno);
        return errno == ENOENT ? FileState::Missing : FileState::Unknown;
    }
    if (!S_ISREG(info.st_mode)) return FileState::NotAFile;
    // Checked by the mode bits themselves: root would be let through.
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return FileState::ReadOnly;
    return FileState::Writable;
}

ErrorKind KindOf(ErrorCode error) {
    constexpr CodeKind kKinds[] = {
        {EACCES, ErrorKind::NoPermission}, {EPERM, ErrorKind::NoPermission}, {EROFS, ErrorKind::NoPermission},
        {EBUSY, ErrorKind::InUse},         {ETXTBSY, ErrorKind::InUse},       {ENOSPC, ErrorKind::DiskFull},
        {EDQUOT, ErrorKind::DiskFull},
    };
    return KindIn(kKinds, error);
}

std::wstring ErrorText(ErrorCode error) {
    const std::string text = std::strerror(static_cast<int>(error));
    return std::wstring(text.begin(), text.end());  // the C locale's words are ASCII
}

bool ReadWholeFile(const NativePath& file, std::string& bytes, ErrorCode& error) {
    bytes.clear();
    Descriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        error = static_cast<ErrorCode>(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) == 0 && info.st_size > 0) bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = static_cast<ErrorCode>(errno);
            return false;
        }
        if (n == 0) return true;
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

bool ReplaceFileContents(const NativePath& file, const std::string& bytes, ErrorCode& error) {
    const std::string& target = file;
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    RemoveAbandonedTemporaries(file);

    std::string temporary;
    Descriptor fd(CreateUniqueSibling(target, temporary));
    if (fd.get() < 0) {
        error = static_cast<ErrorCode>(errno);
        return false;
    }
    bool ok = WriteAll(fd.get(), bytes);
    if (ok && existed) {
        ok = ::fchmod(fd.get(), old.st_mode & 07777) == 0;
        // Keeps the owner where we may (as root); otherwise the file is ours.
        if (ok && ::geteuid() == 0) ok = ::fchown(fd.get(), old.st_uid, old.st_gid) == 0;
    }
    ok = ok && ::fsync(fd.get()) == 0;
    if (!ok) error = static_cast<ErrorCode>(errno);
    if (!fd.Close() && ok) {
        error = static_cast<ErrorCode>(errno);
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = static_cast<ErrorCode>(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncDirectoryOf(target);
    return true;
}

}  // namespace settings::platform
