#!/bin/bash
# Builds every tree (tools/build_all.sh) and runs every test:
#   1. ctest in build/ (unit, program and compiler tests),
#   2. the same in build-asan/ (AddressSanitizer and UBSan),
#   3. the Wine tests of build-win32/vestrun.exe (tests/wine/run_wine_tests.py,
#      in Xvfb with a fresh Wine prefix under build-win32/wine-tests/); on a
#      kernel that runs no 32-bit programs (so no 32-bit Wine either) they run
#      the 64-bit build of the same source (build-win64/) under 64-bit Wine,
#      and say so,
#   4. the package tests (tests/package/check_packages.py): the .deb built,
#      installed, used and removed; the Windows zip built and used in a fresh
#      Wine prefix.
# A tree that does not build counts as one failure; its tests still run as far
# as they were built. The last line is "N passed, N failed" over everything;
# the exit code is 0 only when nothing failed.
set -uo pipefail
cd "$(dirname "$0")/.."

passed=0
failed=0
failures=()
log_dir=$(mktemp -d)
trap 'rm -rf "$log_dir"' EXIT

fail() {
  failed=$((failed + 1))
  failures+=("$1")
}

# The Windows build the Wine tests run: the product, unless this kernel runs
# no 32-bit programs.
wine_tree=build-win32
trees=(native asan win32)
if ! /usr/lib/wine/wine --version >/dev/null 2>&1 && [ -x /usr/lib/wine/wine64 ]; then
  echo "test_all: this kernel runs no 32-bit programs; the Wine tests run the 64-bit build (build-win64)"
  wine_tree=build-win64
  trees+=(win64)
  export PATH="$PWD/tools/wine64:$PATH"
fi

for tree in "${trees[@]}"; do
  bash tools/build_all.sh "$tree" || fail "build of $tree"
done

# ctest prints "NN% tests passed, F tests failed out of T".
run_ctest() {
  local dir=$1 log="$log_dir/ctest-$1.log"
  echo "=== test_all: ctest in $dir"
  if [ ! -f "$dir/CTestTestfile.cmake" ]; then
    fail "ctest in $dir (not configured)"
    return
  fi
  (cd "$dir" && ctest --output-on-failure --timeout 900) 2>&1 | tee "$log"
  local line
  line=$(grep -E '[0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    if grep -q 'No tests were found' "$log"; then return; fi
    fail "ctest in $dir (no summary)"
    return
  fi
  local f t
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + t - f))
  failed=$((failed + f))
  if [ "$f" -ne 0 ]; then failures+=("$f in $dir"); fi
}

run_ctest build
run_ctest build-asan

# The Wine tests print "wine tests: P passed, F failed" last.
echo "=== test_all: Wine tests"
# The default printer of the printing tests. They skip when it cannot be
# made; as root (CI) it can always be made, so there a failure counts.
if ! bash tools/setup_printer.sh; then
  if [ "$(id -u)" -eq 0 ]; then
    fail "printer setup (CUPS)"
  else
    echo "test_all: no CUPS printer; the printing tests will be skipped"
  fi
fi
wine_log="$log_dir/wine.log"
timeout 2400 python3 tests/wine/run_wine_tests.py \
  --vestrun "$wine_tree/vestrun.exe" --vestcomp build/vestcomp 2>&1 | tee "$wine_log"
line=$(grep -E '^wine tests: [0-9]+ passed, [0-9]+ failed' "$wine_log" | tail -n 1)
if [ -z "$line" ]; then
  fail "Wine tests (no summary)"
else
  p=$(sed -E 's/^wine tests: ([0-9]+) passed, ([0-9]+) failed.*/\1/' <<<"$line")
  f=$(sed -E 's/^wine tests: ([0-9]+) passed, ([0-9]+) failed.*/\2/' <<<"$line")
  passed=$((passed + p))
  failed=$((failed + f))
  if [ "$f" -ne 0 ]; then failures+=("$f Wine tests"); fi
fi

# The package tests print "package tests: P passed, F failed" last.
echo "=== test_all: package tests"
package_log="$log_dir/package.log"
timeout 1200 python3 tests/package/check_packages.py --build build --build-win32 build-win32 \
  2>&1 | tee "$package_log"
line=$(grep -E '^package tests: [0-9]+ passed, [0-9]+ failed' "$package_log" | tail -n 1)
if [ -z "$line" ]; then
  fail "package tests (no summary)"
else
  p=$(sed -E 's/^package tests: ([0-9]+) passed, ([0-9]+) failed.*/\1/' <<<"$line")
  f=$(sed -E 's/^package tests: ([0-9]+) passed, ([0-9]+) failed.*/\2/' <<<"$line")
  passed=$((passed + p))
  failed=$((failed + f))
  if [ "$f" -ne 0 ]; then failures+=("$f package tests"); fi
fi

if [ ${#failures[@]} -ne 0 ]; then
  echo "test_all: failures: $(IFS=';'; echo "${failures[*]}")"
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
