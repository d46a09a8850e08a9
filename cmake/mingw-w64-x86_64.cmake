# The 64-bit Windows build (mingw-w64.cmake says the rest).
#   cmake --preset windows
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(RZ_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
