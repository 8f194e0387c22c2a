#!/bin/sh
# Installs what the tools need where it is missing, then regenerates every picture, sound and word
# list under data/, then the review images under tools/out/. Run from anywhere.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
"$here/setup.sh"
py=/usr/bin/python3
"$py" "$here/make_art.py"
"$py" "$here/make_icon.py"
"$py" "$here/make_sounds.py"
"$py" "$here/make_words.py"
"$py" "$here/preview_art.py"
