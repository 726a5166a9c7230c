// Config.ini shared with other programs, each in a process of its own: a
// reader like the filter, which must never find the file missing or half
// written while saves go on, and holders that keep it open, briefly or for
// longer than a save waits.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "gbk_text.h"
#include "handles.h"
#include "settings_store.h"
#include "test_files.h"

namespace {

using settings::ProtectionSettings;
using testing_files::ChildProcess;
using testing_files::CompanionEvents;
using testing_files::Entries;
using testing_files::ReadBytes;
using testing_files::TempDir;
using testing_files::WriteBytes;

const std::filesystem::path kSharer = testing_files::Companion(L"file_sharer.exe", HOTLINK_FILE_SHARER);

// Two records that differ in every key.
ProtectionSettings Record(bool first) {
    ProtectionSettings r;
    r.enabled = first;
    r.protectJpg = !first;
    r.protectGif = first;
    r.protectJpeg = !first;
    r.redirectFile = first ? L"/防盗链.gif" : L"/no.gif";
    r.freePaths = first ? std::vector<std::wstring>{L"/img", L"/图片"} : std::vector<std::wstring>{L"/pic"};
    r.friendUrls = first ? std::vector<std::wstring>{L"a.example.com"} : std::vector<std::wstring>{};
    return r;
}

// KEY=VALUE as the profile reader gives each value of the two records.
std::vector<std::string> Readings(const ProtectionSettings& r) {
    std::vector<std::string> readings;
    const auto flag = [](bool on) { return std::string(on ? "True" : "False"); };
    readings.push_back("START=" + flag(r.enabled));
    readings.push_back("ProtectJpg=" + flag(r.protectJpg));
    readings.push_back("ProtectGif=" + flag(r.protectGif));
    readings.push_back("ProtectJpeg=" + flag(r.protectJpeg));
    readings.push_back("RedirectFile=" + *settings::EncodeGbk(r.redirectFile));
    readings.push_back("FreePath=" + *settings::EncodeGbk(settings::JoinItemList(r.freePaths)));
    readings.push_back("FriendUrl=" + *settings::EncodeGbk(settings::JoinItemList(r.friendUrls)));
    return readings;
}

// The companion's report: "name N" lines, and "seen KEY=VALUE (N)" lines.
struct Report {
    std::map<std::string, long> counts;
    std::vector<std::string> seen;
};

Report Parse(const std::string& output) {
    Report report;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("seen ", 0) == 0) {
            report.seen.push_back(line.substr(5, line.rfind(" (") - 5));
        } else if (const size_t blank = line.find(' '); blank != std::string::npos) {
            report.counts[line.substr(0, blank)] = std::stol(line.substr(blank + 1));
        }
    }
    return report;
}

// A companion program at the file while the test goes on.
class Companion {
public:
    Companion(const std::filesystem::path& file, std::vector<std::wstring> arguments) {
        arguments.insert(arguments.begin() + 1, {file.native(), events_.name()});
        process_ = std::make_unique<ChildProcess>(kSharer, arguments);
    }
    bool Ready() const { return process_->started() && events_.WaitReady(); }
    Report Stop() {
        events_.Stop();
        EXPECT_EQ(process_->Wait(), 0) << process_->errors();
        return Parse(process_->output());
    }

private:
    CompanionEvents events_;
    std::unique_ptr<ChildProcess> process_;
};

// Saves the two records in turn; how many saves failed.
int SaveInTurns(const std::filesystem::path& dir, int saves) {
    int failed = 0;
    for (int i = 0; i < saves; ++i) failed += settings::SaveSettings(Record(i % 2 == 0), dir) ? 0 : 1;
    return failed;
}

TEST(SharedFile, AReaderNeverFindsTheFileMissingOrHalfWritten) {
    TempDir dir;
    ASSERT_TRUE(settings::SaveSettings(Record(false), dir.path()));
    Companion reader(dir.config(), {L"read"});
    ASSERT_TRUE(reader.Ready());
    EXPECT_EQ(SaveInTurns(dir.path(), 300), 0);
    const Report report = reader.Stop();

    EXPECT_GT(report.counts.at("passes"), 30) << "the reader read all along";
    std::printf("%ld passes of the reader\n", report.counts.at("passes"));
    EXPECT_EQ(report.counts.at("missing"), 0);
    EXPECT_EQ(report.counts.at("refused"), 0);
    std::vector<std::string> expected = Readings(Record(true));
    for (const auto& reading : Readings(Record(false))) expected.push_back(reading);
    for (const auto& seen : report.seen) {
        EXPECT_NE(std::find(expected.begin(), expected.end(), seen), expected.end())
            << testing_files::Escaped(seen) << " is a value of neither record";
    }
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"Config.ini"});
}

TEST(SharedFile, ABriefHolderNeverFailsASave) {
    TempDir dir;
    ASSERT_TRUE(settings::SaveSettings(Record(false), dir.path()));
    // 10 ms at a time, every 50 ms, without delete sharing.
    Companion holder(dir.config(), {L"hold", L"10", L"40"});
    ASSERT_TRUE(holder.Ready());
    EXPECT_EQ(SaveInTurns(dir.path(), 300), 0);
    const Report report = holder.Stop();
    EXPECT_GT(report.counts.at("passes"), 5) << "the holder held all along";
    EXPECT_EQ(settings::LoadSettings(dir.path()), Record(false));
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"Config.ini"});
}

// A holder that keeps the file open for longer than a save waits: the new
// file is written and flushed, and the rename over the old one refused.
TEST(SharedFile, AHolderThatStaysFailsTheSaveAtTheRenameAndTheOldFileStays) {
    TempDir dir;
    const std::string stored = "[SETTING]\r\nSTART=True\r\n; kept\r\n";
    WriteBytes(dir.config(), stored);
    Companion holder(dir.config(), {L"hold", L"60000", L"0"});
    ASSERT_TRUE(holder.Ready());
    const auto report = settings::SaveSettings(Record(false), dir.path());
    holder.Stop();
    EXPECT_EQ(report.result, settings::SaveResult::WriteFailed);
    EXPECT_EQ(report.error, static_cast<settings::platform::ErrorCode>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadBytes(dir.config()), stored);
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"Config.ini"});
}

// The access list of a file, in the security descriptor language.
std::wstring AccessList(const std::filesystem::path& file) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL acl = nullptr;
    if (GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl,
                              nullptr, &descriptor) != ERROR_SUCCESS) {
        return L"";
    }
    wchar_t* text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                         &text, nullptr);
    std::wstring list = text ? text : L"";
    LocalFree(text);
    LocalFree(descriptor);
    return list;
}

// The entry of an access list that names the IIS worker processes' group,
// or nothing.
std::wstring WebWorkersEntry(const std::wstring& list) {
    for (const wchar_t* name : {L";;;IS)", L";;;S-1-5-32-568)"}) {
        const size_t end = list.find(name);
        if (end == std::wstring::npos) continue;
        const size_t begin = list.rfind(L'(', end);
        return list.substr(begin, end + std::wcslen(name) - begin);
    }
    return L"";
}

// Gives the IIS worker processes' group (IIS_IUSRS) the right to read.
bool GrantReadToWebWorkers(const std::filesystem::path& file) {
    PSID workers = nullptr;
    if (!ConvertStringSidToSidW(L"S-1-5-32-568", &workers)) return false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL old = nullptr, acl = nullptr;
    EXPLICIT_ACCESSW access{};
    access.grfAccessPermissions = FILE_GENERIC_READ;
    access.grfAccessMode = GRANT_ACCESS;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.ptstrName = static_cast<LPWSTR>(workers);
    const bool done =
        GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &old,
                              nullptr, &descriptor) == ERROR_SUCCESS &&
        SetEntriesInAclW(1, &access, old, &acl) == ERROR_SUCCESS &&
        SetNamedSecurityInfoW(const_cast<wchar_t*>(file.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, acl, nullptr) == ERROR_SUCCESS;
    LocalFree(acl);
    LocalFree(descriptor);
    LocalFree(workers);
    return done;
}

TEST(SharedFile, TheNewFileKeepsTheOldOnesAttributesAndAccessRights) {
    TempDir dir;
    WriteBytes(dir.config(), "[SETTING]\r\n");
    ASSERT_TRUE(SetFileAttributesW(dir.config().c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(settings::SaveSettings(Record(true), dir.path()));
    EXPECT_TRUE(GetFileAttributesW(dir.config().c_str()) & FILE_ATTRIBUTE_HIDDEN);

    ASSERT_TRUE(GrantReadToWebWorkers(dir.config()));
    const std::wstring granted = WebWorkersEntry(AccessList(dir.config()));
    if (granted.empty()) {
        GTEST_SKIP() << "this file system does not keep access lists (Wine keeps none): checked on Windows only";
    }
    ASSERT_TRUE(settings::SaveSettings(Record(false), dir.path()));
    EXPECT_EQ(WebWorkersEntry(AccessList(dir.config())), granted);
}

// An entry at the front of a file's or folder's access list that denies
// `rights` to everyone, for as long as this lives.
class DeniedToEveryone {
public:
    DeniedToEveryone(const std::filesystem::path& target, DWORD rights) : target_(target) {
        PACL denying = nullptr;
        EXPLICIT_ACCESSW access{};
        access.grfAccessPermissions = rights;
        access.grfAccessMode = DENY_ACCESS;
        access.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
        access.Trustee.ptstrName = const_cast<wchar_t*>(L"EVERYONE");
        made_ = GetNamedSecurityInfoW(target_.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                      &old_, nullptr, &descriptor_) == ERROR_SUCCESS &&
                SetEntriesInAclW(1, &access, old_, &denying) == ERROR_SUCCESS && Set(denying);
        LocalFree(denying);
    }
    ~DeniedToEveryone() {
        if (made_) Set(old_);
        LocalFree(descriptor_);
    }
    DeniedToEveryone(const DeniedToEveryone&) = delete;
    DeniedToEveryone& operator=(const DeniedToEveryone&) = delete;
    bool made() const { return made_; }

private:
    bool Set(PACL acl) const {
        return SetNamedSecurityInfoW(const_cast<wchar_t*>(target_.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                     nullptr, nullptr, acl, nullptr) == ERROR_SUCCESS;
    }

    std::filesystem::path target_;
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    PACL old_ = nullptr;
    bool made_ = false;
};

// A Config.ini that may not be deleted, in a folder that may not delete
// what it holds, cannot be replaced: the save fails at once, as missing
// rights, not after waiting as for another program's handle.
TEST(SharedFile, AFileThatMayNotBeReplacedFailsTheSaveAtOnce) {
    TempDir dir;
    const std::string stored = "[SETTING]\r\nSTART=True\r\n";
    WriteBytes(dir.config(), stored);
    {
        const DeniedToEveryone file(dir.config(), DELETE), folder(dir.path(), FILE_DELETE_CHILD);
        ASSERT_TRUE(file.made() && folder.made());
        const handles::FileHandle probe(CreateFileW(dir.config().c_str(), DELETE,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                    OPEN_EXISTING, 0, nullptr));
        if (probe.valid()) {
            GTEST_SKIP() << "this system does not hold to access lists (Wine does not): checked on Windows only";
        }
        const auto report = settings::SaveSettings(Record(false), dir.path());
        EXPECT_EQ(report.result, settings::SaveResult::WriteFailed);
        EXPECT_EQ(report.error, static_cast<settings::platform::ErrorCode>(ERROR_ACCESS_DENIED));
    }
    EXPECT_EQ(ReadBytes(dir.config()), stored);
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"Config.ini"});
}

}  // namespace
