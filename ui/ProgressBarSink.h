// The window's progress bar as the control a play drives.
#pragma once

#include "engine/ProgressControl.h"
#include "platform/dialog/Controls.h"

class CProgressBarSink final : public IProgressControl {
public:
    explicit CProgressBarSink(tern::platform::CProgressCtrl& bar) : m_bar(bar) {}
    void SetRange(int nLower, int nUpper) override { m_bar.SetRange(nLower, nUpper); }
    void SetPos(int nPos) override { m_bar.SetPos(nPos); }

private:
    tern::platform::CProgressCtrl& m_bar;
};
