# wine_prefixo.sh, sourced with the prefix's path in $prefixo: exits 77 with the reason when Wine
# cannot run here, otherwise exports the Wine environment of the tests (no display, the null
# graphics driver) and makes the prefix on its first use.
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
