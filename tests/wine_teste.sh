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
if ! command -v wine >/dev/null 2>&1; then
  echo "SKIPPED: wine not installed"
  exit 77
fi
# Some kernels are built without 32-bit support: the loader itself cannot start there.
if ! saida=$(wine --version 2>&1); then
  if printf '%s' "$saida" | grep -q 'Exec format error'; then
    echo "SKIPPED: this kernel cannot run 32-bit programs ($saida)"
    exit 77
  fi
  echo "wine --version failed: $saida"
  exit 1
fi
export WINEPREFIX="$prefixo" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# The first start makes the prefix (tens of seconds); the null graphics driver, as the
# Cheque.dll case sets it, since the cases share the prefix.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || { echo "wineboot failed"; exit 1; }
  wineserver -w
fi
if ! grep -q '"Graphics"="null"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 ||
    { echo "wine reg add failed"; exit 1; }
  wineserver -w
fi
# No test server under Wine: a Windows libpq cannot reach the Linux one's Unix socket.
unset NOTERA_PG_TESTE
exec wine "$programa" "${@:3}"
