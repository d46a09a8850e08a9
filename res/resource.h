#ifndef RZ_RES_RESOURCE_H
#define RZ_RES_RESOURCE_H
// Resource ids of File Manager. Dialogs 100+, controls 1000+, commands 32768+; icon 128 and
// the strings keep their classic numbers; system-menu items are multiples of 16 below
// 0xF000. Plain #defines so the Windows resource script can use them too.

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_RAVEZIVURED_DIALOG 102
#define IDS_UNDO_LAST_DELETE 103
#define IDR_MAINFRAME 128
#define IDD_WORKING 130
#define IDD_TRASH_PROGRESS 131
#define IDD_TRASH_REPORT 132

#define IDC_FOLDER 1002
#define IDC_BROWSE 1003
#define IDC_TOTAL_FILES 1004
#define IDC_EXT_LIST 1005
#define IDC_DELETE_FILES 1006
#define IDC_WEBSITE 1007
#define IDC_WORKING_COUNT 1010
#define IDC_TRASH_HEADING 1020
#define IDC_TRASH_COUNT 1021
#define IDC_TRASH_FILE 1022
#define IDC_TRASH_SUMMARY 1023
#define IDC_TRASH_LIST 1024

#define IDM_ABOUTBOX 0x0010
#define IDM_UNDO_LAST_DELETE 0x0020

// Commands from the keyboard (the accelerator table IDR_MAINFRAME).
#define ID_UNDO_LAST_DELETE 32768
// Posted by the main window to itself at start, in place of a click of "...", when the
// program was given a folder.
#define ID_OPEN_START_FOLDER 32769

// The application title is the window layer's own string id.
#include "platform/window/AfxRes.h"
#endif
