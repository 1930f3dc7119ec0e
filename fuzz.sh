#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang (libFuzzer, AddressSanitizer, UndefinedBehavior-
# Sanitizer) in build-fuzz/ and runs each in turn for SECONDS (default 60) on its corpus, then
# prints per target its executions, coverage and findings. What a target finds lands in
# build-fuzz/fuzz/artifacts/; new inputs it learns in build-fuzz/fuzz/found/ (kept between runs).
# Usage: ./fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")"
seconds=${1:-60}
shift || true

export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-fuzz -G Ninja -DDISCTROVE_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
ninja -C build-fuzz --quiet | { grep -v '^ninja: no work to do' || true; }

dir=build-fuzz/fuzz
mkdir -p "$dir/artifacts" "$dir/logs"
if [ $# -eq 0 ]; then
  mapfile -t targets < <(cd "$dir" && ls -- *_fuzzer)
else
  targets=("$@")
fi

failed=0
printf '%-22s %12s %8s %8s %8s\n' target executions cov ft crashes
for t in "${targets[@]}"; do
  mkdir -p "$dir/found/$t"
  log="$dir/logs/$t.log"
  status=0
  # The leaks that tests/lsan.supp names are the libraries' own.
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
    "$dir/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$dir/artifacts/$t-" "$dir/found/$t" "$dir/corpus/$t" >"$log" 2>&1 ||
    status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  line=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$line")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$line")
  crashes=0
  if [ "$status" -ne 0 ]; then
    crashes=1
    failed=1
  fi
  printf '%-22s %12s %8s %8s %8s\n' "$t" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$crashes"
  if [ "$status" -ne 0 ]; then
    grep -E 'ERROR:|runtime error|SUMMARY|Test unit written' "$log" | head -n 5 | sed 's/^/    /'
  fi
done
exit "$failed"
