#!/usr/bin/env bash
# Fuzzes the image header readers with libFuzzer (clang, ASan + UBSan) for a while.
#
#   tools/fuzz.sh [seconds]      default 600
#
# Builds build/fuzz/image_probe_fuzzer from the few sources it needs, seeds a working corpus
# (build/fuzz/corpus) with the committed seeds (tools/fuzz/corpus: the inputs an hour's run
# found, merged down to one per new feature) and test images, and runs. Findings land in
# build/fuzz/ as crash-*/leak-*/timeout-* files; the exit code is libFuzzer's, so a finding
# fails the caller (tools/test.sh runs 60 s of it).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-600}
out=build/fuzz
mkdir -p "$out/corpus"

clang++ -std=c++20 -O1 -g -Wall -Wextra -Werror -Isrc \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  tools/fuzz/image_probe_fuzzer.cpp src/files/image_probe.cpp \
  src/files/os/file_reader_posix.cpp src/base/sqr.cpp \
  src/base/debug_output.cpp src/base/debug_output_posix.cpp \
  -o "$out/image_probe_fuzzer"

cp -n tools/fuzz/corpus/* "$out/corpus/"
cp -n tests/data/images/*.jpg tests/data/images/*.gif tests/data/images/*.png \
  tests/data/images/*.bmp "$out/corpus/"

cd "$out"
exec ./image_probe_fuzzer -max_total_time="$seconds" -print_final_stats=1 \
  -max_len=8192 -dict=../../tools/fuzz/image_probe.dict corpus
