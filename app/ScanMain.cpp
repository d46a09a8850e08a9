// ravezivured-scan: File Manager's table for one folder, for scripts and measurements.
#include "app/scan/ScanCommand.h"

#ifdef _WIN32
#include "platform/core/WideText.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

// The arguments arrive as UTF-16; the command takes them as UTF-8, like every path inside.
// The table goes out byte for byte as on Linux: no "\r" added before each "\n".
int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    Utf8Arguments args(argc, argv);
    return RunScanCommand(args.argc(), args.argv());
}
#else
int main(int argc, char** argv) {
    return RunScanCommand(argc, argv);
}
#endif
