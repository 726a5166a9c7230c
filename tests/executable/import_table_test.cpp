// The built editor must start on Windows 7 SP1 / Server 2008 R2. Windows
// refuses to start a program whose import table names a DLL or a function the
// system does not have, so every function newer than that must be looked up
// at run time instead. These tests read HotlinkConfig.exe's own bytes (PE32+)
// and check its import table: only Windows' own DLLs of that age, and none of
// the functions that came later.
//
//   import_table_test [--print-imports] [path-of-an-exe] [gtest options]
//
// Without a path the test reads the HotlinkConfig.exe of its own build.
// --print-imports prints the whole import list (DLL, then its functions).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string g_executable = HOTLINK_EXECUTABLE;
bool g_printImports = false;

// ---------------------------------------------------------------------------
// The PE reader: just enough of the format for the import tables.

struct PeFormatError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ImportedModule {
    std::string dll;
    bool delayLoaded = false;
    // Names, or "#n" for a function imported by its ordinal n.
    std::vector<std::string> functions;
};

struct PeImage {
    uint16_t machine = 0;
    uint16_t optionalMagic = 0;
    uint16_t majorOsVersion = 0, minorOsVersion = 0;
    uint16_t majorSubsystemVersion = 0, minorSubsystemVersion = 0;
    std::vector<ImportedModule> imports;
};

constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kPe32PlusMagic = 0x20b;
constexpr unsigned kImportDirectory = 1;
constexpr unsigned kDelayImportDirectory = 13;
// Bounds against looping over a damaged file.
constexpr size_t kMostModules = 4096;
constexpr size_t kMostFunctions = 65536;

class PeReader {
public:
    explicit PeReader(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    PeImage Read() {
        if (U16(0) != 0x5a4d) throw PeFormatError("no MZ header");
        const size_t pe = U32(0x3c);
        if (U32(pe) != 0x00004550) throw PeFormatError("no PE signature");
        PeImage image;
        image.machine = U16(pe + 4);
        const unsigned sectionCount = U16(pe + 6);
        const size_t optionalSize = U16(pe + 20);
        const size_t optional = pe + 24;
        image.optionalMagic = U16(optional);
        if (image.optionalMagic != kPe32PlusMagic) throw PeFormatError("not a PE32+ image");
        if (optionalSize < 112) throw PeFormatError("optional header too small");
        imageBase_ = U64(optional + 24);
        image.majorOsVersion = U16(optional + 40);
        image.minorOsVersion = U16(optional + 42);
        image.majorSubsystemVersion = U16(optional + 48);
        image.minorSubsystemVersion = U16(optional + 50);
        sizeOfHeaders_ = U32(optional + 60);
        const uint32_t directoryCount = U32(optional + 108);
        if (112 + size_t{8} * std::min<uint32_t>(directoryCount, 16) > optionalSize)
            throw PeFormatError("data directories run past the optional header");

        const size_t sectionTable = optional + optionalSize;
        for (unsigned i = 0; i < sectionCount; ++i) {
            const size_t at = sectionTable + size_t{40} * i;
            sections_.push_back({U32(at + 8), U32(at + 12), U32(at + 16), U32(at + 20)});
        }

        auto directory = [&](unsigned index) -> uint32_t {
            return index < directoryCount ? U32(optional + 112 + size_t{8} * index) : 0;
        };
        if (uint32_t rva = directory(kImportDirectory)) ReadImports(rva, image.imports);
        if (uint32_t rva = directory(kDelayImportDirectory)) ReadDelayImports(rva, image.imports);
        return image;
    }

private:
    struct Section {
        uint32_t virtualSize, virtualAddress, rawSize, rawOffset;
    };

    void ReadImports(uint32_t rva, std::vector<ImportedModule>& out) const {
        for (size_t i = 0;; ++i, rva += 20) {
            if (i == kMostModules) throw PeFormatError("import directory has no end");
            const size_t at = FileOffset(rva, 20);
            const uint32_t lookup = U32(at), name = U32(at + 12), address = U32(at + 16);
            if (lookup == 0 && name == 0 && address == 0) break;
            ImportedModule module;
            module.dll = CString(name);
            module.functions = Functions(lookup != 0 ? lookup : address);
            out.push_back(std::move(module));
        }
    }

    void ReadDelayImports(uint32_t rva, std::vector<ImportedModule>& out) const {
        for (size_t i = 0;; ++i, rva += 32) {
            if (i == kMostModules) throw PeFormatError("delay-import directory has no end");
            const size_t at = FileOffset(rva, 32);
            const uint32_t attributes = U32(at), name = U32(at + 4), names = U32(at + 16);
            if (name == 0) break;
            // The oldest form of this table holds addresses instead of RVAs.
            const bool addresses = (attributes & 1) == 0;
            ImportedModule module;
            module.delayLoaded = true;
            module.dll = CString(addresses ? ToRva(name) : name);
            module.functions = Functions(addresses ? ToRva(names) : names, addresses);
            out.push_back(std::move(module));
        }
    }

    std::vector<std::string> Functions(uint32_t rva, bool addresses = false) const {
        std::vector<std::string> functions;
        for (size_t i = 0;; ++i, rva += 8) {
            if (i == kMostFunctions) throw PeFormatError("import lookup table has no end");
            const uint64_t entry = U64(FileOffset(rva, 8));
            if (entry == 0) break;
            if (entry & (uint64_t{1} << 63)) {
                functions.push_back("#" + std::to_string(entry & 0xffff));
            } else {
                // Skips the two-byte hint before the name.
                const uint32_t hintName = addresses ? ToRva(entry) : static_cast<uint32_t>(entry & 0x7fffffff);
                functions.push_back(CString(hintName + 2));
            }
        }
        return functions;
    }

    uint32_t ToRva(uint64_t address) const {
        if (address < imageBase_ || address - imageBase_ > UINT32_MAX) throw PeFormatError("address outside the image");
        return static_cast<uint32_t>(address - imageBase_);
    }

    // Where length bytes at rva lie in the file; they must all be there.
    size_t FileOffset(uint32_t rva, size_t length) const {
        if (rva < sizeOfHeaders_) return Checked(rva, length);
        for (const Section& s : sections_) {
            const uint32_t span = std::max(s.virtualSize, s.rawSize);
            if (rva >= s.virtualAddress && rva - s.virtualAddress < span) {
                const size_t inside = rva - s.virtualAddress;
                if (inside + length > s.rawSize) throw PeFormatError("data past a section's file bytes");
                return Checked(size_t{s.rawOffset} + inside, length);
            }
        }
        throw PeFormatError("RVA outside every section");
    }

    std::string CString(uint32_t rva) const {
        std::string text;
        for (size_t at = FileOffset(rva, 1);; ++at) {
            const char c = static_cast<char>(bytes_[Checked(at, 1)]);
            if (c == '\0') return text;
            text += c;
            if (text.size() > 4096) throw PeFormatError("name has no end");
        }
    }

    size_t Checked(size_t offset, size_t length) const {
        if (offset > bytes_.size() || length > bytes_.size() - offset) throw PeFormatError("file cut short");
        return offset;
    }
    uint16_t U16(size_t at) const {
        Checked(at, 2);
        return static_cast<uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
    }
    uint32_t U32(size_t at) const { return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16; }
    uint64_t U64(size_t at) const { return U32(at) | static_cast<uint64_t>(U32(at + 4)) << 32; }

    std::vector<uint8_t> bytes_;
    std::vector<Section> sections_;
    uint64_t imageBase_ = 0;
    uint32_t sizeOfHeaders_ = 0;
};

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    // The build hands over its own Unix path; under Wine that is drive Z:.
    if (!in && !path.empty() && path[0] == '/') in.open("Z:" + path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Describe(const std::vector<ImportedModule>& imports) {
    std::ostringstream out;
    for (const ImportedModule& module : imports) {
        out << module.dll << (module.delayLoaded ? " (delay-loaded)" : "") << '\n';
        for (const std::string& function : module.functions) out << "    " << function << '\n';
    }
    return out.str();
}

// ---------------------------------------------------------------------------
// What Windows 7 SP1 has.

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Windows' own DLLs, all present on Windows 7 SP1 / Server 2008 R2. API sets
// (api-ms-win-*, ext-ms-win-*), shcore.dll and the Universal CRT are not.
const std::set<std::string> kWindows7Dlls = {
    "kernel32.dll", "user32.dll",  "gdi32.dll",   "advapi32.dll", "comctl32.dll",      "comdlg32.dll",
    "ole32.dll",    "oleaut32.dll", "shell32.dll", "shlwapi.dll",  "msvcrt.dll",        "windowscodecs.dll",
    "uxtheme.dll",  "version.dll", "winmm.dll",   "dwmapi.dll",   "imm32.dll",         "crypt32.dll",
    "bcrypt.dll",   "ws2_32.dll",  "userenv.dll", "secur32.dll",  "winspool.drv",      "psapi.dll",
};

// Functions that came after Windows 7 SP1 (Windows 8 and later; the DLL
// search-path functions need an update that a Windows 7 SP1 machine may
// lack). Importing any of them keeps the program from starting there.
const std::set<std::string> kNewerFunctions = {
    // kernel32: Windows 8 / 8.1
    "GetSystemTimePreciseAsFileTime", "CreateFile2", "CopyFile2", "GetCurrentThreadStackLimits",
    "GetOverlappedResultEx", "SetThreadInformation", "GetThreadInformation", "SetProcessInformation",
    "GetProcessInformation", "GetProcessMitigationPolicy", "SetProcessMitigationPolicy", "PrefetchVirtualMemory",
    "DiscardVirtualMemory", "OfferVirtualMemory", "ReclaimVirtualMemory", "CreateFileMappingFromApp",
    "MapViewOfFileFromApp", "GetFirmwareType", "GetCurrentPackageId", "GetCurrentPackageFullName",
    "GetPackageFullName", "GetPackageFamilyName", "InitializeSynchronizationBarrier",
    "EnterSynchronizationBarrier", "DeleteSynchronizationBarrier", "GetDynamicTimeZoneInformationEffectiveYears",
    "GetIntegratedDisplaySize",
    // kernel32: the DLL search path (Windows 8, or Windows 7 with KB2533623)
    "SetDefaultDllDirectories", "AddDllDirectory", "RemoveDllDirectory",
    // kernel32 / API sets: Windows 10
    "SetThreadDescription", "GetThreadDescription", "IsWow64Process2", "GetSystemCpuSetInformation",
    "SetThreadSelectedCpuSets", "QueryInterruptTime", "QueryInterruptTimePrecise",
    "QueryUnbiasedInterruptTimePrecise", "CreatePseudoConsole", "ResizePseudoConsole", "ClosePseudoConsole",
    "CompareObjectHandles", "GetTempPath2W", "GetTempPath2A", "VirtualAlloc2", "MapViewOfFile3",
    // synchronization API set: Windows 8
    "WaitOnAddress", "WakeByAddressSingle", "WakeByAddressAll",
    // user32: per-monitor DPI, Windows 8.1 and 10
    "GetDpiForWindow", "GetDpiForSystem", "GetSystemDpiForProcess", "AdjustWindowRectExForDpi",
    "SystemParametersInfoForDpi", "GetSystemMetricsForDpi", "SetThreadDpiAwarenessContext",
    "GetThreadDpiAwarenessContext", "GetWindowDpiAwarenessContext", "SetProcessDpiAwarenessContext",
    "GetDpiAwarenessContextForProcess", "GetAwarenessFromDpiAwarenessContext", "GetDpiFromDpiAwarenessContext",
    "AreDpiAwarenessContextsEqual", "IsValidDpiAwarenessContext", "EnableNonClientDpiScaling",
    "SetThreadDpiHostingBehavior", "GetThreadDpiHostingBehavior", "GetWindowDpiHostingBehavior",
    "SetDialogDpiChangeBehavior", "GetDialogDpiChangeBehavior", "SetDialogControlDpiChangeBehavior",
    "GetDialogControlDpiChangeBehavior", "LogicalToPhysicalPointForPerMonitorDPI",
    "PhysicalToLogicalPointForPerMonitorDPI", "InheritWindowMonitor",
    // user32: pointer input and other Windows 8 additions
    "GetPointerType", "GetPointerInfo", "GetPointerFrameInfo", "GetPointerDevices", "EnableMouseInPointer",
    "IsMouseInPointerEnabled", "RegisterPointerInputTarget", "InitializeTouchInjection", "InjectTouchInput",
    "IsImmersiveProcess", "GetCurrentInputMessageSource", "GetCIMSSM", "SetDisplayAutoRotationPreferences",
    "GetDisplayAutoRotationPreferences", "GetAutoRotationState", "GetWindowFeedbackSetting",
    "SetWindowFeedbackSetting", "RegisterSuspendResumeNotification", "UnregisterSuspendResumeNotification",
    "SetCoalescableTimer", "IsWindowArranged",
    // shcore: Windows 8.1
    "SetProcessDpiAwareness", "GetProcessDpiAwareness", "GetDpiForMonitor", "GetScaleFactorForMonitor",
    "GetDpiForShellUIComponent",
    // uxtheme: Windows 10
    "OpenThemeDataForDpi",
    // ole32 / combase: Windows 8
    "CoIncrementMTAUsage", "CoDecrementMTAUsage", "CoWaitForMultipleObjects", "RoInitialize", "RoUninitialize",
    "RoGetActivationFactory", "WindowsCreateString", "WindowsDeleteString",
    // advapi32: Windows 8
    "EventSetInformation",
    // path API set: Windows 8
    "PathCchCombine", "PathCchCombineEx", "PathCchAppend", "PathCchAppendEx", "PathCchCanonicalize",
    "PathCchCanonicalizeEx", "PathCchRemoveFileSpec", "PathCchFindExtension", "PathCchAddBackslash",
    "PathCchAddBackslashEx", "PathCchAddExtension", "PathCchRemoveExtension", "PathCchRenameExtension",
    "PathCchRemoveBackslash", "PathCchSkipRoot", "PathCchStripPrefix", "PathCchStripToRoot", "PathCchIsRoot",
    "PathAllocCombine", "PathAllocCanonicalize",
};

// Each import that would keep the program from starting on Windows 7 SP1.
std::vector<std::string> Windows7Violations(const std::vector<ImportedModule>& imports) {
    std::vector<std::string> found;
    for (const ImportedModule& module : imports) {
        if (kWindows7Dlls.count(Lower(module.dll)) == 0)
            found.push_back("DLL not on Windows 7 SP1: " + module.dll);
        for (const std::string& function : module.functions) {
            if (kNewerFunctions.count(function) != 0)
                found.push_back("newer than Windows 7 SP1: " + module.dll + "!" + function);
        }
    }
    return found;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "  " + line + "\n";
    return text;
}

// ---------------------------------------------------------------------------
// A small PE32+ image made here, to test the reader on known content.

class SyntheticImage {
public:
    static constexpr uint32_t kSectionRva = 0x1000;
    static constexpr uint32_t kSectionFileOffset = 0x200;
    static constexpr uint32_t kSectionSize = 0x400;

    SyntheticImage() : bytes_(kSectionFileOffset + kSectionSize) {
        Put16(0, 0x5a4d);
        Put32(0x3c, 0x40);
        Put32(0x40, 0x00004550);
        Put16(0x44, kMachineAmd64);
        Put16(0x46, 1);       // one section
        Put16(0x54, 240);     // optional header with 16 directories
        const size_t optional = 0x58;
        Put16(optional, kPe32PlusMagic);
        Put64(optional + 24, 0x140000000);
        Put16(optional + 40, 6);
        Put16(optional + 42, 1);
        Put16(optional + 48, 6);
        Put16(optional + 50, 1);
        Put32(optional + 60, kSectionFileOffset);
        Put32(optional + 108, 16);
        const size_t section = optional + 240;
        Put32(section + 8, kSectionSize);
        Put32(section + 12, kSectionRva);
        Put32(section + 16, kSectionSize);
        Put32(section + 20, kSectionFileOffset);
    }

    void SetDirectory(unsigned index, uint32_t rva) { Put32(0x58 + 112 + 8 * index, rva); }
    // Writes into the section at its RVA.
    void At(uint32_t rva, uint64_t value, int size) {
        const size_t at = kSectionFileOffset + (rva - kSectionRva);
        if (size == 8) Put64(at, value); else Put32(at, static_cast<uint32_t>(value));
    }
    void Text(uint32_t rva, const std::string& text) {
        std::copy(text.begin(), text.end(), bytes_.begin() + kSectionFileOffset + (rva - kSectionRva));
    }
    std::vector<uint8_t>& bytes() { return bytes_; }

private:
    void Put16(size_t at, uint16_t v) { bytes_[at] = v & 0xff; bytes_[at + 1] = v >> 8; }
    void Put32(size_t at, uint32_t v) { Put16(at, v & 0xffff); Put16(at + 2, v >> 16); }
    void Put64(size_t at, uint64_t v) { Put32(at, static_cast<uint32_t>(v)); Put32(at + 4, v >> 32); }
    std::vector<uint8_t> bytes_;
};

// KERNEL32.dll: CreateFileW and GetModuleFileNameW by name; COMCTL32.dll:
// ordinal 17 (its lookup table only in the address table); and USER32.dll,
// delay-loaded, GetDpiForWindow by name.
SyntheticImage ImageWithImports() {
    SyntheticImage image;
    image.SetDirectory(kImportDirectory, 0x1000);
    image.At(0x1000, 0x1100, 4);  // KERNEL32: lookup table
    image.At(0x100c, 0x1200, 4);  //           name
    image.At(0x1010, 0x1140, 4);  //           address table
    image.At(0x1014 + 12, 0x1210, 4);  // COMCTL32: name
    image.At(0x1014 + 16, 0x1180, 4);  //           address table only
    // 0x1028: the all-zero descriptor that ends the directory.
    image.At(0x1100, 0x1300, 8);
    image.At(0x1108, 0x1320, 8);
    image.At(0x1140, 0x1300, 8);
    image.At(0x1148, 0x1320, 8);
    image.At(0x1180, (uint64_t{1} << 63) | 17, 8);
    image.Text(0x1200, "KERNEL32.dll");
    image.Text(0x1210, "COMCTL32.dll");
    image.Text(0x1302, "CreateFileW");
    image.Text(0x1322, "GetModuleFileNameW");

    image.SetDirectory(kDelayImportDirectory, 0x1040);
    image.At(0x1040, 1, 4);            // RVA-based
    image.At(0x1044, 0x1220, 4);       // name
    image.At(0x1050, 0x11c0, 4);       // name table
    image.At(0x11c0, 0x1340, 8);
    image.Text(0x1220, "USER32.dll");
    image.Text(0x1342, "GetDpiForWindow");
    return image;
}

TEST(PeReaderTest, ReadsNamedOrdinalAndDelayLoadedImports) {
    SyntheticImage image = ImageWithImports();
    const PeImage read = PeReader(image.bytes()).Read();
    EXPECT_EQ(read.machine, kMachineAmd64);
    ASSERT_EQ(read.imports.size(), 3u) << Describe(read.imports);
    EXPECT_EQ(read.imports[0].dll, "KERNEL32.dll");
    EXPECT_EQ(read.imports[0].functions, (std::vector<std::string>{"CreateFileW", "GetModuleFileNameW"}));
    EXPECT_FALSE(read.imports[0].delayLoaded);
    EXPECT_EQ(read.imports[1].dll, "COMCTL32.dll");
    EXPECT_EQ(read.imports[1].functions, std::vector<std::string>{"#17"});
    EXPECT_EQ(read.imports[2].dll, "USER32.dll");
    EXPECT_TRUE(read.imports[2].delayLoaded);
    EXPECT_EQ(read.imports[2].functions, std::vector<std::string>{"GetDpiForWindow"});
}

TEST(PeReaderTest, RefusesDamagedImages) {
    EXPECT_THROW(PeReader({'M', 'Z'}).Read(), PeFormatError);

    SyntheticImage notPlus;
    notPlus.bytes()[0x58] = 0x0b;  // PE32 magic 0x10b
    notPlus.bytes()[0x59] = 0x01;
    EXPECT_THROW(PeReader(notPlus.bytes()).Read(), PeFormatError);

    SyntheticImage outside;
    outside.SetDirectory(kImportDirectory, 0x9000);
    EXPECT_THROW(PeReader(outside.bytes()).Read(), PeFormatError);

    SyntheticImage cut = ImageWithImports();
    cut.bytes().resize(SyntheticImage::kSectionFileOffset + 0x205);  // inside the name "KERNEL32.dll"
    EXPECT_THROW(PeReader(cut.bytes()).Read(), PeFormatError);

    SyntheticImage endless;
    endless.SetDirectory(kImportDirectory, 0x1000);
    endless.At(0x1000, 0x1100, 4);
    endless.At(0x100c, 0x1200, 4);
    for (uint32_t rva = 0x1100; rva < 0x1400; rva += 8) endless.At(rva, 0x1300, 8);  // lookup table runs off the end
    endless.Text(0x1200, "KERNEL32.dll");
    EXPECT_THROW(PeReader(endless.bytes()).Read(), PeFormatError);
}

TEST(Windows7RulesTest, FlagsForeignDllsAndNewerFunctionsOnly) {
    const std::vector<ImportedModule> fine = {
        {"kernel32.DLL", false, {"CreateFileW", "GetProcAddress"}},
        {"USER32.dll", false, {"GetDpiForWindowX", "#2"}},
        {"msvcrt.dll", false, {"malloc"}},
    };
    EXPECT_EQ(Windows7Violations(fine), std::vector<std::string>{});

    const std::vector<ImportedModule> bad = {
        {"api-ms-win-core-synch-l1-2-0.dll", false, {"WaitOnAddress"}},
        {"SHCORE.dll", false, {"GetDpiForMonitor"}},
        {"ucrtbase.dll", false, {"malloc"}},
        {"USER32.dll", true, {"GetDpiForWindow"}},
        {"KERNEL32.dll", false, {"SetDefaultDllDirectories"}},
    };
    EXPECT_EQ(Windows7Violations(bad), (std::vector<std::string>{
                                           "DLL not on Windows 7 SP1: api-ms-win-core-synch-l1-2-0.dll",
                                           "newer than Windows 7 SP1: api-ms-win-core-synch-l1-2-0.dll!WaitOnAddress",
                                           "DLL not on Windows 7 SP1: SHCORE.dll",
                                           "newer than Windows 7 SP1: SHCORE.dll!GetDpiForMonitor",
                                           "DLL not on Windows 7 SP1: ucrtbase.dll",
                                           "newer than Windows 7 SP1: USER32.dll!GetDpiForWindow",
                                           "newer than Windows 7 SP1: KERNEL32.dll!SetDefaultDllDirectories",
                                       }));
}

// ---------------------------------------------------------------------------
// The built editor.

class ExecutableTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        try {
            image_ = PeReader(ReadFileBytes(g_executable)).Read();
        } catch (const std::exception& e) {
            error_ = g_executable + ": " + e.what();
            return;
        }
        const std::string list = Describe(image_.imports);
        ::testing::Test::RecordProperty("imports", list);
        if (g_printImports) std::cout << "Imports of " << g_executable << ":\n" << list << std::flush;
    }
    void SetUp() override {
        if (!error_.empty()) GTEST_FAIL() << error_;
    }
    static PeImage image_;
    static std::string error_;
};
PeImage ExecutableTest::image_;
std::string ExecutableTest::error_;

TEST_F(ExecutableTest, IsAnX64ImageThatWindows7Accepts) {
    EXPECT_EQ(image_.machine, kMachineAmd64);
    // Windows refuses an image that asks for a newer system than its own (6.1).
    EXPECT_LE(image_.majorSubsystemVersion * 100 + image_.minorSubsystemVersion, 601)
        << image_.majorSubsystemVersion << "." << image_.minorSubsystemVersion;
    EXPECT_LE(image_.majorOsVersion * 100 + image_.minorOsVersion, 601)
        << image_.majorOsVersion << "." << image_.minorOsVersion;
}

TEST_F(ExecutableTest, ReaderFindsWhatTheProgramCertainlyImports) {
    auto kernel32 = std::find_if(image_.imports.begin(), image_.imports.end(),
                                 [](const ImportedModule& m) { return Lower(m.dll) == "kernel32.dll"; });
    ASSERT_NE(kernel32, image_.imports.end()) << Describe(image_.imports);
    for (const char* function : {"GetModuleFileNameW", "CreateFileW", "GetProcAddress"}) {
        const bool found =
            std::find(kernel32->functions.begin(), kernel32->functions.end(), function) != kernel32->functions.end();
        EXPECT_TRUE(found) << function << " missing from\n" << Describe(image_.imports);
    }
}

TEST_F(ExecutableTest, ImportsOnlyWhatWindows7SP1Has) {
    const std::vector<std::string> violations = Windows7Violations(image_.imports);
    EXPECT_TRUE(violations.empty()) << "Imports that keep " << g_executable << " from starting on Windows 7 SP1:\n"
                                    << Lines(violations) << "The whole import list:\n"
                                    << Describe(image_.imports);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--print-imports") g_printImports = true;
        else g_executable = argument;
    }
    return RUN_ALL_TESTS();
}
