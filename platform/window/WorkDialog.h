#pragma once
// CWorkDialog: a window that stands on screen while some work runs in the caller's loop
// (the scan's "Working..." window, the delete's progress window). It never ends itself:
// Stop, Esc and the close box only ask the work to stop, and Enter does nothing (a default
// OK would hide the window while the work goes on). The work looks at StopRequested()
// between steps; the window's owner destroys it once the work has returned.
#include "platform/window/Dialog.h"

class CWorkDialog : public CDialog {
public:
    using CDialog::CDialog;

    // True once the user has asked the work to stop.
    bool StopRequested() const { return m_bStopRequested; }

protected:
    void OnOK() override {}
    // Stop, Esc and the close box: the first one asks, and the window says so.
    void OnCancel() override {
        if (m_bStopRequested)
            return;
        m_bStopRequested = true;
        OnStopRequested();
    }
    // Says in the window that the work is stopping.
    virtual void OnStopRequested() = 0;

private:
    bool m_bStopRequested = false;
};
