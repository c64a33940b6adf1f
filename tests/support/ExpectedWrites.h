// What the firmware port must receive for a file's SysEx events: each as 0xF0 and its data
// bytes, cut into writes of at most 4,096 bytes, each write as lowercase hex (the capture's
// form).
#pragma once

#include <string>
#include <vector>

#include "samples/SampleFirmware.h"

namespace tern::test {

std::vector<std::string> ExpectedWrites(const std::vector<samples::SampleSysEx>& events);

// Expects the capture at `path` to hold exactly the sample firmware's writes, none failed.
void ExpectSampleWritten(const std::string& path);

}  // namespace tern::test
