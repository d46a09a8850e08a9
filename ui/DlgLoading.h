#pragma once
// CDlgLoading: the small "Working..." window (template 130) that stands on screen while the
// main window scans a folder. It is modeless and runs no loop of its own: the scan keeps
// it painted (see CRaveZivuredDlg::RefreshList) and shows the number of files found so
// far in it.
//
// Like every CWorkDialog it never ends itself: Stop, Esc and its close box only ask the
// scan to stop, and the scan's owner destroys the window once the scan has returned.
#include "platform/window/WorkDialog.h"
#include "res/resource.h"

#include <cstddef>

class CDlgLoading : public CWorkDialog {
public:
    explicit CDlgLoading(CWnd* pParent = nullptr);

    enum { IDD = IDD_WORKING };

    // Shows count as the number of files found so far.
    void SetFoundCount(std::size_t count);

protected:
    BOOL OnInitDialog() override;
    void OnStopRequested() override;
};
