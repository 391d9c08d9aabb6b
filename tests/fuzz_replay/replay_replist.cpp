// The report list harness, built as an ordinary function for the replay (a file
// of its own, like the other libraries' harnesses).
#include "tests/fuzz/fuzz_replist.cpp"
