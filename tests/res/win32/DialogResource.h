// A dialog template resource (DLGTEMPLATEEX) read back into its fields, for the resource tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tern::test {

struct DialogControlResource {
    uint32_t style = 0, exStyle = 0, id = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::string className;  // lower case; the predefined classes by name ("button", "static")
    std::string text;
    int textOrdinal = -1;  // a resource number given instead of a text (an icon control)
};

struct DialogResource {
    uint32_t style = 0, exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::string title;
    int pointSize = 0, weight = 0;
    std::string font;
    std::vector<DialogControlResource> controls;
};

// Null unless `data` is one whole extended dialog template.
std::optional<DialogResource> ParseDialogResource(const std::vector<uint8_t>& data);

}  // namespace tern::test
