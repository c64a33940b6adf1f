// Measures CVexDataPlay::Play on this machine:
//  (a) lateness of every write against its due time, for files of 1,000 and 2,000 SysEx
//      events about 3 ms apart, on the monotonic clock, and whether the end of the play
//      slips further behind as the file grows;
//  (b) unthrottled throughput (every event due at tick 0) beside a plain memcpy of the same
//      bytes;
//  (c) bytes allocated while the plays run;
//  (d) the same lateness with the installation's schedule recorder in front of the port,
//      beside plays without it, to show that noting each write's start costs nothing that
//      can be measured.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "bench/MachineLoad.h"
#include "devlink/Handles.h"
#include "engine/ScheduleKept.h"
#include "engine/ScheduleRecordingPort.h"
#include "engine/VexDataPlay.h"
#include "platform/TickCount.h"
#include "samples/SmfWriter.h"
#include "status/ReaderError.h"

namespace {

using tern::bench::PrintLoad;

std::atomic<bool> g_counting{false};
std::atomic<uint64_t> g_allocatedBytes{0};

void* Allocate(std::size_t size) {
    if (g_counting.load(std::memory_order_relaxed)) {
        g_allocatedBytes.fetch_add(size, std::memory_order_relaxed);
    }
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

}  // namespace

// Every allocation of this program goes through here, so a play's own ones are seen.
void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC, as the tick counter
using tern::samples::Bytes;

constexpr uint16_t kDivision = 480;
constexpr uint32_t kTempo = 500000;
constexpr uint32_t kSpacingTicks = 3;                   // 3.125 ms
constexpr uint32_t kSizes[] = {200, 1000, 4095, 6000};  // the last one takes two writes
constexpr uint32_t kBulkBytes = 32u << 20;
constexpr uint32_t kBulkEventBytes = 4000;
constexpr int kBulkRounds = 7;
constexpr uint32_t kRecorderEvents = 1000;

// A port that takes the monotonic time of every call on entry and accepts the bytes.
class TimedPort final : public ICorvoPort {
public:
    explicit TimedPort(size_t writes) { m_times.reserve(writes); }
    HRESULT STDMETHODCALLTYPE QueryInterface(const IID&, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Reserved() override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE Write(uint32_t, uint32_t count, const uint8_t*, uint32_t) override {
        if (m_timed) {
            m_times.push_back(Clock::now());
        }
        m_bytes += count;
        return S_OK;
    }
    void TimeCalls(bool on) { m_timed = on; }
    const std::vector<Clock::time_point>& Times() const { return m_times; }
    uint64_t BytesWritten() const { return m_bytes; }

private:
    bool m_timed = true;
    std::vector<Clock::time_point> m_times;
    uint64_t m_bytes = 0;
};

class NullProgress final : public IProgressControl {
public:
    void SetRange(int, int) override {}
    void SetPos(int) override {}
};

void LoadImage(CVexDataPlay& player, const Bytes& file) {
    player.m_pData = tern::platform::AllocateImage(file.size());
    std::memcpy(player.m_pData.get(), file.data(), file.size());
    player.m_dwSize = static_cast<uint32_t>(file.size());
    if (!player.ParseChunks()) {
        std::fprintf(stderr, "bench file does not parse\n");
        std::exit(1);
    }
}

uint32_t Pieces(uint32_t dataBytes) {
    const uint32_t rest = dataBytes - std::min(dataBytes, CVexDataPlay::kBufferSize - 1);
    return 1 + (rest + CVexDataPlay::kBufferSize - 1) / CVexDataPlay::kBufferSize;
}

void Play(CVexDataPlay& player) {
    NullProgress progress;
    g_counting = true;
    player.Play(progress, kTempo);
    g_counting = false;
    if (player.m_nError != tern::kReaderOk) {
        std::fprintf(stderr, "play ended with %d\n", player.m_nError);
        std::exit(1);
    }
}

struct Lateness {
    double p50Us, p99Us, maxUs, minUs;
    size_t overOneMs;  // writes more than 1 ms late
    double overrunUs;  // end of the play after the last event's due time
    double tailUs;     // median lateness of the last 100 writes
    double seconds;
    size_t writes;
    tern::ScheduleMoves
        moves;  // a write a millisecond late moves the rest: none on an idle machine
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Percentile(const std::vector<double>& sorted, double p) {
    return sorted[static_cast<size_t>(p * static_cast<double>(sorted.size() - 1))];
}

// With `recorder`, the play writes through a schedule recorder in front of the timed port,
// and the recorder's own figures are stored there.
Lateness MeasureLateness(CVexDataPlay& player, uint32_t events,
                         tern::ScheduleKept* recorded = nullptr) {
    tern::samples::TrackWriter track;
    std::vector<uint32_t> dueMs;  // per write
    uint32_t ticks = 0;
    for (uint32_t i = 0; i < events; ++i) {
        const uint32_t size = kSizes[i % std::size(kSizes)];
        track.SysEx(i == 0 ? 0 : kSpacingTicks, Bytes(size, 0x55));
        ticks += i == 0 ? 0 : kSpacingTicks;
        const auto due = static_cast<uint32_t>(uint64_t{ticks} * kTempo / (kDivision * 1000u));
        dueMs.insert(dueMs.end(), Pieces(size), due);
    }
    LoadImage(player, tern::samples::MakeSmf(0, kDivision, {track.EndOfTrack().Events()}));

    TimedPort port(dueMs.size());
    tern::ScheduleRecordingPort recorder(port, static_cast<uint32_t>(dueMs.size()), player.m_Moves);
    g_pFirmwarePort = recorded ? static_cast<ICorvoPort*>(&recorder) : &port;
    // Start just after the tick counter moves, so the play's start tick began at a known
    // instant: the millisecond boundary that due times count from.
    const uint32_t before = tern::platform::GetTickCount();
    while (tern::platform::GetTickCount() == before) {
    }
    const auto tickStart = Clock::now();
    const auto startMs = std::chrono::floor<std::chrono::milliseconds>(tickStart);
    Play(player);
    const auto end = Clock::now();
    g_pFirmwarePort = nullptr;

    if (port.Times().size() != dueMs.size()) {
        std::fprintf(stderr, "%zu writes, expected %zu\n", port.Times().size(), dueMs.size());
        std::exit(1);
    }
    if (recorded) {
        const auto ms = static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(end - tickStart).count());
        *recorded = tern::MeasureScheduleKept(recorder.StartsUs(), dueMs, recorder.MovedMs(),
                                              recorder.Room(), ms, dueMs.back(), true);
        recorded->moves = player.m_Moves;
    }
    std::vector<double> late;
    for (size_t i = 0; i < dueMs.size(); ++i) {
        const auto due = startMs + std::chrono::milliseconds(dueMs[i]);
        late.push_back(std::chrono::duration<double, std::micro>(port.Times()[i] - due).count());
    }
    const double tailUs = Median({late.end() - 100, late.end()});
    std::sort(late.begin(), late.end());
    const auto lastDue = startMs + std::chrono::milliseconds(dueMs.back());
    const auto overOneMs =
        static_cast<size_t>(late.end() - std::upper_bound(late.begin(), late.end(), 1000.0));
    return {Percentile(late, 0.5),
            Percentile(late, 0.99),
            late.back(),
            late.front(),
            overOneMs,
            std::chrono::duration<double, std::micro>(end - lastDue).count(),
            tailUs,
            std::chrono::duration<double>(end - tickStart).count(),
            late.size(),
            player.m_Moves};
}

struct Throughput {
    double playMBs, memcpyMBs;
};

Throughput MeasureThroughput(CVexDataPlay& player) {
    tern::samples::TrackWriter track;
    Bytes data(kBulkEventBytes);
    for (uint32_t i = 0; i < kBulkEventBytes; ++i) {
        data[i] = static_cast<uint8_t>(i & 0x7F);
    }
    uint64_t payload = 0;
    while (payload + kBulkEventBytes + 1 <= kBulkBytes) {
        track.SysEx(0, data);
        payload += kBulkEventBytes + 1;  // 0xF0 and the data
    }
    LoadImage(player, tern::samples::MakeSmf(0, kDivision, {track.EndOfTrack().Events()}));

    TimedPort port(0);
    port.TimeCalls(false);
    g_pFirmwarePort = &port;
    std::vector<double> play, copy;
    auto target = std::make_unique<uint8_t[]>(player.m_dwSize);
    std::memset(target.get(), 0, player.m_dwSize);  // no first-touch faults in the timing
    for (int round = 0; round < kBulkRounds; ++round) {
        auto start = Clock::now();
        Play(player);
        play.push_back(std::chrono::duration<double>(Clock::now() - start).count());

        start = Clock::now();
        std::memcpy(target.get(), player.m_pData.get(), payload);
        copy.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    g_pFirmwarePort = nullptr;
    if (port.BytesWritten() != payload * kBulkRounds ||
        target[payload / 2] != player.m_pData[payload / 2]) {
        std::fprintf(stderr, "bulk play wrote %llu bytes\n",
                     static_cast<unsigned long long>(port.BytesWritten()));
        std::exit(1);
    }
    const double mb = static_cast<double>(payload) / 1e6;
    return {mb / Median(play), mb / Median(copy)};
}

const char* Verdict(bool met) {
    return met ? "met" : "NOT met";
}

}  // namespace

int main() {
    static CVexDataPlay player;  // 64 KiB of buffers: static, as the program's own player
    g_allocatedBytes = 0;
    std::printf(
        "bench_player: tempo %u us per quarter note, division %u, play on a thread of "
        "normal priority\n",
        kTempo, kDivision);
    PrintLoad("before");

    const Lateness small = MeasureLateness(player, 1000);
    const Lateness large = MeasureLateness(player, 2000);
    const Throughput bulk = MeasureThroughput(player);
    // Plain and recorded plays taken in turn, so that a change in the machine's load meets
    // both alike; the two plain ones show the spread between runs.
    tern::ScheduleKept kept;
    const Lateness plain1 = MeasureLateness(player, kRecorderEvents);
    const Lateness recorded1 = MeasureLateness(player, kRecorderEvents, &kept);
    const Lateness plain2 = MeasureLateness(player, kRecorderEvents);
    const Lateness recorded2 = MeasureLateness(player, kRecorderEvents, &kept);
    const uint64_t allocated = g_allocatedBytes.load();

    std::printf("(a) lateness of each write after its due time, monotonic clock, us\n");
    for (const Lateness* l : {&small, &large}) {
        std::printf(
            "    %4zu writes, %.2f s: p50 %7.1f  p99 %7.1f  max %7.1f  min %6.1f  over 1 ms: %zu\n"
            "        last 100 writes %.1f late (median), play ended %.1f after the last due time\n"
            "        schedule moved %u ms later after %u stalls\n",
            l->writes, l->seconds, l->p50Us, l->p99Us, l->maxUs, l->minUs, l->overOneMs, l->tailUs,
            l->overrunUs, l->moves.movedMs, l->moves.Stalls());
    }
    const double maxUs = std::max(small.maxUs, large.maxUs);
    const double p99Us = std::max(small.p99Us, large.p99Us);
    // With due times counted from the start, twice the events must not end further behind.
    const bool drift = large.tailUs - small.tailUs > 1000.0;
    std::printf("    max %.1f us (target <= 1500: %s), p99 %.1f us (target <= 1100: %s)\n", maxUs,
                Verdict(maxUs <= 1500.0), p99Us, Verdict(p99Us <= 1100.0));
    std::printf("    run time grows with the event count beyond the schedule: %s\n",
                drift ? "yes" : "no");
    std::printf(
        "(b) unthrottled: play %.0f MB/s, memcpy %.0f MB/s, ratio %.2f (target >= 0.50: "
        "%s)\n",
        bulk.playMBs, bulk.memcpyMBs, bulk.playMBs / bulk.memcpyMBs,
        Verdict(bulk.playMBs >= 0.5 * bulk.memcpyMBs));
    std::printf("(c) bytes allocated during the plays: %llu (target 0: %s)\n",
                static_cast<unsigned long long>(allocated), Verdict(allocated == 0));
    std::printf("(d) lateness at the port with and without the schedule recorder, %u events, us\n",
                kRecorderEvents);
    for (const auto& [name, l] : {std::pair{"plain   ", &plain1},
                                  {"recorded", &recorded1},
                                  {"plain   ", &plain2},
                                  {"recorded", &recorded2}}) {
        std::printf("    %s p50 %7.1f  p99 %7.1f  max %7.1f\n", name, l->p50Us, l->p99Us, l->maxUs);
    }
    std::printf("    the recorder's own line for the last play: %s\n",
                tern::ScheduleKeptLine(kept).c_str());
    // Each figure as the mean of its two runs; the added lateness is measurable when it is
    // more than the two plain runs differ from each other (and more than 1 us at p50, where
    // the machine's load matters least, or 10 us in the tail).
    const auto mean = [](double a, double b) { return (a + b) / 2; };
    const double plainP50 = mean(plain1.p50Us, plain2.p50Us);
    const double recordedP50 = mean(recorded1.p50Us, recorded2.p50Us);
    const double plainP99 = mean(plain1.p99Us, plain2.p99Us);
    const double recordedP99 = mean(recorded1.p99Us, recorded2.p99Us);
    const double plainMax = mean(plain1.maxUs, plain2.maxUs);
    const double recordedMax = mean(recorded1.maxUs, recorded2.maxUs);
    const double p50SpreadUs = std::max(std::abs(plain1.p50Us - plain2.p50Us), 1.0);
    const double spreadUs = std::max(
        {std::abs(plain1.p99Us - plain2.p99Us), std::abs(plain1.maxUs - plain2.maxUs), 10.0});
    const bool unmeasurable = recordedP50 - plainP50 <= p50SpreadUs &&
                              recordedP99 - plainP99 <= spreadUs &&
                              recordedMax - plainMax <= spreadUs;
    std::printf(
        "    plain / recorded: p50 %.1f / %.1f (spread %.1f), p99 %.1f / %.1f, max %.1f / %.1f "
        "(spread %.1f); recording adds no more than the spread: %s\n",
        plainP50, recordedP50, p50SpreadUs, plainP99, recordedP99, plainMax, recordedMax, spreadUs,
        Verdict(unmeasurable));
    PrintLoad("after");

    // One table row per figure, for scripts/bench.
    std::printf("| bench_player | write lateness, max | %.1f us | <= 1500 us | %s |\n", maxUs,
                Verdict(maxUs <= 1500.0));
    std::printf("| bench_player | write lateness, p99 | %.1f us | <= 1100 us | %s |\n", p99Us,
                Verdict(p99Us <= 1100.0));
    std::printf(
        "| bench_player | end of play behind schedule, 1000 / 2000 events | %.1f / %.1f us "
        "| no growth | %s |\n",
        small.overrunUs, large.overrunUs, Verdict(!drift));
    std::printf("| bench_player | unthrottled play / memcpy | %.2fx | >= 0.50x | %s |\n",
                bulk.playMBs / bulk.memcpyMBs, Verdict(bulk.playMBs >= 0.5 * bulk.memcpyMBs));
    std::printf("| bench_player | bytes allocated during plays | %llu | 0 | %s |\n",
                static_cast<unsigned long long>(allocated), Verdict(allocated == 0));
    std::printf(
        "| bench_player | write lateness p50 / p99 / max, plain vs schedule recorder | %.1f / "
        "%.1f / %.1f vs %.1f / %.1f / %.1f us | no more than the spread between plain runs | "
        "%s |\n",
        plainP50, plainP99, plainMax, recordedP50, recordedP99, recordedMax, Verdict(unmeasurable));
    return 0;
}
