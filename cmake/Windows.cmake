# Settings of the Windows build (cmake/mingw-w64-x86_64.cmake), included once by the root.
enable_language(RC)

# The system headers as the window layer and the shell calls want them: the wide (UTF-16)
# calls under their plain names, no min/max macros, the rarely used parts of <windows.h>
# left out (among them <shellapi.h>, whose names the window layer's own header uses),
# Windows 7 or later (FindFirstFileExW's basic listing and large fetch).
target_compile_definitions(rz_settings INTERFACE
  UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# windres writes no dependency file of its own, so an edited Dialogs.inc would not rebuild
# the resources: its preprocessor writes one. Files the script names itself (icon,
# manifest) are not preprocessor includes; res/CMakeLists.txt lists them.
set(CMAKE_DEPFILE_FLAGS_RC
    "--preprocessor-arg=-MMD --preprocessor-arg=-MF --preprocessor-arg=<DEP_FILE> --preprocessor-arg=-MT --preprocessor-arg=<OBJECT>")

# Programs of the build run under Wine (tests, test discovery and whatever CMake runs
# itself): in the Wine folder (prefix, home, trash) that RZ_WINE_DIR names, which
# scripts/sandbox.sh points into its own folder, else in the build folder's.
if(CMAKE_CROSSCOMPILING)
  set(CMAKE_CROSSCOMPILING_EMULATOR env RZ_WINE_BUILD_DIR=${CMAKE_BINARY_DIR}/wine
      ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh)
endif()

# rz_windows_entry(TARGET): the program starts at wmain or wWinMain, with its arguments as
# UTF-16.
function(rz_windows_entry target)
  target_compile_options(${target} PRIVATE -municode)
  target_link_options(${target} PRIVATE -municode)
endfunction()
