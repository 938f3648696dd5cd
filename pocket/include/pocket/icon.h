// The program's icon, for hosts that show one: the largest image of an .ico file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include <pocket/module.h>

namespace pk {

struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // R, G, B, A bytes, top row first
};

// The largest (then deepest) bitmap image of an .ico file; none for anything else.
std::optional<IconImage> decodeIcon(const unsigned char* data, size_t size);
// Icon group 21 of the module, where the program keeps its icon.
std::optional<IconImage> programIcon(const ModuleImage& module);

}  // namespace pk
