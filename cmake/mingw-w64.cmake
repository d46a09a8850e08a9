# What the Windows builds' toolchain files share (mingw-w64-x86_64.cmake, 64-bit;
# mingw-w64-i686.cmake, 32-bit), which set CMAKE_SYSTEM_PROCESSOR and RZ_MINGW_TRIPLE and
# include this: Windows programs from mingw-w64's posix-thread compilers (std::thread and
# std::mutex need them), with the C and C++ run-time linked in, so the executables need no
# DLL beyond Windows' own. Programs of the build (tests, test discovery) run under Wine,
# through scripts/wine-run.sh; see cmake/Windows.cmake.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${RZ_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RZ_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${RZ_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${RZ_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${RZ_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")

# Headers and libraries of the target only; programs (windres, Wine) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${RZ_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libstdc++, libgcc and winpthread linked in (-static-libgcc -static-libstdc++ alone
# still leave libwinpthread-1.dll to find).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
