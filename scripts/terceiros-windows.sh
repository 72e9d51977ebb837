#!/usr/bin/env bash
# terceiros-windows.sh DIR [i686|x86_64]: SQLite and libpq for Windows (i686 by default: the
# group's 32-bit host; x86_64 where only 64-bit Wine runs the tests), mingw-w64 posix threads,
# cross-built from Debian's source packages at pinned versions, into DIR/include and
# DIR/lib. Each step leaves a stamp, so a second run does nothing. The sources come through
# apt-get source with a private source list derived from the machine's own (nothing under
# /etc changes); apt checks them against the archive's signed indexes.
set -euo pipefail

SQLITE_VERSAO=3.40.1-2+deb12u2
PG_VERSAO=15.18-0+deb12u1
ARQ=${2:-i686}
case $ARQ in i686 | x86_64) ;; *) echo "unknown architecture $ARQ (i686 or x86_64)" >&2; exit 2 ;; esac
HOST=$ARQ-w64-mingw32
CC_WIN=$HOST-gcc-posix
AR_WIN=$HOST-ar
JOBS=${JOBS:-2}

if [ $# -lt 1 ] || [ $# -gt 2 ] || [ "$1" = --help ]; then
  echo "usage: $0 DIR [i686|x86_64]   (SQLite $SQLITE_VERSAO and libpq $PG_VERSAO for Windows into DIR)"
  [ $# -ge 1 ]; exit
fi
mkdir -p "$1"
dir=$(cd "$1" && pwd)
apt=$dir/apt fontes=$dir/fontes obra=$dir/obra
mkdir -p "$dir/include" "$dir/lib" "$fontes" "$obra"

# The Linux build's cross build and make windows may start together: one at a time.
exec 9>"$dir/.trava"
flock 9

agora() { date +%s.%N; }
desde() { awk -v a="$1" -v b="$(agora)" 'BEGIN { printf "%.1f", b - a }'; }
falha() { echo "terceiros-windows: $*" >&2; exit 1; }

# Runs "$@", its output kept in LOG; on failure shows the log's end. Started from make (make
# windows, the Linux build's cross build), the sources' own makes must run as top-level ones:
# PostgreSQL's makes its generated headers only there (MAKELEVEL 0).
registra() {
  local log=$1; shift
  if ! env -u MAKELEVEL -u MAKEFLAGS -u MFLAGS "$@" >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    falha "failed: $* (log: $log)"
  fi
}

command -v "$CC_WIN" >/dev/null || falha "$CC_WIN not installed (g++-mingw-w64-${ARQ//_/-}-posix)"
command -v dpkg-source >/dev/null || falha "dpkg-source not installed (dpkg-dev)"

aptp() {
  apt-get -q -o Dir::Etc::sourcelist="$apt/sources.list" \
    -o Dir::Etc::sourceparts="$apt/sources.list.d" -o Dir::State::Lists="$apt/lists" \
    -o Dir::Cache="$apt/cache" "$@"
}

# deb-src entries for the Debian archives the machine already uses (other repositories may
# publish no sources). Both the one-line and the deb822 formats.
lista_privada() {
  rm -rf "$apt" && mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial"
  : >"$apt/sources.list"
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -nE '/debian/s/^deb[[:space:]]+/deb-src /p' "$f" >>"$apt/sources.list"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /(^|\n)Types:[^\n]*deb/ && /(^|\n)URIs:[^\n]*debian/ && !/(^|\n)Enabled:[ \t]*no/ {
           gsub(/Types:[^\n]*/, "Types: deb-src"); print }' \
      "$f" >>"$apt/sources.list.d/$(basename "$f")"
  done
  grep -qs . "$apt/sources.list" "$apt/sources.list.d/"* ||
    falha "no Debian archive in /etc/apt/sources.list{,.d} to take sources from"
  local log=$dir/apt-update.log
  aptp update >"$log" 2>&1 || { tail -n 20 "$log" >&2; falha "apt-get update of the private source list failed (log: $log)"; }
  if grep -q '^[WE]:' "$log"; then grep '^[WE]:' "$log" >&2; fi
}

# Fetches and unpacks source package $1 at version $2 into $fontes/$1.
busca() {
  local pacote=$1 versao=$2 t
  [ -f "$fontes/.$pacote-$versao" ] && return
  t=$(agora)
  [ -f "$apt/.atualizada" ] || { lista_privada; touch "$apt/.atualizada"; }
  rm -rf "$fontes/$pacote" "$fontes/dl-$pacote" && mkdir -p "$fontes/dl-$pacote"
  local log=$fontes/apt-source-$pacote.log
  if ! (cd "$fontes/dl-$pacote" && aptp source --download-only "$pacote=$versao") >"$log" 2>&1; then
    grep -E '^(E|W):' "$log" >&2 || tail -n 20 "$log" >&2
    falha "could not fetch source package $pacote version $versao (log: $log)"
  fi
  registra "$fontes/dpkg-source-$pacote.log" \
    dpkg-source -x "$fontes/dl-$pacote/${pacote}_${versao#*:}.dsc" "$fontes/$pacote"
  touch "$fontes/.$pacote-$versao"
  echo "terceiros-windows: $pacote $versao fetched and unpacked in $(desde "$t") s"
}

# Options as in Debian's libsqlite3 where they change what SQL sees; no extension loading
# in a static library.
SQLITE_OPCOES=(-O2 -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_SECURE_DELETE
  -DSQLITE_USE_URI=1 -DSQLITE_MAX_VARIABLE_NUMBER=250000 -DSQLITE_MAX_SCHEMA_RETRY=25
  -DSQLITE_LIKE_DOESNT_MATCH_BLOBS -DSQLITE_ALLOW_ROWID_IN_VIEW -DSQLITE_OMIT_LOAD_EXTENSION)

sqlite() {
  local selo=$dir/.sqlite-$SQLITE_VERSAO t
  [ -f "$selo" ] && return
  busca sqlite3 "$SQLITE_VERSAO"
  t=$(agora)
  local b=$obra/sqlite
  rm -rf "$b" && mkdir -p "$b"
  # The source package has no amalgamation: its own (native) build makes sqlite3.c, with tclsh.
  registra "$b/configure.log" bash -c "cd '$b' && '$fontes/sqlite3/configure' --disable-tcl --disable-readline"
  registra "$b/make.log" make -C "$b" sqlite3.c
  registra "$b/cc.log" "$CC_WIN" "${SQLITE_OPCOES[@]}" -c "$b/sqlite3.c" -o "$b/sqlite3.o"
  rm -f "$dir/lib/libsqlite3.a"
  registra "$b/ar.log" "$AR_WIN" rcs "$dir/lib/libsqlite3.a" "$b/sqlite3.o"
  cp "$b/sqlite3.h" "$b/sqlite3ext.h" "$dir/include/"
  touch "$selo"
  echo "terceiros-windows: SQLite $SQLITE_VERSAO built in $(desde "$t") s"
}

libpq() {
  local selo=$dir/.libpq-$PG_VERSAO t
  [ -f "$selo" ] && return
  busca postgresql-15 "$PG_VERSAO"
  t=$(agora)
  local b=$obra/postgresql s=$fontes/postgresql-15
  if [ ! -f "$b/.feito" ]; then
    rm -rf "$b" && mkdir -p "$b"
    # The host's pkg-config must find nothing for the Windows build.
    registra "$b/configure.log" bash -c "cd '$b' && PKG_CONFIG_LIBDIR=/nonexistent '$s/configure' \
      --host=$HOST CC=$CC_WIN AR=$AR_WIN --without-openssl --without-readline --without-zlib \
      --without-icu --without-gssapi --without-ldap --without-llvm --without-lz4 --without-zstd \
      --disable-nls"
    # libpq with the pieces of src/port and src/common it needs, as a DLL and its objects.
    registra "$b/make.log" make -C "$b/src/interfaces/libpq" -j"$JOBS"
    touch "$b/.feito"
  fi
  local l=$b/src/interfaces/libpq e=$b/estatica objs=()
  mapfile -t objs < <(find "$l" -maxdepth 1 -name '*.o' ! -name win32ver.o | sort)
  [ ${#objs[@]} -gt 5 ] || falha "libpq objects not found in $l"
  # libpq carries its own small pthread emulation for Windows (pthread-win32.o), whose names
  # winpthread defines too once a program uses the posix thread model. In the static archive
  # libpq's are renamed (_pq_pthread_...), so each side keeps its own.
  rm -rf "$e" && mkdir -p "$e"
  "$HOST-nm" -g --defined-only "$l/pthread-win32.o" |
    awk '$2 == "T" { print $3, substr($3, 1, 1) "pq_" substr($3, 2) }' >"$e/pthread.map"
  [ -s "$e/pthread.map" ] || falha "no symbols in libpq's pthread-win32.o"
  local o
  for o in "${objs[@]}"; do
    registra "$e/objcopy.log" "$HOST-objcopy" --redefine-syms="$e/pthread.map" "$o" "$e/$(basename "$o")"
  done
  rm -f "$dir/lib/libpq.a"
  registra "$b/ar.log" "$AR_WIN" rcs "$dir/lib/libpq.a" "$e"/*.o
  cp "$b/src/common/libpgcommon_shlib.a" "$dir/lib/libpgcommon.a"
  cp "$b/src/port/libpgport_shlib.a" "$dir/lib/libpgport.a"
  cp "$l/libpq.dll" "$dir/lib/"
  cp "$l/libpq.a" "$dir/lib/libpq.dll.a" # PostgreSQL names the import library libpq.a
  cp "$s/src/interfaces/libpq/libpq-fe.h" "$s/src/interfaces/libpq/libpq-events.h" \
    "$s/src/include/postgres_ext.h" "$b/src/include/pg_config_ext.h" "$dir/include/"
  touch "$selo"
  echo "terceiros-windows: libpq $PG_VERSAO built in $(desde "$t") s"
}

inicio=$(agora)
sqlite
libpq
echo "terceiros-windows: SQLite and libpq ready in $dir ($(desde "$inicio") s)"
