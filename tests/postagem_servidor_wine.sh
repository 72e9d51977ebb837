#!/usr/bin/env bash
# postagem_servidor_wine.sh NOTERA_DADOS POSTA POSTA_EXE PREFIX DIR: the fixed transfer posted
# without a form on a throw-away server over TCP, by the Linux build and by the Windows build
# under Wine (its libpq reaches the server on 127.0.0.1), each into its own database holding the
# same demo tree; every table of both databases must then hold the same rows.
# Exit 77 (skipped) when Wine or the Windows build is missing.
set -u
dados=${1:-} linux=${2:-} exe=${3:-} prefixo=${4:-} dir=${5:-}
aqui=$(cd "$(dirname "$0")" && pwd)
if [ -z "$dir" ]; then
  echo "usage: postagem_servidor_wine.sh NOTERA_DADOS POSTA POSTA_EXE PREFIX DIR"
  exit 2
fi
if [ -z "$exe" ] || [ ! -f "$exe" ]; then
  echo "SKIPPED: the Windows build has no posta-sem-tela.exe"
  exit 77
fi
# Wine's prefix first: a skip must not wait for a server.
(programa=$exe; . "$aqui/wine_prefixo.sh") || exit $?

rm -rf "$dir" && mkdir -p "$dir" || exit 1
pg=$dir/pg
porta=$((20000 + $$ % 20000))
PG_TESTE_PORTA=$porta bash "$aqui/../scripts/pg-teste.sh" start "$pg" >/dev/null || exit 1
trap 'bash "$aqui/../scripts/pg-teste.sh" stop "$pg"' EXIT
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
for base in modelo linux windows; do
  bash "$aqui/../scripts/pg-teste.sh" base "$pg" $base || exit 1
  "$dados" demo "$dir/$base" --banco "postgresql://notera@127.0.0.1:$porta/$base" >/dev/null ||
    { echo "notera-dados demo on the server failed"; exit 1; }
done

saida=$("$linux" "$dir/linux")
rc=$?
echo "Linux:   $saida"
[ $rc -eq 0 ] || { echo "the Linux posting failed (exit $rc)"; exit 1; }
saida=$(bash "$aqui/wine_teste.sh" "$exe" "$prefixo" "Z:$dir/windows")
rc=$?
echo "Windows: $saida"
[ $rc -eq 0 ] || { echo "the Windows posting failed (exit $rc)"; exit 1; }

despeja() {
  "$bin/pg_dump" -h "$pg/sock" -p $porta -U notera --data-only --inserts --no-comments "$1" |
    grep -v '^--' | grep -v '^SET \|^SELECT pg_catalog.set_config\|^.restrict \|^.unrestrict '
}
despeja modelo >"$dir/modelo.sql" && despeja linux >"$dir/linux.sql" &&
  despeja windows >"$dir/windows.sql" || { echo "pg_dump failed"; exit 1; }
if ! diff "$dir/linux.sql" "$dir/windows.sql" >"$dir/diferencas.txt"; then
  echo "the two databases differ:"
  head -20 "$dir/diferencas.txt"
  exit 1
fi
# Equal because neither wrote anything would prove nothing.
if cmp -s "$dir/modelo.sql" "$dir/linux.sql"; then
  echo "the posting changed no row"
  exit 1
fi
echo "every row of both databases is the same ($(grep -c '^INSERT' "$dir/linux.sql") rows," \
  "$(($(grep -c '^INSERT' "$dir/linux.sql") - $(grep -c '^INSERT' "$dir/modelo.sql"))) new)"
