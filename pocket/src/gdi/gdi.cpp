// GDI objects and device contexts behind a handle table, so that a stale or bogus
// handle makes a call fail instead of touching freed memory.
#include <algorithm>
#include <unordered_map>
#include <utility>
#include <variant>

#include <pocket/automation.h>

#include "gdi/gdi.h"
#include "gdi/gdi_internal.h"
#include "gdi/text.h"
#include "system/device.h"

namespace pk::gdi {
namespace {

using Object = std::variant<Bitmap, Brush, Pen, Font, DC>;

struct Entry {
  Object object;
  bool stock = false;
  int selections = 0;  // DCs holding this brush, pen or font
};

constexpr uintptr_t kStockBase = 0x100;
constexpr uintptr_t kDefaultBitmap = kStockBase + 0x20;
constexpr uintptr_t kFirstId = 0x1000;
constexpr int kSystemFontPixels = 11;

// Most bitmaps are small; this stops a bogus size from eating the machine.
constexpr int64_t kMaxBitmapPixels = int64_t(1) << 26;

struct Table {
  std::unordered_map<uintptr_t, Entry> entries;
  uintptr_t next = kFirstId;
  size_t objects = 0;
  size_t dcs = 0;

  Table() {
    auto brush = [&](int which, COLORREF c, bool hollow) {
      entries.emplace(kStockBase + which, Entry{Brush{c, hollow}, true});
    };
    brush(WHITE_BRUSH, RGB(255, 255, 255), false);
    brush(LTGRAY_BRUSH, RGB(192, 192, 192), false);
    brush(GRAY_BRUSH, RGB(128, 128, 128), false);
    brush(BLACK_BRUSH, RGB(0, 0, 0), false);
    brush(NULL_BRUSH, 0, true);
    entries.emplace(kStockBase + WHITE_PEN, Entry{Pen{RGB(255, 255, 255), false}, true});
    entries.emplace(kStockBase + BLACK_PEN, Entry{Pen{0, false}, true});
    entries.emplace(kStockBase + NULL_PEN, Entry{Pen{0, true}, true});
    Font system;
    system.logical.lfHeight = -kSystemFontPixels;
    system.logical.lfWeight = FW_NORMAL;
    std::copy_n(u"Tahoma", 7, system.logical.lfFaceName);
    system.pixelSize = kSystemFontPixels;
    entries.emplace(kStockBase + SYSTEM_FONT, Entry{system, true});
    entries.emplace(kDefaultBitmap, Entry{Bitmap{Surface(1, 1, 0), true, nullptr}, true});
  }

  Entry* find(const void* handle) {
    auto it = entries.find(reinterpret_cast<uintptr_t>(handle));
    return it == entries.end() ? nullptr : &it->second;
  }

  void* add(Object object) {
    uintptr_t id = next++;
    bool dc = std::holds_alternative<DC>(object);
    entries.emplace(id, Entry{std::move(object)});
    ++(dc ? dcs : objects);
    return reinterpret_cast<void*>(id);
  }
};

Table& table() {
  static Table t;
  return t;
}

template <typename T>
T* findAs(const void* handle) {
  Entry* e = table().find(handle);
  return e ? std::get_if<T>(&e->object) : nullptr;
}

template <typename H>
H stock(uintptr_t which) {
  return reinterpret_cast<H>(kStockBase + which);
}

DC newDC(bool screen) {
  DC dc;
  dc.screen = screen;
  dc.brush = stock<HBRUSH>(WHITE_BRUSH);
  dc.pen = stock<HPEN>(BLACK_PEN);
  dc.font = stock<HFONT>(SYSTEM_FONT);
  return dc;
}

void releaseSelections(HDC handle, DC& dc) {
  for (const void* h : {static_cast<const void*>(dc.brush), static_cast<const void*>(dc.pen),
                        static_cast<const void*>(dc.font)})
    if (Entry* e = table().find(h)) e->selections = std::max(0, e->selections - 1);
  if (Bitmap* b = findBitmap(dc.bitmap))
    if (b->selectedIn == handle) b->selectedIn = nullptr;
}

void destroyDC(HDC handle) {
  DC* dc = findDC(handle);
  if (!dc) return;
  releaseSelections(handle, *dc);
  table().entries.erase(reinterpret_cast<uintptr_t>(handle));
  --table().dcs;
}

// Swaps a brush, pen or font handle in a DC slot, keeping the selection counts.
template <typename H>
HGDIOBJ swapSlot(H& slot, HGDIOBJ obj) {
  HGDIOBJ previous = slot;
  if (Entry* e = table().find(slot)) e->selections = std::max(0, e->selections - 1);
  ++table().find(obj)->selections;
  slot = static_cast<H>(obj);
  return previous;
}

}  // namespace

Bitmap* findBitmap(const void* handle) { return findAs<Bitmap>(handle); }
Brush* findBrush(const void* handle) { return findAs<Brush>(handle); }
Pen* findPen(const void* handle) { return findAs<Pen>(handle); }
Font* findFont(const void* handle) { return findAs<Font>(handle); }
DC* findDC(const void* handle) { return findAs<DC>(handle); }

HBITMAP addBitmap(Bitmap bitmap) {
  bitmap.selectedIn = nullptr;
  return static_cast<HBITMAP>(table().add(std::move(bitmap)));
}

HFONT stockSystemFont() { return stock<HFONT>(SYSTEM_FONT); }

HDC createScreenDC(POINT origin, std::vector<RECT> visible) {
  DC dc = newDC(true);
  dc.origin = origin;
  dc.visible = std::move(visible);
  return static_cast<HDC>(table().add(std::move(dc)));
}

void destroyScreenDC(HDC handle) {
  DC* dc = findDC(handle);
  if (dc && dc->screen) destroyDC(handle);
}

const Surface* bitmapSurface(HBITMAP bitmap) {
  Bitmap* b = findBitmap(bitmap);
  return b ? &b->surface : nullptr;
}

size_t liveObjects() { return table().objects; }
size_t liveDCs() { return table().dcs; }

void releaseAll() {
  Table& t = table();
  std::erase_if(t.entries, [](const auto& item) { return !item.second.stock; });
  for (auto& [id, entry] : t.entries) entry.selections = 0;
  t.objects = 0;
  t.dcs = 0;
}

bool targetOf(DC& dc, Target& out) {
  out = Target{};
  RECT bounds;
  if (dc.screen) {
    Device& dev = device();
    out.surface = &dev.screen;
    out.ox = dc.origin.x;
    out.oy = dc.origin.y;
    bounds = RECT{0, 0, dev.screen.width, dev.screen.height};
    for (const RECT& v : dc.visible) {
      RECT c{std::max(v.left, bounds.left), std::max(v.top, bounds.top), std::min(v.right, bounds.right),
             std::min(v.bottom, bounds.bottom)};
      if (c.left < c.right && c.top < c.bottom) out.clips.push_back(c);
    }
    dev.screenChanged = true;
  } else {
    Bitmap* b = findBitmap(dc.bitmap);
    if (!b) return false;
    out.surface = &b->surface;
    out.mono = b->mono;
    out.clips.push_back(RECT{0, 0, b->surface.width, b->surface.height});
  }
  if (out.clips.empty()) return false;
  out.bounds = out.clips.front();
  for (const RECT& c : out.clips) {
    out.bounds.left = std::min(out.bounds.left, c.left);
    out.bounds.top = std::min(out.bounds.top, c.top);
    out.bounds.right = std::max(out.bounds.right, c.right);
    out.bounds.bottom = std::max(out.bounds.bottom, c.bottom);
  }
  return true;
}

uint32_t monoPixel(uint32_t p) {
  return lumaMilli(p) >= 128 * 1000 ? 0xFFFFFF : 0;
}

uint32_t pixelFor(const Target& t, COLORREF color) {
  uint32_t p = fromColorref(color & 0xFFFFFF);
  return t.mono ? monoPixel(p) : p;
}

void fillDeviceRect(Target& t, int64_t left, int64_t top, int64_t right, int64_t bottom, uint32_t pixel) {
  for (const RECT& c : t.clips) {
    int64_t l = std::max<int64_t>(left, c.left), r = std::min<int64_t>(right, c.right);
    int64_t tp = std::max<int64_t>(top, c.top), b = std::min<int64_t>(bottom, c.bottom);
    if (l >= r || tp >= b) continue;
    for (int64_t y = tp; y < b; ++y) std::fill(t.surface->row(int(y)) + l, t.surface->row(int(y)) + r, pixel);
  }
}

void plot(Target& t, int64_t x, int64_t y, uint32_t pixel) {
  for (const RECT& c : t.clips)
    if (x >= c.left && x < c.right && y >= c.top && y < c.bottom) {
      t.surface->row(int(y))[x] = pixel;
      return;
    }
}

}  // namespace pk::gdi

namespace pk::automation {
size_t liveGdiObjects() { return pk::gdi::liveObjects(); }
size_t liveDeviceContexts() { return pk::gdi::liveDCs(); }
}  // namespace pk::automation

using namespace pk::gdi;

HDC CreateCompatibleDC(HDC dc) {
  if (dc && !findDC(dc)) return nullptr;
  DC memory = newDC(false);
  memory.bitmap = reinterpret_cast<HBITMAP>(kDefaultBitmap);
  return static_cast<HDC>(table().add(std::move(memory)));
}

BOOL DeleteDC(HDC handle) {
  DC* dc = findDC(handle);
  if (!dc || dc->screen) return FALSE;
  destroyDC(handle);
  return TRUE;
}

HBITMAP CreateCompatibleBitmap(HDC handle, int width, int height) {
  DC* dc = handle ? findDC(handle) : nullptr;
  if (handle && !dc) return nullptr;
  if (width < 0 || height < 0 || int64_t(width) * height > kMaxBitmapPixels) return nullptr;
  bool mono = false;
  if (dc && !dc->screen)
    if (Bitmap* b = findBitmap(dc->bitmap)) mono = b->mono;
  if (width == 0 || height == 0) {
    // The platform answers an empty size with a 1 x 1 monochrome bitmap.
    width = height = 1;
    mono = true;
  }
  return addBitmap(Bitmap{pk::Surface(width, height, 0), mono, nullptr});
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ obj) {
  DC* dc = findDC(handle);
  Entry* e = table().find(obj);
  if (!dc || !e) return nullptr;
  if (std::holds_alternative<Brush>(e->object)) return swapSlot(dc->brush, obj);
  if (std::holds_alternative<Pen>(e->object)) return swapSlot(dc->pen, obj);
  if (std::holds_alternative<Font>(e->object)) return swapSlot(dc->font, obj);
  if (Bitmap* b = std::get_if<Bitmap>(&e->object)) {
    if (dc->screen) return nullptr;
    HGDIOBJ previous = dc->bitmap;
    if (previous == obj) return previous;
    // The shared default bitmap may sit in any number of DCs; others in one at a time.
    if (!e->stock && b->selectedIn) return nullptr;
    if (Bitmap* old = findBitmap(dc->bitmap))
      if (old->selectedIn == handle) old->selectedIn = nullptr;
    if (!e->stock) b->selectedIn = handle;
    dc->bitmap = static_cast<HBITMAP>(obj);
    return previous;
  }
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ obj) {
  Entry* e = table().find(obj);
  if (!e || std::holds_alternative<DC>(e->object)) return FALSE;
  if (e->stock) return TRUE;  // stock objects are never really deleted
  if (Bitmap* b = std::get_if<Bitmap>(&e->object); b && b->selectedIn) return FALSE;
  if (e->selections > 0) return FALSE;
  table().entries.erase(reinterpret_cast<uintptr_t>(obj));
  --table().objects;
  return TRUE;
}

HGDIOBJ GetStockObject(int which) {
  switch (which) {
    case WHITE_BRUSH:
    case LTGRAY_BRUSH:
    case GRAY_BRUSH:
    case BLACK_BRUSH:
    case NULL_BRUSH:
    case WHITE_PEN:
    case BLACK_PEN:
    case NULL_PEN:
    case SYSTEM_FONT:
      return reinterpret_cast<HGDIOBJ>(kStockBase + uintptr_t(which));
    default:
      return nullptr;
  }
}

HBRUSH CreateSolidBrush(COLORREF color) {
  return static_cast<HBRUSH>(table().add(Brush{color & 0xFFFFFF, false}));
}

HFONT CreateFontIndirectW(const LOGFONTW* lf) {
  if (!lf) return nullptr;
  Font f;
  f.logical = *lf;
  f.bold = lf->lfWeight >= FW_SEMIBOLD;
  f.pixelSize = lf->lfHeight == 0 ? kSystemFontPixels : pk::text::pixelSizeForHeight(lf->lfHeight);
  return static_cast<HFONT>(table().add(f));
}

COLORREF SetTextColor(HDC handle, COLORREF color) {
  DC* dc = findDC(handle);
  if (!dc) return kInvalidColor;
  return std::exchange(dc->textColor, color & 0xFFFFFF);
}

COLORREF SetBkColor(HDC handle, COLORREF color) {
  DC* dc = findDC(handle);
  if (!dc) return kInvalidColor;
  return std::exchange(dc->bkColor, color & 0xFFFFFF);
}

int GetDeviceCaps(HDC handle, int index) {
  if (handle && !findDC(handle)) return 0;
  const pk::Device& dev = pk::device();
  switch (index) {
    case HORZRES:
      return dev.config.width;
    case VERTRES:
      return dev.config.height;
    case BITSPIXEL:
    case COLORRES:
      return dev.config.bits;
    case LOGPIXELSX:
    case LOGPIXELSY:
      return dev.config.dpi;
    default:
      return 0;
  }
}
