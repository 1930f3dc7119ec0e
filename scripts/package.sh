#!/usr/bin/env bash
# Builds the Debian package from a clean tree: a fresh Release build in build-package/, then
# cpack. Prints the path of the .deb; install it with: sudo apt install ./disctrove_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
rm -rf build-package
# Release at -O2, as Debian builds its packages (GCC 12 warns falsely about string code at -O3).
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DDISCTROVE_BUILD_TESTS=OFF >/dev/null
ninja -C build-package --quiet -j "$(nproc)"
(cd build-package && cpack -G DEB >cpack.log 2>&1) || { cat build-package/cpack.log >&2; exit 1; }
ls "$PWD"/build-package/disctrove_*.deb
