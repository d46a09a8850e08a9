#include "app/RaveZivuredApp.h"

#include "app/StartFolder.h"
#include "res/ProgramResources.h"
#include "res/version.h"
#include "ui/RaveZivuredDlg.h"

CRaveZivuredApp::CRaveZivuredApp() : CWinApp(nullptr) {
    InstallProgramResources();
}

BOOL CRaveZivuredApp::InitInstance() {
    // Settings live under the maker's domain, then the application title.
    SetRegistryKey(RZ_MAKER_DOMAIN);

    CRaveZivuredDlg dlg;
    // Opened on a folder (ravezivured FOLDER, the desktop's "Open With"), the window scans
    // it instead of opening the chooser.
    const StartFolder start = StartFolderFromArguments(Arguments());
    dlg.m_strStartFolder = start.folder;
    dlg.m_strStartProblem = start.problem;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // The window, and with it the saving of the settings, went when the run ended.
    m_pMainWnd = nullptr;
    return FALSE;
}
