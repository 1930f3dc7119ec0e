#!/usr/bin/env bash
# The README's main job without a drive: the demonstration rips four named tracks to Ogg
# Vorbis and MP3, and other tools read the files with their titles.
set -euo pipefail
build=$1
source_dir=$2
output=$(mktemp -d)
trap 'rm -rf "$output"' EXIT

# Quiet unless it fails; then what it said tells why.
"$source_dir/scripts/demo.sh" "$build" "$output" >"$output/demo.out" 2>&1 ||
  { echo "the demo failed:"; cat "$output/demo.out"; ls -la "$build/demo" || true; exit 1; }

folder="$output/Disctrove Demo Ensemble/Plucked Strings"
titles=("Morning Strings" "Walking in B-flat" "Evening Chords" "Quiet Return")
for i in 0 1 2 3; do
  name="0$((i + 1))-${titles[$i]}"
  for ext in ogg mp3; do
    file="$folder/$name.$ext"
    [ -f "$file" ] || { echo "missing: $file"; exit 1; }
    title=$(ffprobe -v error -show_entries format_tags=title:stream_tags=title \
      -of default=nw=1:nk=1 "$file" | head -n 1)
    [ "$title" = "${titles[$i]}" ] || { echo "$file: title \"$title\""; exit 1; }
    duration=$(ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$file")
    awk -v d="$duration" 'BEGIN { exit !(d > 10 && d < 16) }' || { echo "$file: $duration s"; exit 1; }
  done
done
[ -f "$folder/Disctrove Demo Ensemble - Plucked Strings.m3u" ] || { echo "no playlist"; exit 1; }
echo "demo files are right"
