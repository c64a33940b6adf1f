// A firmware port in front of the real one that notes when each write begins, on the tick
// counter's clock in microseconds, and passes the write on unchanged. The times go into
// memory reserved when it is made (from the dry run's write count), so a play through it
// still allocates nothing; writes beyond that count pass on unnoted. It belongs to one play:
// the play thread writes the times, another thread reads them once that play has ended.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "devlink/CorvoInterfaces.h"

namespace tern {

class ScheduleRecordingPort final : public ICorvoPort {
public:
    ScheduleRecordingPort(ICorvoPort& port, uint32_t writes);

    HRESULT STDMETHODCALLTYPE QueryInterface(const IID& iid, void** out) override;
    // Lives on its user's stack for one play; the player only borrows it.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Reserved() override { return m_port.Reserved(); }
    HRESULT STDMETHODCALLTYPE Write(uint32_t flags, uint32_t count, const uint8_t* bytes,
                                    uint32_t countAgain) override;

    // When each noted write began, in order.
    std::span<const uint64_t> StartsUs() const { return {m_startsUs.get(), m_noted}; }

private:
    ICorvoPort& m_port;
    const std::unique_ptr<uint64_t[]> m_startsUs;
    const uint32_t m_capacity;
    uint32_t m_noted = 0;
};

}  // namespace tern
