#pragma once
// The program's dialog templates, string table and icon images.

// Installs them for the window layer's lookups (idempotent). Call before the first dialog
// or string lookup.
void InstallProgramResources();
