// The main window's sizes: the Size column and the total size after a scan, the tool tip
// with the exact bytes, sorting by a column's header, and "Show Sizes".
#include "ui/RaveZivuredDlg.h"

#include "platform/core/NumberText.h"
#include "platform/window/Menu.h"
#include "platform/window/Styles.h"

#include <string>

namespace {
// The total size field while sizes are not shown.
const char* const kSizesOff = "not read (Show Sizes is off)";
} // namespace

void CRaveZivuredDlg::ShowTableSizes() {
    m_order = TableOrder{};
    if (!m_bShowSizes) {
        SetDlgItemText(IDC_TOTAL_SIZE, kSizesOff);
        return;
    }
    FillSizeColumn(m_sizes, m_listExt, SizeWriting::Readable);
    // "1.4 MB (1,468,006 bytes)": the readable size with its exact bytes, where it is not
    // already in bytes.
    const SizeTotal& total = m_sizes.Total();
    std::string text = SizeText(total, SizeWriting::Readable);
    if (total.bytes >= 1024)
        text += " (" + GroupDigits(total.bytes) + " bytes)";
    SetDlgItemText(IDC_TOTAL_SIZE, CString(text));
}

void CRaveZivuredDlg::ShowSizes(bool show) {
    if (show == m_bShowSizes || IsRefreshing())
        return;
    m_bShowSizes = show;
    if (CMenu* menu = GetSystemMenu(FALSE))
        menu->CheckMenuItem(IDM_SHOW_SIZES, show ? MF_CHECKED : MF_UNCHECKED);
    if (show) {
        InsertSizeColumn();
        // The table shown was counted without sizes: count it again, with them.
        if (!m_strFolder.IsEmpty())
            RefreshList();
        else
            ShowTableSizes();
        return;
    }
    m_nSizeColumnWidth = m_listExt.GetColumnWidth(kColumnSize);
    m_listExt.DeleteColumn(kColumnSize);
    m_sizes.Clear();
    SetDlgItemText(IDC_TOTAL_SIZE, kSizesOff);
}

void CRaveZivuredDlg::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult) {
    const auto* click = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    *pResult = 0;
    if (IsRefreshing() || click->iSubItem < 0)
        return;
    m_order = NextOrder(m_order, click->iSubItem);
    SortResultRowsBy(m_listExt, m_order, m_bShowSizes ? &m_sizes : nullptr);
}

void CRaveZivuredDlg::OnGetInfoTip(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* tip = reinterpret_cast<NMLVGETINFOTIP*>(pNMHDR);
    *pResult = 0;
    if (!m_bShowSizes || tip->iSubItem != kColumnSize)
        return;
    if (const SizeTotal* size =
            m_sizes.Find(m_listExt.GetItemText(tip->iItem, kColumnExtension).view()))
        CListCtrl::SetInfoTipText(tip, CString(SizeDetails(*size)));
}
