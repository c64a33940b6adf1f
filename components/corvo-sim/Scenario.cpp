#include "Scenario.h"

#include <charconv>
#include <functional>
#include <set>

namespace corvo_sim {
namespace {

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string_view> SplitList(std::string_view value) {
    std::vector<std::string_view> items;
    if (value.empty()) {
        return items;
    }
    size_t start = 0;
    for (;;) {
        const size_t comma = value.find(',', start);
        items.push_back(Trim(value.substr(start, comma - start)));
        if (comma == std::string_view::npos) {
            return items;
        }
        start = comma + 1;
    }
}

bool ParseUnsigned(std::string_view text, int base, uint32_t& out) {
    if (base == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseTags(std::string_view value, std::vector<uint32_t>& tags, std::string& problem) {
    tags.clear();
    for (std::string_view item : SplitList(value)) {
        if (item.size() != 4) {
            problem = "port tag '" + std::string(item) + "' is not four characters";
            return false;
        }
        uint32_t tag = 0;
        for (char c : item) {
            if (c < 0x20 || c > 0x7E) {
                problem = "port tag '" + std::string(item) + "' is not printable ASCII";
                return false;
            }
            tag = tag << 8 | static_cast<uint8_t>(c);
        }
        tags.push_back(tag);
    }
    return true;
}

bool ParseNodes(std::string_view value, std::vector<Scenario::Node>& nodes, std::string& problem) {
    nodes.clear();
    for (std::string_view item : SplitList(value)) {
        const size_t colon = item.find(':');
        Scenario::Node node{};
        if (colon == std::string_view::npos ||
            !ParseUnsigned(Trim(item.substr(0, colon)), 16, node.vendorId) ||
            !ParseUnsigned(Trim(item.substr(colon + 1)), 16, node.modelId)) {
            problem = "node '" + std::string(item) + "' is not vendor:model in hex";
            return false;
        }
        nodes.push_back(node);
    }
    return true;
}

using Setter = std::function<bool(std::string_view value, Scenario&, std::string& problem)>;

Setter Count(uint32_t Scenario::*field) {
    return [field](std::string_view value, Scenario& s, std::string& problem) {
        if (!ParseUnsigned(value, 10, s.*field)) {
            problem = "'" + std::string(value) + "' is not a whole number";
            return false;
        }
        return true;
    };
}

const std::map<std::string, Setter, std::less<>>& Setters() {
    static const std::map<std::string, Setter, std::less<>> setters = {
        {"nodes",
         [](std::string_view v, Scenario& s, std::string& p) { return ParseNodes(v, s.nodes, p); }},
        {"ports",
         [](std::string_view v, Scenario& s, std::string& p) { return ParseTags(v, s.ports, p); }},
        {"create_fails",
         [](std::string_view v, Scenario& s, std::string& p) {
             if (v != "0" && v != "1") {
                 p = "create_fails must be 0 or 1";
                 return false;
             }
             s.createFails = v == "1";
             return true;
         }},
        {"node_list_fails", Count(&Scenario::nodeListFails)},
        {"appear_at", Count(&Scenario::appearAt)},
        {"open_device_fails", Count(&Scenario::openDeviceFails)},
        {"open_device_null", Count(&Scenario::openDeviceNull)},
        {"port_list_fails", Count(&Scenario::portListFails)},
        {"open_port_fails", Count(&Scenario::openPortFails)},
        {"open_port_null", Count(&Scenario::openPortNull)},
        {"write_fails_at", Count(&Scenario::writeFailsAt)},
        {"write_latency_us", Count(&Scenario::writeLatencyUs)},
    };
    return setters;
}

// "ports.N": the ports of node N, counted from 1.
bool ParseNodePortsKey(std::string_view key, uint32_t& node) {
    constexpr std::string_view kPrefix = "ports.";
    return key.substr(0, kPrefix.size()) == kPrefix &&
           ParseUnsigned(key.substr(kPrefix.size()), 10, node) && node >= 1;
}

}  // namespace

const std::vector<uint32_t>& Scenario::PortsOf(size_t nodeIndex) const {
    const auto it = nodePorts.find(static_cast<uint32_t>(nodeIndex + 1));
    return it == nodePorts.end() ? ports : it->second;
}

bool ParseScenario(std::string_view text, Scenario& scenario, std::string& problem) {
    std::set<std::string, std::less<>> seen;
    size_t lineNumber = 0;
    size_t start = 0;
    while (start < text.size()) {
        const size_t newline = text.find('\n', start);
        std::string_view line = text.substr(start, newline - start);
        start = newline == std::string_view::npos ? text.size() : newline + 1;
        ++lineNumber;
        const std::string where = "line " + std::to_string(lineNumber) + ": ";

        line = Trim(line.substr(0, line.find('#')));
        if (line.empty()) {
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            problem = where + "expected 'key = value'";
            return false;
        }
        const std::string_view key = Trim(line.substr(0, equals));
        const std::string_view value = Trim(line.substr(equals + 1));
        if (!seen.insert(std::string(key)).second) {
            problem = where + "key '" + std::string(key) + "' is given twice";
            return false;
        }
        std::string what;
        bool ok;
        uint32_t node = 0;
        if (const auto it = Setters().find(key); it != Setters().end()) {
            ok = it->second(value, scenario, what);
        } else if (ParseNodePortsKey(key, node)) {
            ok = ParseTags(value, scenario.nodePorts[node], what);
        } else {
            ok = false;
            what = "unknown key '" + std::string(key) + "'";
        }
        if (!ok) {
            problem = where + what;
            return false;
        }
    }
    if (!scenario.nodePorts.empty() && scenario.nodePorts.rbegin()->first > scenario.nodes.size()) {
        problem = "ports." + std::to_string(scenario.nodePorts.rbegin()->first) +
                  " names a node that is not listed (" + std::to_string(scenario.nodes.size()) +
                  " nodes)";
        return false;
    }
    return true;
}

}  // namespace corvo_sim
