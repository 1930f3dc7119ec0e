#!/usr/bin/env bash
# Installs what is missing, builds Disctrove and runs its main job: with a CD drive that holds
# an audio disc, rips the disc with your settings; otherwise rips the demonstration disc (an
# image of synthesized music, named by a CDDB server on this machine) into ./demo-output/.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
ninja -C build --quiet

cli=build/src/disctrove-cli
if [ -n "$("$cli" drives 2>/dev/null)" ] && "$cli" toc >/dev/null 2>&1; then
  echo "Ripping the disc in your CD drive with your settings (see README.md)..."
  exec "$cli" rip --lookup
fi

echo "No audio CD in a drive here: ripping the demonstration disc instead."
./scripts/demo.sh build demo-output
