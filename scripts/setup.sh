#!/usr/bin/env bash
# Prepares this machine and a build tree for building Ormix and running it under Wine.
# Installs the Debian packages that are missing, generates the Japanese locale inside
# the build tree and creates the build tree's own Wine prefix (never ~/.wine).
# Idempotent: a second run with everything in place takes well under a second.
# Usage: scripts/setup.sh [BUILD_DIR]
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
mkdir -p "$BUILD"
BUILD=$(cd "$BUILD" && pwd)

PACKAGES=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
          binutils-mingw-w64-x86-64 wine64 wine xvfb xauth locales
          fonts-ipafont-gothic fonts-wine cmake googletest nlohmann-json3-dev)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Japanese locale for the host side of Wine, kept in the build tree.
if [ ! -e "$BUILD/locale/ja_JP.UTF-8/LC_CTYPE" ]; then
  mkdir -p "$BUILD/locale"
  localedef -i ja_JP -f UTF-8 "$BUILD/locale/ja_JP.UTF-8" 2>/dev/null || true
fi

PREFIX="$BUILD/wineprefix"
if [ ! -e "$PREFIX/.ormix-ready-2" ]; then
  echo "setup: creating Wine prefix $PREFIX"
  rm -rf "$PREFIX"
  run_x() {
    local env=(env WINEPREFIX="$PREFIX" WINEARCH=win64 WINEDEBUG=-all
               WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
               LOCPATH="$BUILD/locale" LC_ALL=ja_JP.UTF-8)
    if [ -n "${DISPLAY:-}" ]; then "${env[@]}" "$@"; else xvfb-run -a "${env[@]}" "$@"; fi
  }
  run_x wineboot -i >/dev/null 2>&1
  # regedit reads a REGEDIT4 file in the ANSI code page, so the file is stored as CP932.
  # Top-level windows are not left to a window manager: there is none on the virtual
  # display, and Wine waits two seconds for one whenever a managed window is hidden or
  # destroyed (most of a window test's time). A Wine desktop window is unaffected.
  iconv -f UTF-8 -t CP932 > "$BUILD/fonts.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"MS UI Gothic"="IPAPGothic"
"MS Shell Dlg"="IPAPGothic"
"MS Shell Dlg 2"="IPAPGothic"
"Tahoma"="IPAPGothic"
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
REG
  run_x wine regedit /S "Z:${BUILD//\//\\}\\fonts.reg" >/dev/null 2>&1
  WINEPREFIX="$PREFIX" wineserver -w
  touch "$PREFIX/.ormix-ready-2"
fi

# Wine draws the caption buttons with its Marlett font, and under the Japanese locale finds it
# only in the prefix's own font folder: without it they read "0 1 r". The fonts come with
# Debian's fonts-wine; a copy is made once per prefix.
MARLETT=/usr/share/wine/fonts/marlett.ttf
if [ -e "$MARLETT" ] && [ ! -e "$PREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
  cp "$MARLETT" "$PREFIX/drive_c/windows/Fonts/"
fi
