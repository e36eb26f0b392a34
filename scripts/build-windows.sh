#!/usr/bin/env bash
# Compiles and links, without running, what builds for Windows without Qt: the platform layer's
# Windows backend and the contract tests, for 64-bit and 32-bit Windows.
set -euo pipefail
cd "$(dirname "$0")/.."
LAUNCHER=()
command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
for arch in x86_64 i686; do
  build=build-windows-$arch
  # The 64-bit build is the one make test-wine runs: built once, in its folder.
  [[ $arch == x86_64 ]] && build=${WINE_BUILD_DIR:-build-wine}
  test -f "$build/build.ninja" ||
    cmake -S tests/contract/wine -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-$arch.cmake" \
          "${LAUNCHER[@]}"
  cmake --build "$build"
done
