// Explorer driver.
//   explorer [ENTRY] [--set NAME=VALUE]... [--dump]
//                         opens the explorer window (ENTRY "Group/Name" shown
//                         first); --dump prints the shown entry's properties
//                         ("Name=Value" lines) when the window closes
//   explorer --list       the entries, one "Group/Name" a line
//   explorer --shot ENTRY FILE.png [W H] [--set NAME=VALUE]...
//                         builds ENTRY on a headless form of W x H pixels
//                         (default 800 x 600, the size of the live area of the
//                         window), applies the settings and saves the picture
// The window needs a display; without one the explorer says so and answers 1.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "apps/explorer/Explorer.h"
#include "apps/explorer/ExplorerForm.h"
#include "base/platform/Zol_forms.h"
#ifdef ZOL_EXPLORER_WINDOWS
#include "host/Zol_fltkhost.h"
#endif

namespace {

bool Apply(const explorer::Demo& d, const std::string& s) {
  size_t eq = s.find('=');
  if (eq == std::string::npos) return false;
  for (const auto& p : d.Properties)
    if (p.Name == s.substr(0, eq) && p.Set) {
      p.Set(s.substr(eq + 1));
      return true;
    }
  return false;
}

int Shot(const std::string& key, const std::string& file, int w, int h, const std::vector<std::string>& sets) {
  const explorer::EntryInfo* e = explorer::FindEntry(key);
  if (!e) {
    std::fprintf(stderr, "explorer: no entry %s\n", key.c_str());
    return 2;
  }
  auto form = std::make_unique<zol::TForm>(nullptr);
  form->SetBounds(0, 0, w, h);
  form->Show();
  explorer::Demo d = e->Build(*form);
  for (const std::string& s : sets)
    if (!Apply(d, s)) {
      std::fprintf(stderr, "explorer: %s has no settable property in %s\n", key.c_str(), s.c_str());
      return 2;
    }
  zol::Application()->ProcessMessages();
  auto bmp = form->PaintToBitmap();
  try {
    bmp->SaveToFile(file);
  } catch (const std::exception& ex) {
    std::fprintf(stderr, "explorer: cannot write %s: %s\n", file.c_str(), ex.what());
    return 1;
  }
  return 0;
}

#ifdef ZOL_EXPLORER_WINDOWS
int Interactive(const std::string& key, const std::vector<std::string>& sets, bool dump) {
  std::string why;
  if (!zol::UseFltkHost(&why)) {
    std::fprintf(stderr, "explorer: cannot open a window: %s\n", why.c_str());
    return 1;
  }
  auto* form = new explorer::TExplorerForm(zol::Application());
  int index = -1;
  if (!key.empty()) {
    const explorer::EntryInfo* e = explorer::FindEntry(key);
    if (!e) {
      std::fprintf(stderr, "explorer: no entry %s\n", key.c_str());
      zol::ShutdownFltkHost();
      return 2;
    }
    index = int(e - explorer::Entries().data());
  } else if (!explorer::Entries().empty()) {
    index = 0;
  }
  form->ShowEntry(index);
  for (const std::string& s : sets)
    if (!form->ApplySetting(s)) std::fprintf(stderr, "explorer: ignored setting %s\n", s.c_str());
  form->Show();
  zol::RunFltkHost();
  if (dump) {
    std::fputs(form->DumpProperties().c_str(), stdout);
    std::fflush(stdout);
  }
  zol::ShutdownFltkHost();
  return 0;
}
#else
int Interactive(const std::string&, const std::vector<std::string>&, bool) {
  std::fprintf(stderr, "explorer: cannot open a window: built without the window host\n");
  return 1;
}
#endif

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string cmd = args.empty() ? "" : args[0];
  if (cmd == "--list") {
    for (const auto& e : explorer::Entries()) std::printf("%s/%s\n", e.Group.c_str(), e.Name.c_str());
    return 0;
  }
  std::vector<std::string> sets, rest;
  bool dump = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--set" && i + 1 < args.size())
      sets.push_back(args[++i]);
    else if (args[i] == "--dump")
      dump = true;
    else
      rest.push_back(args[i]);
  }
  if (!rest.empty() && rest[0] == "--shot") {
    if (rest.size() < 3) {
      std::fprintf(stderr, "explorer: --shot ENTRY FILE.png [W H]\n");
      return 2;
    }
    int w = rest.size() >= 5 ? std::atoi(rest[3].c_str()) : 800, h = rest.size() >= 5 ? std::atoi(rest[4].c_str()) : 600;
    return Shot(rest[1], rest[2], w > 0 ? w : 800, h > 0 ? h : 600, sets);
  }
  if (!rest.empty() && rest[0].rfind("--", 0) == 0) {
    std::fprintf(stderr, "explorer: unknown option %s\n", rest[0].c_str());
    return 2;
  }
  return Interactive(rest.empty() ? std::string() : rest[0], sets, dump);
}
