#!/bin/bash
# Line and branch coverage of src/ by the native tests: builds build-coverage/
# with gcov instrumentation (-DVESTIL_COVERAGE=ON), runs ctest there and
# prints gcovr's summary; the last two lines are "lines: P% (covered out of
# total)" and "branches: P% (...)". Needs gcovr (tools/install_deps.sh).
#
# usage: tools/coverage.sh [ctest arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${VESTIL_JOBS:-2}
dir=build-coverage
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DVESTIL_COVERAGE=ON >/dev/null
cmake --build "$dir" -j "$JOBS" >/dev/null
find "$dir" -name '*.gcda' -delete
(cd "$dir" && ctest -j "$JOBS" --timeout 900 "$@" >/dev/null) || echo "coverage: some tests failed; the figures count what ran"
gcovr -r . --object-directory "$dir" --filter 'src/' --exclude 'src/platform/win32/' \
  --exclude-unreachable-branches --exclude-throw-branches --print-summary -o "$dir/coverage.txt"
