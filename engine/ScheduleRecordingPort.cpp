#include "engine/ScheduleRecordingPort.h"

#include "platform/TickCount.h"

namespace tern {

ScheduleRecordingPort::ScheduleRecordingPort(ICorvoPort& port, uint32_t writes,
                                             const ScheduleMoves& moves)
    : m_port(port),
      m_moves(moves),
      m_startsUs(std::make_unique<uint64_t[]>(writes)),
      m_movedMs(std::make_unique<uint32_t[]>(writes)),
      m_roomUs(std::make_unique<uint64_t[]>(writes)),
      m_capacity(writes) {}

HRESULT STDMETHODCALLTYPE ScheduleRecordingPort::QueryInterface(const IID& iid, void** out) {
    *out = iid == IID_IUnknown ? static_cast<IUnknown*>(this) : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE ScheduleRecordingPort::Write(uint32_t flags, uint32_t count,
                                                       const uint8_t* bytes, uint32_t countAgain) {
    // Noted before the call: the write is due when it begins, however long the port takes.
    if (m_noted < m_capacity) {
        m_movedMs[m_noted] = m_moves.movedMs;
        m_startsUs[m_noted++] = platform::GetTickMicroseconds();
    }
    return m_port.Write(flags, count, bytes, countAgain);
}

}  // namespace tern
