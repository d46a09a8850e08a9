#pragma once
// Data exchange between a dialog's members and its controls, run by CDialog::UpdateData.
#include "platform/String.h"
#include "platform/WinDefs.h"

class CDialog;
class CListCtrl;

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    // Marks the exchange as failed on control id (focus goes there) and stops it.
    void Fail(int id);

    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate; // TRUE: controls to members; FALSE: members to controls
    bool m_failed = false;
};

// Binds list to the dialog's list view id (once; later calls change nothing).
void DDX_Control(CDataExchange* pDX, int id, CListCtrl& list);
// The control's text and a member text, byte for byte.
void DDX_Text(CDataExchange* pDX, int id, CString& value);
// The control's text and a member integer in decimal. Reading text that is not a whole
// number in range shows "Please enter an integer." and fails the exchange.
void DDX_Text(CDataExchange* pDX, int id, int& value);
