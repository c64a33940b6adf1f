// A progress control that applies every call at once and remembers them in order. Reserve
// room before a play and recording allocates nothing.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/ProgressControl.h"

namespace tern::test {

class RecordingProgress final : public IProgressControl {
public:
    enum class Kind { Range, Pos };
    struct Call {
        Kind kind;
        int a;  // lower bound, or the position
        int b;  // upper bound; 0 for a position
        bool operator==(const Call&) const = default;
    };

    void Reserve(size_t calls) { m_calls.reserve(calls); }

    void SetRange(int nLower, int nUpper) override {
        m_calls.push_back({Kind::Range, nLower, nUpper});
    }
    void SetPos(int nPos) override { m_calls.push_back({Kind::Pos, nPos, 0}); }

    const std::vector<Call>& Calls() const { return m_calls; }
    // The positions set, in order, without the range calls.
    std::vector<int> Positions() const {
        std::vector<int> positions;
        for (const Call& call : m_calls) {
            if (call.kind == Kind::Pos) {
                positions.push_back(call.a);
            }
        }
        return positions;
    }

private:
    std::vector<Call> m_calls;
};

}  // namespace tern::test
