// What every window layer's CDialog shares: the message map and the dispatch through it,
// the framework's share of the handlers, the data exchange, OK and Cancel, and the
// message box. Creation, running, sending and the default processing are the backend's.
#include "platform/window/Dialog.h"

#include "platform/window/DataExchange.h"
#include "platform/window/Services.h"
#include "platform/window/WinApp.h"

#include <utility>

const AFX_MSGMAP* CDialog::GetThisMessageMap() {
    static constexpr AFX_MSGMAP_ENTRY entries[] = {
        msgmap::Command<&CDialog::OnOK>(IDOK),
        msgmap::Command<&CDialog::OnCancel>(IDCANCEL),
    };
    static_assert(msgmap::HasNoDuplicates(entries));
    static constexpr AFX_MSGMAP map{nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CDialog::GetMessageMap() const {
    return GetThisMessageMap();
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const AFX_MSGMAP_ENTRY* entry = msgmap::Find(GetMessageMap(), message, wParam, lParam))
        return msgmap::Invoke(*this, *entry, wParam, lParam);
    return DefWindowProc(message, wParam, lParam);
}

void CDialog::OnSysCommand(UINT id, LPARAM param) {
    DefWindowProc(WM_SYSCOMMAND, id, param);
}
void CDialog::OnPaint() {
    DefWindowProc(WM_PAINT, 0, 0);
}
void CDialog::OnDestroy() {
    DefWindowProc(WM_DESTROY, 0, 0);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    if (!GetSafeHwnd())
        return FALSE;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return dx.m_failed ? FALSE : TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

int CDialog::MessageBox(const char* text, const char* caption, UINT type) {
    return MessageBox(text, caption, type, MessageBoxDetails{});
}

int CDialog::MessageBox(const char* text, const char* caption, UINT type,
                        MessageBoxDetails details) {
    MessageBoxRequest request;
    request.details = std::move(details);
    request.owner = this;
    request.text = CString(text ? text : "");
    if (caption)
        request.caption = CString(caption);
    else if (CWinApp* app = AfxGetApp(); app && app->m_pszAppName)
        request.caption = CString(app->m_pszAppName);
    request.type = type;
    return MessageBoxService().Show(request);
}
