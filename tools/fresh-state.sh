#!/usr/bin/env bash
# Forgets everything a test run warms, so that the next one starts as on a new machine:
#   - every build (build/), and with it the Wine prefix the tests use and its session file;
#   - that prefix's wineserver, its helper processes and the session's Xvfb (stopped first);
#   - the prefix's server socket folder (/tmp/.wine-UID/server-DEV-INODE, or Debian's
#     /tmp/wine-XXXXXX/server-DEV-INODE); only its own: another prefix's server may be
#     running beside it;
#   - fontconfig's caches in the user's home (the system's are the packages' own);
#   - the page cache, where this user may drop it (root): every program, DLL and font is
#     read from disk again.
# Takes TESSEL_WINEPREFIX as tools/wine-run.sh does.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
prefix=${TESSEL_WINEPREFIX:-$root/build/wineprefix}

if [ -d "$prefix" ]; then
  bash tools/wine-run.sh --stop || true
  # wineserver names its socket folder after the prefix's device and inode, in hex.
  server=$(stat -c '%D %i' "$prefix" | awk '{ printf "server-%s-%x", $1, $2 }')
  for folder in "/tmp/.wine-$(id -u)/$server" /tmp/wine-*/"$server"; do
    [ -d "$folder" ] || continue
    rm -rf "$folder"
    rmdir "$(dirname "$folder")" 2>/dev/null || true
  done
fi
rm -rf "$prefix" "$prefix.session" "$prefix.lock" build
rm -rf "${XDG_CACHE_HOME:-$HOME/.cache}/fontconfig" "$HOME/.fontconfig"
sync
if [ -w /proc/sys/vm/drop_caches ]; then
  echo 3 >/proc/sys/vm/drop_caches
  echo "fresh-state: builds, Wine prefix, font caches and page cache dropped"
else
  echo "fresh-state: builds, Wine prefix and font caches dropped (the page cache needs root)"
fi
