// The fuzzing harnesses of the chartlib readers, built as ordinary functions for the
// replay (one file per library: the libraries' headers are not meant to share
// one translation unit).
#include "tests/fuzz/fuzz_rchart.cpp"
