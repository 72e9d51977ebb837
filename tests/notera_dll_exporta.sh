#!/usr/bin/env bash
# notera_dll_exporta.sh Notera.dll: the 32-bit DLL exports GeraAL undecorated as a __stdcall
# function that removes its 60 bytes of arguments (ret $0x3c), and imports Windows' own DLLs
# only. Exit 77 when the DLL or the mingw-w64 objdump is missing.
set -u
dll=${1:-}
objdump=i686-w64-mingw32-objdump
if [ -z "$dll" ] || [ ! -f "$dll" ]; then
  echo "SKIPPED: no 32-bit Notera.dll (${dll:-none given}); make windows builds it"
  exit 77
fi
command -v $objdump >/dev/null || { echo "SKIPPED: $objdump not installed"; exit 77; }
cabecalho=$($objdump -p "$dll") || { echo "FAIL: $objdump -p failed"; exit 1; }
if ! grep -q '^architecture:.*i386' <<<"$($objdump -f "$dll")"; then
  echo "FAIL: $dll is not a 32-bit DLL"
  exit 1
fi
falhas=0
# The name table holds exactly the undecorated name (no _GeraAL@60).
nomes=$(awk '/^\[Ordinal\/Name Pointer\] Table/ {t=1; next} t && /^\t\[/ {print $NF} t && /^$/ {t=0}' <<<"$cabecalho")
if [ "$nomes" != "GeraAL" ]; then
  echo "FAIL: exported names are [$nomes], expected GeraAL alone"
  falhas=1
fi
base=$(awk '$1 == "ImageBase" {print $2}' <<<"$cabecalho")
rva=$(awk '/^Export Address Table -- Ordinal Base/ {t=1; next} t && /Export RVA/ {print $(NF-2); exit}' <<<"$cabecalho")
if [ -z "$base" ] || [ -z "$rva" ]; then
  echo "FAIL: no export address for GeraAL"
  exit 1
fi
inicio=$(printf '0x%x' $((0x$base + 0x$rva)))
# The function's first return, in its own code from the export's address on.
ret=$($objdump -d --no-show-raw-insn --start-address="$inicio" --stop-address=$((inicio + 65536)) "$dll" |
  grep -m1 -E $'\tret[lw]? ?' | sed -E 's/^.*\t(ret.*)$/\1/; s/ +/ /g; s/ $//')
echo "GeraAL at $inicio returns with: $ret"
if [ "$ret" != 'ret $0x3c' ]; then
  echo "FAIL: GeraAL does not return with ret \$0x3c (60 bytes of arguments)"
  falhas=1
fi
permitidas='^(kernel32|user32|gdi32|comctl32|comdlg32|winspool\.drv|advapi32|shell32|ws2_32|secur32|msvcrt|ole32|oleaut32)(\.dll)?$'
while read -r importada; do
  echo "imports $importada"
  if ! tr 'A-Z' 'a-z' <<<"$importada" | grep -qE "$permitidas"; then
    echo "FAIL: $importada is not a Windows system DLL"
    falhas=1
  fi
done < <(awk '/DLL Name:/ {print $3}' <<<"$cabecalho")
[ $falhas = 0 ] && echo "PASS"
exit $falhas
