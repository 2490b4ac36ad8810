#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the window-size test under a real window manager: a virtual X display of its own
# (Xvfb) with twm. Without either program the test is skipped (77).
set -u
program="$1"
if ! command -v Xvfb >/dev/null 2>&1 || ! command -v twm >/dev/null 2>&1; then
    echo "Xvfb or twm is not installed: skipped"
    exit 77
fi
scratch=$(mktemp -d)
xvfb=
wm=
cleanup() {
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1400x1000x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb=$!
i=0
while [ ! -s "$scratch/display" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
if [ ! -s "$scratch/display" ]; then
    echo "Xvfb did not start:"; cat "$scratch/xvfb.log"; exit 1
fi
DISPLAY=":$(cat "$scratch/display")"
export DISPLAY
# New windows are placed where the program asks, without the user placing them by hand.
cat >"$scratch/twmrc" <<'RC'
TitleFont "fixed"
ResizeFont "fixed"
MenuFont "fixed"
IconFont "fixed"
IconManagerFont "fixed"
RandomPlacement
UsePPosition "on"
NoGrabServer
RC
twm -f "$scratch/twmrc" >"$scratch/twm.log" 2>&1 &
wm=$!
sleep 1
mkdir -m 700 "$scratch/run"
QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$scratch/run" LC_ALL=C.UTF-8 "$program"
