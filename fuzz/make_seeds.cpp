// Writes the seed corpus: the sample firmware and the shapes known to break MIDI file
// readers, each a small file in the folder given.
#include <cstdio>
#include <string>
#include <vector>

#include "samples/SampleFirmware.h"
#include "samples/SmfWriter.h"

using tern::samples::Bytes;

namespace {

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

Bytes HeaderWithLength(uint32_t length, uint16_t tracks) {
    Bytes out = {'M', 'T', 'h', 'd'};
    tern::samples::AppendBigEndian32(out, length);
    tern::samples::AppendBigEndian16(out, 0);
    tern::samples::AppendBigEndian16(out, tracks);
    tern::samples::AppendBigEndian16(out, 480);
    return out;
}

Bytes Chunk(uint32_t declared, const Bytes& events) {
    Bytes out = {'M', 'T', 'r', 'k'};
    tern::samples::AppendBigEndian32(out, declared);
    out.insert(out.end(), events.begin(), events.end());
    return out;
}

bool Write(const std::string& folder, const std::string& name, const Bytes& bytes) {
    const std::string path = folder + "/" + name;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        return false;
    }
    const bool ok =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 1;
    }
    const std::string folder = argv[1];
    const Bytes end = {0x00, 0xFF, 0x2F, 0x00};
    const Bytes track = tern::samples::MakeTrackChunk(end);
    Bytes manyTracks = tern::samples::MakeHeader(1, 17, 480);
    for (int i = 0; i < 17; ++i) {
        manyTracks = Concat({manyTracks, track});
    }
    // Running status carried across SysEx and meta events: data bytes right after them.
    const Bytes running = {0x00, 0xF0, 0x02, 0x01, 0xF7, 0x00, 0x03, 0x7E, 0x7F, 0xF7, 0x00, 0xFF,
                           0x01, 0x01, 0x41, 0x00, 0x01, 0x01, 0x42, 0x00, 0xFF, 0x2F, 0x00};
    const std::vector<std::pair<std::string, Bytes>> seeds = {
        {"sample.mid", tern::samples::BuildSampleFirmware().file},
        {"header-length-0.mid", Concat({HeaderWithLength(0, 1), track})},
        {"header-length-5.mid", Concat({HeaderWithLength(5, 1), track})},
        {"header-length-max.mid", Concat({HeaderWithLength(0xFFFFFFFFu, 1), track})},
        {"chunk-past-end.mid", Concat({tern::samples::MakeHeader(0, 1, 480), Chunk(40, end)})},
        {"chunk-huge.mid", Concat({tern::samples::MakeHeader(0, 1, 480), Chunk(0x10000000u, end)})},
        {"more-tracks-named.mid", Concat({tern::samples::MakeHeader(1, 3, 480), track})},
        {"17-tracks.mid", manyTracks},
        {"65535-tracks.mid", Concat({tern::samples::MakeHeader(1, 0xFFFF, 480), track})},
        {"varlen-5-bytes.mid",
         tern::samples::MakeSmf(0, 480, {{0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x2F, 0x00}})},
        {"varlen-9-bytes.mid",
         tern::samples::MakeSmf(
             0, 480, {{0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00, 0xFF, 0x2F, 0x00}})},
        {"empty.mid", {}},
        {"riff-wrapper.mid", Concat({{'R', 'I', 'F', 'F', 0,   0,   0, 0, 'R', 'M',
                                      'I', 'D', 'd', 'a', 't', 'a', 0, 0, 0,   0},
                                     tern::samples::MakeSmf(0, 480, {end})})},
        {"running-status.mid", tern::samples::MakeSmf(0, 480, {running})},
        {"sysex-length-wraps.mid",
         tern::samples::MakeSmf(0, 480, {{0x00, 0xF0, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x01, 0x02}})},
        {"division-0.mid",
         tern::samples::MakeSmf(0, 0, {{0x00, 0xF0, 0x01, 0xF7, 0x00, 0xFF, 0x2F, 0x00}})},
    };
    for (const auto& [name, bytes] : seeds) {
        if (!Write(folder, name, bytes)) {
            std::fprintf(stderr, "%s/%s: cannot write\n", folder.c_str(), name.c_str());
            return 1;
        }
    }
    return 0;
}
