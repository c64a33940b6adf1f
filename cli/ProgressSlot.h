// Where the play thread leaves its progress for the thread that draws it. The play thread
// only stores into lock-free atomics: no lock, no allocation, no output, so nothing that
// holds up the drawing (a terminal stopped with Ctrl+S, a stalled connection, a slow pipe
// reader) can hold up a write to the device. The drawing thread polls the slot and passes on
// the latest state; positions between two polls are skipped, the last one never is.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/ProgressControl.h"

namespace tern::cli {

class ProgressSlot final : public IProgressControl {
public:
    // The play thread's side: each call only stores.
    void SetRange(int nLower, int nUpper) override;
    void SetPos(int nPos) override;
    // The play thread's last call: nothing is stored after it.
    void MarkPlayEnded();

    // The drawing thread's side.
    bool PlayEnded() const;
    // Passes on to `target` what changed since the last call: the range, then the latest
    // position. Called by one thread only.
    void ForwardTo(IProgressControl& target);

private:
    static_assert(std::atomic<uint64_t>::is_always_lock_free);
    static_assert(std::atomic<uint32_t>::is_always_lock_free);
    static_assert(std::atomic<bool>::is_always_lock_free);

    std::atomic<uint64_t> m_range{0};      // lower in the high half, upper in the low half
    std::atomic<uint32_t> m_rangeSets{0};  // SetRange calls, published after m_range
    std::atomic<uint64_t> m_pos{0};        // SetPos calls in the high half, position in the low
    std::atomic<bool> m_ended{false};

    // The drawing thread's own bookkeeping, on a cache line of its own.
    alignas(64) uint32_t m_rangeSetsSeen = 0;
    uint32_t m_posSetsSeen = 0;
};

}  // namespace tern::cli
