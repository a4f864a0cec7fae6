#!/usr/bin/env bash
# Runs test suites N times in a row and says, for every test, how often it failed: the proof
# that a suite is steady, not merely green once.
#
#   bash tools/stress/repeat-tests.sh N [--load] [--native] [PRESET...]
#
# PRESET defaults to win64 (the suites under Wine); --native adds native, native-asan and
# native-tsan. With --load every core is kept busy by a CPU hog that the script starts and
# stops itself, as on a CI machine that runs other work. Each run's GoogleTest reports land in
# build/repeat/RUN/PRESET/; a suite that ends without one (a crash, a hang that ctest killed)
# counts as one failure of the whole suite. Exit status 1 when anything failed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
root=$PWD

usage() { echo "usage: $0 N [--load] [--native] [PRESET...]" >&2; exit 2; }
[ $# -ge 1 ] && [ "$1" -ge 1 ] 2>/dev/null || usage
runs=$1
shift
load=0
presets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --load) load=1 ;;
    --native) presets+=(native native-asan native-tsan) ;;
    -*) usage ;;
    *) presets+=("$1") ;;
  esac
  shift
done
[ ${#presets[@]} -gt 0 ] || presets=(win64)

hogs=()
stop_hogs() { [ ${#hogs[@]} -eq 0 ] || kill "${hogs[@]}" 2>/dev/null || true; }
trap stop_hogs EXIT

for preset in "${presets[@]}"; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
done

if [ $load -eq 1 ]; then
  for _ in $(seq "$(nproc)"); do
    sh -c 'while :; do :; done' &
    hogs+=($!)
  done
  echo "repeat-tests: ${#hogs[@]} CPU hogs running"
fi

out=$root/build/repeat
rm -rf "$out"
for run in $(seq "$runs"); do
  for preset in "${presets[@]}"; do
    reports=$out/$run/$preset
    mkdir -p "$reports"
    if [ "$preset" = win64 ] || [ "$preset" = win32 ]; then
      xml="xml:Z:${reports//\//\\}\\"
    else
      xml="xml:$reports/"
    fi
    start=$SECONDS
    if GTEST_OUTPUT=$xml ctest --preset "$preset" >"$reports/ctest.log" 2>&1; then
      verdict=passed
    else
      verdict=FAILED
    fi
    echo "repeat-tests: run $run/$runs $preset $verdict in $((SECONDS - start)) s"
  done
done

# Per test: failures over runs. The failed cases are read from ctest's own log (a failed
# suite's output follows its result line there); a suite that failed without a failed case
# (crashed, killed, a script) counts as a failure of "<suite> (whole)". The reports only
# count the cases that ran.
python3 - "$out" "$runs" "${presets[@]}" <<'PY'
import os, re, sys
import xml.etree.ElementTree as ET
out, runs, presets = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
failures, seen = {}, set()
result = re.compile(r"^\s*\d+/\d+ Test\s+#\d+: (\S+) \.+.*?(Passed|Failed|Timeout|\*\*\*\S+)")
failed_case = re.compile(r"^\[  FAILED  \] (\S+\.\S+) \(")
for run in range(1, runs + 1):
    for preset in presets:
        folder = os.path.join(out, str(run), preset)
        for name in sorted(os.listdir(folder)):
            if not name.endswith(".xml"):
                continue
            try:
                tree = ET.parse(os.path.join(folder, name))
            except ET.ParseError:
                continue
            for case in tree.iter("testcase"):
                seen.add(f"{preset}: {case.get('classname')}.{case.get('name')}")
        suite, bad, cases = None, False, set()
        def close():
            if suite and bad:
                for key in ([f"{preset}: {suite}: {c}" for c in sorted(cases)] or
                            [f"{preset}: {suite} (whole)"]):
                    failures[key] = failures.get(key, 0) + 1
        for line in open(os.path.join(folder, "ctest.log"), errors="replace"):
            m = result.match(line)
            if m:
                close()
                suite, bad, cases = m.group(1), m.group(2) != "Passed", set()
                continue
            c = failed_case.match(line)
            if c and suite:
                cases.add(c.group(1))
        close()
print(f"repeat-tests: {len(seen)} test cases, {runs} runs of {' '.join(presets)}")
if not failures:
    print("repeat-tests: no failures")
    sys.exit(0)
for key in sorted(failures):
    print(f"  {failures[key]:3d}/{runs} failed  {key}")
sys.exit(1)
PY
