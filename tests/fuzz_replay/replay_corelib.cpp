// The fuzzing harnesses of the corelib readers, built as ordinary functions for the
// replay (one file per library: the libraries' headers are not meant to share
// one translation unit).
#include "tests/fuzz/fuzz_assoc_array.cpp"
#include "tests/fuzz/fuzz_codecs.cpp"
#include "tests/fuzz/fuzz_colour_map.cpp"
#include "tests/fuzz/fuzz_grep.cpp"
#include "tests/fuzz/fuzz_images.cpp"
#include "tests/fuzz/fuzz_string_array.cpp"
#include "tests/fuzz/fuzz_tagged_text.cpp"
#include "tests/fuzz/fuzz_text_label.cpp"
#include "tests/fuzz/fuzz_text_scanners.cpp"
