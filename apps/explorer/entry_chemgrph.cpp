// Explorer entry: the structure drawing with a molecule of the test set.
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "apps/explorer/Explorer.h"
#include "base/platform/Zol_classes.h"
#include "chem/Zol_chemgrph.h"

namespace {

std::string MolFile(const std::string& name) { return ZOL_SOURCE_DIR "/tests/chem/data/" + name + ".mol"; }

bool Load(zol::TChemGraph* g, const std::string& name) {
  zol::TextFile f;
  zol::AssignFile(f, MolFile(name));
  try {
    zol::Reset(f);
  } catch (const std::exception&) {
    return false;
  }
  bool ok = g->MolGraph().ReadFromMDLMolFile(f);
  zol::CloseFile(f);
  return ok;
}

const char* kModes[] = {"skeleton", "hetero", "all", "numbers"};

}  // namespace

ZOL_EXPLORER_ENTRY("Chemistry", "TChemGraph") {
  auto* g = new zol::TChemGraph(&Parent);
  g->SetParent(&Parent);
  g->SetBounds(0, 0, 420, 300);
  g->SetDisplayMode(zol::dmHeteroOnly);
  auto name = std::make_shared<std::string>("caffeine");
  Load(g, *name);
  explorer::Demo d{g, {}};
  d.Properties.push_back({"Molecule", [name] { return *name; },
                          [g, name](const std::string& v) {
                            if (Load(g, v)) *name = v;
                          }});
  d.Properties.push_back({"DisplayMode", [g] { return std::string(kModes[g->DisplayMode()]); },
                          [g](const std::string& v) {
                            for (int i = 0; i < 4; ++i)
                              if (v == kModes[i]) g->SetDisplayMode(static_cast<zol::TCGDispMode>(i));
                          }});
  d.Properties.push_back({"MaxBondLeng", [g] { return std::to_string(g->MaxBondLeng()); },
                          [g](const std::string& v) { g->SetMaxBondLeng(std::atoi(v.c_str())); }});
  d.Properties.push_back({"DrawAsIs", [g] { return std::string(g->DrawAsIs() ? "true" : "false"); },
                          [g](const std::string& v) { g->SetDrawAsIs(v == "true" || v == "1"); }});
  d.Properties.push_back({"OptimizeMolShape", [] { return std::string("(set a bond length)"); },
                          [g](const std::string& v) { g->OptimizeMolShape(std::atof(v.c_str())); }});
  return d;
}
