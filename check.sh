#!/usr/bin/env bash
# Sets everything up and runs every test: unit, widget, content, fuzz and real-desktop tests.
# The real-desktop tests start their own X server, so they run as root (through sudo if needed).
set -euo pipefail
cd "$(dirname "$0")"
if [[ $(id -u) -ne 0 ]]; then
    exec sudo --preserve-env=CI "$0" "$@"
fi
./setup.sh
ctest --preset default "$@"
