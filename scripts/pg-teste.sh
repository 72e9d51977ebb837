#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests: `pg-teste.sh start DIR` makes a cluster in
# DIR (initdb, Unix socket in DIR/sock, no TCP) and writes its URI to DIR/uri;
# `pg-teste.sh stop DIR` stops it and removes DIR; `pg-teste.sh base DIR NAME [MODEL]` makes
# database NAME on it (a copy of database MODEL when given), `pg-teste.sh apaga DIR NAME`
# drops it. The server never runs as root: as root it
# runs as the postgres user of Debian's package.
# PG_TESTE_FSYNC=on keeps the server durable (for benchmarks); the tests run without.
set -euo pipefail

acao=${1:?start ou stop}
dir=${2:?diretório}
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)

como() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

para() {
  if [ -f "$dir/data/postmaster.pid" ]; then
    como "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
}

case "$acao" in
start)
  if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
    echo "pg-teste: PostgreSQL não está instalado (initdb não encontrado em /usr/lib/postgresql/*/bin)" >&2
    exit 1
  fi
  if [ "$(id -u)" -eq 0 ] && ! id postgres >/dev/null 2>&1; then
    echo "pg-teste: o usuário postgres não existe" >&2
    exit 1
  fi
  para
  rm -rf "$dir"
  mkdir -p "$dir/sock"
  [ "$(id -u)" -eq 0 ] && chown -R postgres "$dir"
  if ! como "$bin/initdb" -D "$dir/data" -U notera --auth=trust --locale=C -E UTF8 \
      >"$dir/initdb.log" 2>&1; then
    echo "pg-teste: initdb falhou:" >&2; cat "$dir/initdb.log" >&2; exit 1
  fi
  if ! como "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-c listen_addresses='' -k $dir/sock -c fsync=${PG_TESTE_FSYNC:-off} -c max_connections=200" start \
      >/dev/null; then
    echo "pg-teste: o servidor não subiu:" >&2; cat "$dir/server.log" >&2; exit 1
  fi
  echo "postgresql:///postgres?host=$dir/sock&user=notera" >"$dir/uri"
  echo "pg-teste: servidor de testes em $dir/sock"
  ;;
base)
  nome=${3:?nome do banco}
  "$bin/createdb" -h "$dir/sock" -U notera ${4:+-T "$4"} "$nome"
  ;;
apaga)
  nome=${3:?nome do banco}
  "$bin/dropdb" -h "$dir/sock" -U notera --force "$nome"
  ;;
stop)
  if [ -n "$bin" ]; then para; fi
  rm -rf "$dir"
  ;;
*)
  echo "uso: pg-teste.sh start|stop DIR | base DIR NOME [MODELO] | apaga DIR NOME" >&2
  exit 2
  ;;
esac
