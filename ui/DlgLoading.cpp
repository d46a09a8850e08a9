#include "ui/DlgLoading.h"

#include "platform/core/String.h"

#include <string>

CDlgLoading::CDlgLoading(CWnd* pParent) : CWorkDialog(IDD, pParent) {}

BOOL CDlgLoading::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Ostrel File Manager Working...");
    SetFoundCount(0);
    return TRUE;
}

void CDlgLoading::SetFoundCount(std::size_t count) {
    SetDlgItemText(IDC_WORKING_COUNT, CString("Files found: " + std::to_string(count)));
}

void CDlgLoading::OnStopRequested() {
    // The scan notices at its next look at this window, within a fraction of a second.
    SetDlgItemText(IDC_WORKING_COUNT, CString("Stopping..."));
}
