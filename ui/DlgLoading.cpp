#include "ui/DlgLoading.h"

#include "platform/core/String.h"

CDlgLoading::CDlgLoading(CWnd* pParent) : CWorkDialog(IDD, pParent) {}

BOOL CDlgLoading::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Ostrel File Manager Working...");
    SetFoundCount(0);
    return TRUE;
}

void CDlgLoading::SetFoundCount(int count) {
    CString text;
    text.Format("Files found: %d", count);
    SetDlgItemText(IDC_WORKING_COUNT, text);
}

void CDlgLoading::OnStopRequested() {
    // The scan notices at its next look at this window, within a fraction of a second.
    SetDlgItemText(IDC_WORKING_COUNT, CString("Stopping..."));
}
