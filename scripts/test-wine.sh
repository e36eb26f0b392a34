#!/usr/bin/env bash
# Builds the contract tests with the MinGW-w64 cross compiler and runs them under Wine, headless, in a
# Wine prefix of their own inside the build folder. Fails when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${WINE_BUILD_DIR:-build-wine}
LAUNCHER=()
command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

test -f "$BUILD/build.ninja" ||
  cmake -S tests/contract/wine -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
        "${LAUNCHER[@]}"
cmake --build "$BUILD" --target test_contract

# Debian's wine64 package alone (no launcher package) keeps its programs below /usr/lib/wine.
WINE=$(command -v /usr/lib/wine/wine64 wine64 wine | head -n1)
WINESERVER=$(command -v /usr/lib/wine/wineserver64 wineserver | head -n1)
[[ -n "$WINE" && -n "$WINESERVER" ]] || { echo "wine64 is not installed" >&2; exit 1; }

export WINEPREFIX="$PWD/$BUILD/wineprefix" WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko installer dialogs, and no display for any window to open on.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"
"$WINESERVER" -p
trap '"$WINESERVER" -k 2>/dev/null || true' EXIT
[[ -f "$WINEPREFIX/system.reg" ]] || "$WINE" wineboot -i >/dev/null 2>&1
cd "$BUILD"
"$WINE" ./test_contract.exe
