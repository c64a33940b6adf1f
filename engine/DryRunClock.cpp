#include "engine/DryRunClock.h"

#include <algorithm>

namespace tern {
namespace {

// Every due time fits in 32 bits, so this reading ends any wait; time never passes it, which
// keeps the player's unsigned difference from wrapping back below a due time.
constexpr uint64_t kLastMillisecond = UINT32_MAX;

}  // namespace

void DryRunClock::StartPlay() {
    m_now = 0;
    m_exactReadsLeft = m_exactReadBudget;
    m_step = 0;
    m_starting = true;
    m_waiting = false;
    m_exact = true;
}

void DryRunClock::NoteActivity() {
    if (m_waiting && m_step > 1) {
        m_exact = false;
    }
    m_waiting = false;
    m_step = 0;
}

uint32_t DryRunClock::Now() {
    if (m_starting) {
        m_starting = false;
        return Elapsed();
    }
    if (!m_waiting) {
        m_waiting = true;
        return Elapsed();
    }
    if (m_exactReadsLeft > 0) {
        --m_exactReadsLeft;
        m_step = 1;
    } else {
        m_step = m_step == 0 ? 1 : std::min(m_step * 2, kLastMillisecond);
    }
    Advance(m_step);
    return Elapsed();
}

void DryRunClock::Sleep(uint32_t ms) {
    Advance(ms);
}

void DryRunClock::Advance(uint64_t ms) {
    m_now = std::min(m_now + ms, kLastMillisecond);
}

}  // namespace tern
