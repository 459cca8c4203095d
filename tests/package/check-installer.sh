#!/usr/bin/env bash
# Installs the Windows installer silently for the current user under wine (in a fresh
# wine prefix), runs the installed command line on an example and starts the installed
# window with it, then uninstalls silently: no file, shortcut or registry key may stay.
# Needs a display for the window (scripts/test gives one with xvfb-run).
# Usage: check-installer.sh brelvane-VERSION-setup.exe
set -euo pipefail
setup=$(realpath "$1")
root=$(mktemp -d "${TMPDIR:-/tmp}/brelvane-setup-XXXXXX")
export WINEPREFIX=$root/prefix WINEDEBUG=-all
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$root"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# A prefix of its own, made quietly first: its making is no part of the installer.
"$wine" wineboot --init >/dev/null 2>&1
"$wineserver" -w

"$wine" "$setup" /S /CurrentUser
"$wineserver" -w
inst=$(find "$WINEPREFIX/drive_c/users" -type d -path '*/AppData/Local/Programs/Brelvane' | head -n 1)
[ -n "$inst" ] || fail "nothing installed under AppData\\Local\\Programs"
for f in brelvane.exe brelvane-cli.exe uninstall.exe templates/hedder.txt templates/index.html \
         examples/bracket.nc examples/machines/vmc40.toml README-windows.txt; do
  [ -s "$inst/$f" ] || fail "no $f installed"
done
menu=$(find "$WINEPREFIX/drive_c/users" -name Brelvane.lnk -path '*Start Menu*' | head -n 1)
[ -n "$menu" ] || fail "no Start-menu entry"
"$wine" reg query 'HKCU\Software\Classes\SystemFileAssociations\.nc\shell\Brelvane\command' | grep -q 'brelvane.exe' \
  || fail "no context-menu entry for .nc"

# The installed command line on an example, its templates found beside it.
mkdir "$root/work"
cp "$inst/examples/bracket.nc" "$root/work/"
"$wine" "$inst/brelvane-cli.exe" --yes --quiet "Z:$root/work/bracket.nc" >/dev/null 2>&1 || true
for page in index.html jump.html data.html sheet.html; do
  [ -s "$root/work/Result/$page" ] || fail "the installed command line wrote no $page"
done
# The installed window opens with the example and stays open until closed.
"$wine" "$inst/brelvane.exe" "Z:$root/work/bracket.nc" &
window=$!
sleep 5
kill -0 "$window" 2>/dev/null || fail "the installed window did not stay open"
"$wineserver" -k
wait "$window" 2>/dev/null || true

"$wine" "$inst/uninstall.exe" /S /CurrentUser
"$wineserver" -w
[ ! -e "$inst" ] || fail "left behind: $(find "$inst" | head -n 5 | tr '\n' ' ')"
[ -z "$(find "$WINEPREFIX/drive_c/users" -name Brelvane.lnk)" ] || fail "the Start-menu entry stayed"
for key in 'HKCU\Software\Classes\SystemFileAssociations\.nc\shell\Brelvane' \
           'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brelvane'; do
  ! "$wine" reg query "$key" >/dev/null 2>&1 || fail "registry key stayed: $key"
done
echo "Windows installer installs, runs and uninstalls under wine: $(basename "$setup")"
