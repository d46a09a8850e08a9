#pragma once
// The busy cursor of the Win32 layer: the system's IDC_WAIT from the outermost begin to the
// matching end. Set at once, and kept by every dialog of the layer, which answers
// WM_SETCURSOR with it meanwhile (WaitCursorShown).
#include "platform/core/WaitCursor.h"

class CWin32WaitCursor : public IWaitCursorService {
public:
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
};
