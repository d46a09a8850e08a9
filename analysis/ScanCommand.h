#pragma once
// ravezivured-scan [--json] FOLDER: the table the main window shows for FOLDER, on standard
// output (analysis/ScanOutput.h has the formats); --help and --version as usual.
//
// Returns the process exit status: 0 when the table was written; 2, with a message on
// standard error, for a mistake in the arguments (the usage follows) or a folder that
// cannot be read; 1 when the table could not be written.
int RunScanCommand(int argc, char** argv);
