#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev libqt6opengl6-dev
  libgtest-dev googletest libgmock-dev
  libsqlite3-dev sqlite3
  postgresql libpq-dev
  libx11-dev libxtst-dev
  fonts-liberation fonts-dejavu-core
  xvfb xauth x11-xkb-utils
  poppler-utils ghostscript
  clang-format
  pxlib-dev
  clang-14 libfuzzer-14-dev libclang-rt-14-dev
  # The Windows build: posix-thread mingw-w64; apt-get source and dpkg-source (dpkg-dev) and
  # tclsh, which makes the SQLite amalgamation, for scripts/terceiros-windows.sh.
  g++-mingw-w64-i686 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  dpkg-dev tcl bzip2 xz-utils
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine32:i386 wine64
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
# wine32 is a package of the i386 architecture.
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
