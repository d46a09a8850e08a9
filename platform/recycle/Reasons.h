#pragma once
// Errors met while recycling a file, in the words of the report (TrashReport.h's kReason*),
// and the results the executor builds from them.
#include "platform/core/TrashReport.h"

#include <windows.h>

#include <string>

// The reason for code: a system error (from opening or looking at a file), or what
// SHFileOperationW returned, which is a system error or one of the shell's own DE_ codes.
const char* ReasonForError(DWORD code);
// The reason for what IFileOperation said of one file (a failed HRESULT).
const char* ReasonForResult(HRESULT result);

// "what 0x1F" (the code in hexadecimal), for a result's detail.
std::string CodeText(const char* what, unsigned long code);

TrashResult Moved(const std::string& path);
TrashResult NotMoved(const std::string& path, const char* reason, std::string detail = {});
