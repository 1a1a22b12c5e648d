# Cross-builds Merivane for 64-bit Windows with Debian's MinGW-w64 (the -posix
# compilers, which have std::thread), and runs the built programs and tests
# through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)

# Headers and libraries of the target come from the MinGW sysroot and from the
# prefixes listed in MERIVANE_WINDOWS_PREFIXES (libxml2, GoogleTest, the
# header-only libraries, a Windows Qt); programs that run during the build
# come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
if(DEFINED ENV{MERIVANE_WINDOWS_PREFIXES})
  string(REPLACE ":" ";" _prefixes "$ENV{MERIVANE_WINDOWS_PREFIXES}")
  list(APPEND CMAKE_FIND_ROOT_PATH ${_prefixes})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(MERIVANE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(MERIVANE_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MERIVANE_WINE64})
endif()
