#!/usr/bin/env bash
# Fuzzes the image header readers with libFuzzer (clang, ASan + UBSan) for a while: the probe
# as a whole (image_probe: signatures, BMP, GIF, JPEG, PNG) and each newer reader on its own
# (webp_size, heif_size, tiff_size, jxl_size).
#
#   tools/fuzz.sh [seconds] [target...]   default 600 s each, every target
#
# Builds build/fuzz/<target>_fuzzer from the few sources it needs, seeds a working corpus
# (build/fuzz/<target>_corpus) with the committed seeds (tools/fuzz/corpus for the probe,
# tools/fuzz/<target>_corpus for the others: inputs a long run found, merged down to one per
# new feature) and the test images, and runs the targets two at a time, one per core.
# Findings land in build/fuzz/ as crash-*/leak-*/timeout-* files; the exit code is the first
# failing target's, so a finding fails the caller (tools/test.sh runs 60 s of each).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(image_probe webp_size heif_size tiff_size jxl_size)
out=build/fuzz
mkdir -p "$out"

readers=(src/files/image_probe.cpp src/files/image_header.cpp src/files/webp_size.cpp
  src/files/heif_size.cpp src/files/tiff_size.cpp src/files/jxl_size.cpp)
for t in "${targets[@]}"; do
  clang++ -std=c++20 -O1 -g -Wall -Wextra -Werror -Isrc \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    "tools/fuzz/${t}_fuzzer.cpp" "${readers[@]}" \
    src/files/os/file_reader_posix.cpp src/base/sqr.cpp \
    src/base/debug_output.cpp src/base/debug_output_posix.cpp \
    -o "$out/${t}_fuzzer" &
done
wait

images=tests/data/images
for t in "${targets[@]}"; do
  corpus=$out/${t}_corpus
  mkdir -p "$corpus"
  case $t in
    image_probe) seeds=(tools/fuzz/corpus/* "$images"/*.jpg "$images"/*.gif "$images"/*.png "$images"/*.bmp) ;;
    webp_size) seeds=("$images"/*.webp) ;;
    heif_size) seeds=("$images"/*.heic "$images"/*.avif) ;;
    tiff_size) seeds=("$images"/*.tif "$images"/*.tiff "$images"/*.dng) ;;
    jxl_size) seeds=("$images"/*.jxl) ;;
  esac
  [ -d "tools/fuzz/${t}_corpus" ] && seeds+=("tools/fuzz/${t}_corpus"/*)
  cp -n "${seeds[@]}" "$corpus/"
done

# One target: its run's last lines, and its exit code.
fuzz_one() {
  local t=$1
  (cd "$out" && nice ./"${t}_fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
    -max_len=8192 -dict="../../tools/fuzz/$t.dict" "${t}_corpus" >"$t.log" 2>&1)
}
status=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pids=()
  for t in "${targets[@]:i:2}"; do
    fuzz_one "$t" &
    pids+=("$!:$t")
  done
  for p in "${pids[@]}"; do
    if wait "${p%%:*}"; then rc=0; else rc=$?; fi
    t=${p#*:}
    echo "--- $t: $(grep -m1 -E '^#[0-9]+.*DONE|stat::number_of_executed_units' "$out/$t.log" | tail -1)"
    tail -n 3 "$out/$t.log"
    [ $rc -eq 0 ] || { echo "--- $t found something (exit $rc): see $out/$t.log"; [ $status -ne 0 ] || status=$rc; }
  done
done
exit $status
