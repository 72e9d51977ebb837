#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests: `pg-teste.sh start DIR` makes a cluster in
# DIR (initdb, Unix socket in DIR/sock, no TCP) and writes its URI to DIR/uri;
# `pg-teste.sh stop DIR` stops it and removes DIR; `pg-teste.sh reinicia DIR` restarts it; `pg-teste.sh base DIR NAME [MODEL]` makes
# database NAME on it (a copy of database MODEL when given), `pg-teste.sh apaga DIR NAME`
# drops it. The server never runs as root: as root it
# runs as the postgres user of Debian's package.
# PG_TESTE_FSYNC=on keeps the server durable (for benchmarks); the tests run without.
# PG_TESTE_PORTA=N also listens on 127.0.0.1:N (a Windows libpq under Wine cannot use the
# Unix socket) and writes that URI to DIR/uri-tcp.
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

# The port the cluster in $dir listens on (its socket's name carries it).
porta() {
  local s
  s=$(ls -A "$dir/sock" 2>/dev/null | sed -n 's/^\.s\.PGSQL\.\([0-9]*\)$/\1/p' | head -n 1)
  echo "${s:-5432}"
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
      -o "-c listen_addresses='${PG_TESTE_PORTA:+127.0.0.1}' ${PG_TESTE_PORTA:+-p $PG_TESTE_PORTA} -k $dir/sock -c fsync=${PG_TESTE_FSYNC:-off} -c max_connections=200" start \
      >/dev/null; then
    echo "pg-teste: o servidor não subiu:" >&2; cat "$dir/server.log" >&2; exit 1
  fi
  echo "postgresql:///postgres?host=$dir/sock&user=notera${PG_TESTE_PORTA:+&port=$PG_TESTE_PORTA}" >"$dir/uri"
  if [ -n "${PG_TESTE_PORTA:-}" ]; then
    echo "postgresql://notera@127.0.0.1:$PG_TESTE_PORTA/postgres" >"$dir/uri-tcp"
  fi
  echo "pg-teste: servidor de testes em $dir/sock"
  ;;
base)
  nome=${3:?nome do banco}
  "$bin/createdb" -h "$dir/sock" -p "$(porta)" -U notera ${4:+-T "$4"} "$nome"
  ;;
apaga)
  nome=${3:?nome do banco}
  "$bin/dropdb" -h "$dir/sock" -p "$(porta)" -U notera --force "$nome"
  ;;
reinicia)
  # As a server restarted under the workstations: every session ends.
  como "$bin/pg_ctl" -D "$dir/data" -m fast -w -t 60 restart >/dev/null
  ;;
stop)
  if [ -n "$bin" ]; then para; fi
  rm -rf "$dir"
  ;;
*)
  echo "uso: pg-teste.sh start|stop|reinicia DIR | base DIR NOME [MODELO] | apaga DIR NOME" >&2
  exit 2
  ;;
esac
