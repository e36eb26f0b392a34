#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the fleet test and the demo need, when any is missing.
# Idempotent and quick when everything is there: it asks dpkg before it asks apt.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev
  libjpeg62-turbo-dev libsqlite3-dev sqlite3
  libgtest-dev libgmock-dev
  xvfb xauth x11-utils imagemagick openbox binutils-mingw-w64-i686
  fonts-liberation fonts-dejavu-core
  util-linux scdoc xdotool strace faketime python3
  openssh-server openssh-client ansible-core iproute2
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64
)
# Building and checking the Debian packages (make package, make package-check).
if [[ "${WITH_PACKAGING:-0}" == 1 ]]; then
  packages+=(dpkg-dev file lintian desktop-file-utils)
fi
# Optional extras for benchmarks and fuzzing; only installed when asked for.
if [[ "${WITH_EXTRAS:-0}" == 1 ]]; then
  packages+=(libbenchmark-dev clang-14 libclang-rt-14-dev icoutils time rsync)
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
SUDO=""
[[ $(id -u) -eq 0 ]] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
