#!/usr/bin/env bash
# Sets everything up and starts the game with its bundled word lists.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
exec build/app/trouvimo
