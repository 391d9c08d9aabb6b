// Images compiled into the library.  Glyphs are drawn as text art: '.' is
// the transparent fuchsia background (the bottom-left pixel, so a bitmap
// loaded from here is drawn transparently with tmAuto), '#' black, 'w' white,
// 'g' grey, 'd' dark grey, 'r' red, 'b' navy blue.
#include "base/platform/Zol_resources.h"

#include <algorithm>
#include <map>
#include <utility>

#include "base/platform/Zol_sysutils.h"

namespace zol {
namespace {

constexpr uint32_t kTransparent = 0xFFFF00FFu;  // fuchsia as pixel word 0xAARRGGBB

const std::vector<std::pair<char, uint32_t>>& StdLegend() {
  static const std::vector<std::pair<char, uint32_t>> legend = {
      {'.', kTransparent}, {'#', 0xFF000000u}, {'w', 0xFFFFFFFFu}, {'g', 0xFFC0C0C0u},
      {'d', 0xFF808080u},  {'r', 0xFFFF0000u}, {'b', 0xFF000080u}};
  return legend;
}

struct Store {
  std::map<std::string, TResourceImage> images;  // key: upper-case name
  Store();
};

Store& TheStore() {
  static Store s;
  return s;
}

void Add(Store& s, const std::string& name, const std::vector<std::string>& rows) {
  TResourceImage img;
  img.Name = name;
  img.Height = static_cast<int>(rows.size());
  img.Width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
  for (const auto& r : rows)
    for (char ch : r) {
      uint32_t v = kTransparent;
      for (const auto& [c, px] : StdLegend())
        if (c == ch) v = px;
      img.Pixels.push_back(v);
    }
  s.images[UpperCase(name)] = std::move(img);
}

Store::Store() {
  // Small arrows (9 x 9) for spin buttons and sort marks.
  Add(*this, "ZOL_ARROWUP",
      {".........", ".........", "....#....", "...###...", "..#####..", ".#######.", ".........", ".........",
       "........."});
  Add(*this, "ZOL_ARROWDOWN",
      {".........", ".........", ".#######.", "..#####..", "...###...", "....#....", ".........", ".........",
       "........."});
  Add(*this, "ZOL_ARROWLEFT",
      {".........", ".....#...", "....##...", "...###...", "..####...", "...###...", "....##...", ".....#...",
       "........."});
  Add(*this, "ZOL_ARROWRIGHT",
      {".........", "...#.....", "...##....", "...###...", "...####..", "...###...", "...##....", "...#.....",
       "........."});
  // Check mark and cross (11 x 11) for menus, check boxes and on/off buttons.
  Add(*this, "ZOL_CHECKMARK",
      {"...........", "...........", "........#..", ".......##..", "#.....###..", "##...###...", "###.###....",
       ".#####.....", "..###......", "...#.......", "..........."});
  Add(*this, "ZOL_CROSSMARK",
      {"...........", ".##.....##.", ".###...###.", "..###.###..", "...#####...", "....###....", "...#####...",
       "..###.###..", ".###...###.", ".##.....##.", "..........."});
  // Cursor shapes (16 x 16) of the chart: hand for panning, magnifiers for zooming.
  Add(*this, "CURHAND",
      {"................", ".......##.......", "......#ww##.....", "......#ww#w#....", "......#ww#ww##..",
       "...##.#ww#ww#w#.", "..#ww##ww#ww#ww#", "..#www#wwwwwwww#", "...#wwwwwwwwwww#", "....#wwwwwwwwww#",
       "....#wwwwwwwww#.", ".....#wwwwwwww#.", ".....#wwwwwww#..", "......#wwwwww#..", "......#wwwwww#..",
       "......########.."});
  Add(*this, "CURZOOMW",
      {"....####........", "..##wwww##......", ".#wwwwwwww#.....", ".#w##w##ww#.....", "#ww#wwww#ww#....",
       "#wwwwwwwwww#....", "#ww#wwww#ww#....", ".#w##w##ww#.....", ".#wwwwwwww#.....", "..##wwww###.....",
       "....####.###....", "...........###..", "............###.", ".............###", "..............##",
       "................"});
  Add(*this, "CURZOOMD",
      {"....####........", "..##wwww##......", ".#wwwwwwww#.....", ".#wwwwwwww#.....", "#wwwwwwwwww#....",
       "#ww######ww#....", "#wwwwwwwwww#....", ".#wwwwwwww#.....", ".#wwwwwwww#.....", "..##wwww###.....",
       "....####.###....", "...........###..", "............###.", ".............###", "..............##",
       "................"});
  Add(*this, "CURZOOMP",
      {"....####........", "..##wwww##......", ".#wwww#www#.....", ".#wwww#www#.....", "#wwwww#wwww#....",
       "#ww#######w#....", "#wwwww#wwww#....", ".#wwww#www#.....", ".#wwww#www#.....", "..##wwww###.....",
       "....####.###....", "...........###..", "............###.", ".............###", "..............##",
       "................"});
  // Cross-hair cursor.
  Add(*this, "ZOL_CURSORCROSS",
      {".......#.......", ".......#.......", ".......#.......", ".......#.......", ".......#.......",
       "...............", "...............", "#####.....#####", "...............", "...............",
       ".......#.......", ".......#.......", ".......#.......", ".......#.......", ".......#......."});
}

}  // namespace

namespace Resources {

const TResourceImage* Find(const std::string& name) {
  auto& m = TheStore().images;
  auto it = m.find(UpperCase(name));
  return it == m.end() ? nullptr : &it->second;
}

bool Register(const std::string& name, int width, int height, const std::vector<uint32_t>& pixels) {
  if (width < 0 || height < 0 || int64_t(width) * height != int64_t(pixels.size())) return false;
  TResourceImage img;
  img.Name = name;
  img.Width = width;
  img.Height = height;
  img.Pixels = pixels;
  TheStore().images[UpperCase(name)] = std::move(img);
  return true;
}

bool RegisterArt(const std::string& name, const std::vector<std::string>& rows,
                 const std::vector<std::pair<char, uint32_t>>& legend) {
  size_t w = rows.empty() ? 0 : rows[0].size();
  for (const auto& r : rows)
    if (r.size() != w) return false;
  std::vector<uint32_t> px;
  px.reserve(w * rows.size());
  for (const auto& r : rows)
    for (char ch : r) {
      uint32_t v = kTransparent;
      for (const auto& [c, p] : legend)
        if (c == ch) v = p;
      px.push_back(v);
    }
  return Register(name, static_cast<int>(w), static_cast<int>(rows.size()), px);
}

std::vector<std::string> Names() {
  std::vector<std::string> out;
  for (const auto& [k, v] : TheStore().images) out.push_back(v.Name);
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace Resources
}  // namespace zol
