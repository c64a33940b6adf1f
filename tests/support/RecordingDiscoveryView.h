// A discovery view that logs every change in order and keeps the latest state.
#pragma once

#include <atomic>
#include <cstdio>
#include <string>

#include "devlink/DiscoveryView.h"
#include "tests/support/EventLog.h"

namespace tern::test {

class RecordingDiscoveryView final : public IDiscoveryView {
public:
    explicit RecordingDiscoveryView(EventLog& log) : m_log(log) {}

    void EnableBrowse(bool enable) override {
        m_browse = enable;
        m_log.Add(enable ? "browse on" : "browse off");
    }
    void SetStatusText(const char* text) override { m_log.Add("text '" + std::string(text) + "'"); }
    void SetOutputPort(const char* text) override { m_log.Add("port '" + std::string(text) + "'"); }
    void SetStatus(int32_t status) override {
        m_status = status;
        char text[32];
        std::snprintf(text, sizeof text, "status 0x%X", static_cast<unsigned>(status));
        m_log.Add(text);
    }

    int32_t status() const { return m_status; }
    bool browse() const { return m_browse; }

private:
    EventLog& m_log;
    std::atomic<int32_t> m_status{0};
    std::atomic<bool> m_browse{true};
};

}  // namespace tern::test
