#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and the demo need.
# Idempotent: packages already present are skipped; apt runs only when
# something is missing.  Run as root (or through sudo).
set -euo pipefail

PACKAGES=(
  # tool chain
  build-essential cmake ninja-build pkg-config git
  # test and benchmark frameworks
  libgtest-dev libgmock-dev libbenchmark-dev
  # platform layer: text, images, PDF
  libfreetype-dev libfontconfig-dev libpng-dev libjpeg62-turbo-dev zlib1g-dev libcairo2-dev
  # the pinned font families
  fonts-liberation2 fonts-dejavu-core
  # independent renderers used by the output tests
  librsvg2-bin poppler-utils
  # the window host and its tests under a virtual X server (screenshots compared with
  # ImageMagick, keyboard layouts set with setxkbmap)
  libfltk1.3-dev xvfb xauth xdotool x11-apps x11-xkb-utils imagemagick
  # the Debian package of the suite (dependencies found by dpkg-shlibdeps)
  dpkg-dev
  # coverage-guided fuzzing of the readers (scripts/fuzz.sh: clang's libFuzzer)
  clang libclang-rt-14-dev
)
if [[ "${1:-}" == "--bench" ]]; then
  # references the benchmarks compare against
  PACKAGES+=(libeigen3-dev libfftw3-dev libssl-dev libgeographiclib-dev libproj-dev openbabel)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]} == 0)); then
  echo "install-deps: all ${#PACKAGES[@]} packages present"
  exit 0
fi
echo "install-deps: installing ${missing[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
