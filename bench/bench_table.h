// The main function of a benchmark that ends with a table of its own: the
// runs are reported through a Reporter (a console reporter that also keeps
// what the table needs), then Print(reporter) writes the table.
#pragma once

#include <benchmark/benchmark.h>

template <class Reporter, class Print>
int RunBenchmarksWithTable(int argc, char** argv, Print print) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Reporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  print(reporter);
  benchmark::Shutdown();
  return 0;
}
