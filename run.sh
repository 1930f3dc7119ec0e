#!/usr/bin/env bash
# Installs what is missing, builds Disctrove and runs its main job.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
ninja -C build --quiet

echo "Disctrove's core library is built in build/src (settings file, WAV files, output naming,"
echo "CDDB entries). The programs that rip a disc are not part of this build yet: the terminal"
echo "program disctrove-cli and the desktop program disctrove come next."
