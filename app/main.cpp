// ravezivured: File Manager's window.
#include "app/DisplaySession.h"
#include "app/RaveZivuredApp.h"

#include <cstdio>
#include <cstdlib>

CRaveZivuredApp theApp;

int main(int argc, char* argv[]) {
    // Before the toolkit starts: without a display it would abort with a misleading text.
    if (const auto message = MissingDisplayMessage(argc, argv, std::getenv)) {
        std::fprintf(stderr, "%s\n", message->c_str());
        return 1;
    }
    return AfxWinMain(argc, argv);
}
