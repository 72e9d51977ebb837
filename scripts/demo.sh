#!/usr/bin/env bash
# The main job on the embedded demo data: prints a sample cheque (front, back and copy)
# through the host to a file port under demo-out/.
set -euo pipefail
build=${1:-build}
top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/demo-out"
mkdir -p "$out/tmp"
rm -f "$out/porta-cheque.prn"

cat > "$out/cheque.script" <<'SCRIPT'
# Yes to the back, Yes to the copy
answer Sim
answer Sim
SCRIPT

printf 'Pague-se a Fornecedora Beta S.A.\r\nsomente por compensacao\r\n' > "$out/verso.txt"

[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
arquivo=$(TMPDIR="$out/tmp" "$top/$build/bin/notera-host" cheque \
  --porta "$out/porta-cheque.prn" --valor 1500.00 --banco 237 --nome-banco "Banco Bradesco" \
  --numero 102345 --data "$(date +%F)" --portador "Fornecedora Beta S.A." --cidade "Recife" \
  --copia --verso-arquivo "$out/verso.txt" --empresa "Comércio Alfa Ltda" \
  --script "$out/cheque.script" --log "$out/cheque.log" 2> >(grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR >&2))

# The spooler sends detached; give it a moment to finish.
for _ in $(seq 50); do
  [ -s "$out/porta-cheque.prn" ] && [ "$(grep -c 'COPIA DE CHEQUE' "$out/porta-cheque.prn")" -ge 1 ] && break
  sleep 0.1
done

echo "Cheque impresso."
echo "  arquivo de impressão (última parte, a cópia): $arquivo"
echo "  arquivo de lote:                              ${arquivo%.TXT}.BAT"
echo "  porta (frente, verso e cópia, em sequência):  $out/porta-cheque.prn"
echo "  registro do robô:                             $out/cheque.log"
echo
echo "Cópia do cheque (code page 1252, mostrada em UTF-8):"
iconv -f CP1252 -t UTF-8 "$arquivo" | tr -d '\r' | sed 's/\x1b@//'
