// The resources built into HotlinkConfig.exe, read back through Windows' own
// functions as Explorer's properties page and the start-up window read them:
// the version strings in Chinese (not mangled by the resource compiler's code
// page), and the start-up picture as the exact bytes of StartPicture.gif.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "handles.h"
#include "resource.h"
#include "version.h"

namespace {

// The build hands over its own Unix paths; under Wine they lie on drive Z:.
std::wstring BuildPath(const std::string& path) {
    std::wstring wide(path.begin(), path.end());
    if (!wide.empty() && wide[0] == L'/' && GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES)
        wide = L"Z:" + wide;
    return wide;
}

// A file beside this test, as in the Windows test kit; otherwise where the
// build put it.
std::wstring Found(const wchar_t* name, const std::string& built) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring beside = self;
    beside = beside.substr(0, beside.find_last_of(L"\\/") + 1) + name;
    return GetFileAttributesW(beside.c_str()) != INVALID_FILE_ATTRIBUTES ? beside : BuildPath(built);
}

std::wstring Executable() { return Found(L"HotlinkConfig.exe", HOTLINK_EXECUTABLE); }

class VersionInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(Executable().c_str(), &ignored);
        ASSERT_NE(size, 0u) << "no version resource, error " << GetLastError();
        block_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(Executable().c_str(), 0, size, block_.data()));
    }

    std::wstring String(const std::wstring& name) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring path = L"\\StringFileInfo\\080404b0\\" + name;
        if (!VerQueryValueW(block_.data(), path.c_str(), &value, &length) || length == 0) return L"(missing)";
        return static_cast<const wchar_t*>(value);
    }

    std::vector<BYTE> block_;
};

TEST_F(VersionInfoTest, ChineseStringsAndVersionNumbers) {
    EXPECT_EQ(String(L"FileDescription"), L"澜星V3.0设置");
    EXPECT_EQ(String(L"ProductName"), L"澜星图片防盗链设置");
    EXPECT_EQ(String(L"LegalCopyright"), L"保留所有权利。");
    EXPECT_EQ(String(L"FileVersion"), L"" HOTLINK_VERSION_QUAD);
    EXPECT_EQ(String(L"ProductVersion"), L"" HOTLINK_VERSION_QUAD);
    EXPECT_EQ(String(L"InternalName"), L"HotlinkConfig");
    EXPECT_EQ(String(L"OriginalFilename"), L"HotlinkConfig.exe");

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block_.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 3));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 3));

    DWORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block_.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(LOWORD(*translation), 0x0804);
    EXPECT_EQ(HIWORD(*translation), 1200);
}

TEST(StartPictureResourceTest, IsTheGifFileByteForByte) {
    std::ifstream file(Found(L"StartPicture.gif", HOTLINK_START_PICTURE).c_str(), std::ios::binary);
    ASSERT_TRUE(file) << HOTLINK_START_PICTURE;
    const std::string expected{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};

    const handles::LoadedModule module(LoadLibraryExW(Executable().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module.valid()) << GetLastError();
    HRSRC found = FindResourceW(module.get(), MAKEINTRESOURCEW(IDR_START_PICTURE), RT_RCDATA);
    ASSERT_NE(found, nullptr);
    const DWORD size = SizeofResource(module.get(), found);
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module.get(), found)));
    ASSERT_NE(bytes, nullptr);
    const std::string embedded(bytes, size);

    EXPECT_EQ(embedded.size(), expected.size());
    EXPECT_TRUE(embedded == expected) << "the embedded picture differs from " << HOTLINK_START_PICTURE;
    // One 300 x 300 GIF: the logical screen's width and height follow the signature.
    ASSERT_GE(embedded.size(), 10u);
    EXPECT_EQ(embedded.substr(0, 6), "GIF89a");
    EXPECT_EQ(static_cast<unsigned char>(embedded[6]) | static_cast<unsigned char>(embedded[7]) << 8, 300);
    EXPECT_EQ(static_cast<unsigned char>(embedded[8]) | static_cast<unsigned char>(embedded[9]) << 8, 300);
}

// The level of rights a program's manifest asks Windows for, as the loader
// reads it from the manifest resource.
std::string ExecutionLevel(const std::wstring& program) {
    const handles::LoadedModule module(LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) return "(cannot load)";
    std::string manifest;
    if (HRSRC found = FindResourceW(module.get(), MAKEINTRESOURCEW(1), RT_MANIFEST)) {
        manifest.assign(static_cast<const char*>(LockResource(LoadResource(module.get(), found))),
                        SizeofResource(module.get(), found));
    }
    const std::string attribute = "requestedExecutionLevel level=\"";
    const size_t at = manifest.find(attribute);
    if (at == std::string::npos) return "(none)";
    const size_t begin = at + attribute.size();
    return manifest.substr(begin, manifest.find('"', begin) - begin);
}

// The editor asks for the highest rights the user has: an administrator
// consents once at start and may then write beside the filter. Scripts run
// the console program with the rights they have.
TEST(ManifestTest, TheEditorAsksForTheHighestRightsTheConsoleProgramForNone) {
    EXPECT_EQ(ExecutionLevel(Executable()), "highestAvailable");
    EXPECT_EQ(ExecutionLevel(Found(L"HotlinkConfigCmd.exe", HOTLINK_COMMAND_LINE)), "asInvoker");
}

}  // namespace
