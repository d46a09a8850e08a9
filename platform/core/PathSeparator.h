#pragma once
// The separator between the components of a path: '\' on Windows, '/' elsewhere. Whatever
// joins or splits the program's paths uses this one constant.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif
