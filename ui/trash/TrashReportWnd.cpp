#include "ui/trash/TrashReportWnd.h"

#include "platform/window/DataExchange.h"
#include "platform/window/PaintDC.h"
#include "platform/window/Styles.h"
#include "platform/window/WinApp.h"
#include "ui/trash/TrashTexts.h"

#include <algorithm>

CTrashReportWnd::CTrashReportWnd(const TrashReport& report, CWnd* owner)
    : CDialog(TrashReportRows(report).empty() ? IDD_TRASH_STOPPED : IDD_TRASH_REPORT, owner),
      m_report(report), m_rows(TrashReportRows(report)) {}

const TrashResult* CTrashReportWnd::RowResult(int row) const {
    if (row < 0 || row >= m_listFiles.GetItemCount())
        return nullptr;
    return m_rows[static_cast<std::size_t>(m_listFiles.GetItemData(row))];
}

void CTrashReportWnd::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    // IDD_TRASH_STOPPED has no list: the list object then stays without a window.
    DDX_Control(pDX, IDC_TRASH_LIST, m_listFiles);
}

const AFX_MSGMAP* CTrashReportWnd::GetThisMessageMap() {
    static constexpr AFX_MSGMAP_ENTRY entries[] = {
        msgmap::Size<&CTrashReportWnd::OnSize>(),
        msgmap::Notify<&CTrashReportWnd::OnGetInfoTip>(LVN_GETINFOTIP, IDC_TRASH_LIST),
    };
    static_assert(msgmap::HasNoDuplicates(entries));
    static constexpr AFX_MSGMAP map{&CDialog::GetThisMessageMap, entries};
    return &map;
}

const AFX_MSGMAP* CTrashReportWnd::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CTrashReportWnd::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CWinApp* app = AfxGetApp(); app && app->m_pszAppName)
        SetWindowText(app->m_pszAppName);
    SetDlgItemText(IDC_TRASH_HEADING, CString(TrashHeading(m_report)));
    SetDlgItemText(IDC_TRASH_SUMMARY, CString(TrashSummary(m_report)));
    FillList();
    // Enter or Space dismisses the report at once, as in a message box.
    GotoDlgCtrl(IDOK);
    return FALSE;
}

void CTrashReportWnd::FillList() {
    if (!m_listFiles.GetSafeHwnd())
        return;
    m_listFiles.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    m_listFiles.InsertColumn(FileColumn, "File", LVCFMT_LEFT);
    m_listFiles.InsertColumn(ReasonColumn, "Reason", LVCFMT_LEFT);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const TrashResult& result = *m_rows[i];
        const int row = m_listFiles.InsertItem(m_listFiles.GetItemCount(),
                                               CString(TrashDisplayBytes(result.path)));
        m_listFiles.SetItemText(row, ReasonColumn, CString(result.reason));
        m_listFiles.SetItemData(row, static_cast<LPARAM>(i));
    }
    m_listFiles.SetColumnWidth(ReasonColumn, LVSCW_AUTOSIZE);
    WidenForPaths();
    FitColumns();
}

void CTrashReportWnd::WidenForPaths() {
    // Measured on the first rows only, so that a report of many thousands opens at once.
    const int rows = std::min(m_listFiles.GetItemCount(), 500);
    int widest = 0;
    for (int row = 0; row < rows; ++row)
        widest =
            std::max(widest, m_listFiles.GetStringWidth(m_listFiles.GetItemText(row, FileColumn)));
    // Room for a cell's margins and a scroll bar.
    RECT room{0, 0, 24, 0};
    MapDialogRect(&room);
    RECT inside{};
    m_listFiles.GetClientRect(&inside);
    const int wider = widest + static_cast<int>(room.right) +
                      m_listFiles.GetColumnWidth(ReasonColumn) - static_cast<int>(inside.right);
    RECT frame{};
    GetWindowRect(&frame);
    const int width = static_cast<int>(frame.right - frame.left);
    const int wanted = std::min(width + wider, GetSystemMetrics(SM_CXSCREEN) * 4 / 5);
    if (wanted <= width)
        return;
    // As far to the left as to the right, so that it stays centred where it was.
    MoveWindow(static_cast<int>(frame.left) - (wanted - width) / 2, static_cast<int>(frame.top),
               wanted, static_cast<int>(frame.bottom - frame.top));
}

void CTrashReportWnd::OnSize(UINT, int, int) {
    FitColumns();
}

void CTrashReportWnd::OnGetInfoTip(NMHDR* header, LRESULT*) {
    auto* request = reinterpret_cast<NMLVGETINFOTIP*>(header);
    const TrashResult* result = RowResult(request->iItem);
    if (!result)
        return;
    std::string tip = TrashDisplayBytes(result->path) + "\n" + result->reason;
    if (!result->detail.empty())
        tip += "\n" + result->detail;
    CListCtrl::SetInfoTipText(request, CString(tip));
}

void CTrashReportWnd::FitColumns() {
    if (!m_listFiles.GetSafeHwnd())
        return;
    RECT inside{};
    m_listFiles.GetClientRect(&inside);
    const int reasonWidth = m_listFiles.GetColumnWidth(ReasonColumn);
    // Never so narrow that the paths vanish.
    const int leastWidth = 100;
    m_listFiles.SetColumnWidth(FileColumn,
                               std::max<int>(inside.right - inside.left - reasonWidth, leastWidth));
}
