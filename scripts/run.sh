#!/usr/bin/env bash
# Installs what is missing, builds and starts the program in the current folder.
# Any arguments go to the program (for example: --port /dev/ttyUSB0).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
"$here/scripts/build.sh"
exec "$here/${BUILD_DIR:-build}/tavirs102" "$@"
