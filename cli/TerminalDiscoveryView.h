// Discovery on a terminal: the worker's texts and status values as lines, in the order the
// worker reports them. Progress goes to the output stream, the final failure message to the
// error stream. What was shown is also kept as a record.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "cli/Console.h"
#include "cli/DiscoveryRecord.h"
#include "devlink/DiscoveryView.h"

namespace tern::cli {

class TerminalDiscoveryView final : public IDiscoveryView {
public:
    explicit TerminalDiscoveryView(Console& console) : m_console(console) {}

    void EnableBrowse(bool) override {}  // a terminal has no Browse button
    void SetStatusText(const char* text) override;
    void SetOutputPort(const char* text) override;
    void SetStatus(int32_t status) override;
    // Says what the system named instead of the window's message, where that would mislead.
    void SetRootFailure(HRESULT result) override;

    // True once discovery has announced the open firmware port.
    bool PortOpen() const { return m_portOpen.load(); }
    int32_t Status() const { return m_status.load(); }
    // What has been reported so far.
    DiscoveryRecord Record() const;

private:
    Console& m_console;
    std::atomic<int32_t> m_status{0};
    std::atomic<bool> m_portOpen{false};
    mutable std::mutex m_mutex;
    DiscoveryRecord m_record;
    std::string m_rootFailure;  // said in place of the next failure message, when not empty
};

}  // namespace tern::cli
