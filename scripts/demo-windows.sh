#!/usr/bin/env bash
# The main job under Wine, with the Windows build: notera-host.exe loads Notera.dll, a scripted
# clerk enters the demo's transfer (company 2 pays company 1 with two cheques) and the notice is
# printed to a PostScript file on the prefix's file printer. WINDOWS is the folder of the build
# that Wine runs here (build/windows: 32-bit, or 64-bit where the kernel runs only 64-bit Wine).
set -euo pipefail
build=${1:-build}
top=$(cd "$(dirname "$0")/.." && pwd)
windows="$top/$build/windows"
out="$top/demo-out/windows"
for f in notera-host.exe Notera.dll; do
  [ -f "$windows/$f" ] || { echo "demo-windows: $windows/$f is missing: run make build first" >&2; exit 1; }
done
rm -rf "$out"
mkdir -p "$out"
prefixo="$top/$build/wine-prefix" programa="$windows/notera-host.exe"
. "$top/tests/wine_prefixo.sh"

"$top/$build/bin/notera-dados" demo "$out/dados" >/dev/null
o="$out/dados/Tabelas/002/tabelas.sqlite"; d="$out/dados/Tabelas/001/tabelas.sqlite"
conta() { sqlite3 "$1" "select count(*) from $2"; }
antes_pag=$(conta "$o" TbLanPag) antes_rec=$(conta "$d" TbLanRec)
sed "s|AVISO|Z:$out/aviso.ps|" "$top/scripts/demo-transferencia.roteiro" >"$out/transferencia.script"

# Wine sees this machine's root as the drive Z:; the data directory keeps its closing slash.
"$WINE" "$programa" transferencia --dados "Z:$out/dados/" --empresa 1 --contabil --valor 1500.00 \
  --ref "NF 1001 E NF 1002" --controle "DEMO" \
  --script "Z:$out/transferencia.script" --log "Z:$out/transferencia.log" && resultado=0 || resultado=$?
case $resultado in
  0) echo "Transferência lançada (Windows, sob Wine)." ;;
  1) echo "Nenhuma transferência lançada."; exit 1 ;;
  *) echo "O roteiro falhou (saída $resultado); veja $out/transferencia.log"; exit 1 ;;
esac
echo "  Aviso de Lançamento número $(sqlite3 "$d" "select max(nal_cal) from TbCal")"
echo "  empresa 002 (origem):  $(( $(conta "$o" TbLanPag) - antes_pag )) contas a pagar"
echo "  empresa 001 (destino): $(( $(conta "$d" TbLanRec) - antes_rec )) contas a receber"
if command -v ps2pdf >/dev/null && [ -s "$out/aviso.ps" ]; then
  ps2pdf "$out/aviso.ps" "$out/aviso.pdf" && echo "  aviso impresso em:     $out/aviso.ps ($out/aviso.pdf)"
else
  echo "  aviso impresso em:     $out/aviso.ps"
fi
