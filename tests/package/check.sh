#!/usr/bin/env bash
# Unpacks the Debian package into a scratch root and runs the installed command line on
# the installed example program, without --templates: the report and the sheet must be
# complete. Usage: check.sh PACKAGE.deb
set -euo pipefail
deb=$1
root=$(mktemp -d "${TMPDIR:-/tmp}/brelvane-package-XXXXXX")
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root/install"
mkdir "$root/work"
cp "$root/install/usr/share/doc/brelvane/bracket.nc" "$root/work/"
out=$("$root/install/usr/bin/brelvane-cli" --yes "$root/work/bracket.nc")
[ "$out" = "$root/work/Result/index.html
$root/work/Result/sheet.html" ] || { echo "FAIL: printed: $out"; exit 1; }
for page in index.html jump.html data.html sheet.html; do
  [ -s "$root/work/Result/$page" ] || { echo "FAIL: no $page"; exit 1; }
done
tail -c 16 "$root/work/Result/data.html" | grep -q '</body></html>' || { echo "FAIL: listing incomplete"; exit 1; }
grep -q 'class="INFO"' "$root/work/Result/data.html" || { echo "FAIL: no INFO block"; exit 1; }
# The templates came from the installed share/brelvane/templates.
cmp -s "$root/install/usr/share/brelvane/templates/index.html" "$root/work/Result/index.html" \
  || { echo "FAIL: index page is not the installed template"; exit 1; }
grep -q '</html>' "$root/work/Result/sheet.html" || { echo "FAIL: sheet incomplete"; exit 1; }
"$root/install/usr/bin/brelvane-cli" --help | grep -q 'Usage: brelvane-cli' || { echo "FAIL: --help"; exit 1; }
zcat "$root/install/usr/share/man/man1/brelvane-cli.1.gz" | grep -q 'machine profile (TOML)' || { echo "FAIL: man page"; exit 1; }
echo "installed package runs: $(basename "$deb")"
