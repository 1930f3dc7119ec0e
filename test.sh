#!/usr/bin/env bash
# The README's test command.
#   ./test.sh        installs what is missing, checks the formatting, builds, runs every test, then
#                    runs each fuzz target of fuzz/ for a few seconds: the core library under
#                    AddressSanitizer and UndefinedBehaviorSanitizer on everything it reads from
#                    outside (a small build of its own). About 6 to 8 minutes on a fresh 2-core machine.
#   ./test.sh --all  the same, and before the fuzz targets every test again under ASan + UBSan and
#                    the tests of the threads (rip, conversion, look-ups, player) under
#                    ThreadSanitizer. This is what CI runs (.ci/run).
set -euo pipefail
cd "$(dirname "$0")"

all=false
case "${1:-}" in
  --all) all=true ;;
  "") ;;
  *)
    echo "usage: ./test.sh [--all]" >&2
    exit 2
    ;;
esac

./scripts/install-deps.sh

mapfile -t sources < <(find src tests bench fuzz -name '*.cpp' -o -name '*.h' 2>/dev/null)
if ! clang-format --dry-run --Werror "${sources[@]}" 2>/tmp/disctrove-format.$$; then
  head -n 40 /tmp/disctrove-format.$$ >&2
  rm -f /tmp/disctrove-format.$$
  echo "Formatting differs from .clang-format (run clang-format -i on the files above)." >&2
  exit 1
fi
rm -f /tmp/disctrove-format.$$

# The build refuses an include that runs against the layers; this says which, before building.
./scripts/check-layers.sh >/dev/null || { ./scripts/check-layers.sh | tail -n 20 >&2; exit 1; }

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

# Each pass says how long it took.
pass_start=$SECONDS
pass_took() {
  echo "   ($1 took $(((SECONDS - pass_start) / 60)) min $(((SECONDS - pass_start) % 60)) s)"
  pass_start=$SECONDS
}

echo "== build and tests"
build_and_test build
pass_took "build and tests"

# Every test again under AddressSanitizer + UndefinedBehaviorSanitizer, in build-sanitize/.
asan_pass() {
  echo "== build and tests under AddressSanitizer + UndefinedBehaviorSanitizer"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
    build_and_test build-sanitize -DDISCTROVE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
  pass_took "the AddressSanitizer pass"
}

# The tests where our threads meet: rips (the reader and the encoder pool), conversions, the
# look-ups (CDDB, MusicBrainz, AccurateRip, cover art), the player, the terminal program's rip,
# look-up and Ctrl+C, and the windows that run them. The rest run no thread of ours, or the
# same threads again (the other terminal tests). Only their binaries are built;
# tests/tsan.supp names what Qt and GLib do among their own threads.
tsan_pass() {
  echo "== build and tests under ThreadSanitizer"
  # Left out: the tables that rip the same threads again a dozen times over (formats, faults, names).
  tsan_skipped='^RipWorkerTest\.(WritesThatFailLeaveNoFileAndTheNextRipIsWhole|MetadataAtTheLimitsStaysInsideTheFolderWithAFilePerTrack)$'
  tsan_tests='^((RipWorker|CoverArtRip|Extraction|ConversionWorker|ConvertCommand|CddbLookup|CddbProxy|MusicBrainzLookup|CdAudio)Test|AccurateRipLookup)\.|^CliTest\.(RipOfAnImageNamedByTheServer|LookupListsTheMusicBrainzReleasesAndTakesTheOneChosen|EncodeAndDecodeFiles|CtrlCStopsTheRipLikeTheStopButton)$|^Ui\.(MainWindow|Desktop|Conversions|ConvertFiles|Player)$'
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B build-tsan -G Ninja -DDISCTROVE_SANITIZE=thread -DCMAKE_BUILD_TYPE=Debug \
    "${launcher[@]}" >/dev/null
  ninja -C build-tsan --quiet disctrove_tests disctrove_ui_tests disctrove_conversion_tests \
    disctrove_player_tests disctrove_desktop_tests disctrove_convert_files_tests
  if ! TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp" \
      ctest --test-dir build-tsan -R "$tsan_tests" -E "$tsan_skipped" --output-on-failure --parallel "$jobs" \
        --timeout 300 >build-tsan/ctest.log 2>&1; then
    cat build-tsan/ctest.log
    return 1
  fi
  tail -n 3 build-tsan/ctest.log
  pass_took "the ThreadSanitizer pass"
}

if [ "$all" = true ]; then
  asan_pass
  tsan_pass
fi

echo "== fuzz targets, a few seconds each"
./fuzz.sh 3
pass_took "the fuzz pass"
echo "All tests passed."
