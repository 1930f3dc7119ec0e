#!/usr/bin/env bash
# Installs what is missing, builds Disctrove and runs its main job. With a CD drive that holds
# an audio disc it rips the disc with your settings; otherwise it uses the demonstration disc
# (an image of synthesized music, named by a CDDB server on this machine). On a desktop the
# desktop program does the job; without a display the terminal program rips into ./demo-output/.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
ninja -C build --quiet

cli=build/src/disctrove-cli
display="${DISPLAY:-}${WAYLAND_DISPLAY:-}"
if [ -n "$("$cli" drives 2>/dev/null)" ] && "$cli" toc >/dev/null 2>&1; then
  if [ -n "$display" ]; then
    exec build/src/disctrove
  fi
  echo "Ripping the disc in your CD drive with your settings (see README.md)..."
  exec "$cli" rip --lookup
fi

if [ -n "$display" ]; then
  echo "No audio CD in a drive here: showing the demonstration disc instead."
  exec ./scripts/demo.sh build demo-output --gui
fi
echo "No audio CD in a drive here: ripping the demonstration disc instead."
./scripts/demo.sh build demo-output
