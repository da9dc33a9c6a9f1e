#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite headless.
# Exits non-zero when anything fails.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
"$here/scripts/build.sh"
cd "$here/${BUILD_DIR:-build}"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
