#!/usr/bin/env bash
# Installs what the benchmark comparison needs (Debian packages): yabasic and
# Lua 5.4 for the twins, valgrind for the instruction counts, hyperfine for
# the times. CI does not run the benchmarks.
set -euo pipefail
apt-get update
apt-get install -y yabasic lua5.4 valgrind hyperfine
