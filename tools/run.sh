#!/usr/bin/env bash
# Sets up this machine and runs the program. (Until the window exists: the engine's
# command on a small demo tree.)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash tools/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native
build/native/bin/tessel --version
