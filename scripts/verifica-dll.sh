#!/usr/bin/env bash
# verifica-dll.sh DLL EXPORT BYTES [EXPORT BYTES ...]: checks a 32-bit DLL of the Windows build
# as the group's host will meet it: each EXPORT is there under its plain name (no @n
# decoration), its code returns with `ret $BYTES` (__stdcall removing BYTES of arguments), and
# the DLL imports Windows' own DLLs only (the compiler's runtime, SQLite and libpq linked in).
set -euo pipefail
dll=${1:?usage: verifica-dll.sh DLL EXPORT BYTES ...}
shift
od=i686-w64-mingw32-objdump
if [ ! -f "$dll" ]; then
  echo "SKIPPED: $dll not built (make windows builds the 32-bit DLLs)"
  exit 77
fi
command -v "$od" >/dev/null || { echo "SKIPPED: $od not installed"; exit 77; }
cabecalho=$("$od" -p "$dll")
falhas=0
falha() { echo "verifica-dll: $(basename "$dll"): $*" >&2; falhas=1; }

grep -q '^architecture:.*i386' <<<"$("$od" -f "$dll")" || falha "not a 32-bit DLL"
base=$(awk '$1 == "ImageBase" { print $2 }' <<<"$cabecalho")
# Name index -> export RVA (the name table's order is the address table's for these DLLs:
# one name per ordinal, none by ordinal alone).
declare -A rva
while read -r indice nome; do rva[$nome]=$indice; done < <(
  awk '/^\[Ordinal\/Name Pointer\] Table/ { n = 1; next } n && /^\t\[/ { gsub(/[][]/, ""); print $1, $2 } n && /^$/ { n = 0 }' \
    <<<"$cabecalho")
declare -A enderecos
while read -r indice endereco; do enderecos[$indice]=$endereco; done < <(
  awk '/^Export Address Table -- / { n = 1; next } n && /Export RVA/ { gsub(/[][]/, ""); print $1, $4 } n && /^$/ { n = 0 }' \
    <<<"$cabecalho")

while [ $# -ge 2 ]; do
  nome=$1 bytes=$2
  shift 2
  indice=${rva[$nome]:-}
  if [ -z "$indice" ]; then
    falha "export $nome not found (exports: ${!rva[*]})"
    continue
  fi
  inicio=$(printf '0x%x' $((0x$base + 0x${enderecos[$indice]})))
  # The first return of the function's code, linearly from its entry.
  ret=$(set +o pipefail; "$od" -d --start-address="$inicio" --stop-address=$((inicio + 65536)) "$dll" |
    grep -m1 -E '\sret' | sed -E 's/.*\s(ret[^#]*).*/\1/' | tr -s ' ' | sed 's/ *$//')
  esperado="ret \$0x$(printf '%x' "$bytes")"
  [ "$bytes" -eq 0 ] && esperado=ret
  [ "$ret" = "$esperado" ] || falha "$nome returns with \"$ret\", expected \"$esperado\""
done

sistema='^(KERNEL32|USER32|GDI32|COMCTL32|COMDLG32|WINSPOOL\.DRV|ADVAPI32|SHELL32|WS2_32|SECUR32|msvcrt|ole32|oleaut32|gdiplus|SHLWAPI)(\.dll)?$'
while read -r importada; do
  grep -qiE "$sistema" <<<"$importada" || falha "imports $importada, which is not a Windows DLL"
done < <(awk '/DLL Name:/ { print $3 }' <<<"$cabecalho")
[ $falhas -eq 0 ] && echo "verifica-dll: $(basename "$dll"): exports, stdcall returns and imports as the host needs"
exit $falhas
