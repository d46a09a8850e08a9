// ravezivured.exe: File Manager's window (Windows).
#include "app/RaveZivuredApp.h"
#include "platform/core/WideText.h"

#include <cstdlib>

CRaveZivuredApp theApp;

// The arguments arrive as UTF-16, split by the C runtime as for wmain; the window takes them
// as UTF-8, like every path inside.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    Utf8Arguments args(__argc, __wargv);
    return AfxWinMain(args.argc(), args.argv());
}
