// tern-flash.exe finds its device link through the registry, as it would find the bus
// driver's component: the simulator registered with regsvr32, listed, checked and installed
// into; unregistered, and the program says it has no interface; registered again with a
// failing write, and the transfer stops there. Runs in a fresh Wine prefix of its own
// (in-fresh-prefix), since registration is machine-wide.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "devlink/CorvoInterfaces.h"
#include "samples/SampleFirmware.h"
#include "status/StatusCodes.h"
#include "tests/cli/SampleCopy.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ComponentEnvironment.h"
#include "tests/support/Environment.h"
#include "tests/support/ExpectedWrites.h"
#include "tests/support/TempDir.h"

namespace tern::test {
namespace {

std::string FullPath(const std::string& path) {
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length == 0 || length >= MAX_PATH ? path : std::string(full, length);
}

std::string SystemProgram(const char* name) {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder, length) + "\\" + name;
}

std::string ServerKey() {
    return "CLSID\\" + platform::FormatGuid(CLSID_CorvoAsync) + "\\InprocServer32";
}

// A value under HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32; nothing when it is not there.
std::optional<std::string> ServerValue(const char* name) {
    char value[MAX_PATH + 1] = {};
    DWORD size = sizeof value - 1;
    if (RegGetValueA(HKEY_CLASSES_ROOT, ServerKey().c_str(), name, RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::string(value);
}

bool ClassKeyExists() {
    HKEY key = nullptr;
    const std::string path = "CLSID\\" + platform::FormatGuid(CLSID_CorvoAsync);
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

class RegisteredComponent : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(ClassKeyExists()) << "the prefix must start without the class";
    }
    void TearDown() override { Run(SystemProgram("regsvr32.exe"), {"/u", "/s", m_library}); }

    int Run(const std::string& program, const std::vector<std::string>& args,
            std::string* out = nullptr, std::string* err = nullptr) {
        ChildProcess child(program, args, m_dir.PathOf("stderr.txt"));
        const int status = child.Finish();
        if (out) {
            *out = child.Out();
        }
        if (err) {
            *err = child.Err();
        }
        return status;
    }
    int Register() { return Run(SystemProgram("regsvr32.exe"), {"/s", m_library}); }
    int Unregister() { return Run(SystemProgram("regsvr32.exe"), {"/u", "/s", m_library}); }
    int Flash(const std::vector<std::string>& args, std::string* out, std::string* err) {
        return Run(TERN_FLASH_EXE, args, out, err);
    }

    TempDir m_dir;
    const std::string m_library = FullPath(std::string(TERN_COMPONENT_DIR) + "/corvo-sim.dll");
    const std::string m_sample = CopyOfSample(m_dir);
};

TEST_F(RegisteredComponent, RegisterListInstallUnregisterAndAFailingWrite) {
    // Registration writes the server's path and its threading model, nothing else.
    ASSERT_EQ(Register(), 0);
    EXPECT_TRUE(ServerValue(nullptr).has_value());
    EXPECT_EQ(_stricmp(ServerValue(nullptr).value_or("").c_str(), m_library.c_str()), 0)
        << ServerValue(nullptr).value_or("(none)");
    EXPECT_EQ(ServerValue("ThreadingModel"), "Both");

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
    const std::vector<CapturedWrite> written = ReadCapture(capture);
    const std::vector<std::string> expected = ExpectedWrites(samples::BuildSampleFirmware().sysex);
    ASSERT_EQ(written.size(), expected.size());
    for (size_t i = 0; i < written.size(); ++i) {
        EXPECT_FALSE(written[i].failed) << "write " << i;
        EXPECT_EQ(written[i].count * 2, expected[i].size()) << "write " << i;
        EXPECT_EQ(written[i].hex, expected[i]) << "write " << i;
    }

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
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ServerKey().c_str(), 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    const char driver[] = "C:\\Drivers\\corvo-bus.dll";
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(driver), sizeof driver);
    RegCloseKey(key);

    EXPECT_NE(Unregister(), 0);
    EXPECT_EQ(ServerValue(nullptr), std::string(driver));
    EXPECT_EQ(ServerValue("ThreadingModel"), "Both");

    // Put back as ours, so the test's end can remove it.
    ASSERT_EQ(Register(), 0);
}

}  // namespace
}  // namespace tern::test
