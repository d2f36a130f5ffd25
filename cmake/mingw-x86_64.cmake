# The same source as a 64-bit Windows program (mingw-w64 x86_64). It is not the
# product: it serves the Wine tests on machines whose kernel runs no 32-bit
# programs, where the 32-bit Wine cannot start.
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DVESTIL_TESTS=OFF
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VESTIL_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
