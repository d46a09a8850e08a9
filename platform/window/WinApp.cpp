// What every window layer's application object shares: the one object, its title and its
// company key. The profile store, the icons and the entry are the backend's.
#include "platform/window/WinApp.h"

#include "platform/window/Resources.h"

namespace {
CWinApp* g_app = nullptr;
} // namespace

CWinApp::CWinApp(const char* appName) {
    g_app = this;
    if (appName) {
        m_strAppName = CString(appName);
        m_pszAppName = m_strAppName.GetString();
    }
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitApplication() {
    if (!m_pszAppName) {
        AfxLoadString(AFX_IDS_APP_TITLE, m_strAppName);
        m_pszAppName = m_strAppName.GetString();
    }
    if (!m_pszProfileName)
        m_pszProfileName = m_pszAppName;
    return TRUE;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

void CWinApp::SetRegistryKey(const char* companyKey) {
    m_strRegistryKey = CString(companyKey ? companyKey : "");
    m_pszRegistryKey = m_strRegistryKey.GetString();
    m_pszProfileName = m_pszAppName;
}

void CWinApp::SetArguments(int argc, const char* const* argv) {
    m_arguments.clear();
    for (int i = 1; i < argc; ++i)
        m_arguments.emplace_back(argv[i]);
}

CWinApp* AfxGetApp() {
    return g_app;
}

CWnd* AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}
