#!/usr/bin/env bash
# cheque_wine.sh TEST WINDOWS_DIR PREFIX: runs the Wine test of Cheque.dll, or says why not.
set -u
teste=${1:-} pasta=${2:-} prefixo=${3:-}
if [ -z "$teste" ] || [ ! -f "$pasta/Cheque.dll" ]; then
  echo "SKIPPED: Cheque.dll not built (i686-w64-mingw32-g++ not installed)"
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
# The first start makes the prefix (tens of seconds). Windows without a display: the null
# graphics driver, so message boxes open and are answered by the test host's hook.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || { echo "wineboot failed"; exit 1; }
  wineserver -w
fi
# The desktop keeps the driver it started with: let the server and its desktop end after the
# change, so the test's run starts them anew.
if ! grep -q '"Graphics"="null"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 ||
    { echo "wine reg add failed"; exit 1; }
  wineserver -w
fi
CHEQUE_WINE=$(command -v wine) exec "$teste"
