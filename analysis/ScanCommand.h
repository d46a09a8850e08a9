#pragma once
// ravezivured-scan FOLDER: the table the main window shows for FOLDER, on standard
// output, tab separated: the heading "Sr<TAB>Extension<TAB>Files Count", one row per
// extension (largest count first, numbered from 1), then "Total Files Found<TAB>N".
// Extensions are written as the bytes of the file names.
//
// Returns the process exit status: 0 when the table was written; 2, with one line on
// standard error, for a missing or extra argument or a folder that cannot be read; 1 when
// the table could not be written.
int RunScanCommand(int argc, char** argv);
