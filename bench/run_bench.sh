#!/usr/bin/env bash
# Measures statements per second of the benchmark programs with the native
# runner. Usage: bench/run_bench.sh [build folder]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_goto_far.py" "$work/goto_far.vsl"
cp "$here"/*.vsl "$work/"
# statements each program runs (counted by hand from its loop)
declare -A statements=(
  [count_loop]=$((1000000 * 2 + 4))
  [string_build]=$((200000 * 4 + 4))
  [gosub_loop]=$((300000 * 8 + 5))
  [goto_far]=$((20000 * 5 + 4))
)
for name in count_loop string_build gosub_loop goto_far; do
  "$build/vestcomp" "$work/$name.vsl" -o "$work/$name.VSC" >/dev/null
  start=$(date +%s.%N)
  "$build/vestrun" "$work/$name.VSC" >/dev/null
  end=$(date +%s.%N)
  python3 - "$name" "$start" "$end" "${statements[$name]}" <<'PY'
import sys
name, start, end, n = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4])
t = end - start
print("%-14s %9d statements %7.3f s %12.0f statements/s" % (name, n, t, n / t))
PY
done
