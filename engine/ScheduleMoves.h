// How far a play moved its schedule later, and why. A message found a millisecond or more
// past its due time moves every later message by as much: the device then never gets two
// messages closer together than the file spaces them, where sending the overdue ones at once
// would hand it, back to back, what it needs time to program.
#pragma once

#include <cstdint>

namespace tern {

struct ScheduleMoves {
    uint32_t movedMs = 0;  // how much later than the file's due times the rest went out
    // Stalls found while the play was waiting for a message: the program was held up (stopped
    // and continued, a suspended machine, another program on its processor).
    uint32_t heldUp = 0;
    // Stalls found before the wait began: the writes or the progress update before the message
    // took longer than the gap the file leaves (a slow port).
    uint32_t slowWrites = 0;

    uint32_t Stalls() const { return heldUp + slowWrites; }
};

}  // namespace tern
