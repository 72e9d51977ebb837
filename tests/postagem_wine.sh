#!/usr/bin/env bash
# postagem_wine.sh NOTERA_DADOS POSTA POSTA_EXE PREFIX DIR: the fixed transfer posted without a
# form by the Linux build and by the Windows build under Wine, into two copies of one demo
# tree; every stored row of the register and of each company must be the same in both.
# Exit 77 (skipped) when Wine or the Windows build is missing.
set -u
dados=${1:-} linux=${2:-} exe=${3:-} prefixo=${4:-} dir=${5:-}
aqui=$(cd "$(dirname "$0")" && pwd)
if [ -z "$dir" ]; then
  echo "usage: postagem_wine.sh NOTERA_DADOS POSTA POSTA_EXE PREFIX DIR"
  exit 2
fi
rm -rf "$dir" && mkdir -p "$dir" || exit 1
"$dados" demo "$dir/modelo" >/dev/null 2>&1 || { echo "notera-dados demo failed"; exit 1; }
cp -a "$dir/modelo" "$dir/linux" && cp -a "$dir/modelo" "$dir/windows" || exit 1

saida=$("$linux" "$dir/linux")
rc=$?
echo "Linux:   $saida"
[ $rc -eq 0 ] || { echo "the Linux posting failed (exit $rc)"; exit 1; }
# Wine maps the drive Z: to the root of the Unix file system.
saida=$(bash "$aqui/wine_teste.sh" "$exe" "$prefixo" "Z:$dir/windows")
rc=$?
echo "Windows: $saida"
[ $rc -eq 77 ] && exit 77
[ $rc -eq 0 ] || { echo "the Windows posting failed (exit $rc)"; exit 1; }

falhas=0
while IFS= read -r arquivo; do
  rel=${arquivo#"$dir/linux/"}
  if ! diff <(sqlite3 "$dir/linux/$rel" .dump) <(sqlite3 "$dir/windows/$rel" .dump) \
      >"$dir/diferencas.txt"; then
    echo "$rel differs between the builds:"
    head -20 "$dir/diferencas.txt"
    falhas=1
  fi
  # A posting that wrote nothing on either side would compare equal: the register and both
  # companies of the transfer must hold new rows.
  case $rel in Tabelas/tabelas.sqlite | Tabelas/001/* | Tabelas/002/*) ;; *) continue ;; esac
  if cmp -s <(sqlite3 "$dir/modelo/$rel" .dump) <(sqlite3 "$dir/linux/$rel" .dump); then
    echo "$rel: unchanged by the posting"
    falhas=1
  fi
done < <(find "$dir/linux" -name tabelas.sqlite | sort)
[ $falhas -eq 0 ] && echo "every stored row of the register and of each company is the same"
exit $falhas
