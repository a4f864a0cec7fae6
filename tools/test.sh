#!/usr/bin/env bash
# Sets up this machine (Debian packages) and passes every test: the native build with its
# suites, the same under AddressSanitizer+UBSan and ThreadSanitizer, the 32-bit Linux build
# with its suites under qemu-i386 (the shipped program's 32-bit arithmetic), the win64 build
# with its suites under Wine, and the win32 build (built only: this kernel runs no 32-bit
# code).
#
#   bash tools/test.sh              everything, then 60 s of fuzzing each image header reader
#   bash tools/test.sh native win64 only these presets ("fuzz" for the fuzzing alone)
#   bash tools/test.sh --fresh ...  first forgets everything an earlier run warmed (see
#                                   tools/fresh-state.sh): as close as this machine gets
#                                   to a new one
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash tools/setup.sh

if [ "${1:-}" = --fresh ]; then
  shift
  bash tools/fresh-state.sh
fi

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native native-asan native-tsan native-i386 win64 win32 fuzz)

for preset in "${presets[@]}"; do
  echo "=== $preset"
  start=$SECONDS
  if [ "$preset" = fuzz ]; then
    bash tools/fuzz.sh 60 2>&1 | tail -n 30
    echo "=== fuzz passed in $((SECONDS - start)) s"
    continue
  fi
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  if [ "$preset" != win32 ]; then
    ctest --preset "$preset"
  fi
  case $preset in native | win64 | win32) bash tools/check-packages.sh "$preset" ;; esac
  echo "=== $preset passed in $((SECONDS - start)) s"
done
