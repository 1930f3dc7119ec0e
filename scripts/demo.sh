#!/usr/bin/env bash
# The demonstration: a disc image of synthesized music, named by a CDDB server on this machine,
# ripped to Ogg Vorbis and MP3 by the terminal program, or (with --gui) shown in the desktop
# program, which looks the disc up as it starts and rips it with the Rip button.
#   scripts/demo.sh BUILD_FOLDER OUTPUT_FOLDER [--gui]
set -euo pipefail

build=$(cd "$1" && pwd)
mkdir -p "$2"
output=$(cd "$2" && pwd)
work="$build/demo"
cli="$build/src/disctrove-cli"

rm -rf "$work"
mkdir -p "$work"
"$build/tests/make-demo-disc" "$work" >/dev/null

# The CDDB server picks a free port and says which. Its log is made before it starts: the
# redirection happens in the server's own process, which the first look below may come before.
: >"$work/server.log"
"$build/tests/cddb-server" "$work/cddb" >>"$work/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's/^CDDB server on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/server.log")
  [ -n "$port" ] && break
  sleep 0.05
done
[ -n "$port" ] || { echo "The demo's CDDB server did not start:" >&2; cat "$work/server.log" >&2; exit 1; }

if [ "${3:-}" = "--gui" ]; then
  # Settings of the demo's own; the desktop program writes them back when it ends.
  cat >"$work/gui.ini" <<INI
[GENERAL]
Encoder=OGG
Autocddb=True
RipInFolder=True
Createm3u=True
Outfolder=$output
Tmpfolder=$work
[CDDB]
Server=127.0.0.1
Port=$port
[MUSICBRAINZ]
Use=False
[SECURE]
AccurateRip=False
Ctdb=False
INI
  echo "The desktop program shows the demo disc; press Rip to rip it into $output."
  "$build/src/disctrove" --settings "$work/gui.ini" --image "$work/demo.cue"
  exit 0
fi

# Settings of the demo's own (the file is not there, so every setting has its default, and the
# terminal program never writes it). The demo disc is in no database, so nothing is looked up
# beyond this machine.
rip() {
  "$cli" --settings "$work/demo.ini" --image "$work/demo.cue" \
    --set CDDB/Server=127.0.0.1 --set CDDB/Port="$port" --set MUSICBRAINZ/Use=False \
    --set GENERAL/Outfolder="$output" --set GENERAL/RipInFolder=True \
    --set GENERAL/Createm3u=True --set GENERAL/Overwrite=True \
    --set SECURE/AccurateRip=False --set SECURE/Ctdb=False \
    rip --lookup --template '$n-$t' --encoder "$1"
}

rm -rf "$output/Disctrove Demo Ensemble"  # a fresh playlist for every run
echo "Ripping the demo disc to Ogg Vorbis..."
rip ogg
echo "Ripping the demo disc to MP3..."
rip mp3
echo
echo "The demo files are in $output:"
(cd "$output" && find . -type f | sort | sed 's|^\./|  |')
