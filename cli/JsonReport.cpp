#include "cli/JsonReport.h"

#include <nlohmann/json.hpp>

#include "cli/HexText.h"
#include "engine/Checksum.h"
#include "status/StatusCodes.h"

namespace tern::cli {
namespace {

// Keys in the order they are set, so the document reads as the text output does.
using Json = nlohmann::ordered_json;

Json Envelope(const char* command, const CommandResult& result) {
    Json doc;
    doc["command"] = command;
    doc["ok"] = result.Ok();
    doc["exit_status"] = result.exitStatus;
    doc["error"] = nullptr;
    if (!result.Ok()) {
        doc["error"] = {{"status", result.exitStatus}, {"message", result.error}};
    }
    return doc;
}

// A status code as the unsigned 32-bit word it is stored as: failure codes have the top bit.
Json Outcome(int32_t status, const std::string& message) {
    return {{"status", static_cast<uint32_t>(status)}, {"message", message}};
}

template <typename T>
Json OrNull(const std::optional<T>& part, Json (*build)(const T&)) {
    return part ? build(*part) : Json(nullptr);
}

std::string Dump(const Json& doc) {
    // A path need not be UTF-8: its stray bytes become U+FFFD rather than an exception.
    return doc.dump(2, ' ', false, Json::error_handler_t::replace) + '\n';
}

Json PortJson(const ListedPort& port) {
    return {{"id", port.id},
            {"tag", TagText(port.tag)},
            {"tag_number", port.tag},
            {"firmware_port", port.firmwarePort}};
}

Json NodeJson(const ListedNode& node, size_t number) {
    Json json{{"node", number},
              {"id", Hex(node.id, 16)},
              {"id_number", node.id},
              {"vendor", Hex(node.vendor, 4)},
              {"vendor_number", node.vendor},
              {"model", Hex(node.model, 6)},
              {"model_number", node.model},
              {"ostrel", node.ostrel},
              {"ports", nullptr},
              {"error", nullptr}};
    if (node.portsListed) {
        json["ports"] = Json::array();
        for (const ListedPort& port : node.ports) {
            json["ports"].push_back(PortJson(port));
        }
    }
    if (!node.error.empty()) {
        json["error"] = node.error;
    }
    return json;
}

Json FileJson(const FileSummary& file) {
    Json json{{"size", file.size},
              {"sha256", file.sha256 ? Json(DigestText(*file.sha256)) : Json(nullptr)},
              {"format", file.format},
              {"tracks", file.tracks},
              {"division", file.division},
              {"track_table", Json::array()}};
    for (size_t i = 0; i < file.trackTable.size(); ++i) {
        json["track_table"].push_back({{"track", i},
                                       {"offset", file.trackTable[i].offset},
                                       {"length", file.trackTable[i].length}});
    }
    return json;
}

Json FailureJson(const PlayFailure& failure) {
    return {{"event", failure.eventNumber},
            {"track_offset", failure.trackOffset},
            {"file_offset", failure.fileOffset},
            {"why", failure.why},
            {"description", Describe(failure)}};
}

Json DryRunJson(const DryRunReport& run) {
    return {{"tempo_us_per_quarter_note", kInstallTempo},
            {"sysex_events", run.sysexEvents},
            {"data_bytes", run.dataBytes},
            {"port_bytes", run.portBytes},
            {"writes", run.writes},
            {"duration_ms", run.durationMs},
            {"duration_exact", run.durationExact},
            {"succeeds", run.Succeeds()},
            {"outcome",
             Outcome(run.status, run.Succeeds() ? kTextRebooting : MessageText(kMsgCommunication))},
            {"failure", OrNull(run.failure, FailureJson)},
            {"schedule_ms", run.scheduleMs},
            {"verdict",
             {{"accepted", run.verdict.Accepted()},
              {"refusal", RefusalName(run.verdict.refusal)},
              {"reason", run.verdict.Accepted() ? Json(nullptr) : Json(run.verdict.reason)}}}};
}

Json DiscoveryJson(const DiscoveryRecord& discovery) {
    Json attempts = Json::array();
    for (const DiscoveryAttemptRecord& a : discovery.attempts) {
        attempts.push_back({{"attempt", a.number}, {"status", a.status}, {"meaning", a.meaning}});
    }
    return {
        {"attempts", attempts},
        {"output_port", discovery.outputPort.empty() ? Json(nullptr) : Json(discovery.outputPort)},
        {"status", static_cast<uint32_t>(discovery.status)},
        {"failure", discovery.failure.empty() ? Json(nullptr) : Json(discovery.failure)}};
}

Json DeviceLinkJson(const platform::ComponentIdentity& link) {
    return {{"library", link.library}, {"simulated", link.simulation}};
}

Json CpuTimeJson(const InstallSession::CpuTimeCheck& cpu) {
    return {{"limit_ms", cpu.allowance.limited ? Json(cpu.allowance.limitMs) : Json(nullptr)},
            {"used_ms", cpu.allowance.usedMs},
            {"needed_ms", cpu.neededMs},
            {"covered", cpu.Covered()}};
}

// The transfer itself; a place for more records of the play beside its outcome and timing.
Json TransferJson(const TransferRecord& transfer) {
    return {{"outcome", Outcome(transfer.status, transfer.message)},
            {"timing",
             {{"scheduled_ms", transfer.timing.scheduledMs},
              {"scheduled_exact", transfer.timing.scheduledExact},
              {"elapsed_ms", transfer.timing.elapsedMs}}},
            {"schedule",
             {{"writes", transfer.schedule.writes},
              {"p99_late_us", transfer.schedule.p99LateUs},
              {"worst_late_us", transfer.schedule.worstLateUs},
              {"duration_ms", transfer.schedule.elapsedMs},
              {"scheduled_ms", transfer.schedule.scheduledMs},
              {"scheduled_exact", transfer.schedule.scheduledExact},
              {"moved_ms", transfer.schedule.moves.movedMs},
              {"stalls_held_up", transfer.schedule.moves.heldUp},
              {"stalls_slow_writes", transfer.schedule.moves.slowWrites},
              {"text", ScheduleKeptLine(transfer.schedule)}}}};
}

}  // namespace

std::string ListDocument(const BusListing& listing) {
    Json doc = Envelope("list", listing.result);
    doc["device_link"] = OrNull(listing.deviceLink, DeviceLinkJson);
    doc["skipped_components"] = listing.skippedComponents;
    doc["registrations"] = Json::array();
    for (const platform::ViewRegistration& view : listing.registrations) {
        doc["registrations"].push_back({{"bits", view.bits}, {"library", view.library}});
    }
    doc["node_count"] = nullptr;
    doc["ostrel_count"] = nullptr;
    doc["nodes"] = nullptr;
    if (listing.nodesListed) {
        doc["node_count"] = listing.nodes.size();
        doc["ostrel_count"] = listing.Ostrels();
        doc["nodes"] = Json::array();
        for (size_t i = 0; i < listing.nodes.size(); ++i) {
            doc["nodes"].push_back(NodeJson(listing.nodes[i], i + 1));
        }
    }
    return Dump(doc);
}

std::string CheckDocument(const CheckReport& report) {
    Json doc = Envelope("check", report.result);
    doc["path"] = report.path;
    doc["file"] = OrNull(report.file, FileJson);
    doc["dry_run"] = OrNull(report.dryRun, DryRunJson);
    return Dump(doc);
}

std::string InstallDocument(const InstallReport& report) {
    Json doc = Envelope("install", report.result);
    doc["path"] = report.path;
    doc["device_link"] = OrNull(report.deviceLink, DeviceLinkJson);
    doc["discovery"] = OrNull(report.discovery, DiscoveryJson);
    doc["file"] = OrNull(report.file, FileJson);
    doc["dry_run"] = OrNull(report.plan, DryRunJson);
    doc["cpu_time"] = OrNull(report.cpuTime, CpuTimeJson);
    doc["install"] = OrNull(report.transfer, TransferJson);
    doc["warnings"] = report.warnings;
    return Dump(doc);
}

std::string UsageDocument(const char* command, const std::string& message) {
    CommandResult result;
    result.Fail(kExitUsage, message);
    Json doc = Envelope(command ? command : "", result);
    if (!command) {
        doc["command"] = nullptr;
    }
    return Dump(doc);
}

}  // namespace tern::cli
