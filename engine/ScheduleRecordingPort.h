// A firmware port in front of the real one that notes when each write begins, on the tick
// counter's clock in microseconds, and how far the play had moved its schedule by then, and
// passes the write on unchanged. The notes go into memory reserved when it is made (from the
// dry run's write count), as does the room to measure them in, so neither the play nor its
// figures allocate once it has written; writes beyond that count pass on unnoted. It belongs
// to one play: the play thread writes the notes, another thread reads them once that play has
// ended.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "devlink/CorvoInterfaces.h"
#include "engine/ScheduleMoves.h"

namespace tern {

class ScheduleRecordingPort final : public ICorvoPort {
public:
    // `moves`: the playing player's, read at each write on the play's own thread.
    ScheduleRecordingPort(ICorvoPort& port, uint32_t writes, const ScheduleMoves& moves);

    HRESULT STDMETHODCALLTYPE QueryInterface(const IID& iid, void** out) override;
    // Lives on its user's stack for one play; the player only borrows it.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Reserved() override { return m_port.Reserved(); }
    HRESULT STDMETHODCALLTYPE Write(uint32_t flags, uint32_t count, const uint8_t* bytes,
                                    uint32_t countAgain) override;

    // When each noted write began, in order.
    std::span<const uint64_t> StartsUs() const { return {m_startsUs.get(), m_noted}; }
    // How far the schedule had moved at each noted write, in the same order.
    std::span<const uint32_t> MovedMs() const { return {m_movedMs.get(), m_noted}; }
    // Room for one figure per noted write, for measuring them once the play has ended.
    std::span<uint64_t> Room() { return {m_roomUs.get(), m_noted}; }

private:
    ICorvoPort& m_port;
    const ScheduleMoves& m_moves;
    const std::unique_ptr<uint64_t[]> m_startsUs;
    const std::unique_ptr<uint32_t[]> m_movedMs;
    const std::unique_ptr<uint64_t[]> m_roomUs;
    const uint32_t m_capacity;
    uint32_t m_noted = 0;
};

}  // namespace tern
