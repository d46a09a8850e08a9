#pragma once
// Integer types of the window-message world, kept so that handler and comparator
// signatures read the same on every platform.
#include <cstdint>

using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// A list-sort comparator: negative puts the row of the first value before the second.
using PFNLVCOMPARE = int (*)(LPARAM data1, LPARAM data2, LPARAM context);
