// The fuzzing harnesses of the chemlib readers, built as ordinary functions for the
// replay (one file per library: the libraries' headers are not meant to share
// one translation unit).
#include "tests/fuzz/fuzz_formula.cpp"
#include "tests/fuzz/fuzz_molfile.cpp"
#include "tests/fuzz/fuzz_sdfile.cpp"
