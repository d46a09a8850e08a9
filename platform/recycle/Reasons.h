#pragma once
// Errors met while recycling a file, in the words of the report (TrashReport.h's kReason*).
#include <windows.h>

// The reason for code: a system error (from opening or looking at a file), or what
// SHFileOperationW returned, which is a system error or one of the shell's own DE_ codes.
const char* ReasonForError(DWORD code);
