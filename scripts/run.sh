#!/usr/bin/env bash
# Installs what is missing, builds Ormix and runs it under Wine, with the browser simulator
# standing in for Internet Explorer (demonstration browsers, one with a framed page, and two
# programs embedding a browser control: scripts/demo-scenario.txt, demo-host-scenario.txt).
# With a display, Ormix opens in a Wine desktop window there: choose
# オルミクス(S) > Internet Explorerの選択(S)... to start watching a browser. Without one, it
# runs on a virtual display, watches both browsers, saves a screenshot and says where it is.
# Usage: scripts/run.sh [BUILD_DIR]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
"$ROOT/scripts/setup.sh" "$BUILD"
BUILD=$(cd "$BUILD" && pwd)
if [ -z "${DISPLAY:-}" ] && ! command -v import >/dev/null; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get install -y -qq --no-install-recommends imagemagick >/dev/null
fi
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target ormix ormix-sim ormix-demo-driver

# The demonstration scenario with a long tail, so the log keeps growing for half an hour.
SCENARIO="$BUILD/demo-scenario.txt"
cp "$ROOT/scripts/demo-scenario.txt" "$SCENARIO"
for i in $(seq 1 360); do
  printf 'sleep 2500\nstatus b1 "読み込み中... %d"\nprogress b1 %d 360\nstatus b1 "完了"\n' "$i" "$i"
  [ $((i % 20)) -eq 0 ] && printf 'title b1 "Ormix デモ: %d 回目の更新"\n' "$i"
  [ $((i % 12)) -eq 6 ] && printf 'navigate b3 http://www.example.com/frames/news%d.html title="Frames: ニュース %d"\n' "$i" "$i"
  [ $((i % 12)) -eq 0 ] && printf 'navigate h1 http://help.example.com/topic%d.html title="トピック %d"\n' "$i" "$i"
done >> "$SCENARIO"
# A host program in a process of its own, beside the browsers.
HOST_SCENARIO="$BUILD/demo-host-scenario.txt"
cp "$ROOT/scripts/demo-host-scenario.txt" "$HOST_SCENARIO"
for i in $(seq 1 120); do
  printf 'sleep 7500\nnavigate setup http://setup.example.com/step%d.html title="手順 %d"\nstatus setup "完了"\n' "$i" "$i"
done >> "$HOST_SCENARIO"
winpath() { echo "Z:${1//\//\\}"; }

export WINEPREFIX="$BUILD/wineprefix"
run_demo() {
  local wine="$BUILD/wine-run.sh"
  local desktop=/desktop=Ormix,1024x768
  "$wine" explorer "$desktop" "$BUILD/sim/ormix-sim.exe" --scenario "$(winpath "$SCENARIO")" &
  local sim=$!
  "$wine" explorer "$desktop" "$BUILD/sim/ormix-sim-host.exe" --host-only --scenario "$(winpath "$HOST_SCENARIO")" &
  sleep 3
  if [ "${1:-}" = "screenshot" ]; then
    "$wine" explorer "$desktop" "$BUILD/app/ormix.exe" &
    "$wine" "$BUILD/tests/ormix-demo-driver.exe" Ormix Example Frames || true
    sleep 6
    import -window root "$BUILD/ormix-screenshot.png"
    echo "Ormix ran on a virtual display; screenshot: $BUILD/ormix-screenshot.png"
    wineserver -k || true
  else
    "$wine" explorer "$desktop" "$BUILD/app/ormix.exe"
    wineserver -k || true
  fi
  wait "$sim" 2>/dev/null || true
}

if [ -n "${DISPLAY:-}" ]; then
  run_demo "${ORMIX_DEMO_MODE:-}"
else
  ORMIX_DEMO_MODE=screenshot xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$BUILD"
fi
