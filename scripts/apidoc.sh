#!/usr/bin/env bash
# Generates the API reference from the headers (Doxygen) into build/apidoc/html.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v doxygen > /dev/null; then
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends doxygen
fi
mkdir -p build/apidoc
# Header comments are plain // comments: let doxygen read them as documentation.
( cat docs/Doxyfile; echo "INPUT_FILTER = \"sed -e 's|^\\( *\\)// |\\1/// |'\"" ) | doxygen - 
echo "API reference written to $(pwd)/build/apidoc/html/index.html"
