// The fuzzing harnesses of the geolib readers, built as ordinary functions for the
// replay (one file per library: the libraries' headers are not meant to share
// one translation unit).
#include "tests/fuzz/fuzz_geodb.cpp"
#include "tests/fuzz/fuzz_geomap.cpp"
