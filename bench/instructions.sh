#!/usr/bin/env bash
# Instructions a run executes per NC line, thread by thread, counted by valgrind's
# callgrind: the same from run to run, where times on a shared machine move by 10 % and
# more. The run's own thread is what the classic report waits for; the report writer and
# the stream worker share the second core. With BASELINE=path/to/brelvane-cli the same
# counts of that build follow, and the ratio of this build's to it.
# callgrind runs one thread at a time, so work that threads share out by how far each has
# got (the sheet's pictures, shrunk as the stream goes or at its end) is counted as it fell
# in that run, not as it falls in a real one; the classic run's counts hold.
# Usage: [BASELINE=CLI] bench/instructions.sh [LINES] [OPTIONS...]
#   LINES: of the generated random-lines program (default 100000); OPTIONS go to both
#   builds (default --no-sheet: the classic run).
# Needs valgrind (Debian package valgrind).
set -euo pipefail
cd "$(dirname "$0")/.."
lines=${1:-100000}
shift || true
options=("$@")
[ ${#options[@]} -gt 0 ] || options=(--no-sheet)
command -v valgrind >/dev/null || { echo "bench/instructions.sh needs valgrind (apt install valgrind)" >&2; exit 1; }
cmake --preset default >/dev/null
cmake --build --preset default --target brelvane-cli generate-program >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/brelvane-instructions-XXXXXX")
trap 'rm -rf "$work"' EXIT
build/default/bin/generate-program "$lines" > "$work/program.nc"

# Prints "role instructions" for each thread of one run of `$1`.
count() {
  local out="$work/out-$2"
  mkdir -p "$out"
  valgrind --tool=callgrind --separate-threads=yes --callgrind-out-file="$out/cg" \
    "$1" --quiet --yes -w "$work" "${options[@]}" "$work/program.nc" >/dev/null 2>&1 || true
  local file role
  for file in "$out"/cg-*; do
    # The first thread is the run's own; the others are named by the loop they run.
    case ${file##*/}:$(callgrind_annotate --inclusive=yes "$file" 2>/dev/null | grep -m1 -oE 'HandOff<.*>::loop' || true) in
      *-01:*) role=run ;;
      *ReportWriter*) role=writer ;;
      *nc::Motion*) role=stream-worker ;;
      *) role=pictures-keeper ;;
    esac
    echo "$role $(grep -m1 -E '^(summary|totals):' "$file" | awk '{print $2}')"
  done | awk '{sum[$1] += $2} END {for (r in sum) print r, sum[r]}' | sort
}

count build/default/bin/brelvane-cli new > "$work/new"
[ -n "${BASELINE:-}" ] && count "$BASELINE" old > "$work/old"
printf '| thread | instructions per line |%s\n' "${BASELINE:+ before | ratio |}"
printf '|---|---|%s\n' "${BASELINE:+---|---|}"
while read -r role n; do
  row=$(printf '| %s | %.0f |' "$role" "$(echo "$n / $lines" | bc -l)")
  if [ -n "${BASELINE:-}" ]; then
    o=$(awk -v r="$role" '$1 == r {print $2}' "$work/old")
    if [ -n "$o" ]; then
      row+=$(printf ' %.0f | %.2f |' "$(echo "$o / $lines" | bc -l)" "$(echo "$n / $o" | bc -l)")
    else
      row+=' — | — |'
    fi
  fi
  echo "$row"
done < "$work/new"
