#pragma once
// ravezivured-scan [--json] FOLDER: the table the main window shows for FOLDER, on standard
// output (app/scan/ScanOutput.h has the formats); --help and --version as usual.
//
// Returns the process exit status: 0 when the table was written and every folder below
// FOLDER was read; 2, with a message on standard error, for a mistake in the arguments
// (the usage follows) or a folder that cannot be read; 1 when the table could not be
// written, or when it was but some folders below could not be read (or not completely):
// the table then holds what was read, and one line on standard error says how many
// folders were not read and why, for example "3 folders could not be read: 2 permission
// denied, 1 folder loop" (with --json, "not_read" in the object says the same).
int RunScanCommand(int argc, char** argv);
