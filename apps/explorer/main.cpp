// Explorer driver.
//   explorer --list                         the entries, one "Group/Name" a line
//   explorer --shot ENTRY FILE.png [W H]    builds ENTRY on a headless form of
//                                           W x H pixels (default 800 x 600) and
//                                           saves the picture
// The interactive mode needs a window host.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "apps/explorer/Explorer.h"
#include "base/platform/Zol_forms.h"

namespace {

int Shot(const std::string& key, const std::string& file, int w, int h) {
  const explorer::EntryInfo* e = explorer::FindEntry(key);
  if (!e) {
    std::fprintf(stderr, "explorer: no entry %s\n", key.c_str());
    return 2;
  }
  auto form = std::make_unique<zol::TForm>(nullptr);
  form->SetBounds(0, 0, w, h);
  form->Show();
  explorer::Demo d = e->Build(*form);
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

}  // namespace

int main(int argc, char** argv) {
  std::string cmd = argc > 1 ? argv[1] : "";
  if (cmd == "--list") {
    for (const auto& e : explorer::Entries()) std::printf("%s/%s\n", e.Group.c_str(), e.Name.c_str());
    return 0;
  }
  if (cmd == "--shot" && argc >= 4) {
    int w = argc >= 6 ? std::atoi(argv[4]) : 800, h = argc >= 6 ? std::atoi(argv[5]) : 600;
    return Shot(argv[2], argv[3], w > 0 ? w : 800, h > 0 ? h : 600);
  }
  std::fprintf(stderr, "explorer: no window host is available\n");
  return 1;
}
