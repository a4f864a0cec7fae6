#!/usr/bin/env bash
# Sets up this machine, builds the Windows program (x86-64) and starts it under Wine.
#
# With a display ($DISPLAY set) the window opens there; the command returns when the window
# is closed. Without one the program starts on a virtual display (Xvfb), a screenshot of it
# is saved, and the command says where, and how to reach the live window.
#
# The program gets its own Wine prefix (build/wineprefix-run), apart from the tests', so a
# test run does not close it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
bash tools/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Tessel tessel-drive

export TESSEL_WINEPREFIX=$root/build/wineprefix-run
if [ -n "${DISPLAY:-}" ]; then
  echo "run: starting Tessel.exe on $DISPLAY (close the window to end)"
  exec tools/wine-run.sh build/win64/bin/Tessel.exe
fi

shots=$root/build/screenshots
display=$(bash tools/screenshot.sh --keep-running "$shots" | tail -1)
cat <<EOM

Tessel is running under Wine on the virtual display $display (no display was given).
  Screenshot of the window:  $shots/main-window.png
  The About dialog:          TESSEL_WINEPREFIX=$TESSEL_WINEPREFIX tools/wine-run.sh build/win64/bin/tessel-drive.exe command 1036
                             then: DISPLAY=$display import -window root $shots/screen.png
  To see the live window, share that display with a VNC server and open it in a viewer, e.g.
    apt-get install x11vnc && x11vnc -display $display -localhost   (then a VNC viewer on port 5900)
  or run this command again on a machine with a desktop (DISPLAY set).
  To end it:                 TESSEL_WINEPREFIX=$TESSEL_WINEPREFIX tools/wine-run.sh --stop
EOM
