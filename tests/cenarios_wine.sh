#!/usr/bin/env bash
# cenarios_wine.sh TEST WINDOWS_DIR PREFIX [ARGS...]: runs one of the host's end-to-end tests against
# the Windows host (notera-host.exe with Notera.dll and Cheque.dll beside it) under Wine, or says
# why not (exit 77).
set -u
teste=${1:-} pasta=${2:-} prefixo=${3:-}
for f in notera-host.exe Notera.dll Cheque.dll; do
  if [ -z "$pasta" ] || [ ! -f "$pasta/$f" ]; then
    echo "SKIPPED: the Windows build has no $f${pasta:+ in $pasta}"
    exit 77
  fi
done
programa=$pasta/notera-host.exe
. "$(dirname "$0")/wine_prefixo.sh"
unset NOTERA_PG_TESTE
NOTERA_HOST_EXE=$programa NOTERA_WINE=$WINE exec "$teste" "${@:4}"
