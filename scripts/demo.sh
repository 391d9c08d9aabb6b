#!/usr/bin/env bash
# Installs what is missing, builds the release configuration and renders the
# gallery (PNG pages, SVG, PDF and an index.html) into build/gallery.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD=${ZOL_RELEASE_BUILD_DIR:-build/release}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZOL_BUILD_TESTS=OFF -DZOL_BUILD_APPS=ON
cmake --build "$BUILD" -j"$(nproc)"
OUT=${1:-build/gallery}
"$BUILD/bin/gallery" "$OUT"
echo "gallery written to $(cd "$OUT" && pwd)/index.html"
