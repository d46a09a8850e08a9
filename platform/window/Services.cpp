#include "platform/window/Services.h"

LPARAM ShellExecute(HWND, const char* verb, const char* file, const char*, const char*,
                    int showCommand) {
    const bool ok = ShellExecuteService().Execute(CString(verb ? verb : ""),
                                                  CString(file ? file : ""), showCommand);
    return ok ? 42 : 0;
}
