# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64).
# Programs are linked statically, so that they run without the MinGW runtime DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VSM_MINGW_PREFIX x86_64-w64-mingw32)
# The POSIX thread model gives std::thread and std::mutex on GCC 12; the win32 one does not.
find_program(CMAKE_C_COMPILER NAMES ${VSM_MINGW_PREFIX}-gcc-posix ${VSM_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${VSM_MINGW_PREFIX}-g++-posix ${VSM_MINGW_PREFIX}-g++
             REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VSM_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VSM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs are run under wine when ctest runs them.
find_program(VSM_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(VSM_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VSM_WINE})
endif()
