// The fuzzing harnesses of the ctrllib readers, built as ordinary functions for the
// replay (one file per library: the libraries' headers are not meant to share
// one translation unit).
#include "tests/fuzz/fuzz_ntabed.cpp"
