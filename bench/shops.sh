#!/usr/bin/env bash
# Programs as shops run them, each analysed three ways (the classic report alone, the
# default run with the setup sheet, and the default run with the VMC 40 profile and the
# JSON), timed as the median of five runs. With BASELINE=path/to/brelvane-cli each run
# alternates with that build's (the machine's noise falls on both alike) and the table
# gives the ratio of this build's time to it.
# Usage: [BASELINE=CLI] bench/shops.sh [LINES]   (default 1000000)
set -euo pipefail
cd "$(dirname "$0")/.."
lines=${1:-1000000}
cmake --preset default >/dev/null
cmake --build --preset default --target brelvane-cli generate-program >/dev/null
cli=build/default/bin/brelvane-cli
work=$(mktemp -d "${TMPDIR:-/tmp}/brelvane-shops-XXXXXX")
trap 'rm -rf "$work"' EXIT
gen=build/default/bin/generate-program
$gen "$lines" > "$work/random-lines.nc"
$gen --raster-3d "$lines" > "$work/raster-3d.nc"
$gen --micro-spiral "$lines" > "$work/micro-spiral.nc"
$gen --raster-sections 200 > "$work/raster-200-sections.nc"
$gen --calls "$lines" > "$work/calls.nc"
$gen --drilled-plate "$lines" > "$work/drilled-plate.nc"

# Prints "seconds peak-KiB" of one run.
run() {
  local bin=$1 mode=$2 nc=$3 options=()
  case $mode in
    classic) options=(--no-sheet) ;;
    profile) options=(--machine examples/machines/vmc40.toml --json "$work/summary.json") ;;
  esac
  rm -rf "$work/Result"
  /usr/bin/time -f '%e %M' -o "$work/time" "$bin" --quiet --yes -w "$work" "${options[@]}" "$nc" >/dev/null 2>&1 || true
  cat "$work/time"
}
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

printf '| program | lines | mode | time s | lines/s | peak MiB |%s\n' "${BASELINE:+ before s | ratio |}"
printf '|---|---|---|---|---|---|%s\n' "${BASELINE:+---|---|}"
for program in random-lines raster-3d micro-spiral raster-200-sections calls drilled-plate; do
  nc="$work/$program.nc"
  count=$(wc -l < "$nc")
  for mode in classic default profile; do
    : > "$work/new" ; : > "$work/old"
    for _ in 1 2 3 4 5; do
      [ -n "${BASELINE:-}" ] && run "$BASELINE" $mode "$nc" >> "$work/old"
      run "$cli" $mode "$nc" >> "$work/new"
    done
    t=$(awk '{print $1}' "$work/new" | median)
    peak=$(awk '{print $2}' "$work/new" | sort -n | tail -1)
    row=$(printf '| %s | %s | %s | %.2f | %.0f | %.1f |' "$program" "$count" "$mode" "$t" \
      "$(echo "$count / $t" | bc -l)" "$(echo "$peak / 1024" | bc -l)")
    if [ -n "${BASELINE:-}" ]; then
      b=$(awk '{print $1}' "$work/old" | median)
      row+=$(printf ' %.2f | %.2f |' "$b" "$(echo "$t / $b" | bc -l)")
    fi
    echo "$row"
  done
done
