#pragma once
// The program's dialog templates, string table and icon images.
#include "platform/window/Resources.h"

// Installs them for the window layer's lookups (idempotent). Call before the first dialog
// or string lookup.
void InstallProgramResources();

// The installed set itself, for whoever compares it with another copy of the resources.
const CResourceSet& ProgramResources();
