# The 32-bit Windows build (mingw-w64.cmake says the rest), packaged beside the 64-bit one.
# Wine here runs 64-bit programs only, so it builds the programs without their tests.
#   cmake --preset windows-x86
set(CMAKE_SYSTEM_PROCESSOR x86)
set(RZ_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
