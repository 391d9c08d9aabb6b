// The fuzzing harnesses of the numlib readers, built as ordinary functions for the
// replay (one file per library: the libraries' headers are not meant to share
// one translation unit).
#include "tests/fuzz/fuzz_curvefit_asc.cpp"
#include "tests/fuzz/fuzz_datatable.cpp"
#include "tests/fuzz/fuzz_kohonen.cpp"
#include "tests/fuzz/fuzz_math1_scanners.cpp"
#include "tests/fuzz/fuzz_matrix_binary.cpp"
#include "tests/fuzz/fuzz_matrix_more.cpp"
#include "tests/fuzz/fuzz_matrix_text.cpp"
#include "tests/fuzz/fuzz_matrix_xml.cpp"
#include "tests/fuzz/fuzz_vector.cpp"
#include "tests/fuzz/fuzz_pls_comment.cpp"
