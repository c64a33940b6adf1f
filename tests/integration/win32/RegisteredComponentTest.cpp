// tern-flash.exe finds its device link through the registry, as it would find the bus
// driver's component: the simulator registered with regsvr32, listed, checked and installed
// into; unregistered, and the program says it has no interface; registered again with a
// failing write, and the transfer stops there. A class registered by a bare name is never
// served from the current folder or PATH. A driver registered for the other bitness alone is
// handed to the other build when it is installed beside, and named when it is not. Runs in a fresh
// Wine prefix of its own (in-fresh-prefix), since registration is machine-wide.
#include <windows.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "devlink/CorvoInterfaces.h"
#include "platform/OtherBitness.h"
#include "samples/SampleFirmware.h"
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

class RegisteredComponent : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(ClassKeyExists()) << "the prefix must start without the class";
    }
    void TearDown() override { Run(SystemProgram("regsvr32.exe"), {"/u", "/s", m_library}); }

    int Run(const std::string& program, const std::vector<std::string>& args,
            std::string* out = nullptr, std::string* err = nullptr) {
        return RunToEnd(program, args, m_dir.PathOf("stderr.txt"), out, err);
    }
    int Register() { return Run(SystemProgram("regsvr32.exe"), {"/s", m_library}); }
    int Unregister() { return Run(SystemProgram("regsvr32.exe"), {"/u", "/s", m_library}); }
    int Flash(const std::vector<std::string>& args, std::string* out, std::string* err) {
        return Run(m_flash, args, out, err);
    }

    TempDir m_dir;
    // In the system's form, so that it still names the program from another current folder.
    const std::string m_flash = FullPath(TERN_FLASH_EXE);
    const std::string m_library = FullPath(std::string(TERN_COMPONENT_DIR) + "/corvo-sim.dll");
    const std::string m_sample = CopyOfSample(m_dir);
};

TEST_F(RegisteredComponent, RegisterListInstallUnregisterAndAFailingWrite) {
    // Registration writes the server's path and its threading model, nothing else.
    ASSERT_EQ(Register(), 0);
    ExpectRegisteredTo(m_library);

    std::string out;
    std::string err;
    EXPECT_EQ(Flash({"list"}, &out, &err), cli::kExitSuccess) << err;
    EXPECT_NE(out.find("1 node on the bus, 1 Ostrel"), std::string::npos) << out;
    EXPECT_NE(out.find("port 2: FIRM (0x4649524D), firmware port"), std::string::npos) << out;
    // The registered library, named as the simulated bus.
    EXPECT_NE(out.find("corvo-sim.dll (the simulated bus: nothing reaches a real Ostrel)"),
              std::string::npos)
        << out;

    EXPECT_EQ(Flash({"check", m_sample}, &out, &err), cli::kExitSuccess) << err;
    EXPECT_NE(out.find(kTextRebooting), std::string::npos) << out;

    const std::string capture = m_dir.PathOf("capture.txt");
    SetEnv("CORVO_SIM_CAPTURE", capture);
    EXPECT_EQ(Flash({"install", m_sample}, &out, &err), cli::kExitSuccess) << err;
    EXPECT_NE(out.find(kTextRebooting), std::string::npos) << out;
    ExpectSampleWritten(capture);

    // Unregistered, the class key is gone, and the program has no device link.
    ASSERT_EQ(Unregister(), 0);
    EXPECT_FALSE(ClassKeyExists());
    std::remove(capture.c_str());
    for (const char* command : {"list", "install"}) {
        std::vector<std::string> args{command};
        if (std::string(command) == "install") {
            args.push_back(m_sample);
        }
        EXPECT_EQ(Flash(args, &out, &err), cli::kExitDeviceLink) << command;
        EXPECT_NE(err.find("Can not get FW interface!!"), std::string::npos) << command << err;
    }
    EXPECT_TRUE(ReadLines(capture).empty());

    // Registered again, with the third write failing: the transfer ends there.
    ASSERT_EQ(Register(), 0);
    const std::string scenario = m_dir.PathOf("scenario.txt");
    FILE* file = std::fopen(scenario.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("write_fails_at = 3\n", file);
    std::fclose(file);
    SetEnv("CORVO_SIM_SCENARIO", scenario);
    EXPECT_EQ(Flash({"install", m_sample}, &out, &err), cli::kExitTransfer) << err;
    EXPECT_NE(err.find(MessageText(kMsgCommunication)), std::string::npos) << err;
    const std::vector<CapturedWrite> cut = ReadCapture(capture);
    const std::vector<std::string> expected = ExpectedWrites(samples::BuildSampleFirmware().sysex);
    ASSERT_EQ(cut.size(), 3u) << "nothing may be written after the failed write";
    for (size_t i = 0; i < cut.size(); ++i) {
        EXPECT_EQ(cut[i].failed, i == 2) << "write " << i;
        EXPECT_EQ(cut[i].hex, expected[i]) << "write " << i;
    }
    UnsetEnv("CORVO_SIM_SCENARIO");
    UnsetEnv("CORVO_SIM_CAPTURE");
}

TEST_F(RegisteredComponent, UnregisteringLeavesAnotherLibrarysRegistrationAlone) {
    // The same class registered to some other library, as the bus driver would register it.
    ASSERT_EQ(Register(), 0);
    const std::string driver = "C:\\Drivers\\corvo-bus.dll";
    ASSERT_TRUE(RegisterOtherLibrary(driver));

    EXPECT_NE(Unregister(), 0);
    EXPECT_EQ(ServerValue(nullptr), driver);
    EXPECT_EQ(ServerValue("ThreadingModel"), "Both");

    // Put back as ours, so the test's end can remove it.
    ASSERT_EQ(Register(), 0);
}

// A copy of the planted library in a new folder `name` of `dir`: the copy's full path.
std::string Plant(const TempDir& dir, const std::string& name) {
    const std::string folder = FullPath(dir.PathOf(name));
    std::filesystem::create_directory(folder);
    const std::string library = folder + "\\corvo-bus.dll";
    EXPECT_TRUE(CopyFileA(FullPath(TERN_PLANTED_LIBRARY).c_str(), library.c_str(), FALSE));
    return library;
}

bool Marked(const std::string& library) {
    return std::filesystem::exists(library + ".mark");
}

TEST_F(RegisteredComponent, ABareNameIsNeverServedFromTheCurrentFolderOrPath) {
    // Loaded, the planted library leaves its mark: its absence below means it was not loaded.
    const std::string probe = Plant(m_dir, "probe");
    const HMODULE loaded = LoadLibraryA(probe.c_str());
    ASSERT_NE(loaded, nullptr);
    FreeLibrary(loaded);
    ASSERT_TRUE(Marked(probe));

    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    char current[MAX_PATH] = {};
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, current), 0u);
    // The class named without a folder, as an installer might register a driver's server.
    // From here on nothing ends the test early: the key must go at its end.
    ASSERT_TRUE(RegisterOtherLibrary("corvo-bus.dll"));
    const struct {
        const char* where;
        bool onPath;  // false: the current folder
    } kPlaces[] = {{"current", false}, {"on-path", true}};
    for (const auto& place : kPlaces) {
        // One place at a time: a library found in the first would hide the second.
        const std::string library = Plant(m_dir, place.where);
        const std::string folder = library.substr(0, library.rfind('\\'));
        if (place.onPath) {
            SetEnv("PATH", folder + ";" + path);
        } else {
            EXPECT_TRUE(SetCurrentDirectoryA(folder.c_str()));
        }
        std::string out;
        std::string err;
        EXPECT_EQ(Flash({"list"}, &out, &err), cli::kExitDeviceLink) << place.where << err;
        EXPECT_NE(err.find("Can not get FW interface!!"), std::string::npos) << place.where << err;
        EXPECT_FALSE(Marked(library)) << "loaded from the folder " << place.where;
        SetEnv("PATH", path);
        SetCurrentDirectoryA(current);
        std::filesystem::remove(library);
    }
    DeleteClassKey();
}

constexpr const char* kPrograms[] = {
    TERN_FLASH_EXE,
#ifdef TERN_UPDATE_EXE
    TERN_UPDATE_EXE,
#endif
};

// An installation as the 64-bit installer lays one out, each build's programs in their own
// folder; the other build's place holds a stand-in, since these machines run no 32-bit code.
struct Installation {
    explicit Installation(const TempDir& dir)
        : top(FullPath(dir.PathOf("installed"))),
          own(platform::ProcessBits() == 64 ? top : top + "\\x86"),
          other(platform::ProcessBits() == 64 ? top + "\\x86" : top) {
        std::filesystem::create_directories(top + "\\x86");
        for (const char* program : kPrograms) {
            const std::string name = std::filesystem::path(program).filename().string();
            EXPECT_TRUE(CopyFileA(FullPath(program).c_str(), (own + "\\" + name).c_str(), FALSE));
        }
    }
    void PlaceStandIns() const {
        for (const char* program : kPrograms) {
            const std::string name = std::filesystem::path(program).filename().string();
            EXPECT_TRUE(CopyFileA(FullPath(TERN_STAND_IN_EXE).c_str(),
                                  (other + "\\" + name).c_str(), FALSE));
        }
    }
    std::string top, own, other;
};

TEST_F(RegisteredComponent, ADriverOfTheOtherBitnessIsServedByTheOtherBuildBesideThisOne) {
    const int ownBits = platform::ProcessBits();
    const int otherBits = ownBits == 64 ? 32 : 64;
    const RegistryView otherView = otherBits == 32 ? RegistryView::Bits32 : RegistryView::Bits64;
    const std::string driver = "C:\\Drivers\\corvo-bus.dll";
    const std::string record = m_dir.PathOf("stand-in.txt");
    SetEnv("TERN_STAND_IN_RECORD", record);
    SetEnv("TERN_STAND_IN_STATUS", "7");
    const struct Case {
        const char* what;
        bool ownView, otherView, standIn;
        const char* program;
        bool handedOver;
    } kCases[] = {
        {"other view, other build beside: tern-flash", false, true, true, "tern-flash.exe", true},
#ifdef TERN_UPDATE_EXE
        {"other view, other build beside: tern-update", false, true, true, "tern-update.exe", true},
#endif
        {"other view, no other build", false, true, false, "tern-flash.exe", false},
        {"own view", true, false, true, "tern-flash.exe", false},
        {"both views", true, true, true, "tern-flash.exe", false},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const Installation installed(dir);
        if (c.standIn) {
            installed.PlaceStandIns();
        }
        if (c.ownView) {
            ASSERT_EQ(Register(), 0);
        }
        if (c.otherView) {
            ASSERT_TRUE(RegisterOtherLibrary(driver, otherView));
        }
        std::remove(record.c_str());
        const std::string program = installed.own + "\\" + c.program;
        const bool flash = std::string(c.program) == "tern-flash.exe";
        std::vector<std::string> args;
        if (flash) {
            args = {"list", "--json"};
            if (c.handedOver) {  // an argument with a blank and quotes reaches it as it is
                args.push_back("a \"quoted\" arg");
            }
        }
        ChildProcess child(program, args, m_dir.PathOf("stderr.txt"));
        // The window's program hands over without a window: it ends by itself, at once, and
        // the other build goes on alone.
        const int status = flash ? child.Finish() : child.WaitExit(std::chrono::seconds(60));
        const std::string out = child.Out();
        const std::string err = child.Err();
        for (int i = 0; !flash && c.handedOver && i < 300 && ReadLines(record).size() < 2; ++i) {
            Sleep(100);
        }
        const std::vector<std::string> recorded = ReadLines(record);
        if (c.handedOver) {
            EXPECT_EQ(status, flash ? 7 : 0) << err;
            ASSERT_EQ(recorded.size(), 2u);
            const std::string expectedLine = "\"" + installed.other + "\\" + c.program + "\"" +
                                             (flash ? " list --json \"a \\\"quoted\\\" arg\"" : "");
            EXPECT_EQ(recorded[0], expectedLine);
            EXPECT_EQ(recorded[1], "handed over: yes");
            if (flash) {  // its streams are the other build's, and its status
                EXPECT_EQ(out, "stand-in out\n");
                EXPECT_EQ(err, "stand-in err\n");
            }
        } else {
            EXPECT_TRUE(recorded.empty()) << "the other build was started";
            EXPECT_EQ(out.find("stand-in"), std::string::npos) << out;
            // The listing of this build: the driver's registrations, this build's own view first.
            const nlohmann::json doc = nlohmann::json::parse(out, nullptr, false);
            ASSERT_TRUE(doc.is_object()) << out;
            std::vector<int> bits;
            for (const auto& view : doc["registrations"]) {
                bits.push_back(view["bits"].get<int>());
                if (bits.back() == otherBits) {
                    EXPECT_EQ(view["library"], driver);
                }
            }
            std::vector<int> expected;
            if (c.ownView) {
                expected.push_back(ownBits);
            }
            if (c.otherView) {
                expected.push_back(otherBits);
            }
            EXPECT_EQ(bits, expected) << out;
        }
        if (!c.handedOver && !c.ownView) {
            // Named: which bitness the driver has, where it is, and which program to use.
            EXPECT_EQ(status, cli::kExitDeviceLink) << err;
            EXPECT_NE(
                err.find("Can not get FW interface!!\nThe device link's component is "
                         "registered for " +
                         std::to_string(otherBits) + "-bit programs only (" + driver +
                         "), and this tern-flash is " + std::to_string(ownBits) + "-bit: use the " +
                         std::to_string(otherBits) + "-bit tern-flash.exe"),
                std::string::npos)
                << err;
        } else if (c.ownView) {
            EXPECT_EQ(status, cli::kExitSuccess) << err;
            EXPECT_EQ(err.find("-bit programs only"), std::string::npos) << err;
        }
        DeleteClassKey(otherView);
        if (c.ownView) {
            ASSERT_EQ(Unregister(), 0);
        }
    }
    UnsetEnv("TERN_STAND_IN_RECORD");
    UnsetEnv("TERN_STAND_IN_STATUS");
}

}  // namespace
}  // namespace tern::test
