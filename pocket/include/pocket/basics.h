// Small rules the layer, its hosts and its tools share, each written once: the
// device's case folding (ASCII only, as the platform's file and resource names),
// little-endian numbers of its file formats, UTF-8 to UTF-16, and the grey level of a colour.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

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

// Reads the UTF-8 sequence at text[i] into cp and moves i past it. A malformed one (a
// bad lead, cut short, overlong, a surrogate, past U+10FFFF) gives false, with i past the
// bytes that belonged to it, so a reader may stop there or put U+FFFD in its place.
inline bool nextUtf8(std::string_view text, size_t& i, char32_t& cp) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  int extra;
  if (c < 0x80) {
    cp = c, extra = 0;
  } else if ((c & 0xE0) == 0xC0) {
    cp = c & 0x1F, extra = 1;
  } else if ((c & 0xF0) == 0xE0) {
    cp = c & 0x0F, extra = 2;
  } else if ((c & 0xF8) == 0xF0) {
    cp = c & 0x07, extra = 3;
  } else {
    ++i;
    return false;
  }
  int k = 1;
  for (; k <= extra && i + size_t(k) < text.size(); ++k) {
    unsigned char d = static_cast<unsigned char>(text[i + size_t(k)]);
    if ((d & 0xC0) != 0x80) break;
    cp = (cp << 6) | (d & 0x3F);
  }
  constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  bool ok = k > extra && cp >= kMin[extra] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
  i += ok ? size_t(extra) + 1 : size_t(k);
  return ok;
}

inline void appendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += char16_t(0xD800 + (cp >> 10));
    out += char16_t(0xDC00 + (cp & 0x3FF));
  } else {
    out += char16_t(cp);
  }
}

// Brightness of 0x00RRGGBB in thousandths of a level: 0 (black) to 255000 (white).
constexpr int lumaMilli(uint32_t rgb) {
  return int((rgb >> 16) & 0xFF) * 299 + int((rgb >> 8) & 0xFF) * 587 + int(rgb & 0xFF) * 114;
}

}  // namespace pk
