#!/usr/bin/env bash
# Runs an installed command line on the installed example program, without --templates:
# the report and the sheet must be complete. Either unpacks the Debian package into a
# scratch root, or installs a build tree into a scratch prefix with cmake --install.
# Usage: check.sh PACKAGE.deb | check.sh --install BUILD_DIR
set -euo pipefail
root=$(mktemp -d "${TMPDIR:-/tmp}/brelvane-package-XXXXXX")
trap 'rm -rf "$root"' EXIT
if [ "$1" = --install ]; then
  what="cmake --install $2"
  cmake --install "$2" --prefix "$root/install/opt/brelvane" >/dev/null
  prefix=$root/install/opt/brelvane
else
  what=$(basename "$1")
  dpkg-deb -x "$1" "$root/install"
  prefix=$root/install/usr
fi
mkdir "$root/work"
cp "$prefix/share/doc/brelvane/bracket.nc" "$root/work/"
out=$("$prefix/bin/brelvane-cli" --yes "$root/work/bracket.nc")
[ "$out" = "$root/work/Result/index.html
$root/work/Result/sheet.html" ] || { echo "FAIL: printed: $out"; exit 1; }
for page in index.html jump.html data.html sheet.html; do
  [ -s "$root/work/Result/$page" ] || { echo "FAIL: no $page"; exit 1; }
done
tail -c 16 "$root/work/Result/data.html" | grep -q '</body></html>' || { echo "FAIL: listing incomplete"; exit 1; }
grep -q 'class="INFO"' "$root/work/Result/data.html" || { echo "FAIL: no INFO block"; exit 1; }
# The templates came from the installed share/brelvane/templates.
cmp -s "$prefix/share/brelvane/templates/index.html" "$root/work/Result/index.html" \
  || { echo "FAIL: index page is not the installed template"; exit 1; }
grep -q '</html>' "$root/work/Result/sheet.html" || { echo "FAIL: sheet incomplete"; exit 1; }
"$prefix/bin/brelvane-cli" --help | grep -q 'Usage: brelvane-cli' || { echo "FAIL: --help"; exit 1; }
zcat "$prefix/share/man/man1/brelvane-cli.1.gz" | grep -q 'machine profile (TOML)' || { echo "FAIL: man page"; exit 1; }
echo "installed program runs: $what"
