// Glyphs and metrics of the Tahoma-metric faces, through FreeType.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <windows.h>

namespace pk::text {

struct Metrics {
  int ascent = 0;
  int descent = 0;
  int height = 0;
};

// One glyph as drawn: `bits` holds rows x width cells of 0 or 1 (monochrome).
struct Glyph {
  int width = 0;
  int rows = 0;
  int left = 0;  // from the pen position to the first column
  int top = 0;   // from the baseline up to the first row
  int advance = 0;
  std::vector<uint8_t> bits;
};

// Opens tahoma.ttf (and tahomabd.ttf when there) from a folder; an error message
// naming what to install when the regular face is missing.
std::string openFaces(const std::filesystem::path& folder);
// The same from the layer's font folder, tried once; empty when the faces are open.
std::string requireFaces();

int pixelSizeForHeight(LONG logicalHeight);
Metrics metrics(int pixelSize, bool bold);
const Glyph& glyph(int pixelSize, bool bold, char32_t c);

}  // namespace pk::text
