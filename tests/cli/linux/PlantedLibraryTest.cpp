// Libraries planted where tern-flash, run by root or by another user, must not look: the
// current folder, a relative component folder, a components folder found without /proc, and
// component folders, registrations and libraries that a third user could change. Each plant
// is a real library whose constructor leaves a mark; none may run, and each is passed over
// with its reason, while the simulator still serves where it is trusted.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/linux/OtherUser.h"

namespace tern::test {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kThirdUser = 4242;  // owns what is planted: neither root nor the runner
constexpr char kRegistration[] =
    "class = {1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52A}\nlibrary = mark.so\n";

// An installation copied into a test folder: bin/tern-flash, lib/tern-update/libtern_com.so,
// the simulator and its registration in lib/tern-update/components; a current folder; a
// folder everyone may write the mark into.
struct Scene {
    TempDir dir;
    const std::string components = dir.PathOf("prefix/lib/tern-update/components");
    const std::string program = dir.PathOf("prefix/bin/tern-flash");
    const std::string cwd = dir.PathOf("cwd");
    const std::string mark = dir.PathOf("marks/mark");

    Scene() {
        OpenToOtherUser(dir.Path(), false);
        fs::create_directories(components);
        fs::create_directories(dir.PathOf("prefix/bin"));
        fs::create_directories(cwd);
        fs::create_directories(dir.PathOf("marks"));
        OpenToOtherUser(dir.PathOf("marks"), true);
        fs::copy_file(TERN_FLASH_EXE, program);
        fs::copy_file(TERN_COM_LIBRARY, dir.PathOf("prefix/lib/tern-update/libtern_com.so"));
        fs::copy_file(std::string(TERN_COMPONENT_DIR) + "/corvo-sim.so",
                      components + "/corvo-sim.so");
        fs::copy_file(std::string(TERN_COMPONENT_DIR) + "/corvo-sim.component",
                      components + "/corvo-sim.component");
    }
    // The marking library at `path`, as a library of its owner's.
    void Plant(const std::string& path, uid_t owner = 0) const {
        fs::copy_file(TERN_MARK_LIBRARY, path);
        EXPECT_EQ(chown(path.c_str(), owner, 0), 0);
    }
    // A registration of the marking library, first in the folder's order.
    void Register(const std::string& folder, const std::string& text = kRegistration,
                  uid_t owner = 0) const {
        const std::string path = folder + "/a-mark.component";
        std::ofstream(path) << text;
        EXPECT_EQ(chown(path.c_str(), owner, 0), 0);
    }
};

// A registered marking library in components/ of the current folder.
void PlantInCurrentFolder(Scene& s) {
    fs::create_directory(s.cwd + "/components");
    s.Plant(s.cwd + "/components/mark.so");
    s.Register(s.cwd + "/components");
}

struct PlantCase {
    const char* name;
    void (*plant)(Scene&);
    const char* componentPath;  // TERN_COMPONENT_PATH; null: unset
    bool withoutProc;           // /proc hidden in a mount namespace of the run's own
    const char* command;
    int status;
    const char* text;  // in what the run printed, with the scene's folder for "@"
};

const PlantCase kCases[] = {
    {"ALibraryInTheCurrentFolder", [](Scene& s) { s.Plant(s.cwd + "/libsystemd.so.0"); }, nullptr,
     false, "--version", 0, "tern-flash 1.0.0"},
    {"ARelativeComponentPath", PlantInCurrentFolder, "components", false, "list", 2,
     "names \"components\", which is not an absolute folder"},
    {"AComponentsFolderHereWithoutProc", PlantInCurrentFolder,
     // The loader itself needs /proc to place $ORIGIN, so the program does not start.
     nullptr, true, "list", 127, "libtern_com.so: cannot open shared object file"},
    {"AComponentsFolderOthersCanWrite",
     [](Scene& s) {
         s.Plant(s.components + "/mark.so");
         s.Register(s.components);
         chmod(s.components.c_str(), 0777);
     },
     nullptr, false, "list", 2, "is writable by other users, so no component in it is loaded"},
    {"ARegistrationOfAnotherUsers",
     [](Scene& s) {
         s.Plant(s.components + "/mark.so");
         s.Register(s.components, kRegistration, kThirdUser);
     },
     nullptr, false, "list", 0, "a-mark.component belongs to user 4242"},
    {"ALibraryOfAnotherUsers",
     [](Scene& s) {
         s.Plant(s.components + "/mark.so", kThirdUser);
         s.Register(s.components);
     },
     nullptr, false, "list", 0, "mark.so belongs to user 4242"},
    {"ALinkToALibraryInAFolderOthersCanWrite",
     [](Scene& s) {
         fs::create_directory(s.dir.PathOf("open"));
         chmod(s.dir.PathOf("open").c_str(), 0777);
         s.Plant(s.dir.PathOf("open/mark.so"));
         fs::create_symlink(s.dir.PathOf("open/mark.so"), s.components + "/mark.so");
         s.Register(s.components);
     },
     nullptr, false, "list", 0,
     "@/open (for @/prefix/lib/tern-update/components/mark.so) is writable by other users"},
    {"ALibraryNobodyRegistered", [](Scene& s) { s.Plant(s.components + "/stray.so"); }, nullptr,
     false, "list", 0, "Device link: @/prefix/lib/tern-update/components/corvo-sim.so"},
    {"ALinkToATrustedLibraryIsFollowed",
     [](Scene& s) {
         fs::create_directory(s.dir.PathOf("sim"));
         fs::rename(s.components + "/corvo-sim.so", s.dir.PathOf("sim/corvo-sim.so"));
         fs::create_symlink(s.dir.PathOf("sim/corvo-sim.so"), s.components + "/corvo-sim.so");
     },
     nullptr, false, "list", 0, "Device link: @/sim/corvo-sim.so (the simulated bus"},
};

class PlantedLibrary : public testing::TestWithParam<std::tuple<PlantCase, bool>> {};

TEST_P(PlantedLibrary, NeverRunsAndIsPassedOverWithItsReason) {
    const auto& [c, asOther] = GetParam();
    if (!CanActAsOtherUser()) {
        GTEST_SKIP() << "needs root to plant files of other users and to act as one";
    }
    Scene scene;
    c.plant(scene);
    std::vector<std::string> command{"/usr/bin/env",
                                     "-C",
                                     scene.cwd,
                                     "-u",
                                     "TERN_COMPONENT_PATH",
                                     "TERN_TEST_MARK=" + scene.mark};
    if (c.componentPath) {
        command.push_back(std::string("TERN_COMPONENT_PATH=") + c.componentPath);
    }
    command.insert(command.end(), {scene.program, c.command});
    if (asOther) {
        command = AsOtherUser(command);
        command.insert(command.begin(), kSetpriv);
    }
    if (c.withoutProc) {
        command.insert(command.begin(), {"/usr/bin/unshare", "-m", "--", "/bin/sh", "-c",
                                         "mount -t tmpfs none /proc && exec \"$0\" \"$@\""});
    }
    ChildProcess run(command[0], {command.begin() + 1, command.end()}, scene.dir.PathOf("run.err"));
    const int status = run.Finish();
    const std::string printed = run.Out() + run.Err();
    EXPECT_EQ(status, c.status) << printed;
    std::string text = c.text;
    for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@')) {
        text.replace(at, 1, scene.dir.Path());
    }
    EXPECT_NE(printed.find(text), std::string::npos) << printed;
    EXPECT_FALSE(fs::exists(scene.mark)) << "a planted library ran";
}

INSTANTIATE_TEST_SUITE_P(Cases, PlantedLibrary,
                         testing::Combine(testing::ValuesIn(kCases), testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "AsAnotherUser" : "AsRoot");
                         });

}  // namespace
}  // namespace tern::test
