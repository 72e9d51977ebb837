# wine_prefixo.sh, sourced with the prefix's path in $prefixo and, optionally, the program to
# run in $programa: exits 77 with the reason when Wine cannot run it here, otherwise exports the
# Wine environment of the tests (no display, the null graphics driver), sets $WINE to the loader
# for the program's architecture and makes the prefix on its first use. A 64-bit program runs in
# a 64-bit prefix beside the 32-bit one ("${prefixo}64"): a prefix keeps the architecture it was
# made with.
if ! command -v wine >/dev/null 2>&1; then
  echo "SKIPPED: wine not installed"
  exit 77
fi
# The PE header's machine field: 014c for i386, 8664 for x86-64.
maquina_pe() {
  local pe
  pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
  [ -n "$pe" ] && od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' '
}
arq=i386
if [ -n "${programa:-}" ] && [ "$(maquina_pe "$programa")" = 8664 ]; then
  arq=x86_64
fi
if [ $arq = x86_64 ]; then
  WINE=/usr/lib/wine/wine64
  [ -x "$WINE" ] || { echo "SKIPPED: 64-bit Wine not installed (package wine64)"; exit 77; }
  prefixo=${prefixo}64
  export WINEARCH=win64
else
  WINE=wine
  # Some kernels are built without 32-bit support: the loader itself cannot start there.
  if ! saida=$(wine --version 2>&1); then
    if printf '%s' "$saida" | grep -q 'Exec format error'; then
      echo "SKIPPED: this kernel cannot run 32-bit programs ($saida)"
      exit 77
    fi
    echo "wine --version failed: $saida"
    exit 1
  fi
  export WINEARCH=win32
fi
export WINEPREFIX="$prefixo" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# The first start makes the prefix (tens of seconds). Windows without a display: the null
# graphics driver, so message boxes open and are answered by the test host's hook.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating Wine prefix $WINEPREFIX"
  "$WINE" wineboot.exe -i >/dev/null 2>&1 || { echo "wineboot failed"; exit 1; }
  wineserver -w
fi
# The desktop keeps the driver it started with: let the server and its desktop end after the
# change, so the test's run starts them anew.
if ! grep -q '"Graphics"="null"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  "$WINE" reg.exe add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 ||
    { echo "wine reg add failed"; exit 1; }
  wineserver -w
fi
