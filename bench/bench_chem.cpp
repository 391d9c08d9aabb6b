// Connection tables: reading an SD file of 10 000 structures (the test
// molecules repeated) and perceiving their rings.  For comparison, time a
// command-line converter on the same file outside the benchmark; the file is
// left at <temp>/zol_bench_chem.sdf.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/platform/Zol_classes.h"
#include "base/platform/Zol_sysutils.h"
#include "chem/Zol_cstruct.h"

namespace {

const int kStructures = 10000;

std::string DataDir() {
  std::string f = __FILE__;
  return f.substr(0, f.rfind('/')) + "/../tests/chem/data/";
}

const std::string& SDFile() {
  static std::string path;
  if (!path.empty()) return path;
  const char* names[] = {"water", "ethanol", "acetic_acid", "benzene", "naphthalene", "pyridine",
                         "sodium_benzoate", "cubane", "adamantane", "norbornane", "cholesterol",
                         "testosterone", "estradiol", "aspirin", "caffeine", "ibuprofen", "paracetamol",
                         "nicotine", "chloramphenicol", "bromobenzene"};
  std::vector<std::string> mols;
  for (const char* n : names) {
    std::ifstream in(DataDir() + n + ".mol", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string m = ss.str();
    while (!m.empty() && m.back() == '\n') m.pop_back();
    mols.push_back(m + "\n> <BOILP>\n100\n\n$$$$\n");
  }
  const char* tmp = std::getenv("TMPDIR");
  path = std::string(tmp ? tmp : "/tmp") + "/zol_bench_chem.sdf";
  std::ofstream out(path, std::ios::binary);
  for (int i = 0; i < kStructures; ++i) out << mols[i % mols.size()];
  return path;
}

void BM_ReadSDFile(benchmark::State& state) {
  const std::string& path = SDFile();
  auto t = std::make_unique<zol::TCTab>(nullptr);
  zol::TPropArray props;
  for (auto _ : state) {
    zol::TextFile f;
    zol::AssignFile(f, path);
    zol::Reset(f);
    int n = 0;
    while (t->ReadFromMDLSDFile(f, props)) ++n;
    zol::CloseFile(f);
    if (n != kStructures) state.SkipWithError("wrong number of structures");
  }
  state.SetItemsProcessed(state.iterations() * kStructures);
}

void BM_ReadSDFileAndFindRings(benchmark::State& state) {
  const std::string& path = SDFile();
  auto t = std::make_unique<zol::TCTab>(nullptr);
  auto rings = std::make_unique<zol::RingListType>();
  zol::TPropArray props;
  for (auto _ : state) {
    zol::TextFile f;
    zol::AssignFile(f, path);
    zol::Reset(f);
    int total = 0;
    while (t->ReadFromMDLSDFile(f, props)) total += t->FindSSSR(*rings);
    zol::CloseFile(f);
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(state.iterations() * kStructures);
}

}  // namespace

BENCHMARK(BM_ReadSDFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSDFileAndFindRings)->Unit(benchmark::kMillisecond);
