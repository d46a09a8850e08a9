// CWinApp on Win32: the profile store in the registry, the icons, the entry.
#include "platform/window/WinApp.h"

#include "platform/core/WideText.h"
#include "platform/win32/DialogImpl.h"
#include "platform/win32/WaitCursor.h"

#include <objbase.h>

#include <climits>
#include <string>

namespace {

// HKEY_CURRENT_USER\Software\<company>\<title>\<section>, opened for reading or, made when
// missing, for writing; null when there is none (or no company key was named).
HKEY OpenSection(const CWinApp& app, const char* section, bool write) {
    if (!app.m_pszRegistryKey || !*app.m_pszRegistryKey || !app.m_pszProfileName || !section)
        return nullptr;
    const std::wstring path = L"Software\\" + WideFromUtf8(app.m_pszRegistryKey) + L"\\" +
                              WideFromUtf8(app.m_pszProfileName) + L"\\" + WideFromUtf8(section);
    HKEY key = nullptr;
    const LSTATUS status =
        write ? RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &key, nullptr)
              : RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key);
    return status == ERROR_SUCCESS ? key : nullptr;
}

BOOL WriteValue(const CWinApp& app, const char* section, const char* entry, DWORD type,
                const void* data, DWORD size) {
    HKEY key = OpenSection(app, section, true);
    if (!key)
        return FALSE;
    const LSTATUS status = RegSetValueExW(key, WideFromUtf8(entry ? entry : "").c_str(), 0, type,
                                          static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? TRUE : FALSE;
}

} // namespace

int CWinApp::GetProfileInt(const char* section, const char* entry, int nDefault) {
    HKEY key = OpenSection(*this, section, false);
    if (!key)
        return nDefault;
    DWORD value = 0;
    DWORD size = sizeof value;
    const LSTATUS status = RegGetValueW(key, nullptr, WideFromUtf8(entry ? entry : "").c_str(),
                                        RRF_RT_REG_DWORD, nullptr, &value, &size);
    RegCloseKey(key);
    // A stored width is a whole number from 0 to INT_MAX; anything else is not ours.
    if (status != ERROR_SUCCESS || value > static_cast<DWORD>(INT_MAX))
        return nDefault;
    return static_cast<int>(value);
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value) {
    const DWORD stored = static_cast<DWORD>(value);
    return WriteValue(*this, section, entry, REG_DWORD, &stored, sizeof stored);
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) {
    const std::wstring text = WideFromUtf8(value ? value : "");
    const auto size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return WriteValue(*this, section, entry, REG_SZ, text.c_str(), size);
}

HICON CWinApp::LoadIcon(UINT id) const {
    // Shared: the system keeps it for the life of the process.
    return ::LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
}

int AfxWinMain(int argc, char* argv[]) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The folder chooser is a shell window, which needs COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    CWin32WaitCursor waitCursor;
    SetWaitCursorService(&waitCursor);
    int status = 0;
    if (CWinApp* app = AfxGetApp()) {
        app->SetArguments(argc, argv);
        app->InitApplication();
        if (app->InitInstance()) {
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (!CDialogWindow::RouteDialogMessage(msg)) {
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                }
            }
        }
        status = app->ExitInstance();
    }
    SetWaitCursorService(nullptr);
    if (SUCCEEDED(com))
        CoUninitialize();
    return status;
}
