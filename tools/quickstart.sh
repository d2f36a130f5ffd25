#!/bin/bash
# From a fresh Debian 12 machine to a running program: installs the packages,
# builds the native and the Windows runner, compiles examples/hello.vsl and
# runs it with the console runner.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install_deps.sh
bash tools/build_all.sh native win32

build/vestcomp examples/hello.vsl -o build/hello.vsc
echo "=== build/vestrun build/hello.vsc"
build/vestrun build/hello.vsc

echo
echo "Built: build/vestrun and build/vestcomp (native),"
echo "       build-win32/vestrun.exe and build-win32/vestcomp.exe (32-bit Windows)."
echo "Tests: bash tools/test_all.sh"
