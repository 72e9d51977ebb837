#!/usr/bin/env bash
# formulario_win32.sh NOTERA-DADOS PROGRAM.exe PREFIX WORKDIR: the Win32 form's test under Wine
# on a fresh demo data tree (WORKDIR/dados, seen by Wine as Z:...). Exit 77 when Wine or the
# Windows build is missing.
set -u
dados=${1:-} programa=${2:-} prefixo=${3:-} trabalho=${4:-}
if [ -z "$programa" ] || [ ! -f "$programa" ]; then
  echo "SKIPPED: the Windows build is missing ${programa:-(no program given)}"
  exit 77
fi
[ -x "$dados" ] || { echo "notera-dados missing: $dados"; exit 1; }
rm -rf "$trabalho/dados"
mkdir -p "$trabalho"
"$dados" demo "$trabalho/dados" >/dev/null || { echo "notera-dados demo failed"; exit 1; }
export NOTERA_DADOS_WIN="Z:$trabalho/dados/"
exec bash "$(dirname "$0")/wine_teste.sh" "$programa" "$prefixo" "${@:5}"
