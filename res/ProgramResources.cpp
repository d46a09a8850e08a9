#include "res/ProgramResources.h"

#include "platform/Resources.h"
#include "platform/Styles.h"
#include "res/resource.h"
#include "res/version.h"

#include <QtGlobal>

namespace {

// ---- IDD_ABOUTBOX ----
constexpr DialogItemTemplate kAboutItems[] = {
    {ControlKind::Icon, -1, "128", 11, 17, 20, 20, SS_ICON},
    {ControlKind::Static, -1, "Ostrel File Manager Version 2.0", 40, 10, 119, 8,
     SS_LEFT | SS_NOPREFIX},
    {ControlKind::Static, -1, "Contact : " RZ_SUPPORT_EMAIL, 40, 25, 119, 8, SS_LEFT},
    {ControlKind::PushButton, IDOK, "OK", 178, 7, 50, 14, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
};

// ---- IDD_RAVEZIVURED_DIALOG ---- (template order is tab order)
constexpr DialogItemTemplate kMainItems[] = {
    {ControlKind::ListView, IDC_EXT_LIST, "List1", 7, 45, 361, 192,
     LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP},
    {ControlKind::Static, -1, "Folder :", 13, 9, 24, 8, SS_LEFT},
    {ControlKind::Edit, IDC_FOLDER, "", 85, 7, 250, 14,
     ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP},
    {ControlKind::PushButton, IDC_BROWSE, "...", 339, 7, 26, 14, BS_PUSHBUTTON | WS_TABSTOP},
    {ControlKind::Static, -1, "&Total Files Found :", 13, 25, 59, 8, SS_LEFT},
    {ControlKind::Edit, IDC_TOTAL_FILES, "", 85, 25, 40, 14,
     ES_AUTOHSCROLL | ES_READONLY | ES_NUMBER | WS_BORDER | WS_TABSTOP},
    {ControlKind::PushButton, IDC_DELETE_FILES, "Delete Files", 311, 242, 57, 19,
     BS_PUSHBUTTON | WS_TABSTOP},
    {ControlKind::PushButton, IDC_WEBSITE, RZ_MAKER_DOMAIN, 6, 242, 57, 19,
     BS_PUSHBUTTON | WS_TABSTOP},
};

// ---- IDD_WORKING ----
// Below the classic label and icon: the live count of files found, and Stop (the Cancel
// button, so Esc and the close box stop the scan too).
constexpr DialogItemTemplate kWorkingItems[] = {
    {ControlKind::Static, -1, "Working...", 13, 10, 32, 8, SS_LEFT},
    {ControlKind::Icon, -1, "128", 0, 0, 7, 7, SS_ICON},
    {ControlKind::Static, IDC_WORKING_COUNT, "", 13, 22, 94, 8, SS_LEFT | SS_NOPREFIX},
    {ControlKind::PushButton, IDCANCEL, "Stop", 35, 36, 40, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
};

constexpr DialogTemplate kDialogs[] = {
    {IDD_ABOUTBOX, "About Ostrel File Manager", 235, 55, "MS Sans Serif", 8,
     DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT, 0, kAboutItems},
    {IDD_RAVEZIVURED_DIALOG, "File Manager", 375, 268, "MS Sans Serif", 8,
     DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT,
     WS_EX_APPWINDOW, kMainItems},
    {IDD_WORKING, "Dialog", 110, 56, "MS Sans Serif", 24,
     DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_SETFONT, 0,
     kWorkingItems},
};

constexpr StringResource kStrings[] = {
    {IDS_ABOUTBOX, "&About File Manager..."},
    {IDS_APP_TITLE, RZ_APP_TITLE},
};

constexpr IconImageResource kIconImages[] = {
    {IDR_MAINFRAME, ":/res/icons/mainframe-32.png"},
    {IDR_MAINFRAME, ":/res/icons/mainframe-16.png"},
};

constexpr CResourceSet kResources{kDialogs, kStrings, kIconImages};

} // namespace

void InstallProgramResources() {
    // The icons are compiled in as Qt resources of this library.
    Q_INIT_RESOURCE(program_resources);
    AfxSetResources(&kResources);
}
