#!/usr/bin/env bash
# The desktop program, started after runs that were killed, removes their temporary files (those
# named with the id of a process that is gone, and held by no process) from its folders, and
# nothing else: a rip in another PID namespace, whose id means nothing here, holds its working
# files locked.
# Usage: leftovers_at_start_test.sh DISCTROVE
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'kill -KILL "${gui:-0}" "${holder:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/out/Artist/Album" "$work/tmp" "$work/config"
printf '[GENERAL]\nOutfolder=%s\nTmpfolder=%s\nRipInFolder=True\n' "$work/out" "$work/tmp" \
  >"$work/config/dt.ini"

dead=$(sh -c 'echo $$')  # a process that has ended
gone=("$work/tmp/cddatmp-$dead-03.pcm" "$work/out/.disctrove-$dead-7.flac"
  "$work/out/Artist/Album/.disctrove-$dead-2.mp3" "$work/config/.disctrove-$dead-1")
kept=("$work/tmp/cddatmp-$$-03.pcm"        # a process still running
  "$work/out/.disctrove-1-4.ogg"            # likewise
  "$work/out/cddatmp-x-01.pcm" "$work/out/.disctrove-notes" "$work/out/01-Song.flac"
  "$work/tmp/cddatmp-$dead.pcm"             # not names this program gives
  "$work/tmp/cddatmp-$dead-04.pcm")         # in use by a rip elsewhere (below)
for file in "${gone[@]}" "${kept[@]}"; do echo data >"$file"; done
(exec 9<"${kept[-1]}" && flock 9 && exec sleep 600) </dev/null >/dev/null 2>&1 &
holder=$!
until ! flock -n "${kept[-1]}" true; do sleep 0.05; done

QT_QPA_PLATFORM=offscreen DISCTROVE_SCAN_DRIVES=0 "$program" --settings "$work/config/dt.ini" \
  >/dev/null 2>&1 &
gui=$!
for _ in $(seq 200); do
  left=0
  for file in "${gone[@]}"; do [ -e "$file" ] && left=1; done
  [ "$left" -eq 0 ] && break
  sleep 0.1
done
status=0
for file in "${gone[@]}"; do
  if [ -e "$file" ]; then echo "left behind: $file"; status=1; fi
done
for file in "${kept[@]}"; do
  if [ ! -e "$file" ]; then echo "removed: $file"; status=1; fi
done
exit $status
