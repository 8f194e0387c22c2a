#!/usr/bin/env bash
# Installs what the game needs to be built and to run, builds it, and starts it with its bundled
# word lists.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh --game
exec build/app/trouvimo
