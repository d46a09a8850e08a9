#pragma once
// The report after a delete or an undo, on the window layer's dialogs (the Windows build;
// the Linux build has CTrashReportDlg on Qt).
#include "platform/core/TrashReport.h"
#include "platform/window/Dialog.h"
#include "platform/window/ListCtrl.h"
#include "res/resource.h"

// Template IDD_TRASH_REPORT: the heading and summary of TrashTexts.h, and a list of each
// file of the report that could not be moved, in request order, with its reason (and the
// system's own message after it); files moved, and files not reached because the user
// stopped, are not listed. Run modally; closed with Close, Enter, Esc or the close box.
class CTrashReportWnd : public CDialog {
public:
    enum { IDD = IDD_TRASH_REPORT };
    enum Column { FileColumn, ReasonColumn };

    CTrashReportWnd(const TrashReport& report, CWnd* owner);

    CListCtrl m_listFiles;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

private:
    const TrashReport& m_report;
};
