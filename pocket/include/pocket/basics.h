// Small rules the layer, its hosts and its tools share, each written once: the
// device's case folding (ASCII only, as the platform's file and resource names),
// little-endian numbers of its file formats, and the grey level of a colour.
#pragma once
#include <cstdint>
#include <string>

namespace pk {

template <typename Char>
constexpr Char upperAscii(Char c) requires(sizeof(Char) <= 4) {
  return c >= Char('a') && c <= Char('z') ? Char(c - 32) : c;
}
template <typename Char>
constexpr Char lowerAscii(Char c) requires(sizeof(Char) <= 4) {
  return c >= Char('A') && c <= Char('Z') ? Char(c + 32) : c;
}
template <typename Char>
std::basic_string<Char> upperAscii(std::basic_string<Char> s) {
  for (auto& c : s) c = upperAscii(c);
  return s;
}
template <typename Char>
std::basic_string<Char> lowerAscii(std::basic_string<Char> s) {
  for (auto& c : s) c = lowerAscii(c);
  return s;
}

inline uint32_t le16(const unsigned char* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
inline uint32_t le32(const unsigned char* p) { return le16(p) | (le16(p + 2) << 16); }

// Brightness of 0x00RRGGBB in thousandths of a level: 0 (black) to 255000 (white).
constexpr int lumaMilli(uint32_t rgb) {
  return int((rgb >> 16) & 0xFF) * 299 + int((rgb >> 8) & 0xFF) * 587 + int(rgb & 0xFF) * 114;
}

}  // namespace pk
