#pragma once
// CRaveZivuredApp: the application object. Its start-up names the settings store and runs
// the main window, on the folder its arguments name (StartFolder.h) if any; the program
// ends when that window's run ends.
#include "platform/window/WinApp.h"

class CRaveZivuredApp : public CWinApp {
public:
    // Installs the program's resources, so the title (string 57344) can be loaded.
    CRaveZivuredApp();

    // Runs the main dialog modally and returns FALSE: there is no further message loop.
    BOOL InitInstance() override;
};
