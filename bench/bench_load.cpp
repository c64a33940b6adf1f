// Times CSMF::LoadFile (open, lock, one read, validation) and the whole of tern-flash check
// (load, SHA-256, dry run) on a 64 MiB update file against reading the same file as cat
// does, through a small reused buffer, with the page cache warm. One plain read into a fresh
// buffer is shown too: it pays the page faults of the fresh memory, which cat never does.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cli/CheckCommand.h"
#include "engine/SMF.h"
#include "samples/SmfWriter.h"

namespace {

constexpr uint32_t kFileBytes = 64u << 20;
constexpr int kRounds = 15;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::string WriteBenchFile() {
    std::error_code error;
    const auto dir = std::filesystem::temp_directory_path() /
                     ("tern-bench-" + std::to_string(std::random_device{}()));
    if (!std::filesystem::create_directory(dir, error)) {
        std::fprintf(stderr, "cannot create %s\n", dir.string().c_str());
        std::exit(1);
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
        std::perror(path.c_str());
        std::exit(1);
    }
    return path;
}

// Unbuffered, so the C library hands the whole request to the system at once.
double PlainRead(const std::string& path, size_t size) {
    const auto start = Clock::now();
    std::FILE* in = std::fopen(path.c_str(), "rb");
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[size]);
    size_t done = 0;
    if (in) {
        std::setvbuf(in, nullptr, _IONBF, 0);
        done = std::fread(buffer.get(), 1, size, in);
        std::fclose(in);
    }
    const auto elapsed = Clock::now() - start;
    if (done != size) {
        std::fprintf(stderr, "short read\n");
        std::exit(1);
    }
    return Seconds(elapsed);
}

// As cat reads: 128 KiB at a time into one buffer, touched before the clock starts.
double CatRead(const std::string& path, size_t size) {
    constexpr size_t kCatBuffer = 128u << 10;
    static std::vector<uint8_t> buffer(kCatBuffer, 1);
    const auto start = Clock::now();
    std::FILE* in = std::fopen(path.c_str(), "rb");
    size_t done = 0;
    if (in) {
        std::setvbuf(in, nullptr, _IONBF, 0);
        for (size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;) {
            done += got;
        }
        std::fclose(in);
    }
    const auto elapsed = Clock::now() - start;
    if (done != size) {
        std::fprintf(stderr, "short read\n");
        std::exit(1);
    }
    return Seconds(elapsed);
}

double Check(const std::string& path) {
    const auto start = Clock::now();
    const tern::cli::CheckReport report = tern::cli::CheckFile(path);
    const auto elapsed = Clock::now() - start;
    if (!report.file || !report.file->sha256 || !report.dryRun || !report.dryRun->Succeeds()) {
        std::fprintf(stderr, "check failed: %s\n", report.result.error.c_str());
        std::exit(1);
    }
    return Seconds(elapsed);
}

double Load(const std::string& path) {
    CSMF smf;
    const auto start = Clock::now();
    const bool ok = smf.LoadFile(path);
    const auto elapsed = Clock::now() - start;
    if (!ok) {
        std::fprintf(stderr, "LoadFile failed: %d\n", smf.m_nError);
        std::exit(1);
    }
    return Seconds(elapsed);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main() {
    const std::string path = WriteBenchFile();
    CSMF probe;
    probe.LoadFile(path);  // warms the page cache
    const size_t size = probe.m_dwSize;

    std::vector<double> cat, plain, load, check;
    for (int i = 0; i < kRounds; ++i) {
        cat.push_back(CatRead(path, size));
        plain.push_back(PlainRead(path, size));
        load.push_back(Load(path));
        check.push_back(Check(path));
    }
    const double mib = static_cast<double>(size) / (1u << 20);
    const double catS = Median(cat), plainS = Median(plain), loadS = Median(load),
                 checkS = Median(check);
    std::printf("bench_load: %.1f MiB file, median of %d rounds, page cache warm\n", mib, kRounds);
    std::printf("  cat's way (128 KiB reused)  %8.2f ms  %8.0f MiB/s\n", catS * 1e3, mib / catS);
    std::printf("  one read, fresh buffer      %8.2f ms  %8.0f MiB/s\n", plainS * 1e3,
                mib / plainS);
    std::printf("  CSMF::LoadFile              %8.2f ms  %8.0f MiB/s  %.2fx cat (target <= 1.50)\n",
                loadS * 1e3, mib / loadS, loadS / catS);
    std::printf("  tern-flash check            %8.2f ms  %8.0f MiB/s  %.2fx cat (target <= 3.00)\n",
                checkS * 1e3, mib / checkS, checkS / catS);
    std::printf("| bench_load | LoadFile of 64 MiB / cat | %.2fx | <= 1.50x | %s |\n", loadS / catS,
                loadS / catS <= 1.5 ? "met" : "not met");
    std::printf("| bench_load | check of 64 MiB / cat | %.2fx | <= 3.00x | %s |\n", checkS / catS,
                checkS / catS <= 3.0 ? "met" : "not met");

    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path).parent_path(), ignored);
    return 0;
}
