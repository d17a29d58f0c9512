#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds every libFuzzer target with clang (ASan + UBSan) into build-fuzz/ and runs each for
# SECONDS (default 60) from its seed corpus in fuzz/corpus/<target>. New inputs go to a scratch
# corpus under build-fuzz/, so the seeds in the repository stay as they are. Prints executions
# and coverage per target; fails when any target finds a crash, a leak or undefined behaviour.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="$root/build-fuzz"
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DQVM_BUILD_FUZZERS=ON -DQVM_BUILD_TESTS=OFF -DQVM_BUILD_BENCHMARKS=OFF -DQVM_BUILD_PYTHON=OFF \
  "${launcher[@]}" > /dev/null
cmake --build "$build" -j"$(nproc)" --target fuzzers

targets=$(sed -n '/^set(QVM_FUZZERS/,/)/p' "$root/fuzz/CMakeLists.txt" | grep -o '[a-z_]*_fuzzer')
failed=0
summary=""
for target in $targets; do
  work="$build/corpus/$target"
  mkdir -p "$work"
  log="$build/$target.log"
  echo "fuzz: $target for ${seconds}s"
  if ! (cd "$build" && "$build/bin/$target" -max_total_time="$seconds" -print_final_stats=1 \
      -timeout=10 -rss_limit_mb=2048 "$work" "$root/fuzz/corpus/$target") > "$log" 2>&1; then
    failed=1
    echo "fuzz: $target FAILED, see $log"
    grep -E "ERROR|runtime error|SUMMARY" "$log" | head -5 || true
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  cov=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)
  summary+=$(printf '%-24s %12s executions  %s' "$target" "${runs:-0}" "${cov:-cov: ?}")$'\n'
done
printf '\nfuzz summary (%ss per target):\n%s' "$seconds" "$summary"
exit "$failed"
