#include "cli/ListCommand.h"

#include "cli/BusListing.h"
#include "cli/DeviceLinkIdentity.h"
#include "cli/HexText.h"
#include "cli/JsonReport.h"

namespace tern::cli {
namespace {

void PrintPorts(const ListedNode& node, std::ostream& out) {
    for (const ListedPort& port : node.ports) {
        out << "  port " << port.id << ": " << TagText(port.tag) << " (" << Hex(port.tag, 8) << ")"
            << (port.firmwarePort ? ", firmware port" : "") << '\n';
    }
    if (node.portsListed && node.ports.empty()) {
        out << "  no ports\n";
    }
}

// The listing as lines on `out`, each failure's message on `err` where it happened.
void Print(const BusListing& listing, std::ostream& out, std::ostream& err) {
    for (const std::string& skipped : listing.skippedComponents) {
        err << "Skipped: " << skipped << '\n';
    }
    if (listing.deviceLink) {
        out << DeviceLinkLine(*listing.deviceLink) << '\n';
    }
    if (!listing.nodesListed) {
        err << listing.result.error << '\n';
        return;
    }
    const size_t count = listing.nodes.size();
    const size_t ostrels = listing.Ostrels();
    out << count << (count == 1 ? " node" : " nodes") << " on the bus, " << ostrels
        << (ostrels == 1 ? " Ostrel\n" : " Ostrels\n");
    for (size_t i = 0; i < count; ++i) {
        const ListedNode& node = listing.nodes[i];
        out << "node " << i + 1 << ": id " << Hex(node.id, 16) << ", vendor " << Hex(node.vendor, 4)
            << ", model " << Hex(node.model, 6) << ", "
            << (node.ostrel ? "Ostrel" : "not an Ostrel") << '\n';
        if (!node.error.empty()) {
            err << node.error << '\n';
        }
        PrintPorts(node, out);
    }
}

}  // namespace

int RunList(std::ostream& out, std::ostream& err, OutputFormat format) {
    const BusListing listing = ReadBusListing();
    if (format == OutputFormat::Json) {
        std::ostream discarded(nullptr);  // the document takes the text's place
        Print(listing, discarded, err);
        out << ListDocument(listing) << std::flush;
    } else {
        Print(listing, out, err);
    }
    return listing.result.exitStatus;
}

}  // namespace tern::cli
