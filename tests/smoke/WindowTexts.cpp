// rz-window-texts CAPTION: prints what the program's windows say, for the Windows smoke
// test, which must read a question before it answers it (under Wine the X side sees a
// window's pixels, not its controls' texts). For every visible top-level window captioned
// CAPTION, the text of each of its controls, one a line, in UTF-8.
#include "platform/core/WideText.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// WM_GETTEXT reaches the controls of another process too (the system carries the text
// across), where GetWindowTextW would give an edit control's text only in its own.
std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied))
        return {};
    text.resize(copied);
    return text;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
    std::printf("%s\n", Utf8FromWide(TextOf(control)).c_str());
    return TRUE;
}

BOOL CALLBACK VisitTopLevel(HWND window, LPARAM caption) {
    if (IsWindowVisible(window) && TextOf(window) == reinterpret_cast<const wchar_t*>(caption))
        EnumChildWindows(window, PrintControl, 0);
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: rz-window-texts CAPTION\n");
        return 2;
    }
    EnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(argv[1]));
    return std::fflush(stdout) == 0 ? 0 : 1;
}
