#!/usr/bin/env bash
# Installs what is missing, builds and starts the program.
# It runs in the folder work/ beside the sources, which holds Chart/ and prot/.
# Arguments go to the program, e.g. --port sim (the built-in sensor simulator)
# or --port /dev/ttyUSB0.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
"$here/scripts/build.sh"
mkdir -p "$here/work/Chart" "$here/work/prot"
cd "$here/work"
exec "$here/${BUILD_DIR:-build}/tavirs102" "$@"
