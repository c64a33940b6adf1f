// Times CSMF::LoadFile (open, lock, one read, validation) and the whole of tern-flash check
// (load, then the SHA-256 beside the dry run) on a 64 MiB update file, with the page cache
// warm. The load is set against reading the file as cat does (128 KiB at a time into one
// page-aligned buffer): one read into fresh memory pays the system's zeroing of every page
// it touches, which cat's reused buffer never does. A check that prints the SHA-256 has the
// hash as its floor, so the whole check, as a process, is set against openssl's digest of
// the same file, as a process; the hash, the walk and both side by side are timed apart.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/Checksum.h"
#include "engine/DryRun.h"
#include "engine/FileSummary.h"
#include "engine/VexDataPlay.h"
#include "platform/ImageMemory.h"
#include "samples/SmfWriter.h"

namespace {

constexpr uint32_t kFileBytes = 64u << 20;
constexpr int kRounds = 15;

using Clock = std::chrono::steady_clock;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "bench_load: %s\n", what);
    std::exit(1);
}

std::string WriteBenchFile() {
    std::error_code error;
    const auto dir = std::filesystem::temp_directory_path() /
                     ("tern-bench-" + std::to_string(std::random_device{}()));
    if (!std::filesystem::create_directory(dir, error)) {
        Fail("cannot create the folder for the file");
    }
    // One track filled with SysEx blocks of 4,000 data bytes, a typical firmware layout.
    tern::samples::TrackWriter track;
    const tern::samples::Bytes block(4000, 0x55);
    while (track.Events().size() + 4100 < kFileBytes - 64) {
        track.SysEx(38, block);
    }
    track.EndOfTrack();
    const auto file = tern::samples::MakeSmf(0, 480, {track.Events()});
    const std::string path = (dir / "bench.mid").string();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() ||
        std::fclose(out) != 0) {
        Fail("cannot write the file");
    }
    return path;
}

// Seconds taken by `work`, which says whether it did what was asked.
double Timed(const std::function<bool()>& work) {
    const auto start = Clock::now();
    const bool ok = work();
    const auto elapsed = Clock::now() - start;
    if (!ok) {
        Fail("a timed step failed");
    }
    return std::chrono::duration<double>(elapsed).count();
}

// Reads `path` into `buffer` in pieces of `piece` bytes, all at the same place when `reuse`;
// unbuffered, so each piece is one request to the system. True when `size` bytes came.
bool ReadInto(const std::string& path, uint8_t* buffer, size_t piece, bool reuse, size_t size) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        return false;
    }
    std::setvbuf(in, nullptr, _IONBF, 0);
    size_t done = 0;
    for (size_t got; (got = std::fread(buffer + (reuse ? 0 : done), 1, piece, in)) > 0;) {
        done += got;
    }
    std::fclose(in);
    return done == size;
}

struct Figures {
    std::vector<double> cat, plain, faulted, load, sha, dryRun, sideBySide, check, opensslProcess,
        checkProcess;
};

// Runs a shell command line with its output thrown away; true when it exited with 0.
bool RunQuietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

const bool kHaveOpenssl = RunQuietly("command -v openssl");

void Round(const std::string& path, size_t size, Figures& f) {
    // cat's buffer: page-aligned and reused, so only the copy out of the page cache is paid.
    static const auto catBuffer = tern::platform::AllocateImage(128u << 10);
    std::memset(catBuffer.get(), 1, 128u << 10);
    f.cat.push_back(Timed([&] { return ReadInto(path, catBuffer.get(), 128u << 10, true, size); }));

    f.plain.push_back(Timed([&] {
        std::unique_ptr<uint8_t[]> fresh(new uint8_t[size]);
        return ReadInto(path, fresh.get(), size, false, size);
    }));

    const auto faulted = tern::platform::AllocateImage(size);
    std::memset(faulted.get(), 1, size);
    f.faulted.push_back(Timed([&] { return ReadInto(path, faulted.get(), size, false, size); }));

    auto player = std::make_unique<CVexDataPlay>();
    f.load.push_back(Timed([&] { return player->LoadFile(path); }));
    f.sha.push_back(Timed([&] { return tern::ImageDigest(*player).has_value(); }));
    f.dryRun.push_back(Timed([&] { return tern::RunDryRun(*player).Succeeds(); }));

    f.sideBySide.push_back(Timed([&] {
        const tern::InspectedFile inspected = tern::InspectFile(*player, path);
        return inspected.summary.sha256 && inspected.dryRun.verdict.Accepted();
    }));
    f.check.push_back(Timed([&] {
        // What tern-flash check does before it prints: a player of its own, load, then both.
        auto fresh = std::make_unique<CVexDataPlay>();
        if (!fresh->LoadFile(path)) {
            return false;
        }
        const tern::InspectedFile inspected = tern::InspectFile(*fresh, path);
        return inspected.summary.sha256 && inspected.dryRun.verdict.Accepted();
    }));
    if (kHaveOpenssl) {
        f.opensslProcess.push_back(
            Timed([&] { return RunQuietly("openssl dgst -sha256 '" + path + "'"); }));
    }
    f.checkProcess.push_back(
        Timed([&] { return RunQuietly(std::string(TERN_FLASH_EXE) + " check '" + path + "'"); }));
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    const std::string path = WriteBenchFile();
    const size_t size = std::filesystem::file_size(path);
    Figures f;
    Round(path, size, f);  // warms the page cache
    f = Figures{};
    for (int i = 0; i < kRounds; ++i) {
        Round(path, size, f);
    }
    const double mib = static_cast<double>(size) / (1u << 20);
    const double cat = Median(f.cat);
    const auto row = [&](const char* name, const std::vector<double>& times) {
        const double s = Median(times);
        std::printf("  %-40s %8.2f ms %7.0f MiB/s %6.2fx cat\n", name, s * 1e3, mib / s, s / cat);
        return s / cat;
    };
    std::printf("bench_load: %.1f MiB file, median of %d rounds, page cache warm\n", mib, kRounds);
    row("cat's way (128 KiB reused, aligned)", f.cat);
    row("one read, fresh buffer (small pages)", f.plain);
    row("one read, memory already faulted in", f.faulted);
    const double load = row("CSMF::LoadFile", f.load);
    row("  SHA-256 of the loaded image", f.sha);
    row("  walk: dry run and verdict", f.dryRun);
    row("  both side by side (two threads)", f.sideBySide);
    row("check in-process (load, then both)", f.check);
    const double checkProcess = row("tern-flash check, whole process", f.checkProcess);
    std::printf("| bench_load | LoadFile of 64 MiB / cat | %.2fx | informative |\n", load);
    if (!kHaveOpenssl) {
        std::printf("  (no openssl here: the check against its digest is not measured)\n");
    } else {
        const double openssl = row("openssl dgst -sha256, whole process", f.opensslProcess);
        const double ratio = checkProcess / openssl;
        std::printf(
            "| bench_load | tern-flash check / openssl dgst -sha256, 64 MiB | %.2fx | "
            "<= 1.10x | %s |\n",
            ratio, ratio <= 1.1 ? "met" : "not met");
    }

    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path).parent_path(), ignored);
    return 0;
}
