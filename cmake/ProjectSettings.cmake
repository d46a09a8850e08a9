# Project-wide settings, carried by one INTERFACE target that every target links.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

option(RZ_WERROR "Treat compiler warnings as errors" OFF)
option(RZ_SANITIZE "Build with address and undefined-behaviour sanitizers" OFF)

add_library(rz_settings INTERFACE)
target_compile_features(rz_settings INTERFACE cxx_std_20)
target_include_directories(rz_settings INTERFACE ${PROJECT_SOURCE_DIR})
set(rz_warnings -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual
  -Wold-style-cast $<$<BOOL:${RZ_WERROR}>:-Werror>)
# C++ only: the Windows resource compiler takes none of these.
target_compile_options(rz_settings INTERFACE "$<$<COMPILE_LANGUAGE:CXX>:${rz_warnings}>")
target_compile_definitions(rz_settings INTERFACE _FILE_OFFSET_BITS=64)

if(RZ_SANITIZE)
  target_compile_options(rz_settings INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(rz_settings INTERFACE -fsanitize=address,undefined)
endif()

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/Windows.cmake)
endif()
