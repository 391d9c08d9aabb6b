#!/usr/bin/env bash
# Builds the libraries, installs them into a temporary prefix and builds the
# examples against the installed files as an outside project (find_package)
# and with pkg-config; runs them and checks their output.  Then builds the
# Debian package and checks its contents; run as root (CI) it also installs
# the package with apt, builds an example against /usr and removes it again.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${ZOL_INSTALL_BUILD_DIR:-build/install-check}
PREFIX=$(mktemp -d /tmp/zol-prefix.XXXXXX)
trap 'rm -rf "$PREFIX"' EXIT
JOBS=$(nproc)

cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZOL_BUILD_TESTS=OFF -DZOL_BUILD_APPS=OFF \
      -DZOL_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX="$PREFIX" > /dev/null
cmake --build "$BUILD" -j"$JOBS" > /dev/null
cmake --install "$BUILD" > /dev/null
echo "check-install: installed into a temporary prefix"

fail() { echo "check-install: FAILED: $*"; exit 1; }
expect() {  # expect <output> <text that must stand in it>
  grep -qF -- "$2" <<< "$1" || fail "expected '$2' in: $1"
}
run_examples() {  # run_examples <folder with the programs>
  local dir=$1 out
  out=$(cd "$dir" && ./draw_line)
  expect "$out" "200 x 100, pixel (10, 10) red"
  out=$("$dir/matrix_stats")
  expect "$out" "determinant 43.000000"
  expect "$out" "inverse row 1: 0.348837 -0.116279 -0.139535"
  expect "$out" "mean 5.000 variance 9.000"
  out=$("$dir/utm_and_database")
  expect "$out" "Vienna: UTM 33U (zone 33) easting 602065.2 northing 5340353.6"  # GeoConvert -u -p 1
  expect "$out" "towns in the box: 2"
  out=$("$dir/read_molfile" examples/caffeine.mol)
  expect "$out" "caffeine: C8H10N4O2, 194.19 g/mol, 2 rings:"
  if [[ -x "$dir/chart_export" ]]; then
    out=$(cd "$dir" && ./chart_export)
    expect "$out" "written as chart.png, chart.svg, chart.pdf"
    expect "$(head -c 8 "$dir/chart.png" | od -An -c)" "P   N   G"
    expect "$(head -c 5 "$dir/chart.pdf")" "%PDF-"
    grep -q "<svg" "$dir/chart.svg" || fail "chart.svg is no SVG"
  fi
}

# 1. find_package from an outside project.
cmake -S examples -B "$BUILD/examples" -G Ninja -DCMAKE_PREFIX_PATH="$PREFIX" > /dev/null
cmake --build "$BUILD/examples" > /dev/null
run_examples "$BUILD/examples"
echo "check-install: examples built with find_package(Zol) and run"

# 2. pkg-config.
export PKG_CONFIG_PATH="$PREFIX/lib/pkgconfig"
mkdir -p "$BUILD/pc"
EXAMPLES="draw_line:zol-corelib matrix_stats:zol-numlib utm_and_database:zol-geolib read_molfile:zol-chemlib"
if [[ -f "$PREFIX/include/zol/chart/Zol_rchart.h" ]]; then EXAMPLES+=" chart_export:zol-chartlib"; fi
for ex in $EXAMPLES; do
  # shellcheck disable=SC2046
  g++ "examples/${ex%%:*}.cpp" -o "$BUILD/pc/${ex%%:*}" $(pkg-config --cflags --libs "${ex##*:}") \
      -Wl,-rpath,"$PREFIX/lib"
done
run_examples "$BUILD/pc"
echo "check-install: examples built with pkg-config and run"

# 3. The Debian package.
(cd "$BUILD" && cpack -G DEB > /dev/null)
DEB=$(ls "$BUILD"/zol_*.deb | head -1)
[[ -f "$DEB" ]] || fail "no package built"
DEPS=$(dpkg-deb -f "$DEB" Depends)
for lib in libfreetype6 libfontconfig1 libpng16-16 libcairo2; do
  expect "$DEPS" "$lib"
done
FILES=$(dpkg-deb -c "$DEB")
for f in include/zol/math/Zol_matrix.h lib/cmake/Zol/ZolConfig.cmake lib/pkgconfig/zol-numlib.pc \
         libzol-corelib.so.1; do
  expect "$FILES" "$f"
done
echo "check-install: $(basename "$DEB") depends on: $DEPS"
if [[ $(id -u) -eq 0 && "${ZOL_CHECK_DEB_INSTALL:-${CI:-}}" != "" ]]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$DEB" > /dev/null
  cmake -S examples -B "$BUILD/examples-usr" -G Ninja > /dev/null
  cmake --build "$BUILD/examples-usr" > /dev/null
  unset PKG_CONFIG_PATH
  # shellcheck disable=SC2046
  g++ examples/matrix_stats.cpp -o "$BUILD/examples-usr/matrix_stats_pc" $(pkg-config --cflags --libs zol-numlib)
  out=$("$BUILD/examples-usr/matrix_stats_pc")
  expect "$out" "mean 5.000 variance 9.000"
  run_examples "$BUILD/examples-usr"
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq zol > /dev/null
  echo "check-install: package installed with apt, examples built against /usr, package removed"
fi
echo "check-install: all passed"
