// A firmware port that accepts writes and remembers them: the byte count, the bytes, the
// buffer handed in and, when asked, the tick count at the call. It can be told to fail from
// the Nth write on. Reserve room before a play and recording allocates nothing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "devlink/CorvoInterfaces.h"
#include "platform/TickCount.h"
#include "tests/support/FakeClock.h"

namespace tern::test {

class RecordingPort final : public ICorvoPort {
public:
    struct WriteCall {
        uint32_t flags;
        uint32_t count;
        uint32_t countAgain;
        const uint8_t* buffer;  // the address handed in
        uint32_t tick;          // GetTickCount() at the call, when ticks are recorded
        HRESULT result;
        size_t offset;  // where its bytes start in the recorded bytes
    };

    RecordingPort() = default;
    RecordingPort(const RecordingPort&) = delete;
    RecordingPort& operator=(const RecordingPort&) = delete;

    // Room for `writes` calls carrying `bytes` bytes in all.
    void Reserve(size_t writes, size_t bytes) {
        m_calls.reserve(writes);
        m_bytes.reserve(bytes);
    }
    // The `nth` write (counted from 1) and every later one return `result`, a failure.
    void FailFrom(uint32_t nth, HRESULT result = E_FAIL) {
        m_failFrom = nth;
        m_failure = result;
    }
    // What a successful write returns; any value that is not negative accepts the bytes.
    void AcceptWith(HRESULT result) { m_success = result; }
    void RecordTicks(bool on) { m_recordTicks = on; }
    // At each write, check that the buffers of the `depth` writes before it still hold what
    // they were handed: a port that reads them after Write returns needs that.
    void VerifyHeldBuffers(size_t depth) { m_heldDepth = depth; }
    // Each write moves `clock` on by `ms` after its tick is taken: a slow port.
    void TakeTimePerWrite(platform::FakeClock& clock, uint32_t ms) {
        m_clock = &clock;
        m_writeMs = ms;
    }

    const std::vector<WriteCall>& Calls() const { return m_calls; }
    std::span<const uint8_t> Bytes(size_t call) const {
        return {m_bytes.data() + m_calls[call].offset, m_calls[call].count};
    }
    // Every byte written, failed writes included, in call order.
    const std::vector<uint8_t>& AllBytes() const { return m_bytes; }
    std::vector<uint32_t> Counts() const {
        std::vector<uint32_t> counts;
        for (const WriteCall& call : m_calls) {
            counts.push_back(call.count);
        }
        return counts;
    }
    uint32_t RefCount() const { return m_refs; }
    uint32_t ReservedCalls() const { return m_reservedCalls; }
    // Held buffers found changed, counted over all writes.
    uint32_t ClobberedBuffers() const { return m_clobbered; }

    HRESULT STDMETHODCALLTYPE QueryInterface(const IID& iid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown) {
            *out = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The test owns the object; the count only shows what callers did with it.
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_refs; }

    HRESULT STDMETHODCALLTYPE Reserved() override {
        ++m_reservedCalls;
        return E_FAIL;
    }

    HRESULT STDMETHODCALLTYPE Write(uint32_t flags, uint32_t count, const uint8_t* bytes,
                                    uint32_t countAgain) override {
        CheckHeldBuffers();
        const uint32_t tick = m_recordTicks ? platform::GetTickCount() : 0;
        const bool fail = m_failFrom != 0 && m_calls.size() + 1 >= m_failFrom;
        const HRESULT result = fail ? m_failure : m_success;
        m_calls.push_back({flags, count, countAgain, bytes, tick, result, m_bytes.size()});
        m_bytes.insert(m_bytes.end(), bytes, bytes + count);
        if (m_clock) {
            m_clock->Advance(m_writeMs);
        }
        return result;
    }

private:
    void CheckHeldBuffers() {
        const size_t from = m_calls.size() > m_heldDepth ? m_calls.size() - m_heldDepth : 0;
        for (size_t i = from; i < m_calls.size(); ++i) {
            const std::span<const uint8_t> held = Bytes(i);
            if (!std::equal(held.begin(), held.end(), m_calls[i].buffer)) {
                ++m_clobbered;
            }
        }
    }

    uint32_t m_refs = 1;
    uint32_t m_reservedCalls = 0;
    uint32_t m_failFrom = 0;
    HRESULT m_failure = E_FAIL;
    HRESULT m_success = S_OK;
    bool m_recordTicks = false;
    platform::FakeClock* m_clock = nullptr;
    uint32_t m_writeMs = 0;
    size_t m_heldDepth = 0;
    uint32_t m_clobbered = 0;
    std::vector<WriteCall> m_calls;
    std::vector<uint8_t> m_bytes;
};

}  // namespace tern::test
