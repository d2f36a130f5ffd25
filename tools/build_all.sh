#!/bin/bash
# Configures and builds the trees, with at most 2 parallel jobs
# (VESTIL_JOBS overrides):
#   build/        native, Release: the console runner vestrun, vestcomp, the tests
#   build-asan/   native with AddressSanitizer and UBSan (-DVESTIL_SANITIZE=ON)
#   build-win32/  32-bit Windows, cross-compiled with mingw-w64 and linked
#                 statically: vestrun.exe (GUI) and vestcomp.exe (console)
#   build-win64/  the same as a 64-bit Windows program, for the Wine tests on
#                 a kernel that runs no 32-bit programs (not built by default)
#
# usage: tools/build_all.sh [native] [asan] [win32] [win64]   (default: the first three)
#
# Every tree named is tried even when an earlier one fails; the exit code is
# non-zero when any failed.
set -uo pipefail
cd "$(dirname "$0")/.."
JOBS=${VESTIL_JOBS:-2}

trees=("$@")
if [ ${#trees[@]} -eq 0 ]; then trees=(native asan win32); fi

failed=()
for tree in "${trees[@]}"; do
  case $tree in
    native) dir=build; args=(-DCMAKE_BUILD_TYPE=Release) ;;
    asan) dir=build-asan; args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESTIL_SANITIZE=ON) ;;
    win32) dir=build-win32
           args=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release -DVESTIL_TESTS=OFF) ;;
    win64) dir=build-win64
           args=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release -DVESTIL_TESTS=OFF) ;;
    *) echo "build_all: unknown tree '$tree' (native, asan, win32, win64)" >&2; exit 2 ;;
  esac
  echo "=== build_all: $dir"
  if ! cmake -S . -B "$dir" "${args[@]}" || ! cmake --build "$dir" -j "$JOBS"; then
    echo "=== build_all: $dir FAILED" >&2
    failed+=("$dir")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "build_all: failed: ${failed[*]}" >&2
  exit 1
fi
echo "build_all: built ${trees[*]}"
