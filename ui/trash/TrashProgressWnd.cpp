#include "ui/trash/TrashProgressWnd.h"

#include "platform/core/PathSeparator.h"
#include "platform/window/WinApp.h"
#include "ui/trash/TrashTexts.h"

#include <string>

CTrashProgressWnd::CTrashProgressWnd(CWnd* owner, TrashWork work)
    : CWorkDialog(IDD_TRASH_PROGRESS, owner), m_pOwner(owner), m_work(work) {}

BOOL CTrashProgressWnd::Show() {
    return Create(IDD_TRASH_PROGRESS, m_pOwner);
}

BOOL CTrashProgressWnd::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CWinApp* app = AfxGetApp(); app && app->m_pszAppName)
        SetWindowText(app->m_pszAppName);
    SetDlgItemText(IDC_TRASH_HEADING, CString(TrashProgressHeading(m_work)));
    return TRUE;
}

void CTrashProgressWnd::SetProgress(std::size_t done, std::size_t total, std::string_view path) {
    if (StopRequested())
        return;
    SetDlgItemText(IDC_TRASH_COUNT,
                   CString(std::to_string(done) + " of " + std::to_string(total) + " files done"));
    // The static control shortens a long path in the middle (SS_PATHELLIPSIS).
    SetDlgItemText(IDC_TRASH_FILE, CString(TrashDisplayBytes(path)));
}

void CTrashProgressWnd::OnStopRequested() {
    SetDlgItemText(IDC_TRASH_COUNT, CString("Stopping after the current file..."));
}
