#!/usr/bin/env bash
# Writes a complete report with brelvane-cli and opens it, and its setup sheet, in
# headless Chromium.
# Usage: run.sh BRELVANE_CLI NC_FILE OUT_DIR
set -euo pipefail
cli=$1 nc=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out" && mkdir -p "$out"
cp "$nc" "$out/program.nc"
"$cli" --quiet --yes "$out/program.nc"
node "$here/report.mjs" "$out/Result/index.html" "$out/report.png"
node "$here/sheet.mjs" "$out/Result/index.html" "$out/sheet.png" "$out/sheet.pdf"
