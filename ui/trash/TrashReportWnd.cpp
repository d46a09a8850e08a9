#include "ui/trash/TrashReportWnd.h"

#include "platform/window/DataExchange.h"
#include "platform/window/Styles.h"
#include "platform/window/WinApp.h"
#include "ui/trash/TrashTexts.h"

CTrashReportWnd::CTrashReportWnd(const TrashReport& report, CWnd* owner)
    : CDialog(IDD, owner), m_report(report) {}

void CTrashReportWnd::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TRASH_LIST, m_listFiles);
}

BOOL CTrashReportWnd::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CWinApp* app = AfxGetApp(); app && app->m_pszAppName)
        SetWindowText(app->m_pszAppName);
    SetDlgItemText(IDC_TRASH_HEADING, CString(TrashHeading(m_report)));
    SetDlgItemText(IDC_TRASH_SUMMARY, CString(TrashSummary(m_report)));

    m_listFiles.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    RECT client{};
    GetClientRect(&client);
    // The file column takes what the reason column leaves of the list's width.
    const int reasonWidth = 200;
    m_listFiles.InsertColumn(FileColumn, "File", LVCFMT_LEFT,
                             static_cast<int>(client.right - client.left) - reasonWidth - 40);
    m_listFiles.InsertColumn(ReasonColumn, "Reason", LVCFMT_LEFT, reasonWidth);
    for (const TrashResult* result : TrashReportRows(m_report)) {
        const int row = m_listFiles.InsertItem(m_listFiles.GetItemCount(),
                                               CString(TrashDisplayBytes(result->path)));
        CString reason(result->reason);
        if (!result->detail.empty())
            reason += CString(" (" + result->detail + ")");
        m_listFiles.SetItemText(row, ReasonColumn, reason);
    }
    return TRUE;
}
