#pragma once
// CAboutDlg: the About box (template 100), run modally from the main window's system menu.
// Without a parent it is owned by the application's main window.
#include "platform/window/Dialog.h"
#include "res/resource.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

    enum { IDD = IDD_ABOUTBOX };
};
