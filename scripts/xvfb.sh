#!/bin/sh
# Sourced: start_xvfb starts a private Xvfb on a free display and sets DISPLAY to it;
# stop_xvfb stops it again. QAMOVUP_XVFB_SCREEN gives another screen than 1024x768x24.
xvfb_pid=""
start_xvfb() {
    n=91
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "${QAMOVUP_XVFB_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    i=0
    while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
}
stop_xvfb() {
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null || true; fi
    xvfb_pid=""
}
