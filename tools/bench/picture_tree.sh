#!/usr/bin/env bash
# The tree of real pictures that share.sh and cold_local.sh time: Debian 12's icon themes,
# wallpapers and game data, unpacked as they come (one folder per package), with everything
# else the packages hold beside the pictures: 2,799 PNG and JPEG files of 75 B to 16 MB,
# 79 MB in all, among 4,816 files in 1,018 folders 4 to 10 levels deep. Many small icons in
# many folders, names that meet across folders (16x16/apps/x.png beside 22x22/apps/x.png),
# and a few large wallpapers (11 over 1 MB). Links are left out, so that tessel (which takes
# a link to a file under SOURCE) and find -type f copy the same files.
#
#   tools/bench/picture_tree.sh [DIR]     prints the tree's path, DIR/tree
#
# DIR (default /var/tmp/tessel-pictures) keeps the tree between calls: only the first call
# downloads (apt-get download, about 110 MB; the package lists must be there: apt-get update).
set -euo pipefail
dir=${1:-/var/tmp/tessel-pictures}
packages=(
  tango-icon-theme hicolor-icon-theme desktop-base mate-backgrounds
  pingus-data lbreakout2-data neverball-data tuxmath-data pioneers-data kobodeluxe-data
)

if [ "$(cat "$dir/made" 2>/dev/null)" != "${packages[*]}" ]; then
  rm -rf "$dir"
  mkdir -p "$dir/debs" "$dir/tree"
  echo "picture_tree: downloading ${packages[*]}" >&2
  (cd "$dir/debs" && apt-get download -q -o APT::Sandbox::User=root "${packages[@]}") >&2
  for p in "${packages[@]}"; do
    dpkg -x "$dir/debs/${p}"_*.deb "$dir/tree/$p"
  done
  find "$dir/tree" -type l -delete
  rm -rf "$dir/debs"
  echo "${packages[*]}" >"$dir/made"
fi
echo "$dir/tree"
