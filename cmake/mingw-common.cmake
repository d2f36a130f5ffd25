# The part of the mingw-w64 toolchain files that both targets share; the
# including file sets CMAKE_SYSTEM_PROCESSOR and VESTIL_MINGW_PREFIX.
set(CMAKE_SYSTEM_NAME Windows)


# Debian ships the compilers in two thread models; the posix one has the whole
# C++20 thread library (std::thread, std::mutex), the win32 one has not. Take
# the posix one when it is there, so the result does not depend on the
# alternative the machine happens to have selected.
find_program(VESTIL_MINGW_CC NAMES ${VESTIL_MINGW_PREFIX}-gcc-posix ${VESTIL_MINGW_PREFIX}-gcc REQUIRED)
find_program(VESTIL_MINGW_CXX NAMES ${VESTIL_MINGW_PREFIX}-g++-posix ${VESTIL_MINGW_PREFIX}-g++ REQUIRED)
find_program(VESTIL_MINGW_RC NAMES ${VESTIL_MINGW_PREFIX}-windres REQUIRED)
set(CMAKE_C_COMPILER ${VESTIL_MINGW_CC})
set(CMAKE_CXX_COMPILER ${VESTIL_MINGW_CXX})
set(CMAKE_RC_COMPILER ${VESTIL_MINGW_RC})

set(CMAKE_FIND_ROOT_PATH /usr/${VESTIL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C runtime's own printf family rounds doubles and long doubles exactly;
# msvcrt's does not.
set(CMAKE_C_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")
set(CMAKE_CXX_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -s")
