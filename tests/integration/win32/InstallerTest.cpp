// The Windows installer as people use it, silently through msiexec: the programs alone, the
// programs with the simulated bus, removal, and a later version over an earlier one. The one
// for 64-bit Windows carries the 32-bit build too (in x86\, its simulator registered in the
// 32-bit registry view); those programs cannot run on this machine, so they are checked by
// their place, their bitness and their registration. Runs in a fresh Wine prefix of its own
// (in-fresh-prefix), since installing is machine-wide; each case starts and ends with nothing
// of ours on the machine.
#include <windows.h>
// After windows.h, which they build on.
#include <msi.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "status/StatusCodes.h"
#include "tests/cli/SampleCopy.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ComponentEnvironment.h"
#include "tests/support/Environment.h"
#include "tests/support/ExpectedWrites.h"
#include "tests/support/TempDir.h"
#include "tests/support/win32/ClassRegistration.h"
#include "tests/support/win32/SystemPaths.h"

namespace tern::test {
namespace {

constexpr char kProductName[] = "Tern Update Program";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The machine a Windows program or library is built for, from its PE header; 0 when it is not
// one.
WORD MachineOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    IMAGE_DOS_HEADER dos{};
    DWORD signature = 0;
    IMAGE_FILE_HEADER header{};
    if (!file.read(reinterpret_cast<char*>(&dos), sizeof dos) ||
        dos.e_magic != IMAGE_DOS_SIGNATURE || !file.seekg(dos.e_lfanew) ||
        !file.read(reinterpret_cast<char*>(&signature), sizeof signature) ||
        signature != IMAGE_NT_SIGNATURE ||
        !file.read(reinterpret_cast<char*>(&header), sizeof header)) {
        return 0;
    }
    return header.Machine;
}

std::string InstallFolder() {
    char folder[MAX_PATH];
    const DWORD length = ExpandEnvironmentStringsA("%ProgramFiles%", folder, MAX_PATH);
    return std::string(folder, length > 0 ? length - 1 : 0) + "\\" + kProductName;
}

// A build the installer carries: where its programs go, what they are built for, and the
// registry view its simulator is registered in.
struct Build {
    const char* folder;  // below InstallFolder()
    WORD machine;
    RegistryView view;

    std::string Program(const char* name) const { return InstallFolder() + folder + "\\" + name; }
    std::string Simulator() const { return Program("simulator\\corvo-sim.dll"); }
};
#if TERN_MSI_CARRIES_X86
constexpr Build kBuilds[] = {{"", IMAGE_FILE_MACHINE_AMD64, RegistryView::Bits64},
                             {"\\x86", IMAGE_FILE_MACHINE_I386, RegistryView::Bits32}};
#else
constexpr Build kBuilds[] = {
    {"", sizeof(void*) == 8 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386,
     RegistryView::Own}};
#endif

// The Start menu entry, in the machine's menu or (where the system keeps it there) the user's.
std::vector<std::string> ShortcutPlaces() {
    std::vector<std::string> places;
    for (int folder : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        char path[MAX_PATH];
        if (SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK) {
            places.push_back(std::string(path) + "\\" + kProductName + ".lnk");
        }
    }
    return places;
}

// Where the shortcut at `link` leads; empty when it cannot be read.
std::string ShortcutTarget(const std::string& link) {
    std::string target;
    IShellLinkA* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shell)))) {
        return target;
    }
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        const std::wstring wide(link.begin(), link.end());
        char path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
            SUCCEEDED(shell->GetPath(path, MAX_PATH, nullptr, 0))) {
            target = path;
        }
        file->Release();
    }
    shell->Release();
    return target;
}

// The products installed under this program's upgrade code, by product code.
std::vector<std::string> InstalledProducts() {
    std::vector<std::string> products;
    char product[39];
    for (DWORD i = 0;
         MsiEnumRelatedProductsA(TERN_MSI_UPGRADE_CODE, 0, i, product) == ERROR_SUCCESS; ++i) {
        products.emplace_back(product);
    }
    return products;
}

std::string ProductVersion(const std::string& product) {
    char version[64] = {};
    DWORD size = sizeof version;
    MsiGetProductInfoA(product.c_str(), INSTALLPROPERTY_VERSIONSTRING, version, &size);
    return version;
}

// The programs' entries in the list of installed programs (Apps and Features), by name.
std::vector<std::string> UninstallEntries() {
    std::vector<std::string> entries;
    HKEY list = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &list) != ERROR_SUCCESS) {
        return entries;
    }
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(list, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        char display[256] = {};
        DWORD size = sizeof display;
        if (RegGetValueA(list, name, "DisplayName", RRF_RT_REG_SZ, nullptr, display, &size) ==
                ERROR_SUCCESS &&
            std::string(display) == kProductName) {
            entries.emplace_back(name);
        }
    }
    RegCloseKey(list);
    return entries;
}

class WindowsInstaller : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(CoInitialize(nullptr));
        ExpectNothingOfOurs("before the case");
        ASSERT_FALSE(HasFailure()) << "the prefix must start without the programs";
    }
    void TearDown() override {
        // A case that failed half way must not leave its product to the next one.
        for (const std::string& product : InstalledProducts()) {
            Msiexec({"/x", product, "/qn"});
        }
        for (const Build& build : kBuilds) {
            DeleteClassKey(build.view);
        }
        CoUninitialize();
    }

    int Run(const std::string& program, const std::vector<std::string>& args,
            std::string* out = nullptr, std::string* err = nullptr) {
        return RunToEnd(program, args, m_dir.PathOf("stderr.txt"), out, err);
    }
    // msiexec with `args`: the status it ends with. When that is not 0, the end of its log goes
    // to the test's output, for a failure's reason.
    int Msiexec(std::vector<std::string> args) {
        const std::string log = m_dir.PathOf("msiexec.log");
        args.insert(args.end(), {"/l*", log});
        const int status = Run(SystemProgram("msiexec.exe"), args);
        if (status != 0) {
            // The actions' end, without the property dump that closes the log.
            std::vector<std::string> lines;
            for (const std::string& line : ReadLines(log)) {
                if (line.rfind("Property(", 0) != 0) {
                    lines.push_back(line);
                }
            }
            std::printf("msiexec ended with %d; the end of its log:\n", status);
            for (size_t i = lines.size() > 20 ? lines.size() - 20 : 0; i < lines.size(); ++i) {
                std::printf("  %s\n", lines[i].c_str());
            }
        }
        return status;
    }
    int Install(const char* package, const std::vector<std::string>& properties = {}) {
        std::vector<std::string> args{"/i", FullPath(package), "/qn"};
        args.insert(args.end(), properties.begin(), properties.end());
        return Msiexec(args);
    }
    int Remove(const char* package) { return Msiexec({"/x", FullPath(package), "/qn"}); }
    int Flash(const std::vector<std::string>& args, std::string* out, std::string* err) {
        return Run(InstallFolder() + "\\tern-flash.exe", args, out, err);
    }

    // Every build's programs in their folder, the 64-bit ones reached from the Start menu, and
    // the product listed once as installed at `version`.
    void ExpectProgramsInstalled(const char* version) {
        for (const Build& build : kBuilds) {
            for (const char* name : {"tern-update.exe", "tern-flash.exe"}) {
                EXPECT_EQ(MachineOf(build.Program(name)), build.machine) << build.Program(name);
            }
        }
        std::vector<std::string> targets;
        for (const std::string& link : ShortcutPlaces()) {
            if (Exists(link)) {
                targets.push_back(ShortcutTarget(link));
            }
        }
        ASSERT_EQ(targets.size(), 1u) << "one Start menu entry";
        EXPECT_EQ(_stricmp(targets[0].c_str(), (InstallFolder() + "\\tern-update.exe").c_str()), 0)
            << targets[0];
        const std::vector<std::string> products = InstalledProducts();
        ASSERT_EQ(products.size(), 1u);
        EXPECT_EQ(ProductVersion(products[0]), version);
        EXPECT_EQ(UninstallEntries(), std::vector<std::string>{products[0]});
    }

    // Each build's simulator there and registered in its view, or neither.
    void ExpectSimulators(bool installed) {
        for (const Build& build : kBuilds) {
            if (installed) {
                EXPECT_EQ(MachineOf(build.Simulator()), build.machine) << build.Simulator();
                ExpectRegisteredTo(build.Simulator(), build.view);
            } else {
                EXPECT_FALSE(Exists(build.Simulator()));
                EXPECT_FALSE(ClassKeyExists(build.view)) << build.Simulator();
            }
        }
    }

    // No file, Start menu entry, registration or product record of ours.
    void ExpectNothingOfOurs(const char* when) {
        EXPECT_FALSE(Exists(InstallFolder())) << when;
        for (const std::string& link : ShortcutPlaces()) {
            EXPECT_FALSE(Exists(link)) << when << ": " << link;
        }
        for (const Build& build : kBuilds) {
            EXPECT_FALSE(ClassKeyExists(build.view)) << when << ": " << build.Simulator();
        }
        EXPECT_TRUE(InstalledProducts().empty()) << when;
        EXPECT_TRUE(UninstallEntries().empty()) << when;
    }

    TempDir m_dir;
};

TEST_F(WindowsInstaller, WithoutTheSimulatorTheProgramsFindNoDeviceLinkUntilItIsAdded) {
    ASSERT_EQ(Install(TERN_MSI), 0);
    ExpectProgramsInstalled(TERN_MSI_VERSION);
    ExpectSimulators(false);  // the simulated bus is off unless chosen

    std::string out;
    std::string err;
    EXPECT_EQ(Flash({"list"}, &out, &err), cli::kExitDeviceLink) << out;
    EXPECT_NE(err.find("Can not get FW interface!!"), std::string::npos) << err;

    // Added later to the installed programs, the simulated bus is their device link.
    ASSERT_EQ(Install(TERN_MSI, {"ADDLOCAL=Simulator"}), 0);
    ExpectSimulators(true);
    EXPECT_EQ(Flash({"list"}, &out, &err), cli::kExitSuccess) << err;

    EXPECT_EQ(Remove(TERN_MSI), 0);
    ExpectNothingOfOurs("after the removal");
}

TEST_F(WindowsInstaller, TheSimulatorChosenTakesTheUpdateAndGoesAloneOrWithThePrograms) {
    ASSERT_EQ(Install(TERN_MSI, {"ADDLOCAL=ALL"}), 0);
    ExpectProgramsInstalled(TERN_MSI_VERSION);
    // Registered as regsvr32 registers each.
    ExpectSimulators(true);

    std::string out;
    std::string err;
    EXPECT_EQ(Flash({"list"}, &out, &err), cli::kExitSuccess) << err;
    EXPECT_NE(out.find("corvo-sim.dll (the simulated bus: nothing reaches a real Ostrel)"),
              std::string::npos)
        << out;
    const std::string sample = CopyOfSample(m_dir);
    const std::string capture = m_dir.PathOf("capture.txt");
    SetEnv("CORVO_SIM_CAPTURE", capture);
    EXPECT_EQ(Flash({"install", sample}, &out, &err), cli::kExitSuccess) << err;
    UnsetEnv("CORVO_SIM_CAPTURE");
    EXPECT_NE(out.find(kTextRebooting), std::string::npos) << out;
    ExpectSampleWritten(capture);

    // The simulated bus taken away alone: the programs stay and find no device link.
    ASSERT_EQ(Install(TERN_MSI, {"REMOVE=Simulator"}), 0);
    ExpectSimulators(false);
    ExpectProgramsInstalled(TERN_MSI_VERSION);
    EXPECT_EQ(Flash({"list"}, &out, &err), cli::kExitDeviceLink) << out;

    EXPECT_EQ(Remove(TERN_MSI), 0);
    ExpectNothingOfOurs("after the removal");
}

TEST_F(WindowsInstaller, RemovalLeavesAnotherLibrarysRegistrationAlone) {
    // A bus driver's installer registers the class to its own library afterwards, in the view
    // of its bitness: that view keeps it whole, and the other loses our registration.
    for (const Build& driven : kBuilds) {
        SCOPED_TRACE(driven.Simulator());
        ASSERT_EQ(Install(TERN_MSI, {"ADDLOCAL=ALL"}), 0);
        const std::string driver = "C:\\Drivers\\corvo-bus.dll";
        ASSERT_TRUE(RegisterOtherLibrary(driver, driven.view));

        EXPECT_EQ(Remove(TERN_MSI), 0);
        EXPECT_EQ(ServerValue(nullptr, driven.view), driver);
        EXPECT_EQ(ServerValue("ThreadingModel", driven.view), "Both");
        for (const Build& build : kBuilds) {
            if (build.view != driven.view) {
                EXPECT_FALSE(ClassKeyExists(build.view)) << build.Simulator();
            }
        }
        EXPECT_FALSE(Exists(InstallFolder()));
        EXPECT_TRUE(InstalledProducts().empty());
        DeleteClassKey(driven.view);
    }
}

TEST_F(WindowsInstaller, ALaterVersionReplacesThisOneAndAnEarlierOneIsRefused) {
    // This version's installer, and the 32-bit one of this version, which shares its upgrade
    // code and goes to the 32-bit Program Files: a later version replaces either, and neither
    // replaces a later version.
    struct Earlier {
        const char* package;
        const char* folder;  // where it puts the programs, when not where the later one does
    };
    const Earlier earlier[] = {
        {TERN_MSI, nullptr},
#ifdef TERN_MSI_WIN32
        {TERN_MSI_WIN32, "%ProgramFiles(x86)%\\Tern Update Program"},
#endif
    };
    for (const auto& [package, folder] : earlier) {
        SCOPED_TRACE(package);
        ASSERT_EQ(Install(package, {"ADDLOCAL=ALL"}), 0);
        const std::vector<std::string> before = InstalledProducts();
        ASSERT_EQ(before.size(), 1u);

        ASSERT_EQ(Install(TERN_MSI_LATER), 0);
        ExpectProgramsInstalled(TERN_MSI_LATER_VERSION);
        EXPECT_NE(InstalledProducts(), before) << "the earlier product is gone";
        char path[MAX_PATH] = {};
        if (folder && ExpandEnvironmentStringsA(folder, path, MAX_PATH) > 0) {
            EXPECT_FALSE(Exists(path)) << path;
        }
        // Windows carries the chosen features over to the later version; whether or not the
        // system did, each view's class may only name a simulator that is there.
        ExpectSimulators(ClassKeyExists(kBuilds[0].view));

        EXPECT_NE(Install(package), 0) << "an earlier version never replaces a later one";
        ExpectProgramsInstalled(TERN_MSI_LATER_VERSION);

        EXPECT_EQ(Remove(TERN_MSI_LATER), 0);
        ExpectNothingOfOurs("after the removal");
    }
}

}  // namespace
}  // namespace tern::test
