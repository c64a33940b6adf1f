#include "cli/DryRun.h"

#include <algorithm>
#include <utility>

#include "cli/DryRunClock.h"
#include "cli/ScopedFirmwarePort.h"
#include "cli/WriteDigest.h"
#include "devlink/Handles.h"
#include "engine/StatusCodes.h"
#include "platform/FakeClock.h"

namespace tern::cli {
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

}  // namespace

DryRunReport RunDryRun(CVexDataPlay& player, uint32_t tempo) {
    DryRunClock clock;
    Tally tally;
    AcceptingPort port(clock, tally);
    TallyingProgress progress(clock, tally);
    {
        ScopedFirmwarePort installedPort(port);
        platform::ScopedClock installedClock(clock);
        clock.StartPlay();
        player.Play(progress, tempo);
        clock.NoteActivity();
    }
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
    return report;
}

}  // namespace tern::cli
