// ravezivured-scan: File Manager's table for one folder, for scripts and measurements.
#include "analysis/ScanCommand.h"

int main(int argc, char** argv) {
    return RunScanCommand(argc, argv);
}
