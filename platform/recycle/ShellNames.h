#pragma once
// The path the shell is given for a file. The shell takes ordinary paths, not the form
// with the \\?\ prefix that the program's own checks use, and reads an ordinary path by rules of
// its own: it drops a trailing dot or space from every name (report.txt. names report.txt), expands
// * and ? (and < > ", the system's other wildcards) as patterns, takes CON, NUL, COM1, ...
// for devices, reads ':' as the start of a stream's name, and fails on 260 characters or
// more. So a path is given to the shell only when, read by those rules, it names exactly
// the entry the checks looked at.
#include <string>
#include <string_view>

// The ordinary path for path (X:\... or \\server\share\..., with or without the prefix
// \\?\ ; '/' is read as '\'), set in plain, or why the shell cannot be given it: one of
// kReasonNameDropsDotOrSpace, kReasonNameIsPattern, kReasonNameNotWindows,
// kReasonNameIsDevice, kReasonPathTooLongForShell (TrashReport.h), or kReasonNotMoved for
// a path of another form (relative, a device or volume path). Every name below the drive
// or share is looked at, the folders' as well as the file's. Null when plain is set.
const char* ShellPathFor(std::string_view path, std::wstring& plain);
