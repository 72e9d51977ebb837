#!/usr/bin/env bash
# aviso_wine.sh NOTERA_DADOS AVISO_EXE PREFIX DIR: the posting notice of a fixed transfer
# printed by the Windows build under Wine, through its print dialog, on the PostScript printer
# into DIR/aviso2.ps (two copies) and DIR/aviso1.ps (one); then read back here (ps2pdf,
# pdftotext, pdftoppm) for the texts of each copy, where the title lies on the paper and the
# logo's colours. Exit 77 (skipped) when Wine or the Windows build is missing.
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
NOTERA_AVISO_TABELAS="Z:$dir/d/Tabelas" NOTERA_AVISO_DIR="Z:$dir" \
  bash "$aqui/wine_teste.sh" "$exe" "$prefixo"
rc=$?
[ $rc -eq 77 ] && exit 77
[ $rc -eq 0 ] || { echo "the notice was not printed under Wine (exit $rc)"; exit 1; }

falhas=0
for vias in 2 1; do
  base="$dir/aviso$vias"
  ps2pdf -sPAPERSIZE=a4 "$base.ps" "$base.pdf" || { echo "ps2pdf $base.ps failed"; exit 1; }
  pdftotext -layout "$base.pdf" "$base.txt" || { echo "pdftotext failed"; exit 1; }
  pdftotext -bbox "$base.pdf" "$base.html" || exit 1
  # The font's one hyphen glyph reads back as U+00AD through the PDF's WinAnsi encoding.
  sed -i 's/\xC2\xAD/-/g' "$base.txt"
done

# Each text once a copy.
exige() {
  local n
  n=$(grep -c -E -- "$1" "$txt")
  if [ "$n" -ne "$vias" ]; then
    echo "$txt: expected $vias times, found $n: $1"
    falhas=1
  fi
}
for vias in 2 1; do
  txt="$dir/aviso$vias.txt"
  exige 'AVISO DE LANÇAMENTO'
  exige 'Número: +42( |$)'
  exige 'DESTINO COMERCIO LTDA'
  exige 'RUA DAS FLORES 100 FONE: 11 5555-0001 FAX: 11 5555-0002'
  exige 'CEP: 01000-000 SAO PAULO - SP'
  exige 'ORIGEM INDUSTRIA SA'
  exige 'Levamos a seu conhecimento o lançamento abaixo descrito a crédito de sua conta\.'
  exige 'REF\. PAGAMENTOS: PAG 2024/03 - TRANSFERENCIA MENSAL'
  exige '\(UM MIL E QUINHENTOS REAIS\)'
  exige 'VALOR'
  exige '(^| )1\.500,00( |$)'
  exige '15/03/2024'
  exige 'Feito Por +Conferido Por +Assinatura +Data'
  paginas=$(grep -c '<page ' "$dir/aviso$vias.html")
  [ "$paginas" -eq 1 ] || { echo "aviso$vias: expected one page, found $paginas"; falhas=1; }
done

# One copy: nothing on the lower half (the second copy's region starts 6.35 + 106.892 mm down).
awk '/<word / {
    match($0, /yMax="[0-9.]+"/); y = substr($0, RSTART + 6, RLENGTH - 7) * 25.4 / 72
    if (y > 6.35 + 106.892) { print "aviso1: a word on the lower half: " $0; achou = 1 }
  }
  END { exit achou }' "$dir/aviso1.html" || falhas=1

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
  }' "$dir/aviso2.html" || falhas=1

# The logo stretched over its box (3.810, 4.233, 23.918 x 13.123): red on its left quarter,
# blue on its right one, in both copies. One pixel of the page at 10 pixels a millimetre.
pixel() {
  pdftoppm -r 254 -x "$1" -y "$2" -W 1 -H 1 "$dir/aviso2.pdf" | tail -c 3 | od -An -tu1 | tr -s ' '
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
  echo "--- text of the printed notice (two copies):"
  cat "$dir/aviso2.txt"
  exit 1
fi
echo "each copy of the notice holds the title, the number, the amount and its words, in place"
