// The progress bar a play drives: its range once at the start, then a position after each
// event of the track.
//
// Contract: "send" semantics. Each call returns only after the control has applied it, so a
// caller on a worker thread never races ahead of what the user sees. The dialog marshals
// the call to its user-interface thread and waits there; the command line and the tests
// apply it at once. Calls come from the one thread that runs the play, in order.
#pragma once

class IProgressControl {
public:
    virtual void SetRange(int nLower, int nUpper) = 0;
    virtual void SetPos(int nPos) = 0;

protected:
    ~IProgressControl() = default;  // a play borrows the control, never owns it
};
