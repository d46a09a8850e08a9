#pragma once
// CDlgLoading: the small "Working..." window (template 130) that stands on screen while the
// main window scans a folder. It is modeless and runs no loop of its own: the scan keeps
// it painted (see CRaveZivuredDlg::RefreshList) and shows the number of files found so
// far in it.
//
// It never ends itself. Its Stop button, Esc and its close box only ask the scan to stop
// (StopRequested turns true); the scan's owner destroys the window
// once the scan has returned.
#include "platform/window/Dialog.h"
#include "res/resource.h"

class CDlgLoading : public CDialog {
public:
    explicit CDlgLoading(CWnd* pParent = nullptr);

    enum { IDD = IDD_WORKING };

    // Shows count as the number of files found so far.
    void SetFoundCount(int count);
    // True once the user has asked the scan to stop.
    bool StopRequested() const { return m_bStopRequested; }

protected:
    BOOL OnInitDialog() override;
    // Enter without a button focused: nothing (a default OK would hide the window mid-scan).
    void OnOK() override;
    // Stop, Esc and the close box.
    void OnCancel() override;

private:
    bool m_bStopRequested = false;
};
