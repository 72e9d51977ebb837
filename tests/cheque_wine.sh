#!/usr/bin/env bash
# cheque_wine.sh TEST WINDOWS_DIR PREFIX: runs the Wine test of Cheque.dll, or says why not.
set -u
teste=${1:-} pasta=${2:-} prefixo=${3:-}
if [ -z "$teste" ] || [ ! -f "$pasta/Cheque.dll" ]; then
  echo "SKIPPED: Cheque.dll not built (i686-w64-mingw32-g++ not installed)"
  exit 77
fi
if [ ! -f "$pasta/chequeteste.exe" ]; then
  echo "SKIPPED: chequeteste.exe not built in $pasta"
  exit 77
fi
programa=$pasta/Cheque.dll
. "$(dirname "$0")/wine_prefixo.sh"
CHEQUE_WINE=$WINE exec "$teste"
