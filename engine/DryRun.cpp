#include "engine/DryRun.h"

#include <algorithm>
#include <utility>

#include "engine/DryRunClock.h"
#include "engine/SmfBytes.h"
#include "engine/TrackEvent.h"
#include "engine/WriteDigest.h"
#include "status/ReaderError.h"
#include "status/StatusCodes.h"

namespace tern {
namespace {

constexpr int kLastPercent = 100;

// What the play did, as the port and the progress control saw it.
struct Tally {
    uint32_t writes = 0;
    uint64_t portBytes = 0;
    WriteDigest digest;
    uint32_t progressUpdates = 0;
    uint32_t sysexEvents = 0;
    uint32_t writesSinceUpdate = 0;
    std::array<ProgressMark, kLastPercent + 1> marks{};
    std::vector<uint32_t> writeTimesMs;

    void Wrote(const uint8_t* bytes, uint32_t count, uint32_t timeMs) {
        ++writes;
        writeTimesMs.push_back(timeMs);
        ++writesSinceUpdate;
        portBytes += count;
        digest.Add(bytes, count);
    }
    // Each event ends with one progress update, and only SysEx events write: the writes
    // since the last update belong to one SysEx event.
    void Updated(int percent, uint32_t timeMs) {
        ++progressUpdates;
        CloseEvent();
        ProgressMark& mark = marks[static_cast<size_t>(std::clamp(percent, 0, kLastPercent))];
        if (!mark.reached) {
            mark = {true, timeMs, portBytes};
        }
    }
    void CloseEvent() {
        if (writesSinceUpdate > 0) {
            ++sysexEvents;
            writesSinceUpdate = 0;
        }
    }
};

class AcceptingPort final : public ICorvoPort {
public:
    AcceptingPort(DryRunClock& clock, Tally& tally) : m_clock(clock), m_tally(tally) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(const IID& iid, void** out) override {
        *out = iid == IID_IUnknown ? static_cast<IUnknown*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    // Lives on the dry run's stack; the player only borrows it.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Reserved() override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE Write(uint32_t, uint32_t count, const uint8_t* bytes,
                                    uint32_t) override {
        m_clock.NoteActivity();
        m_tally.Wrote(bytes, count, m_clock.Elapsed());
        return S_OK;
    }

private:
    DryRunClock& m_clock;
    Tally& m_tally;
};

class TallyingProgress final : public IProgressControl {
public:
    TallyingProgress(DryRunClock& clock, Tally& tally) : m_clock(clock), m_tally(tally) {}

    void SetRange(int, int) override { m_clock.NoteActivity(); }
    void SetPos(int nPos) override {
        m_clock.NoteActivity();
        m_tally.Updated(nPos, m_clock.Elapsed());
    }

private:
    DryRunClock& m_clock;
    Tally& m_tally;
};

// When the last message the play would send is due, walking track 0 as the player does up
// to the end-of-track event or the first event that stops the play. Its ticks are summed in
// 64 bits, so a sum that the player's 32-bit count would wrap shows as one.
struct Schedule {
    uint64_t lastDueMs = 0;
    bool ticksWrap = false;
};

Schedule ReadSchedule(CSMF& reader, uint32_t tempo) {
    Schedule schedule;
    if (reader.m_wDivision == 0) {
        return schedule;  // the play refuses such a file before its first wait
    }
    const int32_t saved = reader.m_nError;
    reader.m_nError = kReaderInProgress;
    uint64_t ticks = 0;
    uint8_t status = 0;
    for (uint32_t pos = CSMF::kChunkHeaderSize;;) {
        const TrackEvent event = ReadTrackEvent(reader, 0, pos, status);
        if (event.Missing()) {
            break;
        }
        ticks += event.delta;
        status = event.status;
        if (status == smf::kMeta) {
            uint32_t type = event.body;
            if (reader.ReadByte(type, 0) == smf::kMetaEndOfTrack) {
                break;
            }
        }
        if (status == smf::kSysEx) {
            // A broken SysEx still waits for its due time before the play ends on it.
            schedule.lastDueMs = DueMilliseconds(ticks, tempo, reader.m_wDivision);
            schedule.ticksWrap = schedule.ticksWrap || ticks > UINT32_MAX;
        }
        if (event.broken) {
            break;
        }
        pos = event.next;
    }
    reader.m_nError = saved;
    return schedule;
}

}  // namespace

DryRunReport RunDryRun(CVexDataPlay& player, uint32_t tempo) {
    DryRunClock clock;
    Tally tally;
    AcceptingPort port(clock, tally);
    TallyingProgress progress(clock, tally);
    clock.StartPlay();
    player.PlayThrough(&port, clock, progress, tempo, StallRule::kKeepDueTimes);
    clock.NoteActivity();
    tally.CloseEvent();

    DryRunReport report;
    report.playerError = player.m_nError;
    report.status = report.Succeeds() ? kStatusRebooting : MakeFailure(kMsgCommunication);
    report.sysexEvents = tally.sysexEvents;
    report.dataBytes = tally.portBytes - tally.sysexEvents;  // one 0xF0 leads each event
    report.writes = tally.writes;
    report.portBytes = tally.portBytes;
    report.portDigest = tally.digest.Value();
    report.durationMs = clock.Elapsed();
    report.durationExact = clock.Exact();
    report.marks = tally.marks;
    report.writeTimesMs = std::move(tally.writeTimesMs);
    if (!report.Succeeds()) {
        report.failure = ExplainPlayFailure(player, tally.progressUpdates);
    }
    const Schedule schedule = ReadSchedule(player, tempo);
    report.scheduleMs = schedule.lastDueMs;
    report.ticksWrap = schedule.ticksWrap;
    report.verdict = JudgePreflight(report);
    return report;
}

}  // namespace tern
