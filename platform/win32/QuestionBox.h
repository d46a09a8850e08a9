#pragma once
// The Win32 message box for a request with a list (MessageBoxDetails): the system's task
// dialog with the box's text, icon and buttons, and a button of its own that opens the list
// in a window of ours. (A task dialog's own expanded text grows with what it holds: it
// cannot show the thousands of paths a question may list.) The list is built the first
// time that button is pressed.
#include "platform/window/Services.h"

// Shows request and returns the button pressed (IDYES, IDNO, IDOK, IDCANCEL). Where the
// system has no task dialog it shows the plain message box instead, without the list.
int ShowBoxWithDetails(const MessageBoxRequest& request);
