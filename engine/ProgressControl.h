// The progress bar a play drives: its range once at the start, then a position after each
// event of the track.
//
// Contract: each call returns once the update is taken. The dialog marshals the call to its
// user-interface thread and waits there ("send" semantics, a thread that never blocks on
// anything but its own event loop); tern-flash stores it in a slot that its main thread
// draws from, so nothing its terminal does can hold the play; the tests apply it at once.
// Calls come from the one thread that runs the play, in order.
#pragma once

class IProgressControl {
public:
    virtual void SetRange(int nLower, int nUpper) = 0;
    virtual void SetPos(int nPos) = 0;

protected:
    ~IProgressControl() = default;  // a play borrows the control, never owns it
};
