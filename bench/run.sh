#!/usr/bin/env bash
# End-to-end benchmark: generates programs of 1 and 10 million lines and runs
# brelvane-cli on each, with the classic report alone (--no-sheet), with the setup sheet,
# and with the sheet and the machine profile examples/machines/vmc40.toml, printing lines per second, input MB/s and peak resident memory, beside the floor
# on the same file (reading it, and writing as many bytes as the report) and the run's time as a multiple of it.
# Usage: bench/run.sh [LINES...]   (default 1000000 10000000)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default -DBRELVANE_BENCH=ON >/dev/null
cmake --build --preset default --target brelvane-cli generate-program micro-bench >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/brelvane-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000000 10000000)

seconds() { local s e; s=$(date +%s.%N); "$@" >/dev/null 2>&1; e=$(date +%s.%N); echo "$e - $s" | bc -l; }

printf '| lines | mode | input MB | report MB | sheet KB | time s | lines/s | input MB/s | peak RSS MiB | floor: read s | floor: write s | × floor |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|---|\n'
for lines in "${sizes[@]}"; do
  nc="$work/program-$lines.nc"
  build/default/bin/generate-program "$lines" > "$nc"
  input=$(stat -c %s "$nc")
  for mode in classic sheet machine; do
    case $mode in
      classic) options=(--no-sheet) ;;
      sheet) options=() ;;
      machine) options=(--machine examples/machines/vmc40.toml) ;;
    esac
    # Best of three runs: the first pays for a cold cache and the disk's write-back.
    elapsed=999999 rss=0
    for _ in 1 2 3; do
      rm -rf "$work/Result"
      /usr/bin/time -f '%e %M' -o "$work/time" build/default/bin/brelvane-cli --quiet --yes "${options[@]}" -w "$work" "$nc"
      read -r e r < "$work/time"
      elapsed=$(echo "if ($e < $elapsed) $e else $elapsed" | bc -l)
      [ "$r" -gt "$rss" ] && rss=$r
    done
    report=$(stat -c %s "$work/Result/data.html")
    sheet=0
    [ -f "$work/Result/sheet.html" ] && sheet=$(stat -c %s "$work/Result/sheet.html")
    read_floor=$(seconds cat "$nc")
    rm -f "$work/floor"
    write_floor=$(seconds dd if=/dev/zero of="$work/floor" bs=1M count=$((report / 1048576 + 1)) status=none)
    rm -f "$work/floor"
    printf '| %s | %s | %.1f | %.1f | %.0f | %.2f | %.0f | %.1f | %.1f | %.2f | %.2f | %.1f |\n' "$lines" "$mode" \
      "$(echo "$input / 1048576" | bc -l)" "$(echo "$report / 1048576" | bc -l)" "$(echo "$sheet / 1024" | bc -l)" \
      "$elapsed" "$(echo "$lines / $elapsed" | bc -l)" "$(echo "$input / 1048576 / $elapsed" | bc -l)" \
      "$(echo "$rss / 1024" | bc -l)" "$read_floor" "$write_floor" "$(echo "$elapsed / ($read_floor + $write_floor)" | bc -l)"
  done
  rm -f "$nc"
done
echo
build/default/bin/micro-bench --benchmark_min_time=0.2 2>/dev/null | tail -n +4
