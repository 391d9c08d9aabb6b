// The report list harness, built as an ordinary function for the replay; a file
// of its own, as gui/Zol_replist.h and math/Zol_matrix.h (through the table
// editor) both declare an enumerator xmlInvalid.
#include "tests/fuzz/fuzz_replist.cpp"
