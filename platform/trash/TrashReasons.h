#pragma once
// System errors met while moving a file, in the words of the report (TrashReport.h).
#include "platform/core/TrashReport.h"

#include <string>

// The reason for a failure with errno error: "no longer exists", "permission denied",
// "disk full", ...; fallback when the error has no words of its own.
const char* ReasonForError(int error, const char* fallback);

// A file left where it was: reason, and the system's message for error (none for 0).
TrashResult NotMoved(const std::string& path, const char* reason, int error = 0);
