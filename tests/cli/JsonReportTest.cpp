// The JSON documents of list, check and install, read back with a JSON parser: the values
// the text output shows, the same exit status and the same error text on the error stream.
#include "cli/JsonReport.h"

#include <csignal>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CheckCommand.h"
#include "cli/ListCommand.h"
#include "status/StatusCodes.h"
#include "tests/cli/InstallHarness.h"
#include "tests/engine/PlayCases.h"
#include "tests/support/TextLines.h"

namespace tern::test {
namespace {

using nlohmann::json;

constexpr uint32_t kCommunicationFailure = 0x8000000Cu;

// One whole document and nothing after it.
json Parse(const std::string& text) {
    json doc = json::parse(text, nullptr, false);
    EXPECT_FALSE(doc.is_discarded()) << text;
    return doc;
}

// The error object says what the error stream said last.
void ExpectErrorAsPrinted(const json& doc, int status, const std::string& err) {
    EXPECT_EQ(doc["exit_status"], status);
    EXPECT_EQ(doc["ok"], status == cli::kExitSuccess);
    if (status == cli::kExitSuccess) {
        EXPECT_TRUE(doc["error"].is_null()) << doc;
        return;
    }
    const std::vector<std::string> lines = Lines(err);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(doc["error"], json({{"status", status}, {"message", lines.back()}}));
}

// "vendor:model", then for an Ostrel its ports' tags (the firmware port starred) or its error.
std::string Shape(const json& node) {
    std::string shape = node["vendor"].get<std::string>() + ":" + node["model"].get<std::string>();
    if (!node["ostrel"].get<bool>()) {
        EXPECT_TRUE(node["ports"].is_null());
        return shape;
    }
    if (node["ports"].is_null()) {
        return shape + " error: " + node["error"].get<std::string>();
    }
    shape += " ports:";
    for (const json& port : node["ports"]) {
        shape += " " + port["tag"].get<std::string>() + (port["firmware_port"] ? "*" : "");
    }
    return shape;
}

TEST(ListDocument, ShowsWhatTheTextShowsWithTheSameStatusAndErrors) {
    struct Case {
        const char* scenario;
        int status;
        std::vector<std::string> nodes;  // empty with "nodes" null when the bus was not listed
        bool listed;
    };
    const Case cases[] = {
        {"", cli::kExitSuccess, {"0x5A3C:0x2E0107 ports: MIDI FIRM*"}, true},
        {"nodes = 1111:2E0107, 5A3C:2E0108, 5A3C:2E0107\nports.2 = FIRM, FIRM\nports.3 = \n",
         cli::kExitSuccess,
         {"0x1111:0x2E0107", "0x5A3C:0x2E0108 ports: FIRM* FIRM", "0x5A3C:0x2E0107 ports:"},
         true},
        {"nodes =\n", cli::kExitSuccess, {}, true},
        {"create_fails = 1\n", cli::kExitDeviceLink, {}, false},
        {"node_list_fails = 1\n", cli::kExitDeviceLink, {}, false},
        // The first node's device fails, the second's lists; the first failure is the error.
        {"nodes = 5A3C:2E0107, 5A3C:2E0108\nopen_device_fails = 1\n",
         cli::kExitDeviceLink,
         {"0x5A3C:0x2E0107 error: Can not open FW device!! (node 0x0001F20000000001)",
          "0x5A3C:0x2E0108 ports: MIDI FIRM"},
         true},
        {"port_list_fails = 1\n",
         cli::kExitDeviceLink,
         {"0x5A3C:0x2E0107 error: Can not get FW port information!! (node 0x0001F20000000001)"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        ComponentEnvironment env;
        env.SetScenario(c.scenario);
        std::ostringstream textOut, textErr, out, err;
        ASSERT_EQ(cli::RunList(textOut, textErr), c.status);
        ASSERT_EQ(cli::RunList(out, err, cli::OutputFormat::Json), c.status);
        EXPECT_EQ(err.str(), textErr.str());
        const json doc = Parse(out.str());
        EXPECT_EQ(doc["command"], "list");
        ExpectErrorAsPrinted(doc, c.status, err.str());
        if (!c.listed) {
            EXPECT_TRUE(doc["nodes"].is_null());
            continue;
        }
        std::vector<std::string> shapes;
        for (const json& node : doc["nodes"]) {
            shapes.push_back(Shape(node));
        }
        EXPECT_EQ(shapes, c.nodes);
        EXPECT_EQ(doc["node_count"], c.nodes.size());
    }
}

TEST(ListDocument, GivesIdsAndTagsAsTextAndNumber) {
    ComponentEnvironment env;
    std::ostringstream out, err;
    ASSERT_EQ(cli::RunList(out, err, cli::OutputFormat::Json), cli::kExitSuccess);
    const json node = Parse(out.str())["nodes"][0];
    EXPECT_EQ(node["node"], 1);
    EXPECT_EQ(node["id"], "0x0001F20000000001");
    EXPECT_EQ(node["id_number"], 0x0001F20000000001u);
    EXPECT_EQ(node["vendor_number"], 0x5A3C);
    EXPECT_EQ(node["model_number"], 0x2E0107);
    EXPECT_EQ(
        node["ports"][1],
        json({{"id", 2}, {"tag", "FIRM"}, {"tag_number", 0x4649524D}, {"firmware_port", true}}));
    EXPECT_EQ(node["ports"][0]["tag_number"], 0x4D494449);
}

TEST(ListDocument, NamesTheSimulatedBusAsTheDeviceLinkOnceTheRootIsMade) {
    for (const char* scenario : {"", "node_list_fails = 1\n", "create_fails = 1\n"}) {
        SCOPED_TRACE(scenario);
        ComponentEnvironment env;
        env.SetScenario(scenario);
        std::ostringstream out, err;
        cli::RunList(out, err, cli::OutputFormat::Json);
        const json link = Parse(out.str())["device_link"];
        if (std::string(scenario).rfind("create_fails", 0) == 0) {
            EXPECT_TRUE(link.is_null());
            continue;
        }
        EXPECT_EQ(link["simulated"], true);
        EXPECT_NE(link["library"].get<std::string>().find("corvo-sim."), std::string::npos);
    }
}

json CheckJson(const std::string& path, int& status, std::string& err) {
    std::ostringstream out, errors;
    status = cli::RunCheck(path, out, errors, cli::OutputFormat::Json);
    err = errors.str();
    return Parse(out.str());
}

TEST(CheckDocument, TheSampleHasItsHeaderTrackTableAndDryRun) {
    const TempDir dir;
    const std::string path = CopyOfSample(dir);
    int status;
    std::string err;
    const json doc = CheckJson(path, status, err);
    EXPECT_EQ(status, cli::kExitSuccess);
    EXPECT_EQ(err, "");
    ExpectErrorAsPrinted(doc, status, err);
    EXPECT_EQ(doc["path"], path);
    const json& file = doc["file"];
    EXPECT_EQ(file["format"], 0);
    EXPECT_EQ(file["tracks"], 1);
    EXPECT_EQ(file["division"], 480);
    // As the text shows it: 64 lower-case hex digits.
    ASSERT_TRUE(file["sha256"].is_string()) << file;
    const std::string sha256 = file["sha256"];
    EXPECT_EQ(sha256.find_first_not_of("0123456789abcdef"), std::string::npos) << sha256;
    EXPECT_EQ(sha256.size(), 64u);
    ASSERT_EQ(file["track_table"].size(), 1u);
    // One track chunk, from the end of the header to the end of the file.
    EXPECT_EQ(file["track_table"][0]["offset"], 14);
    EXPECT_EQ(file["track_table"][0]["length"], file["size"].get<uint32_t>() - 14);
    // As the text shows it (see CheckCommandTest).
    const json& run = doc["dry_run"];
    EXPECT_EQ(run["sysex_events"], 64);
    EXPECT_EQ(run["data_bytes"], 42800);
    EXPECT_EQ(run["port_bytes"], 42864);
    EXPECT_EQ(run["writes"], 67);
    EXPECT_EQ(run["duration_ms"], 2493);
    EXPECT_EQ(run["duration_exact"], true);
    EXPECT_EQ(run["outcome"], json({{"status", 255}, {"message", kTextRebooting}}));
    EXPECT_TRUE(run["failure"].is_null());
}

TEST(CheckDocument, ARefusedFileCarriesTheVerdictAndEndsWithFileStatus) {
    const TempDir dir;
    int n = 0;
    for (const PlayCase& c : PlayCases()) {
        SCOPED_TRACE(c.name);
        int status;
        std::string err;
        const json doc =
            CheckJson(dir.Write("case" + std::to_string(++n) + ".mid", c.file), status, err);
        const json& run = doc["dry_run"];
        EXPECT_EQ(run["succeeds"], c.playerError == 0);
        EXPECT_EQ(run["verdict"]["refusal"], RefusalName(c.refusal));
        if (c.refusal == Refusal::kNone) {
            EXPECT_EQ(status, cli::kExitSuccess);
            EXPECT_EQ(err, "");
            EXPECT_EQ(run["verdict"],
                      json({{"accepted", true}, {"refusal", "none"}, {"reason", nullptr}}));
            continue;
        }
        // One line on the error stream, the same in the document.
        EXPECT_EQ(status, cli::kExitFile);
        const std::string reason = run["verdict"]["reason"];
        EXPECT_EQ(err, "File format error!! The file is refused: " + reason + ".\n");
        ExpectErrorAsPrinted(doc, status, err);
        EXPECT_EQ(run["verdict"]["accepted"], false);
        EXPECT_FALSE(doc["file"].is_null());
        if (c.playerError == 0) {
            EXPECT_TRUE(run["failure"].is_null());
            continue;
        }
        EXPECT_EQ(run["outcome"]["status"], kCommunicationFailure);
        EXPECT_EQ(run["failure"]["event"], c.eventNumber);
        EXPECT_EQ(run["failure"]["track_offset"], c.trackOffset);
        EXPECT_NE(run["failure"]["why"].get<std::string>().find(c.why), std::string::npos);
        EXPECT_NE(reason.find(run["failure"]["description"].get<std::string>()), std::string::npos);
    }
}

TEST(CheckDocument, ALoadFailureIsInTheDocumentAndOnTheErrorStream) {
    const TempDir dir;
    const std::string cases[] = {
        dir.PathOf("absent.mid"),
        dir.Write("bad.mid", samples::MakeHeader(3, 1, 480)),
        dir.Path(),
        // Not UTF-8: the document still comes, the stray byte replaced.
        dir.PathOf("\xFF.mid"),
    };
    for (const std::string& path : cases) {
        SCOPED_TRACE(path);
        std::ostringstream textOut, textErr;
        ASSERT_EQ(cli::RunCheck(path, textOut, textErr), cli::kExitFile);
        int status;
        std::string err;
        const json doc = CheckJson(path, status, err);
        EXPECT_EQ(status, cli::kExitFile);
        EXPECT_EQ(err, textErr.str());
        ExpectErrorAsPrinted(doc, status, err);
        EXPECT_TRUE(doc["file"].is_null());
        EXPECT_TRUE(doc["dry_run"].is_null());
    }
    int status;
    std::string err;
    EXPECT_EQ(CheckJson(dir.PathOf("\xFF.mid"), status, err)["path"],
              dir.PathOf("\xEF\xBF\xBD.mid"));
}

json InstallJson(const InstallResult& r) {
    return Parse(cli::InstallDocument(r.report));
}

std::vector<int> AttemptStatuses(const json& doc) {
    std::vector<int> statuses;
    for (const json& attempt : doc["discovery"]["attempts"]) {
        EXPECT_EQ(attempt["attempt"], statuses.size() + 1);
        statuses.push_back(attempt["status"].get<int>());
    }
    return statuses;
}

TEST_F(InstallTest, TheDocumentHasDiscoveryTheOutcomeAndTheTiming) {
    struct Case {
        const char* scenario;
        std::string file;
        int status;
        std::vector<int> attempts;
        const char* outputPort;  // nullptr: none was opened
        json transfer;           // the outcome, or null when no transfer ran
        uint32_t discoveryStatus;
    };
    const json rebooting = {{"status", 255}, {"message", kTextRebooting}};
    const json failed = {{"status", kCommunicationFailure},
                         {"message", "FW communication error!!"}};
    const Case cases[] = {
        {"", m_sample, cli::kExitSuccess, {0}, "FIRM", rebooting, 0},
        {"appear_at = 4\n", m_sample, cli::kExitSuccess, {3, 3, 0}, "FIRM", rebooting, 0},
        {"write_fails_at = 3\n", m_sample, cli::kExitTransfer, {0}, "FIRM", failed, 0},
        {"nodes =\n", m_sample, cli::kExitDeviceLink, std::vector<int>(11, 3), nullptr, nullptr,
         0x80000003u},
        {"create_fails = 1\n", m_sample, cli::kExitDeviceLink, {}, nullptr, nullptr, 0x80000001u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.scenario) + " " + c.file);
        m_env.SetScenario(c.scenario);
        const InstallResult r = Install(c.file);
        ASSERT_EQ(r.status, c.status) << r.err;
        const json doc = InstallJson(r);
        EXPECT_EQ(doc["command"], "install");
        ExpectErrorAsPrinted(doc, c.status, r.err);
        EXPECT_EQ(AttemptStatuses(doc), c.attempts);
        EXPECT_EQ(doc["discovery"]["output_port"], c.outputPort ? json(c.outputPort) : json());
        EXPECT_EQ(doc["discovery"]["status"], c.discoveryStatus);
        EXPECT_EQ(doc["discovery"]["failure"].is_null(), c.discoveryStatus == 0);
        EXPECT_FALSE(doc["file"].is_null());  // loaded before the bus is looked at
        if (c.transfer.is_null()) {
            EXPECT_TRUE(doc["install"].is_null()) << doc;
            continue;
        }
        EXPECT_EQ(doc["install"]["outcome"], c.transfer);
        const json& timing = doc["install"]["timing"];
        EXPECT_EQ(timing["scheduled_ms"], doc["dry_run"]["duration_ms"]);
        EXPECT_EQ(timing["scheduled_exact"], doc["dry_run"]["duration_exact"]);
        if (c.status == cli::kExitSuccess) {
            // The last write is not sent before it is due.
            EXPECT_GE(timing["elapsed_ms"], timing["scheduled_ms"]);
            // Every planned write was timed; the text is the line printed last.
            const json& schedule = doc["install"]["schedule"];
            EXPECT_EQ(schedule["writes"], doc["dry_run"]["writes"]);
            EXPECT_LE(schedule["p99_late_us"], schedule["worst_late_us"]);
            EXPECT_EQ(schedule["duration_ms"], timing["elapsed_ms"]);
            EXPECT_EQ(schedule["scheduled_ms"], timing["scheduled_ms"]);
            EXPECT_TRUE(r.out.ends_with(schedule["text"].get<std::string>() + "\n")) << r.out;
        }
    }
}

TEST_F(InstallTest, AFileThatDoesNotLoadOrIsRefusedEndsBeforeTheBusIsLookedAt) {
    struct Case {
        std::string file;
        bool loads;
        const char* refusal;
    };
    const Case cases[] = {
        {m_dir.Write("bad.mid", samples::MakeHeader(3, 1, 480)), false, nullptr},
        {m_dir.Write("failing.mid", PlayCases()[2].file), true, "play_fails"},
        {m_dir.Write("empty-track.mid", samples::MakeSmf(0, 480, {{0x00, 0xFF, 0x2F, 0x00}})), true,
         "no_firmware"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const InstallResult r = Install(c.file);
        ASSERT_EQ(r.status, cli::kExitFile) << r.err;
        const json doc = InstallJson(r);
        ExpectErrorAsPrinted(doc, cli::kExitFile, r.err);
        EXPECT_TRUE(doc["discovery"].is_null()) << doc;
        EXPECT_TRUE(doc["install"].is_null()) << doc;
        EXPECT_EQ(doc["file"].is_null(), !c.loads);
        if (c.refusal) {
            EXPECT_EQ(doc["dry_run"]["verdict"]["refusal"], c.refusal);
        }
        EXPECT_TRUE(r.writes.empty());
    }
}

TEST_F(InstallTest, AnInterruptedRunSaysSoAndHasNoTransfer) {
    const InstallResult r = Install(m_sample, cli::TerminalProgress::Style::Lines,
                                    [](HookClock& clock, HookedBuffer&, cli::InterruptGate& gate) {
                                        clock.OnFirstSleep([&gate] { gate.Interrupt(SIGTERM); });
                                    });
    ASSERT_EQ(r.status, cli::kExitSignalBase + SIGTERM);
    const json doc = InstallJson(r);
    ExpectErrorAsPrinted(doc, r.status, r.err);
    EXPECT_FALSE(doc["discovery"].is_null());
    EXPECT_TRUE(doc["install"].is_null());
}

TEST_F(InstallTest, WhileAnotherInstallHoldsTheLockTheDocumentHasNoDiscovery) {
    platform::InstallLock other;
    ASSERT_TRUE(other.TryAcquire().Taken());
    const InstallResult r = Install(m_sample);
    const json doc = InstallJson(r);
    ExpectErrorAsPrinted(doc, cli::kExitDeviceLink, r.err);
    EXPECT_TRUE(doc["discovery"].is_null());
}

}  // namespace
}  // namespace tern::test
