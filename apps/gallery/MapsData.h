// Where the demo programs find the sample maps (data/maps of the source tree):
// beside the program's source, whose path the compiler gives relative to the
// build folder (two levels above the program in <build>/bin) or absolute;
// else data/maps below the current folder.
#pragma once

#include <string>
#include <unistd.h>

#include "base/platform/Zol_sysutils.h"

namespace mapsdemo {

inline std::string MapsDir(const char* sourceFile) {
  std::string src = sourceFile;
  // <root>/apps/<program>/<file>.cpp -> <root>/
  std::string root = src;
  for (int i = 0; i < 3; ++i) {
    const size_t p = root.find_last_of('/');
    root = p == std::string::npos ? std::string() : root.substr(0, p);
  }
  if (!src.empty() && src[0] != '/') {
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
      std::string dir(exe, size_t(n));
      dir = dir.substr(0, dir.find_last_of('/'));  // <build>/bin
      root = dir.substr(0, dir.find_last_of('/')) + "/" + root;
    }
  }
  const std::string cand = root + "/data/maps/";
  if (zol::FileExists(cand + "world.cal")) return cand;
  return "data/maps/";
}

}  // namespace mapsdemo
