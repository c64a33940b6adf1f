#include "RefCounted.h"

#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "CorvoSimCounts.h"
#include "Export.h"

namespace corvo_sim {
namespace {

struct Ledger {
    std::atomic<int64_t> live{0};
    std::atomic<int64_t> misuses{0};
    std::atomic<int64_t> serverLocks{0};
    std::mutex mutex;
    std::vector<std::unique_ptr<SimObject>> shells;
};

Ledger& TheLedger() {
    static Ledger* ledger = new Ledger;  // shells must outlive every late call
    return *ledger;
}

}  // namespace

void CountCreated() {
    ++TheLedger().live;
}

void CountRetired(SimObject* shell) {
    Ledger& ledger = TheLedger();
    --ledger.live;
    std::lock_guard lock(ledger.mutex);
    try {
        ledger.shells.emplace_back(shell);
    } catch (const std::bad_alloc&) {
        // No room to note it: the shell stays where it is, as noted ones do until the end.
    }
}

void CountMisuse() {
    ++TheLedger().misuses;
}

void CountServerLock(bool lock) {
    if (lock) {
        ++TheLedger().serverLocks;
    } else {
        --TheLedger().serverLocks;
    }
}

bool InUse() {
    return TheLedger().live.load() > 0 || TheLedger().serverLocks.load() > 0;
}

}  // namespace corvo_sim

extern "C" CORVO_SIM_EXPORT void CorvoSimGetCounts(CorvoSimCounts* counts) {
    if (counts) {
        counts->liveObjects = corvo_sim::TheLedger().live.load();
        counts->misuses = corvo_sim::TheLedger().misuses.load();
    }
}
