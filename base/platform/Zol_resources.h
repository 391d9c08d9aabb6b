// Platform services: images compiled into the library, loaded by name with
// TBitmap::LoadFromResourceName.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zol {

// A built-in image: Width x Height pixel words 0xAARRGGBB, rows top-down.
struct TResourceImage {
  std::string Name;
  int Width = 0, Height = 0;
  std::vector<uint32_t> Pixels;
};

namespace Resources {
// Finds an image by name (ASCII case-insensitive); nullptr when there is none.
const TResourceImage* Find(const std::string& name);
// Adds (or replaces) an image.  Pixels must hold Width*Height words.
// False when the sizes do not match.
bool Register(const std::string& name, int width, int height, const std::vector<uint32_t>& pixels);
// Adds an image drawn as text: one string per row, every character looked up
// in legend (character -> pixel word).  An unknown character is transparent
// fuchsia.  False when the rows differ in length.
bool RegisterArt(const std::string& name, const std::vector<std::string>& rows,
                 const std::vector<std::pair<char, uint32_t>>& legend);
// Names of all images, sorted.
std::vector<std::string> Names();
}  // namespace Resources

}  // namespace zol
