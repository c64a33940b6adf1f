// Device discovery: creates the device-link root object, lists the bus once, then finds the
// Ostrel and opens its firmware port on a worker thread, retrying once a second for at most
// eleven attempts. Reports through an IDiscoveryView; leaves its results in the handles.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "devlink/DiscoveryView.h"
#include "platform/StopSignal.h"

class CDiscoveryWorker {
public:
    static constexpr uint32_t kMaxFailedAttempts = 10;  // the eleventh failure is final
    static constexpr uint32_t kRetryPauseMs = 1000;
    // A success is announced no sooner than this many pauses after the worker started.
    static constexpr uint32_t kSettlePauses = 2;

    explicit CDiscoveryWorker(IDiscoveryView& view) : m_view(view) {}
    // Stops the worker and waits for it: call only from a thread the worker never waits on.
    ~CDiscoveryWorker();
    CDiscoveryWorker(const CDiscoveryWorker&) = delete;
    CDiscoveryWorker& operator=(const CDiscoveryWorker&) = delete;

    // Discovery start, on the thread that initialised the component runtime. False when the
    // device link is not available (the view shows why and no worker runs). Runs once.
    bool Start();

    // Ends a pause at once; the worker then touches neither the view nor the handles.
    // Does not wait.
    void RequestStop();
    // True once the worker has ended, or when none was started.
    bool Finished() const { return m_finished.load(); }
    // Waits for the worker to end. Whoever calls this must not be a thread the worker may
    // be waiting on (the view's calls are served there).
    void Wait();

private:
    void Run();
    void RunAttempts();
    void ReportFailure(int32_t message);
    // False when a stop was requested: the caller then returns without touching anything.
    bool Pause(uint32_t ms) { return m_stop.Pause(ms); }
    bool Stopping() const { return m_stop.StopRequested(); }

    IDiscoveryView& m_view;
    tern::platform::StopSignal m_stop;
    std::thread m_thread;
    std::atomic<bool> m_finished{true};
};
