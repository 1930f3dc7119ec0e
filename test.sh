#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds, runs every test, then builds and runs
# the tests again under AddressSanitizer and UndefinedBehaviorSanitizer, then runs each fuzz target
# of fuzz/ briefly.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

mapfile -t sources < <(find src tests bench fuzz -name '*.cpp' -o -name '*.h' 2>/dev/null)
if ! clang-format --dry-run --Werror "${sources[@]}" 2>/tmp/disctrove-format.$$; then
  head -n 40 /tmp/disctrove-format.$$ >&2
  rm -f /tmp/disctrove-format.$$
  echo "Formatting differs from .clang-format (run clang-format -i on the files above)." >&2
  exit 1
fi
rm -f /tmp/disctrove-format.$$

jobs=$(nproc)

build_and_test() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  ninja -C "$dir" --quiet
  if ! ctest --test-dir "$dir" --output-on-failure --parallel "$jobs" --timeout 300 \
      >"$dir/ctest.log" 2>&1; then
    cat "$dir/ctest.log"
    return 1
  fi
  tail -n 3 "$dir/ctest.log"
}

echo "== build and tests"
build_and_test build
echo "== build and tests under AddressSanitizer + UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
  build_and_test build-sanitize -DDISCTROVE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
echo "== fuzz targets, a few seconds each"
./fuzz.sh 3
echo "All tests passed."
