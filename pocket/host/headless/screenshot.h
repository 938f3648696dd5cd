// Screenshots of the device screen.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>

namespace pk {

// Pixels 0x00RRGGBB; grey keeps one channel per pixel (the screen of a grey device).
// Returns an error message, or an empty string.
std::string writePng(const std::filesystem::path& file, const uint32_t* pixels, int width, int height, bool grey);

}  // namespace pk
