#include "platform/DataExchange.h"

#include "platform/Dialog.h"
#include "platform/ListCtrl.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

void CDataExchange::Fail(int id) {
    m_failed = true;
    m_pDlgWnd->GotoDlgCtrl(id);
}

void DDX_Control(CDataExchange* pDX, int id, CListCtrl& list) {
    if (pDX->m_failed || list.GetSafeHwnd())
        return;
    list.Attach(pDX->m_pDlgWnd->GetDlgItem(id));
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    if (pDX->m_failed)
        return;
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->GetDlgItemText(id);
    else
        pDX->m_pDlgWnd->SetDlgItemText(id, value);
}

namespace {
// A whole decimal number, optionally signed, blanks around it allowed.
bool ParseInt(const CString& text, int& out) {
    const char* begin = text.GetString();
    if (static_cast<std::size_t>(text.GetLength()) != std::char_traits<char>::length(begin))
        return false; // a NUL inside
    while (*begin == ' ' || *begin == '\t')
        ++begin;
    if (*begin == '\0')
        return false;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE || value < INT_MIN || value > INT_MAX)
        return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0')
        return false;
    out = static_cast<int>(value);
    return true;
}
} // namespace

void DDX_Text(CDataExchange* pDX, int id, int& value) {
    if (pDX->m_failed)
        return;
    if (!pDX->m_bSaveAndValidate) {
        CString text;
        text.Format("%d", value);
        pDX->m_pDlgWnd->SetDlgItemText(id, text);
        return;
    }
    int parsed = 0;
    if (!ParseInt(pDX->m_pDlgWnd->GetDlgItemText(id), parsed)) {
        pDX->m_pDlgWnd->MessageBox("Please enter an integer.", nullptr, MB_ICONEXCLAMATION);
        pDX->Fail(id);
        return;
    }
    value = parsed;
}
