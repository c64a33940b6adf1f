#include "cli/ProgressSlot.h"

namespace tern::cli {
namespace {

constexpr int kHalfBits = 32;

uint64_t Pack(uint32_t high, uint32_t low) {
    return uint64_t{high} << kHalfBits | low;
}

uint32_t High(uint64_t word) {
    return static_cast<uint32_t>(word >> kHalfBits);
}

int LowAsInt(uint64_t word) {
    return static_cast<int>(static_cast<uint32_t>(word));
}

}  // namespace

void ProgressSlot::SetRange(int nLower, int nUpper) {
    m_range.store(Pack(static_cast<uint32_t>(nLower), static_cast<uint32_t>(nUpper)),
                  std::memory_order_relaxed);
    // Only this thread stores the count, so reading it back is no race.
    m_rangeSets.store(m_rangeSets.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

void ProgressSlot::SetPos(int nPos) {
    const uint32_t sets = High(m_pos.load(std::memory_order_relaxed)) + 1;
    m_pos.store(Pack(sets, static_cast<uint32_t>(nPos)), std::memory_order_release);
}

void ProgressSlot::MarkPlayEnded() {
    m_ended.store(true, std::memory_order_release);
}

bool ProgressSlot::PlayEnded() const {
    return m_ended.load(std::memory_order_acquire);
}

void ProgressSlot::ForwardTo(IProgressControl& target) {
    // The position first: the range stored before it is then visible too, so a position is
    // never passed on ahead of its range.
    const uint64_t pos = m_pos.load(std::memory_order_acquire);
    const uint32_t rangeSets = m_rangeSets.load(std::memory_order_acquire);
    if (rangeSets != m_rangeSetsSeen) {
        m_rangeSetsSeen = rangeSets;
        const uint64_t range = m_range.load(std::memory_order_relaxed);
        target.SetRange(LowAsInt(range >> kHalfBits), LowAsInt(range));
    }
    if (High(pos) != m_posSetsSeen) {
        m_posSetsSeen = High(pos);
        target.SetPos(LowAsInt(pos));
    }
}

}  // namespace tern::cli
