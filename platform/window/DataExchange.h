#pragma once
// Data exchange between a dialog's members and its controls, run by CDialog::UpdateData.
//
// Written once on top of CDialog's and CListCtrl's public calls, so every window layer
// that provides those serves it; hence inline here rather than in one layer's library.
#include "platform/core/String.h"
#include "platform/window/Dialog.h"
#include "platform/window/ListCtrl.h"
#include "platform/window/WinDefs.h"

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    // Marks the exchange as failed on control id (focus goes there) and stops it.
    void Fail(int id) {
        m_failed = true;
        m_pDlgWnd->GotoDlgCtrl(id);
    }

    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate; // TRUE: controls to members; FALSE: members to controls
    bool m_failed = false;
};

// Binds list to the dialog's list view id (once; later calls change nothing).
inline void DDX_Control(CDataExchange* pDX, int id, CListCtrl& list) {
    if (pDX->m_failed || list.GetSafeHwnd())
        return;
    list.Attach(pDX->m_pDlgWnd->GetDlgItem(id));
}

// The control's text and a member text, byte for byte.
inline void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    if (pDX->m_failed)
        return;
    if (pDX->m_bSaveAndValidate)
        value = pDX->m_pDlgWnd->GetDlgItemText(id);
    else
        pDX->m_pDlgWnd->SetDlgItemText(id, value);
}

// The control's text and a member integer in decimal. Reading text that is not a whole
// number in range (ParseInt) shows "Please enter an integer." and fails the exchange.
inline void DDX_Text(CDataExchange* pDX, int id, int& value) {
    if (pDX->m_failed)
        return;
    if (!pDX->m_bSaveAndValidate) {
        CString text;
        text.Format("%d", value);
        pDX->m_pDlgWnd->SetDlgItemText(id, text);
        return;
    }
    if (!ParseInt(pDX->m_pDlgWnd->GetDlgItemText(id), value)) {
        pDX->m_pDlgWnd->MessageBox("Please enter an integer.", nullptr, MB_ICONEXCLAMATION);
        pDX->Fail(id);
    }
}
