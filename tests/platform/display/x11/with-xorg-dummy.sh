#!/bin/bash
# Runs a command on an Xorg server of its own with the dummy video driver, whose display modes
# can really be switched (Xvfb's cannot), starting at 1024x768.
# Usage: with-xorg-dummy.sh CONFIG COMMAND [ARGUMENT...]
# Exits with 77 (a skipped test for CTest) where no such server can be started.
set -u
config=$1
shift

command -v Xorg >/dev/null && command -v xrandr >/dev/null || exit 77
[ "$(id -u)" = 0 ] || exit 77

work=$(mktemp -d)
# -displayfd lets the server pick a free display number itself, so that tests running at the
# same time never share (and switch) one server.
Xorg -displayfd 3 -config "$config" -noreset -nolisten tcp -logfile "$work/xorg.log" \
    3>"$work/display" >/dev/null 2>&1 &
xorg=$!
trap 'kill "$xorg" 2>/dev/null; wait "$xorg" 2>/dev/null; rm -rf "$work"' EXIT

# Up to a minute: a machine busy with other work starts a server slowly.
for _ in $(seq 600); do
    [ -s "$work/display" ] && break
    kill -0 "$xorg" 2>/dev/null || exit 77
    sleep 0.1
done
[ -s "$work/display" ] || exit 77
export DISPLAY=":$(head -n1 "$work/display")"

DISPLAY=$DISPLAY xrandr --output DUMMY0 --mode 1024x768 || exit 1
# The test runs in the background so that a signal ending this script (a CI timeout, Ctrl+C) ends the
# test as well, and the trap above stops the server.
QT_QPA_PLATFORM=xcb "$@" &
test=$!
trap 'kill "$test" 2>/dev/null; wait "$test" 2>/dev/null; exit 143' TERM HUP
trap 'kill -INT "$test" 2>/dev/null; wait "$test" 2>/dev/null; exit 130' INT
wait "$test"
