#!/usr/bin/env bash
# Builds the release package of a preset and checks what is in it.
#
#   bash tools/check-packages.sh win32|win64|native
#
# win32, win64: Tessel-<version>-<preset>.zip holds exactly Tessel.exe, tessel.com and
#   使い方.txt; both programs are PE files for the preset's processor that import only DLLs
#   Windows ships; the text is code page 932 with CR LF line ends.
# native: the tarball and the .deb hold bin/tessel and its man page.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
preset=${1:?usage: $0 win32|win64|native}
version=$(sed -n 's/^project(Tessel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target package >/dev/null
packages=build/$preset/packages
fail() { echo "check-packages: $preset: $*" >&2; exit 1; }

case $preset in
  win32 | win64)
    zip=$packages/Tessel-$version-$preset.zip
    [ -f "$zip" ] || fail "no $zip"
    listing=$(unzip -Z1 "$zip" | sort)
    [ "$listing" = "$(printf '%s\n' Tessel.exe tessel.com 使い方.txt | sort)" ] ||
      fail "the zip holds: $listing"
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    unzip -q "$zip" -d "$tmp"
    if [ "$preset" = win32 ]; then cpu='Intel 80386'; dump=i686-w64-mingw32-objdump; else
      cpu='x86-64'; dump=x86_64-w64-mingw32-objdump; fi
    for program in Tessel.exe tessel.com; do
      file "$tmp/$program" | grep -q "PE32.*$cpu" || fail "$program: $(file -b "$tmp/$program")"
      # -static: nothing from MinGW's runtime may be needed beside the program.
      extra=$("$dump" -p "$tmp/$program" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' |
        grep -vxE 'kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|shell32.dll|ole32.dll|shlwapi.dll|advapi32.dll|msvcrt.dll' || true)
      [ -z "$extra" ] || fail "$program needs $extra"
    done
    file "$tmp/Tessel.exe" | grep -q 'GUI' || fail "Tessel.exe is not a window program"
    file "$tmp/tessel.com" | grep -q 'console' || fail "tessel.com is not a console program"
    usage=$tmp/使い方.txt
    iconv -f CP932 -t UTF-8 "$usage" >/dev/null || fail "使い方.txt is not code page 932"
    ! grep -q $'[^\r]$' "$usage" || fail "使い方.txt has a line without CR LF"
    grep -q "$version" "$usage" || fail "使い方.txt does not name version $version"
    echo "check-packages: $zip: Tessel.exe ($cpu, window), tessel.com (console), 使い方.txt (CP932, CR LF)"
    ;;
  native)
    tarball=$(ls "$packages"/tessel-"$version"-*.tar.gz)
    deb=$(ls "$packages"/tessel_"$version"_*.deb)
    in_tar=$(tar tzf "$tarball")
    in_deb=$(dpkg-deb -c "$deb")
    grep -q '/bin/tessel$' <<<"$in_tar" || fail "no bin/tessel in $tarball"
    grep -q '/share/man/man1/tessel.1$' <<<"$in_tar" || fail "no man page in $tarball"
    grep -q ' ./usr/bin/tessel$' <<<"$in_deb" || fail "no /usr/bin/tessel in $deb"
    grep -q ' ./usr/share/man/man1/tessel.1$' <<<"$in_deb" || fail "no man page in $deb"
    echo "check-packages: $tarball and $deb: tessel and its man page"
    ;;
  *) fail "no packages for this preset" ;;
esac
