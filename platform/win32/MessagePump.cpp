#include "platform/window/MessagePump.h"

#include "platform/win32/DialogImpl.h"

void AfxPumpWaitingMessages() {
    // Bounded: a window that keeps posting to itself cannot keep the caller here.
    MSG msg;
    for (int n = 0; n < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
        if (msg.message == WM_QUIT) {
            // It belongs to the outermost loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!CDialogWindow::RouteDialogMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}
