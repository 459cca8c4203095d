#!/usr/bin/env bash
# Writes a complete report with brelvane-cli and opens it, and its setup sheet, in
# headless Chromium.
# Usage: run.sh BRELVANE_CLI NC_FILE OUT_DIR
set -euo pipefail
cli=$1 nc=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)

# Without Chromium or playwright-core a developer's plain build skips this test (exit 77);
# under CI it fails, so a missing tool never passes for a checked report.
missing=""
[ -x "${CHROMIUM:-/usr/bin/chromium}" ] || missing="Chromium (${CHROMIUM:-/usr/bin/chromium})"
[ -d "$here/node_modules/playwright-core" ] || missing="${missing:+$missing and }playwright-core (scripts/setup installs it)"
command -v node >/dev/null 2>&1 || missing="${missing:+$missing and }Node.js"
if [ -n "$missing" ]; then
  if [ "${CI:-}" = true ]; then
    echo "FAIL: the browser test needs $missing"
    exit 1
  fi
  echo "SKIPPED: the browser test needs $missing"
  exit 77
fi
rm -rf "$out" && mkdir -p "$out"
cp "$nc" "$out/program.nc"
"$cli" --quiet --yes "$out/program.nc"
node "$here/report.mjs" "$out/Result/index.html" "$out/report.png"
node "$here/sheet.mjs" "$out/Result/index.html" "$out/sheet.png" "$out/sheet.pdf"
