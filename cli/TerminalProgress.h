// The progress of an installation on a terminal: a bar redrawn in place with the percentage,
// the bytes sent and the time left; or, when the output is not a terminal, one plain line per
// whole percentage at most. Bytes and time come from the dry run's schedule, whose progress
// updates the real play repeats one for one.
#pragma once

#include <array>
#include <string>

#include "cli/Console.h"
#include "engine/DryRun.h"
#include "engine/ProgressControl.h"

namespace tern::cli {

class TerminalProgress final : public IProgressControl {
public:
    enum class Style { Bar, Lines };

    // `plan` must outlive this object.
    TerminalProgress(Console& console, const DryRunReport& plan, Style style)
        : m_console(console), m_plan(plan), m_style(style) {}

    void SetRange(int nLower, int nUpper) override;
    void SetPos(int nPos) override;

    // Ends the bar's line; call once the play has returned.
    void Finish();

private:
    std::string Describe(int percent) const;
    void Redraw(std::string line);

    Console& m_console;
    const DryRunReport& m_plan;
    const Style m_style;
    int m_lower = 0;
    int m_upper = 100;
    std::array<bool, 101> m_shown{};
    size_t m_drawnWidth = 0;
};

}  // namespace tern::cli
