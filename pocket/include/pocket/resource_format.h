// The binary layout of compiled menus and dialogs: the resource compiler writes it
// and the layer reads it, both through this header, so the two cannot drift apart.
//
// A block is self-delimiting (a dialog template travels as a bare pointer): 4-byte
// magic, 32-bit total length, then the body. Numbers are little-endian; a text is
// a 16-bit count of UTF-16 units followed by the units.
//   menu:   "PKMN", length, u16 count, items. Item: u16 flags (MenuFlag), i32 id,
//           text, and for a pop-up its own u16 count and items.
//   dialog: "PKDL", length, u32 style, u32 exstyle, i16 x y cx cy, u16 font points,
//           text title, text face, u16 item count, items. Item: u32 style, i32 id,
//           i16 x y cx cy, text class, text text.
// Accelerator tables are the platform's own: entries of four u16 (flags, key, command,
// padding), the last one's flags marked kAccelLast.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <pocket/basics.h>

namespace pk::resfmt {

inline constexpr char kMenuMagic[4] = {'P', 'K', 'M', 'N'};
inline constexpr char kDialogMagic[4] = {'P', 'K', 'D', 'L'};
enum MenuFlag : uint32_t { kPopup = 1, kSeparator = 2, kGrayed = 4 };
inline constexpr size_t kAccelEntrySize = 8;
// FVIRTKEY, FNOINVERT, FSHIFT, FCONTROL, FALT and the end mark, as the platform numbers them.
enum AccelFlag : uint32_t {
  kAccelVirtKey = 0x01, kAccelNoInvert = 0x02, kAccelShift = 0x04, kAccelControl = 0x08, kAccelAlt = 0x10,
  kAccelLast = 0x80
};

class Writer {
 public:
  std::vector<unsigned char> bytes;

  void u16(uint32_t v) {
    bytes.push_back(uint8_t(v));
    bytes.push_back(uint8_t(v >> 8));
  }
  void u32(uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  // The caller keeps texts under 65536 units.
  void text(const std::u16string& s) {
    u16(uint32_t(s.size()));
    for (char16_t c : s) u16(c);
  }
  void append(const Writer& other) { bytes.insert(bytes.end(), other.bytes.begin(), other.bytes.end()); }
  // A 16-bit count written before what it counts is known.
  size_t placeholder16() {
    u16(0);
    return bytes.size() - 2;
  }
  void patch16(size_t at, uint32_t v) {
    bytes[at] = uint8_t(v);
    bytes[at + 1] = uint8_t(v >> 8);
  }
  void beginBlock(const char magic[4]) {
    bytes.insert(bytes.end(), magic, magic + 4);
    u32(0);
  }
  // Writes the total length of a block begun at the start.
  void endBlock() {
    uint32_t n = uint32_t(bytes.size());
    for (int k = 0; k < 4; ++k) bytes[4 + size_t(k)] = uint8_t(n >> (8 * k));
  }
};

// Refuses to step outside its block: a read past the end gives 0 and clears `ok`.
struct Reader {
  const unsigned char* data;
  size_t size;
  size_t at = 0;
  bool ok = true;

  bool need(size_t n) {
    if (!ok || size - at < n) ok = false;
    return ok;
  }
  uint32_t u16() {
    if (!need(2)) return 0;
    uint32_t v = le16(data + at);
    at += 2;
    return v;
  }
  uint32_t u32() {
    uint32_t lo = u16();
    return lo | (u16() << 16);
  }
  int s16() { return int(int16_t(uint16_t(u16()))); }
  std::u16string text() {
    uint32_t n = u16();
    std::u16string s;
    if (!need(size_t(n) * 2)) return s;
    s.reserve(n);
    for (uint32_t i = 0; i < n; ++i) s += char16_t(u16());
    return s;
  }
};

// The body of a block with this magic, no longer than `limit` bytes.
inline std::optional<Reader> openBlock(const void* p, const char magic[4], size_t limit = SIZE_MAX) {
  if (!p) return std::nullopt;
  auto b = static_cast<const unsigned char*>(p);
  if (limit < 8 || std::memcmp(b, magic, 4) != 0) return std::nullopt;
  uint32_t total = le32(b + 4);
  if (total < 8 || total > limit) return std::nullopt;
  Reader r{b, total};
  r.at = 8;
  return r;
}

}  // namespace pk::resfmt
