#!/usr/bin/env bash
# cheque_wine.sh TEST WINDOWS_DIR PREFIX: runs the Wine test of Cheque.dll, or says why not.
set -u
teste=${1:-} pasta=${2:-} prefixo=${3:-}
if [ -z "$teste" ] || [ ! -f "$pasta/Cheque.dll" ]; then
  echo "SKIPPED: Cheque.dll not built (i686-w64-mingw32-g++ not installed)"
  exit 77
fi
# The test host measures the 32-bit calling convention: there is none in a 64-bit tree.
if [ ! -f "$pasta/chequeteste.exe" ]; then
  echo "SKIPPED: chequeteste.exe is built by the 32-bit Windows tree only"
  exit 77
fi
programa=$pasta/Cheque.dll
. "$(dirname "$0")/wine_prefixo.sh"
CHEQUE_WINE=$WINE exec "$teste"
