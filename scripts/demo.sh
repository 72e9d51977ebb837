#!/usr/bin/env bash
# The main job on the embedded demo data: a transfer of funds between two companies of the
# group, its posting notice and one cheque. With a display the form opens for the user;
# without one a scripted clerk enters a transfer paid with two cheques.
set -euo pipefail
build=${1:-build}
top=$(cd "$(dirname "$0")/.." && pwd)
bin="$top/$build/bin"
out="$top/demo-out"
rm -rf "$out"
mkdir -p "$out/tmp" "$out/run"
chmod 700 "$out/run"
export XDG_CONFIG_HOME="$out/config" XDG_RUNTIME_DIR="$out/run"
silencia() { grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR >&2 || true; }

"$bin/notera-dados" demo "$out/dados" 2> >(silencia)
dados="$out/dados/"
o="$dados/Tabelas/002/tabelas.sqlite"; d="$dados/Tabelas/001/tabelas.sqlite"
conta() { sqlite3 "$1" "select count(*) from $2"; }
declare -A antes
for t in TbLanPag TbChqPag TbLct TbTot; do antes[o$t]=$(conta "$o" $t); done
for t in TbLanRec TbLct TbTot TbCal; do antes[d$t]=$(conta "$d" $t); done
interativo=""
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -t 0 ] && [ -z "${CI:-}" ]; then
  interativo=1
else
  export QT_QPA_PLATFORM=offscreen
fi

# --- the transfer: company 2 pays company 1 -------------------------------------------
sed "s|AVISO|$out/aviso.pdf|" "$top/scripts/demo-transferencia.roteiro" >"$out/transferencia.script"

args=(transferencia --dados "$dados" --empresa 1 --contabil --valor 1500.00
      --ref "NF 1001 E NF 1002" --controle "DEMO")
if [ -n "$interativo" ]; then
  echo "O formulário \"Transferência de Recursos\" está aberto: a empresa 1 recebe 1.500,00."
  "$bin/notera-host" "${args[@]}" 2> >(silencia) && resultado=0 || resultado=$?
else
  "$bin/notera-host" "${args[@]}" --script "$out/transferencia.script" --log "$out/transferencia.log" \
    2> >(silencia) && resultado=0 || resultado=$?
fi
case $resultado in
  0) echo "Transferência lançada." ;;
  1) echo "Nenhuma transferência lançada." ;;
  *) echo "O roteiro falhou (saída $resultado); veja $out/transferencia.log"; exit 1 ;;
esac

# --- one cheque through the cheque library -----------------------------------------------
cat > "$out/cheque.script" <<'SCRIPT'
# Yes to the back, Yes to the copy
answer Sim
answer Sim
SCRIPT
printf 'Pague-se a Bom Sabor Alimentos Ltda\r\nsomente por compensacao\r\n' > "$out/verso.txt"
chargs=(cheque --porta "$out/porta-cheque.prn" --valor 1000.00 --banco 1
        --nome-banco "Banco do Brasil" --numero 850301 --data "$(date +%F)"
        --portador "Bom Sabor Alimentos Ltda" --cidade "Campinas" --copia
        --verso-arquivo "$out/verso.txt" --empresa "Transportadora Rio Claro S.A.")
[ -n "$interativo" ] || chargs+=(--script "$out/cheque.script" --log "$out/cheque.log")
arquivo=$(TMPDIR="$out/tmp" "$bin/notera-host" "${chargs[@]}" 2> >(silencia))
for _ in $(seq 50); do   # the spooler sends in the background
  grep -q 'COPIA DE CHEQUE' "$out/porta-cheque.prn" 2>/dev/null && break
  sleep 0.1
done

# --- summary ------------------------------------------------------------------------------
novos() { echo $(( $(conta "$1" $2) - antes[$3$2] )); }
echo
echo "Registros gravados:"
if [ "$resultado" = 0 ]; then
  echo "  Aviso de Lançamento número $(sqlite3 "$d" "select max(nal_cal) from TbCal")"
  echo "  empresa 002 (origem):  $(novos "$o" TbLanPag o) contas a pagar, $(novos "$o" TbChqPag o) cheques," \
       "$(novos "$o" TbLct o) lançamentos contábeis, $(novos "$o" TbTot o) totais novos"
  echo "  empresa 001 (destino): $(novos "$d" TbLanRec d) contas a receber, $(novos "$d" TbLct d) lançamentos contábeis," \
       "$(novos "$d" TbTot d) totais novos, $(novos "$d" TbCal d) registro de AL"
  echo "  aviso impresso em:     $out/aviso.pdf"
fi
echo "  cheque (frente, verso e cópia) na porta: $out/porta-cheque.prn"
echo "  arquivo de impressão do cheque:          $arquivo"
echo
echo "Cópia do cheque (code page 1252, mostrada em UTF-8):"
iconv -f CP1252 -t UTF-8 "$arquivo" | tr -d '\r' | sed 's/\x1b@//'
