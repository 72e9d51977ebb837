#!/usr/bin/env bash
# wine_teste.sh PROGRAM.exe PREFIX [ARGS...]: runs one program of the Windows build (windows/)
# under Wine with no display, or says why not (exit 77).
set -u
programa=${1:-} prefixo=${2:-}
if [ -z "$programa" ] || [ ! -f "$programa" ]; then
  echo "SKIPPED: the Windows build is missing ${programa:-(no program given)}" \
    "(i686-w64-mingw32-g++-posix not installed?)"
  exit 77
fi
. "$(dirname "$0")/wine_prefixo.sh"
# No test server under Wine: a Windows libpq cannot reach the Linux one's Unix socket.
unset NOTERA_PG_TESTE
exec "$WINE" "$programa" "${@:3}"
