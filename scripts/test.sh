#!/usr/bin/env bash
# Installs what is missing, builds Ormix and its tests for Windows, and runs every test
# under Wine. Usage: scripts/test.sh [BUILD_DIR]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
"$ROOT/scripts/setup.sh" "$BUILD"
BUILD=$(cd "$BUILD" && pwd)
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DORMIX_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
export WINEPREFIX="$BUILD/wineprefix"
status=0
if [ -n "${DISPLAY:-}" ]; then
  ctest --test-dir "$BUILD" --output-on-failure || status=$?
else
  # One virtual display for the whole run.
  xvfb-run -a -s "-screen 0 1024x768x24" ctest --test-dir "$BUILD" --output-on-failure || status=$?
fi
wineserver -w
exit $status
