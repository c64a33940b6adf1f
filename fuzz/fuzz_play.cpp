// Fuzzes a play of the parsed image: the real player against a port that accepts every write,
// or one that fails from a write the input chooses, on the dry run's virtual clock. Traps when
// the port sees a write of the wrong size, a write after a failed one, or when a failed write
// ends as a success.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/DryRunClock.h"
#include "engine/VexDataPlay.h"
#include "fuzz/FuzzImage.h"

namespace {

class CheckingPort final : public ICorvoPort {
public:
    CheckingPort(uint32_t failFrom, tern::DryRunClock& clock)
        : m_failFrom(failFrom), m_clock(clock) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(const IID&, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Reserved() override { return S_OK; }

    HRESULT STDMETHODCALLTYPE Write(uint32_t flags, uint32_t count, const uint8_t* bytes,
                                    uint32_t again) override {
        m_clock.NoteActivity();
        if (m_failed || flags != 0 || count == 0 || count > CVexDataPlay::kBufferSize ||
            count != again || !bytes) {
            __builtin_trap();
        }
        volatile uint8_t last = bytes[count - 1];  // every byte handed over must be readable
        (void)last;
        ++m_writes;
        if (m_failFrom != 0 && m_writes >= m_failFrom) {
            m_failed = true;
            return E_FAIL;
        }
        return S_OK;
    }

    bool Failed() const { return m_failed; }

private:
    const uint32_t m_failFrom;
    tern::DryRunClock& m_clock;
    uint32_t m_writes = 0;
    bool m_failed = false;
};

class Progress final : public IProgressControl {
public:
    explicit Progress(tern::DryRunClock& clock) : m_clock(clock) {}
    void SetRange(int lower, int upper) override {
        if (lower != 0 || upper != 100) {
            __builtin_trap();
        }
    }
    void SetPos(int pos) override {
        m_clock.NoteActivity();
        if (pos < 0 || pos > 100) {
            __builtin_trap();
        }
    }

private:
    tern::DryRunClock& m_clock;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) {
        return 0;
    }
    static const auto player = std::make_unique<CVexDataPlay>();  // 64 KiB of buffers, once
    tern::fuzz::SetImage(*player, data, size);
    if (!player->ParseChunks()) {
        return 0;
    }
    // Exact waits only for the first few seconds of the schedule: enough for the sample's,
    // and every input stays quick.
    tern::DryRunClock clock(uint64_t{1} << 13);
    // The write to fail follows from the input's length, which trailing bytes (ignored by the
    // reader) let the fuzzer choose; 0: every write is accepted.
    CheckingPort port(static_cast<uint32_t>(size % 33), clock);
    Progress progress(clock);
    clock.StartPlay();
    player->PlayThrough(&port, clock, progress, tern::kInstallTempo);
    if (port.Failed() && player->m_nError == 0) {
        __builtin_trap();
    }
    return 0;
}
