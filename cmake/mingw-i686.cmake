# Cross-compiling the 32-bit Windows build with mingw-w64 (i686) on Linux:
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DVESTIL_TESTS=OFF
# Everything is linked statically, so vestrun.exe and vestcomp.exe need no
# DLLs beyond those of Windows itself, and stripped.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VESTIL_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
