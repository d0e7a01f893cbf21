#!/usr/bin/env bash
# Runs the benchmarks of a build tree under its Wine prefix and prints every figure as one
# table (Markdown), ready for bench/README.md. Arguments go to sim_bench
# (--events N, --rows N, --starts N, --skip-events, --skip-growth, --skip-export,
# --skip-discovery (also the selection dialog), --skip-startup, --skip-hangs,
# --skip-embedded, --skip-frames, --skip-end-to-end, --skip-flicker, --skip-journal,
# --skip-receiving, --skip-ten-browsers, --fill-threads K, --rounds R,
# --compare-startup OTHER_ORMIX_EXE).
# Usage: bench/run.sh [BUILD_DIR] [ARGS...]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
[ $# -gt 0 ] && shift
BUILD=$(cd "$BUILD" && pwd)
echo "Ormix benchmarks, $(date '+%Y-%m-%d %H:%M'), $(nproc) cores, $(wine64 --version 2>/dev/null || wine --version)"
echo
# Line by line, so a run that is stopped midway keeps the figures it printed.
"$BUILD/wine-run.sh" "$BUILD/bench/sim_bench.exe" "$@" | stdbuf -oL tr -d '\r'
WINEPREFIX="$BUILD/wineprefix" wineserver -w
