#include "platform/win32/WaitCursor.h"

#include "platform/win32/DialogImpl.h"

namespace {
int g_depth = 0;
} // namespace

bool WaitCursorShown() {
    return g_depth > 0;
}

void CWin32WaitCursor::BeginWaitCursor() {
    if (g_depth++ == 0)
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void CWin32WaitCursor::EndWaitCursor() {
    if (g_depth == 0)
        return;
    if (--g_depth == 0)
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}
