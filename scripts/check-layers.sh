#!/usr/bin/env bash
# Prints which folders of src/ include which, and every include that runs against the layers:
# a folder may include its own files and those of the layers below it, nothing above or beside.
# The build enforces the same order (src/CMakeLists.txt); this finds the includes by name, also
# those the build still lets through for a while (its layering_exceptions).
# Usage: scripts/check-layers.sh [--dot]   (--dot: the folder graph for Graphviz instead)
# Exit status 1 when an include runs against the layers.
set -euo pipefail
cd "$(dirname "$0")/../src"

# Lowest first; folders on one line are of one layer and do not include each other, but those
# joined by "+" are one library (skin belongs to the window's).
layers='platform/system
platform/ffmpeg
platform/profile platform/cdrom platform/lame platform/media platform/wma
platform/audio
app audio
net
work
disc
codecs
rip
convert
front
cli ui+skin'

# One line per include between folders: "from to file:line", and the layers as "folder rank
# group" lines before them. Platform's subfolders count apart.
includes() {
  r=0
  while read -r line; do
    for unit in $line; do
      for f in ${unit//+/ }; do echo "layer $f $r $unit"; done
    done
    r=$((r + 1))
  done <<<"$layers"
  grep -rnE '^#include "[^"]+/' --include='*.h' --include='*.cpp' --include='*.in' -- * |
    sed -E 's/^([^:]+):([0-9]+):#include "([^"]+)".*/include \1 \2 \3/'
}

declare -A edges
violations=()
while read -r from to where verdict; do
  edges["$from $to"]=$((${edges["$from $to"]:-0} + 1))
  [[ $verdict == ok ]] || violations+=("src/$where: $from -> $to${verdict#bad}")
done < <(includes | awk '
  function folder(path, parts) {
    split(path, parts, "/")
    return parts[1] == "platform" ? parts[1] "/" parts[2] : parts[1]
  }
  $1 == "layer" { rank[$2] = $3; group[$2] = $4; next }
  {
    from = folder($2); to = folder($4)
    if (from == to) next
    if (!(from in rank) || !(to in rank)) verdict = "bad (a folder of no layer)"
    else if (group[from] != group[to] && rank[to] >= rank[from]) verdict = "bad"
    else verdict = "ok"
    print from, to, $2 ":" $3, verdict
  }')

if [[ ${1:-} == --dot ]]; then
  echo 'digraph layers {'
  echo '  rankdir=BT; node [shape=box];'
  for e in "${!edges[@]}"; do
    read -r from to <<<"$e"
    echo "  \"$from\" -> \"$to\";"
  done | sort
  echo '}'
  exit 0
fi

echo "Folders and the folders they include (with the number of include lines):"
for e in "${!edges[@]}"; do
  echo "$e ${edges[$e]}"
done | sort | awk '
  $1 != last { if (last != "") print line; line = sprintf("  %-18s ->", $1); last = $1 }
  { line = line " " $2 " (" $3 ")" }
  END { if (last != "") print line }'

if ((${#violations[@]})); then
  echo
  echo "Includes against the layers:"
  printf '  %s\n' "${violations[@]}"
  exit 1
fi
echo
echo "No include runs against the layers."
