#pragma once
// The report after a delete or an undo: every file that could not be moved, with why.
#include "platform/core/TrashReport.h"
#include "platform/window/Dialog.h"
#include "platform/window/ListCtrl.h"
#include "res/resource.h"

#include <vector>

// The heading and the summary of TrashTexts.h and, in a list (TrashReportRows), each file
// of the report that could not be moved, in request order, then each folder that was not
// read, with its reason; a row's tooltip holds its whole path, the reason and the system's
// own message, when it gave one. Files
// moved, and files not reached because the user stopped, are not listed (the summary
// counts them). The window opens wide enough for the longest path (within most of the
// screen) and can be made larger (template IDD_TRASH_REPORT): the list takes what it grows
// by, its file column the width the reason column leaves. Without a row to
// list (only a stop kept files) it is the small IDD_TRASH_STOPPED, without a list. Run
// modally; closed with Close, Enter, Esc or the close box.
class CTrashReportWnd : public CDialog {
public:
    enum Column { FileColumn, ReasonColumn };

    CTrashReportWnd(const TrashReport& report, CWnd* owner);

    // The result list row row shows (its path holds the exact bytes), or null.
    const TrashResult* RowResult(int row) const;

    CListCtrl m_listFiles;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

    void OnSize(UINT type, int cx, int cy);
    void OnGetInfoTip(NMHDR* header, LRESULT* result);

private:
    const TrashReport& m_report;
    std::vector<const TrashResult*> m_rows;

    // The rows, and the reason column as wide as its widest reason.
    void FillList();
    // Wider, to show the longest path whole, within four fifths of the screen.
    void WidenForPaths();
    // The file column takes the width the reason column leaves.
    void FitColumns();
};
