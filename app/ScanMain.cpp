// ravezivured-scan: File Manager's table for one folder, for scripts and measurements.
#include "app/scan/ScanCommand.h"

#ifdef _WIN32
#include "platform/core/WideText.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>

// The arguments arrive as UTF-16; the command takes them as UTF-8, like every path inside.
// The table goes out byte for byte as on Linux: no "\r" added before each "\n".
int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> texts;
    for (int i = 0; i < argc; ++i)
        texts.push_back(Utf8FromWide(argv[i]));
    std::vector<char*> args;
    for (std::string& text : texts)
        args.push_back(text.data());
    args.push_back(nullptr);
    return RunScanCommand(argc, args.data());
}
#else
int main(int argc, char** argv) {
    return RunScanCommand(argc, argv);
}
#endif
