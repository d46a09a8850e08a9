#include "ui/trash/TrashProgressWnd.h"

#include "platform/core/PathSeparator.h"
#include "platform/window/Styles.h"
#include "platform/window/WinApp.h"
#include "ui/trash/TrashTexts.h"

#include <algorithm>
#include <string>

namespace {
// The bar counts in per mille, so that totals beyond its int range still fit.
constexpr int kBarSteps = 1000;
} // namespace

CTrashProgressWnd::CTrashProgressWnd(CWnd* owner, TrashWork work)
    : CWorkDialog(IDD, owner), m_pOwner(owner), m_work(work) {}

BOOL CTrashProgressWnd::Show() {
    if (!Create(IDD, m_pOwner))
        return FALSE;
    BeginModalState();
    ShowWindow(SW_SHOWNORMAL);
    return TRUE;
}

BOOL CTrashProgressWnd::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CWinApp* app = AfxGetApp(); app && app->m_pszAppName)
        SetWindowText(app->m_pszAppName);
    SetDlgItemText(IDC_TRASH_HEADING, CString(TrashProgressHeading(m_work)));
    SendDlgItemMessage(IDC_TRASH_BAR, PBM_SETRANGE32, 0, kBarSteps);
    return TRUE;
}

void CTrashProgressWnd::SetProgress(std::size_t done, std::size_t total, std::string_view path) {
    if (StopRequested())
        return;
    const auto steps =
        total == 0 ? 0 : static_cast<WPARAM>(std::min(done, total) * kBarSteps / total);
    SendDlgItemMessage(IDC_TRASH_BAR, PBM_SETPOS, steps);
    SetDlgItemText(IDC_TRASH_COUNT,
                   CString(std::to_string(done) + " of " + std::to_string(total) + " files done"));

    // The name, and below it the folder; each label shortens a long text in the middle
    // (SS_PATHELLIPSIS).
    const std::size_t slash = path.rfind(kPathSeparator);
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::string_view folder = slash == std::string_view::npos
                                        ? std::string_view{}
                                        : path.substr(0, std::max<std::size_t>(slash, 1));
    SetDlgItemText(IDC_TRASH_FILE, CString(TrashDisplayBytes(name)));
    SetDlgItemText(IDC_TRASH_FOLDER,
                   folder.empty() ? CString() : CString("in " + TrashDisplayBytes(folder)));
}

void CTrashProgressWnd::OnStopRequested() {
    ::EnableWindow(GetDlgItem(IDCANCEL), FALSE);
    SetDlgItemText(IDC_TRASH_COUNT, CString("Stopping after the current file..."));
}
