#!/usr/bin/env bash
# host_wine.sh TEST WINDOWS_DIR PREFIX [GTEST ARGS...]: runs the Wine test of notera-host.exe,
# or says why not (exit 77).
set -u
teste=${1:-} pasta=${2:-} prefixo=${3:-}
if [ -z "$teste" ] || [ ! -f "$pasta/notera-host.exe" ]; then
  echo "SKIPPED: notera-host.exe not built (mingw-w64 not installed?)"
  exit 77
fi
programa=$pasta/notera-host.exe
. "$(dirname "$0")/wine_prefixo.sh"
HOST_WINE=$WINE exec "$teste" "${@:4}"
