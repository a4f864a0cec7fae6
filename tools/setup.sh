#!/usr/bin/env bash
# Installs everything the build, the tests, the screenshots and the benchmarks need, from
# Debian's archive only. Idempotent: a second run installs nothing and returns quickly.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format libclang-rt-14-dev llvm
  libgtest-dev googletest libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64 g++-multilib qemu-user
  wine64 xvfb xauth x11-utils xdotool locales fonts-ipafont-gothic fonts-nanum fonts-symbola
  imagemagick time findutils procps bc fonts-wine help2man zip unzip gnuplot-nox
  # tests/support/hold_fs.py: the FUSE file system that stands in for a failing disk
  python3 python3-fusepy libfuse2 fuse3
  # the content index's hash (XXH3), compiled in from its header
  libxxhash-dev
  # tests/data/images/make_photos.sh and tools/bench/photo_sizes.sh: the formats' own tools,
  # which make the test pictures and tell their sizes where ImageMagick cannot (JPEG XL, DNG)
  webp libheif-examples libavif-bin libtiff-tools libjxl-tools dcraw
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine's ANSI code page follows LANG, per process: ja_JP.UTF-8 gives code page 932, the
# code page the program was made for; en_US.UTF-8 gives 1252, under which the GUI suites run a
# second time (tools/wine-run.sh, TESSEL_WINE_LANG).
for wanted in ja_JP en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8\$"; then
    echo "setup: generating $wanted.UTF-8"
    "${sudo_cmd[@]}" sed -i "s/^# *\($wanted.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen || echo "$wanted.UTF-8 UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo_cmd[@]}" locale-gen
  fi
done
echo "setup: done"
