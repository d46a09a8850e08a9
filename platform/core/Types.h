#pragma once
// Integer types of the window-message world, kept so that handler and comparator
// signatures read the same on every platform.
#include <cstdint>

using UINT = unsigned int;
#ifdef _WIN32
// The very types <windows.h> declares, which differ from intptr_t on 32-bit Windows (long
// there, not int), so that the two declarations agree.
#include <basetsd.h>
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
#else
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
#endif

// The calling convention of a list-sort comparator: the system's (__stdcall) on 32-bit
// Windows, where <commctrl.h> declares PFNLVCOMPARE with it; the default elsewhere.
#if defined(_WIN32) && !defined(_WIN64)
#define RZ_CALLBACK __stdcall
#else
#define RZ_CALLBACK
#endif

// A list-sort comparator: negative puts the row of the first value before the second.
using PFNLVCOMPARE = int(RZ_CALLBACK*)(LPARAM data1, LPARAM data2, LPARAM context);
