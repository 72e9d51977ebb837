#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a time budget each, from the seeds in
# fuzz/corpus (never written to) plus a working corpus in the build directory. Fails when a
# target crashes, leaks or meets undefined behaviour; prints the executions of each target.
set -uo pipefail
build=${1:-build-fuzz}
segundos=${2:-30}
top=$(cd "$(dirname "$0")/.." && pwd)
alvos=(fuzz_valor fuzz_conta fuzz_data fuzz_lote fuzz_arquivos fuzz_textos fuzz_bancoconf fuzz_paradox)
falhas=0
for alvo in "${alvos[@]}"; do
  nome=${alvo#fuzz_}
  trabalho="$build/fuzz-trabalho/$nome"
  artefatos="$build/fuzz-artefatos/$nome/"
  mkdir -p "$trabalho" "$artefatos"
  log="$build/fuzz-$nome.log"
  "$build/bin/$alvo" -max_total_time="$segundos" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artefatos" "$trabalho" "$top/fuzz/corpus/$nome" \
    >"$log" 2>&1
  rc=$?
  execucoes=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  if [ $rc -ne 0 ]; then
    echo "$alvo: FALHOU (saída $rc), veja $log e $artefatos"
    grep -m3 -E 'ERROR|runtime error|SUMMARY' "$log" | sed 's/^/  /'
    falhas=$((falhas + 1))
  else
    echo "$alvo: ${execucoes:-?} execuções em ${segundos} s, nenhuma falha"
  fi
done
exit $((falhas > 0))
