// Discovery against the simulated bus, with a virtual clock that logs every pause into the
// same sequence as the view's changes, so no test waits for real.
#include "devlink/DiscoveryWorker.h"

#include <gtest/gtest.h>

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "devlink/Handles.h"
#include "platform/ComRuntime.h"
#include "tests/support/ComponentEnvironment.h"
#include "tests/support/FakeClock.h"
#include "tests/support/GateClock.h"
#include "tests/support/RecordingDiscoveryView.h"

namespace tern {
namespace {

using Events = std::vector<std::string>;

class LoggingClock final : public platform::IClock {
public:
    explicit LoggingClock(test::EventLog& log) : m_log(log) {}
    uint32_t Now() override { return m_now; }
    void Sleep(uint32_t ms) override {
        m_now += ms;
        m_log.Add("pause " + std::to_string(ms));
    }

private:
    test::EventLog& m_log;
    std::atomic<uint32_t> m_now{0};
};

// One discovery from start to end on a virtual clock, with everything it did in `log`.
struct DiscoveryRun {
    test::EventLog log;
    test::RecordingDiscoveryView view{log};
    LoggingClock clock{log};
    platform::ScopedClock installed{clock};
    bool started = false;

    DiscoveryRun() {
        CDiscoveryWorker worker(view);
        started = worker.Start();
        worker.Wait();
        EXPECT_TRUE(worker.Finished());
    }
};

const Events kSearching = {"browse off", "text 'Searching for FW device...'"};
const Events kAnnounce = {"browse on", "text ''", "port 'FIRM'"};

Events Join(std::initializer_list<Events> parts) {
    Events all;
    for (const Events& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// `n` failed attempts at `step`, each but the first after a pause.
Events Failures(int n, const char* step, bool pauseBeforeFirst) {
    Events events;
    for (int i = 0; i < n; ++i) {
        if (i > 0 || pauseBeforeFirst) {
            events.push_back("pause 1000");
        }
        events.push_back(std::string("status ") + step);
    }
    return events;
}

class Discovery : public testing::Test {
protected:
    void TearDown() override {
        ReleaseDeviceLinkHandles();
        EXPECT_EQ(test::SimulatorCounts().liveObjects, 0);
        EXPECT_EQ(platform::GetTaskMemoryStats().outstanding, 0u);
        EXPECT_EQ(platform::GetTaskMemoryStats().invalidFrees, 0u);
    }

    test::ComponentEnvironment m_env;
};

TEST_F(Discovery, FoundAtOnceIsAnnouncedAfterTwoSeconds) {
    DiscoveryRun run;
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.log.Events(), Join({kSearching, {"status 0x0", "pause 2000"}, kAnnounce}));
    EXPECT_EQ(run.view.status(), 0);
    EXPECT_TRUE(run.view.browse());
    EXPECT_NE(g_pFirmwarePort, nullptr);
    // Exactly one root, one device and one port are held, and the two lists.
    EXPECT_EQ(test::SimulatorCounts().liveObjects, 3);
    EXPECT_EQ(platform::GetTaskMemoryStats().outstanding, 2u);
}

TEST_F(Discovery, AnEarlySuccessWaitsOutTheRestOfTwoSecondsALateOneDoesNot) {
    struct Case {
        int appearAtAttempt;
        Events afterSearching;
    };
    const Case cases[] = {
        {2, {"status 0x3", "pause 1000", "status 0x0", "pause 1000"}},
        {3, {"status 0x3", "pause 1000", "status 0x3", "pause 1000", "status 0x0"}},
        {11, Join({Failures(10, "0x3", false), {"pause 1000", "status 0x0"}})},
    };
    for (const Case& c : cases) {
        // The listing at start is the bus's first call; attempt n makes call n + 1.
        m_env.SetScenario("appear_at = " + std::to_string(c.appearAtAttempt + 1) + "\n");
        DiscoveryRun run;
        ASSERT_TRUE(run.started);
        EXPECT_EQ(run.log.Events(), Join({kSearching, c.afterSearching, kAnnounce}))
            << "found at attempt " << c.appearAtAttempt;
        ReleaseDeviceLinkHandles();
    }
}

TEST_F(Discovery, NoDeviceGivesUpAfterElevenAttemptsAndTenPauses) {
    m_env.SetScenario("nodes =\n");
    DiscoveryRun run;
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.log.Events(), Join({kSearching,
                                      Failures(11, "0x3", false),
                                      {"status 0x80000003", "text 'FW device not found!!'"}}));
    EXPECT_FALSE(run.view.browse());
    EXPECT_EQ(g_pFirmwarePort, nullptr);
}

TEST_F(Discovery, TheLastAttemptDecidesTheReport) {
    // Ten attempts find no node; on the eleventh the node is there but has no "FIRM" port.
    m_env.SetScenario("appear_at = 12\nports = MIDI\n");
    DiscoveryRun run;
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.log.Events(), Join({kSearching,
                                      Failures(10, "0x3", false),
                                      Failures(1, "0x6", true),
                                      {"status 0x80000006", "text 'FW port not found!!'"}}));
}

TEST_F(Discovery, EachFailingStepIsRetriedAndReportedByItsNumber) {
    struct Case {
        const char* scenario;
        const char* step;
        const char* message;
    };
    const Case cases[] = {
        {"open_device_fails = 99\n", "0x4", "Can not open FW device!!"},
        {"open_device_null = 99\n", "0x4", "Can not open FW device!!"},
        {"port_list_fails = 99\n", "0x5", "Can not get FW port information!!"},
        {"ports = MIDI\n", "0x6", "FW port not found!!"},
        {"nodes = 1111:2E0107, 5A3C:2E0109\n", "0x3", "FW device not found!!"},
        {"open_port_fails = 99\n", "0x7", "Can not open FW port!!"},
        {"open_port_null = 99\n", "0x7", "Can not open FW port!!"},
    };
    for (const Case& c : cases) {
        m_env.SetScenario(c.scenario);
        DiscoveryRun run;
        ASSERT_TRUE(run.started) << c.scenario;
        EXPECT_EQ(run.log.Events(),
                  Join({kSearching,
                        Failures(11, c.step, false),
                        {std::string("status 0x8000000") + std::string(c.step).substr(2),
                         std::string("text '") + c.message + "'"}}))
            << c.scenario;
        // However many attempts ran, each handle holds at most one list or object.
        EXPECT_LE(test::SimulatorCounts().liveObjects, 2) << c.scenario;
        EXPECT_LE(platform::GetTaskMemoryStats().outstanding, 2u) << c.scenario;
        ReleaseDeviceLinkHandles();
    }
}

TEST_F(Discovery, OnlyAnOstrelIsOpenedAndTheFirstOneListedWins) {
    struct Case {
        const char* scenario;
        size_t expectedNode;  // index in the node list of the node that must be opened
        const char* finalStatus;
    };
    const Case cases[] = {
        // Accepted model with another vendor, the vendor with another model, then a match.
        {"nodes = 1111:2E0107, 5A3C:2E0109, 5A3C:2E0108\n", 2, "0x0"},
        // Two Ostrels, the first without a firmware port: the second is never tried.
        {"nodes = 5A3C:2E0107, 5A3C:2E0108\nports.1 = MIDI\n", 0, "0x80000006"},
    };
    for (const Case& c : cases) {
        m_env.SetScenario(c.scenario);
        DiscoveryRun run;
        ASSERT_TRUE(run.started);
        ASSERT_GT(g_NodeList.dwCount, c.expectedNode);
        EXPECT_EQ(g_nDeviceNodeId, g_NodeList.pNodes[c.expectedNode].nNodeId) << c.scenario;
        char status[32];
        std::snprintf(status, sizeof status, "status 0x%X",
                      static_cast<unsigned>(run.view.status()));
        EXPECT_EQ(std::string(status), std::string("status ") + c.finalStatus) << c.scenario;
        ReleaseDeviceLinkHandles();
    }
}

TEST_F(Discovery, OfSeveralFirmwarePortsTheFirstIsOpened) {
    m_env.SetScenario("ports = MIDI, FIRM, FIRM\n");
    DiscoveryRun run;
    ASSERT_TRUE(run.started);
    EXPECT_EQ(g_dwFirmwarePortId, g_PortList.pPorts[1].dwPortId);
    EXPECT_NE(g_pFirmwarePort, nullptr);
}

TEST_F(Discovery, NoDeviceLinkMeansNoWorkerAndNoSearch) {
    struct Case {
        const char* scenario;
        Events events;
    };
    const Case cases[] = {
        {"create_fails = 1\n",
         {"status 0x80000001", "text 'Can not get FW interface!!'", "browse off"}},
        {"node_list_fails = 1\n",
         {"status 0x80000002", "text 'Can not get FW device information!!'", "browse off"}},
    };
    for (const Case& c : cases) {
        m_env.SetScenario(c.scenario);
        test::EventLog log;
        test::RecordingDiscoveryView view(log);
        CDiscoveryWorker worker(view);
        EXPECT_FALSE(worker.Start()) << c.scenario;
        EXPECT_TRUE(worker.Finished());
        EXPECT_EQ(log.Events(), c.events) << c.scenario;
        ReleaseDeviceLinkHandles();
    }
}

// A root object that is its own class factory and lives as long as the test program: the
// base of the buses below, which show what no scenario of the simulator can.
class StaticBus : public ICorvoAsync, public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(const IID& iid, void** out) override {
        if (iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
        } else {
            *out = static_cast<ICorvoAsync*>(this);
        }
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OpenDevice(uint64_t, ICorvoDevice**) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, const IID&, void** out) override {
        *out = static_cast<ICorvoAsync*>(this);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LockServer(int32_t) override { return S_OK; }
};

// A bus whose listing works once, at the start, and never again (the simulator's failures
// always come first).
class ListsOnceBus final : public StaticBus {
public:
    HRESULT STDMETHODCALLTYPE GetNodeList(NodeList* list) override {
        *list = {0, nullptr};
        return m_calls++ == 0 ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE OpenDevice(uint64_t, ICorvoDevice**) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, const IID&, void** out) override {
        *out = static_cast<ICorvoAsync*>(this);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LockServer(int32_t) override { return S_OK; }

private:
    std::atomic<int> m_calls{0};
} g_listsOnce;

HRESULT STDAPICALLTYPE GetListsOnce(const CLSID&, const IID&, void** out) {
    *out = static_cast<IClassFactory*>(&g_listsOnce);
    return S_OK;
}

#if defined(__linux__) && !defined(TERN_SANITIZED)
// In a child whose address space has no room for a thread's stack: ends with 0 when the start
// reported the device link as failed and left no worker behind.
[[noreturn]] void StartWithoutRoomForAThread() {
    unsigned long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        pages = std::fscanf(statm, "%lu", &pages) == 1 ? pages : 0;
        std::fclose(statm);
    }
    const rlim_t bytes =
        rlim_t{pages} * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{2} << 20);
    const rlimit limit{bytes, bytes};
    setrlimit(RLIMIT_AS, &limit);
    test::EventLog log;
    test::RecordingDiscoveryView view(log);
    CDiscoveryWorker worker(view);
    const bool started = worker.Start();
    const Events expected = {"status 0x80000001", "text 'Can not get FW interface!!'",
                             "browse off"};
    std::_Exit(pages > 0 && !started && worker.Finished() && log.Events() == expected ? 0 : 1);
}

TEST_F(Discovery, AWorkerThatCannotBeStartedIsAFailedDeviceLink) {
    platform::ScopedClassRegistration registration(CLSID_CorvoAsync, GetListsOnce);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(StartWithoutRoomForAThread(), testing::ExitedWithCode(0), "");
}
#endif

TEST_F(Discovery, ListingFailuresAfterTheStartAreRetriedAsStepTwo) {
    platform::ScopedClassRegistration registration(CLSID_CorvoAsync, GetListsOnce);
    DiscoveryRun run;
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.log.Events(),
              Join({kSearching,
                    Failures(11, "0x2", false),
                    {"status 0x80000002", "text 'Can not get FW device information!!'"}}));
    g_pCorvoAsync = nullptr;  // not the simulator's: nothing to release
}

TEST(DiscoveryStop, AStopDuringAPauseEndsTheWorkerWithoutAnotherChange) {
    test::ComponentEnvironment env;
    env.SetScenario("nodes =\n");
    test::EventLog log;
    test::RecordingDiscoveryView view(log);
    test::GateClock clock;
    platform::ScopedClock installed(clock);
    {
        CDiscoveryWorker worker(view);
        ASSERT_TRUE(worker.Start());
        clock.WaitUntilSleeping();
        const Events before = log.Events();
        worker.RequestStop();
        clock.Open();
        worker.Wait();
        EXPECT_EQ(log.Events(), before);
        EXPECT_EQ(before.back(), "status 0x3");
    }
    ReleaseDeviceLinkHandles();
    EXPECT_EQ(test::SimulatorCounts().liveObjects, 0);
}

// A bus whose attempts' listings wait at a gate, to stop the worker in the middle of one.
class GatedBus final : public StaticBus {
public:
    HRESULT STDMETHODCALLTYPE GetNodeList(NodeList* list) override {
        *list = {0, nullptr};
        if (m_calls++ > 0) {
            m_inAttempt.Add("listing");
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_open; });
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenDevice(uint64_t, ICorvoDevice**) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, const IID&, void** out) override {
        *out = static_cast<ICorvoAsync*>(this);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LockServer(int32_t) override { return S_OK; }
    void Open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    test::EventLog m_inAttempt;

private:
    std::atomic<int> m_calls{0};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
} g_gated;

HRESULT STDAPICALLTYPE GetGated(const CLSID&, const IID&, void** out) {
    *out = static_cast<IClassFactory*>(&g_gated);
    return S_OK;
}

TEST(DiscoveryStop, AStopDuringAnAttemptReportsNothingOfIt) {
    test::ComponentEnvironment env;
    platform::ScopedClassRegistration registration(CLSID_CorvoAsync, GetGated);
    test::EventLog log;
    test::RecordingDiscoveryView view(log);
    {
        CDiscoveryWorker worker(view);
        ASSERT_TRUE(worker.Start());
        ASSERT_TRUE(g_gated.m_inAttempt.WaitFor("listing"));
        worker.RequestStop();
        g_gated.Open();
        worker.Wait();
    }
    EXPECT_EQ(log.Events(), kSearching);
    g_pCorvoAsync = nullptr;  // not the simulator's: nothing to release
    FreeNodeList(g_NodeList);
}

TEST(DiscoveryStop, AStopBeforeTheWorkerBeginsLeavesTheViewAndTheBusAlone) {
    test::ComponentEnvironment env;
    test::EventLog log;
    test::RecordingDiscoveryView view(log);
    {
        CDiscoveryWorker worker(view);
        worker.RequestStop();  // the window closed before discovery got going
        ASSERT_TRUE(worker.Start());
        worker.Wait();
    }
    EXPECT_TRUE(log.Events().empty());
    EXPECT_EQ(g_pCorvoDevice, nullptr);  // no attempt was made
    ReleaseDeviceLinkHandles();
}

TEST(DiscoveryStop, AStopEndsARealPauseAtOnce) {
    test::ComponentEnvironment env;
    env.SetScenario("nodes =\n");
    test::EventLog log;
    test::RecordingDiscoveryView view(log);
    {
        CDiscoveryWorker worker(view);
        ASSERT_TRUE(worker.Start());
        ASSERT_TRUE(log.WaitFor("status 0x3"));  // the first attempt failed; a pause follows
        const auto start = std::chrono::steady_clock::now();
        worker.RequestStop();
        worker.Wait();
        // Far less than the one-second pause it interrupted.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
        EXPECT_EQ(log.Events().back(), "status 0x3");
    }
    ReleaseDeviceLinkHandles();
}

}  // namespace
}  // namespace tern
