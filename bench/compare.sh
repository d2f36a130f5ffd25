#!/usr/bin/env bash
# Compares vestrun with yabasic and Lua 5.4 on the same work: per benchmark
# program, the instruction counts (callgrind) of vestrun on decoded lines, of
# vestrun on the text path (VESTIL_TEXT_PATH=1), of yabasic and of Lua, the
# ratios, and then hyperfine times of all of these runs in one invocation.
# Needs bench/install.sh. Usage: bench/compare.sh [build folder] [program...]
#   COMPARE_TIMES=0 skips hyperfine; HYPERFINE_RUNS sets its runs (default 5).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
shift || true
programs=("$@")
if [ ${#programs[@]} -eq 0 ]; then
  programs=(count_loop gosub_loop string_build goto_far sieve report)
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here"/*.vsl "$here"/twins/* "$work/"
python3 "$here/make_goto_far.py" --twins "$work" "$work/goto_far.vsl"
for name in "${programs[@]}"; do
  "$build/vestcomp" "$work/$name.vsl" -o "$work/$name.VSC" >/dev/null
done
cd "$work"

# The instructions one run executes, as callgrind counts them.
count() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
    sed -n 's/.*Collected : *//p'
}
millions() { awk -v n="$1" 'BEGIN { printf "%.0f M", n / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "| program | vestrun | vestrun text path | yabasic | Lua 5.4 | vestrun / yabasic | vestrun / Lua |"
echo "|---|---|---|---|---|---|---|"
for name in "${programs[@]}"; do
  v=$(count "$build/vestrun" "$name.VSC")
  t=$(VESTIL_TEXT_PATH=1 count "$build/vestrun" "$name.VSC")
  y=$(count yabasic "$name.yab")
  l=$(count lua5.4 "$name.lua")
  echo "| $name | $(millions "$v") | $(millions "$t") | $(millions "$y") | $(millions "$l") | $(ratio "$v" "$y") | $(ratio "$v" "$l") |"
done

if [ "${COMPARE_TIMES:-1}" != 0 ]; then
  cmds=()
  for name in "${programs[@]}"; do
    cmds+=(-n "$name vestrun" "$build/vestrun $name.VSC"
           -n "$name text path" "env VESTIL_TEXT_PATH=1 $build/vestrun $name.VSC"
           -n "$name yabasic" "yabasic $name.yab"
           -n "$name lua" "lua5.4 $name.lua")
  done
  echo
  hyperfine -N --warmup 1 --runs "${HYPERFINE_RUNS:-5}" --style basic \
    --export-markdown "$work/times.md" "${cmds[@]}" >/dev/null
  cat "$work/times.md"
fi
