// ravezivured: File Manager's window.
#include "app/RaveZivuredApp.h"

CRaveZivuredApp theApp;

int main(int argc, char* argv[]) {
    return AfxWinMain(argc, argv);
}
