#!/usr/bin/env bash
# aviso_wine.sh NOTERA_DADOS AVISO_EXE PREFIX DIR: the posting notice of a fixed transfer
# printed by the Windows build under Wine, through its print dialog, on the PostScript printer
# into DIR/aviso.ps; then read back here (ps2pdf, pdftotext) for the texts of both copies and
# where the title lies on the paper. Exit 77 (skipped) when Wine or the Windows build is
# missing.
set -u
dados=${1:-} exe=${2:-} prefixo=${3:-} dir=${4:-}
aqui=$(cd "$(dirname "$0")" && pwd)
if [ -z "$dir" ]; then
  echo "usage: aviso_wine.sh NOTERA_DADOS AVISO_EXE PREFIX DIR"
  exit 2
fi
if [ -z "$exe" ] || [ ! -f "$exe" ]; then
  echo "SKIPPED: the Windows build is missing ${exe:-aviso_gdi_test.exe}"
  exit 77
fi
for ferramenta in ps2pdf pdftotext sqlite3; do
  command -v $ferramenta >/dev/null || { echo "$ferramenta missing (scripts/install-deps.sh)"; exit 1; }
done
rm -rf "$dir" && mkdir -p "$dir" || exit 1
"$dados" criar "$dir/d" 1 2 3 >/dev/null 2>&1 || { echo "notera-dados criar failed"; exit 1; }
# The destination (1) with a logo (PNG, 2 x 1: red, blue), the origin (2), a third company.
logo=89504e470d0a1a0a0000000d49484452000000020000000108020000007b40e8dd0000000d49444154789c63f8cf0004ff01070001ffe2239e590000000049454e44ae426082
sqlite3 "$dir/d/Tabelas/tabelas.sqlite" "INSERT INTO TbEmp (cod_emp, nom_emp, end_emp, nro_emp,
  fon_emp, fax_emp, cep_emp, cid_emp, uf_emp, imag_emp) VALUES
  (1, 'DESTINO COMERCIO LTDA', 'RUA DAS FLORES', '100', '11 5555-0001', '11 5555-0002',
   '01000-000', 'SAO PAULO', 'SP', X'$logo'),
  (2, 'ORIGEM INDUSTRIA SA', 'AV. BRASIL', '2000', '21 4444-0000', '', '20000-000',
   'RIO DE JANEIRO', 'RJ', NULL),
  (3, 'SEM LOGO LTDA', 'RUA B', '3', '', '', '30000-000', 'BELO HORIZONTE', 'MG', NULL)" ||
  { echo "the register could not be filled"; exit 1; }

# Wine maps the drive Z: to the root of the Unix file system.
NOTERA_AVISO_TABELAS="Z:$dir/d/Tabelas" NOTERA_AVISO_SAIDA="Z:$dir/aviso.ps" \
  bash "$aqui/wine_teste.sh" "$exe" "$prefixo"
rc=$?
[ $rc -eq 77 ] && exit 77
[ $rc -eq 0 ] || { echo "the notice was not printed under Wine (exit $rc)"; exit 1; }

ps2pdf -sPAPERSIZE=a4 "$dir/aviso.ps" "$dir/aviso.pdf" || { echo "ps2pdf failed"; exit 1; }
pdftotext -layout "$dir/aviso.pdf" "$dir/aviso.txt" || { echo "pdftotext failed"; exit 1; }
pdftotext -bbox "$dir/aviso.pdf" "$dir/aviso.html" || exit 1
# The font's one hyphen glyph reads back as U+00AD through the PDF's WinAnsi encoding.
sed -i 's/\xC2\xAD/-/g' "$dir/aviso.txt"

falhas=0
# Each text twice: the upper and the lower copy.
exige() {
  local n
  n=$(grep -c -E -- "$1" "$dir/aviso.txt")
  if [ "$n" -ne 2 ]; then
    echo "expected twice, found $n times: $1"
    falhas=1
  fi
}
exige 'AVISO DE LANÇAMENTO'
exige 'Número: +42( |$)'
exige 'DESTINO COMERCIO LTDA'
exige 'ORIGEM INDUSTRIA SA'
exige 'REF\. PAGAMENTOS: PAG 2024/03 - TRANSFERENCIA MENSAL'
exige '\(UM MIL E QUINHENTOS REAIS\)'
exige 'VALOR'
exige '(^| )1\.500,00( |$)'
exige '15/03/2024'
exige 'Feito Por +Conferido Por +Assinatura'

paginas=$(grep -c '<page ' "$dir/aviso.html")
[ "$paginas" -eq 1 ] || { echo "expected one page, found $paginas"; falhas=1; }

# The title in millimetres from the paper's corner: centred in its box (6.35 + 33.443,
# 127.424 wide), its line's top at 6.35 + 8.890; the lower copy 0.635 right and 106.680 below.
awk '
  function mm(campo,   v) {
    match($0, campo "=\"[0-9.]+\""); v = substr($0, RSTART + length(campo) + 2)
    return (v + 0) * 25.4 / 72
  }
  BEGIN { n = 0; m = 0 }
  /<word / && />AVISO</ { x0[n] = mm("xMin"); y0[n] = mm("yMin"); n++ }
  /<word / && />LANÇAMENTO</ { x1[m++] = mm("xMax") }
  END {
    if (n != 2 || m != 2) { print "the title was found " n " and " m " times in the boxes"; exit 1 }
    for (i = 0; i < 2; i++)
      printf "title from %.2f to %.2f mm, top %.2f mm\n", x0[i], x1[i], y0[i]
    centro = 6.35 + 33.443 + 127.424 / 2
    if ((x0[0] + x1[0]) / 2 < centro - 0.3 || (x0[0] + x1[0]) / 2 > centro + 0.3) {
      print "title not centred on " centro " mm"; exit 1
    }
    # The glyphs start a little below the top of their line.
    if (y0[0] < 6.35 + 8.890 - 0.3 || y0[0] > 6.35 + 8.890 + 1.2) { print "title top off"; exit 1 }
    if (x0[1] - x0[0] < 0.435 || x0[1] - x0[0] > 0.835) { print "copy x shift off"; exit 1 }
    if (y0[1] - y0[0] < 106.48 || y0[1] - y0[0] > 106.88) { print "copy y shift off"; exit 1 }
  }' "$dir/aviso.html" || falhas=1

# The logo stretched over its box (3.810, 4.233, 23.918 x 13.123): red on its left quarter,
# blue on its right one, in both copies. One pixel of the page at 10 pixels a millimetre.
pixel() {
  pdftoppm -r 254 -x "$1" -y "$2" -W 1 -H 1 "$dir/aviso.pdf" | tail -c 3 | od -An -tu1 | tr -s ' '
}
confere_cor() {
  local viu
  viu=$(pixel "$1" "$2")
  read -r r g b <<<"$viu"
  if ! [ "$r" -$3 128 ] || ! [ "$b" -$4 128 ] || [ "$g" -gt 100 ]; then
    echo "logo pixel at $1,$2 is $viu"
    falhas=1
  fi
}
for via in 0 1; do
  dx=$((via * 6)) dy=$((via * 1067))
  confere_cor $((161 + dx)) $((171 + dy)) gt lt # red
  confere_cor $((281 + dx)) $((171 + dy)) lt gt # blue
done

if [ $falhas -ne 0 ]; then
  echo "--- text of the printed notice:"
  cat "$dir/aviso.txt"
  exit 1
fi
echo "both copies of the notice hold the title, the number, the amount and its words"
