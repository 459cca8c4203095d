#!/usr/bin/env bash
# Unpacks the Windows zip and runs its brelvane-cli.exe under wine on its example
# program, without --templates: the templates beside the executable must be found, the
# report and the sheet complete, and the executable must need no DLL beyond Windows' own.
# Usage: check-windows.sh brelvane-VERSION-windows-x64.zip
set -euo pipefail
zip=$(realpath "$1")
root=$(mktemp -d "${TMPDIR:-/tmp}/brelvane-zip-XXXXXX")
trap 'rm -rf "$root"' EXIT
(cd "$root" && cmake -E tar xf "$zip")
folder=$root/$(basename "$zip" .zip)
for f in brelvane.exe brelvane-cli.exe templates/hedder.txt templates/index.html README-windows.txt COPYRIGHT.txt \
         examples/bracket.nc examples/machines/vmc40.toml; do
  [ -s "$folder/$f" ] || { echo "FAIL: no $f in the zip"; exit 1; }
done
for exe in brelvane-cli.exe brelvane.exe; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$folder/$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'a-z' 'A-Z' | sort -u)
  for dll in $dlls; do
    case $dll in
      KERNEL32.DLL|MSVCRT.DLL|SHELL32.DLL|USER32.DLL|GDI32.DLL|COMCTL32.DLL|OLE32.DLL) ;;
      *) echo "FAIL: $exe needs $dll"; exit 1 ;;
    esac
  done
done
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
mkdir "$root/work"
cp "$folder/examples/bracket.nc" "$root/work/"
out=$(WINEDEBUG=-all "$wine" "$folder/brelvane-cli.exe" --yes "$root/work/bracket.nc" 2>/dev/null | tr -d "\r")
case $out in *'\work\Result\index.html'*) ;; *) echo "FAIL: printed: $out"; exit 1 ;; esac
for page in index.html jump.html data.html sheet.html; do
  [ -s "$root/work/Result/$page" ] || { echo "FAIL: no $page"; exit 1; }
done
cmp -s "$folder/templates/index.html" "$root/work/Result/index.html" \
  || { echo "FAIL: index page is not the template beside the executable"; exit 1; }
tail -c 16 "$root/work/Result/data.html" | grep -q '</body></html>' || { echo "FAIL: listing incomplete"; exit 1; }
grep -q '</html>' "$root/work/Result/sheet.html" || { echo "FAIL: sheet incomplete"; exit 1; }
echo "Windows zip runs under wine: $(basename "$zip")"
