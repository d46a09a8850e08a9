#ifndef RZ_PLATFORM_WINDOW_AFXRES_H
#define RZ_PLATFORM_WINDOW_AFXRES_H
// Resource ids the window layer itself looks up in the program's resources. Plain
// #defines, so that resource scripts can use them too.

// The application title (CWinApp::InitApplication loads it when no name was given).
#define AFX_IDS_APP_TITLE 57344
#endif
