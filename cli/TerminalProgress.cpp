#include "cli/TerminalProgress.h"

#include <algorithm>
#include <cstdio>

#include "engine/DurationText.h"

namespace tern::cli {
namespace {

constexpr int kBarWidth = 30;
constexpr int kLastPercent = 100;

}  // namespace

void TerminalProgress::SetRange(int nLower, int nUpper) {
    m_lower = nLower;
    m_upper = nUpper > nLower ? nUpper : nLower + kLastPercent;
    m_shown.fill(false);
    if (m_style == Style::Bar) {
        Redraw(Describe(0));  // something to look at before the first event is due
    }
}

void TerminalProgress::Redraw(std::string line) {
    // Blank out what a longer line before it left behind.
    const size_t width = line.size();
    line.resize(std::max(width, m_drawnWidth), ' ');
    m_drawnWidth = width;
    m_console.Redraw(line);
}

void TerminalProgress::SetPos(int nPos) {
    const int percent =
        std::clamp((nPos - m_lower) * kLastPercent / (m_upper - m_lower), 0, kLastPercent);
    bool& shown = m_shown[static_cast<size_t>(percent)];
    if (shown) {
        return;
    }
    shown = true;
    if (m_style == Style::Bar) {
        Redraw(Describe(percent));
    } else {
        m_console.Out("Progress: " + Describe(percent));
    }
}

void TerminalProgress::Finish() {
    m_console.EndRedrawnLine();
}

std::string TerminalProgress::Describe(int percent) const {
    std::string text;
    if (m_style == Style::Bar) {
        const int filled = percent * kBarWidth / kLastPercent;
        text = "[" + std::string(static_cast<size_t>(filled), '#') +
               std::string(static_cast<size_t>(kBarWidth - filled), '-') + "] ";
    }
    char head[8];
    std::snprintf(head, sizeof head, "%3d%%", percent);
    text += head;
    // Before the first update nothing is sent yet; a percentage the dry run never showed has
    // no place on the schedule, so it goes without bytes and time.
    const ProgressMark& mark = m_plan.marks[static_cast<size_t>(percent)];
    if (!mark.reached && percent != 0) {
        return text;
    }
    const uint32_t doneMs = std::min(mark.timeMs, m_plan.durationMs);
    text += "  " + std::to_string(mark.portBytes) + " / " + std::to_string(m_plan.portBytes) +
            " bytes  " + FormatDuration(m_plan.durationMs - doneMs) + " left";
    return text;
}

}  // namespace tern::cli
