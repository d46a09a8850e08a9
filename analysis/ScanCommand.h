#pragma once
// ravezivured-scan FOLDER: the table the main window shows for FOLDER, on standard
// output, tab separated: the heading "Sr<TAB>Extension<TAB>Files Count", one row per
// extension (largest count first, numbered from 1), then "Total Files Found<TAB>N".
// Extensions are written as the bytes of the file names.
//
// Returns the process exit status: 0 when the table was written and every folder below
// FOLDER was read; 2, with one line on standard error, for a missing or extra argument or
// a folder that cannot be read; 1 when the table could not be written, or when it was but
// some folders below could not be read (or not completely): the table then holds what
// was read, and one line on standard error says how many folders were not read and why,
// for example "3 folders could not be read: 2 permission denied, 1 folder loop".
int RunScanCommand(int argc, char** argv);
