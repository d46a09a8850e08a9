// ravezivured.exe: File Manager's window (Windows). The command line is not used.
#include "app/RaveZivuredApp.h"

CRaveZivuredApp theApp;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return AfxWinMain(0, nullptr);
}
