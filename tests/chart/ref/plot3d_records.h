// Reading the reference file written by plot3d_projection.py.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace plot3dref {

// The records of data/plot3d_projection.txt whose first word is key, each
// split into its numbers.
inline std::vector<std::vector<double>> Records(const std::string& key) {
  std::ifstream f(std::string(ZOL_TEST_SRC_DIR) + "/data/plot3d_projection.txt");
  std::vector<std::vector<double>> out;
  std::string line;
  while (std::getline(f, line)) {
    std::istringstream s(line);
    std::string k;
    s >> k;
    if (k != key) continue;
    std::vector<double> v;
    double d;
    while (s >> d) v.push_back(d);
    out.push_back(v);
  }
  return out;
}

}  // namespace plot3dref
