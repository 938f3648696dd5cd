// Resources of the modules linked into the program: lookup, and the readers of
// the layouts the resource compiler writes for dialogs, menus and strings.
#include "system/resource.h"

#include <cstring>
#include <mutex>
#include <set>
#include <span>

#include <pocket/resource_format.h>

#include "system/device.h"

namespace pk {
namespace {

std::mutex modulesLock;
std::set<const ModuleImage*>& knownModules() {
  static std::set<const ModuleImage*> modules{&pkLayerModule};
  return modules;
}

using resfmt::openBlock;
using resfmt::Reader;

bool matches(const ResourceId& id, LPCWSTR want) {
  if (IS_INTRESOURCE(want)) return !id.name && id.number == uint16_t(reinterpret_cast<uintptr_t>(want));
  if (want[0] == u'#') {
    // "#123" names resource number 123.
    uint32_t n = 0;
    size_t i = 1;
    for (; want[i] >= u'0' && want[i] <= u'9' && n <= 0xFFFF; ++i) n = n * 10 + uint32_t(want[i] - u'0');
    if (i > 1 && want[i] == 0 && n <= 0xFFFF) return !id.name && id.number == n;
  }
  if (!id.name) return false;
  std::string name = utf8(want);
  if (name.size() != std::strlen(id.name)) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (upperAscii(name[i]) != id.name[i]) return false;
  return true;
}

const ResourceEntry* findEntry(HINSTANCE instance, LPCWSTR name, LPCWSTR type) {
  const ModuleImage* m = moduleOf(instance);
  if (!m || !name || !type) return nullptr;
  for (const ResourceEntry& e : std::span(m->entries, m->count))
    if (matches(e.type, type) && matches(e.name, name)) return &e;
  return nullptr;
}

// An HRSRC is the address of an entry; it is trusted only if some known module holds it.
const ResourceEntry* entryOf(HRSRC handle) {
  auto p = reinterpret_cast<const ResourceEntry*>(handle);
  if (!p) return nullptr;
  std::lock_guard lock(modulesLock);
  auto check = [p](const ModuleImage* m) { return m && m->count && p >= m->entries && p < m->entries + m->count; };
  if (check(device().module)) return p;
  for (const ModuleImage* m : knownModules())
    if (check(m)) return p;
  return nullptr;
}

bool readMenuItems(Reader& r, std::vector<MenuItem>& out, int depth) {
  uint32_t count = r.u16();
  if (!r.ok || depth > 16) return false;
  for (uint32_t i = 0; i < count; ++i) {
    MenuItem item;
    uint32_t flags = r.u16();
    item.id = int32_t(r.u32());
    item.text = r.text();
    item.isPopup = flags & resfmt::kPopup;
    item.separator = flags & resfmt::kSeparator;
    item.grayed = flags & resfmt::kGrayed;
    if (!r.ok) return false;
    if (item.isPopup && !readMenuItems(r, item.popup, depth + 1)) return false;
    out.push_back(std::move(item));
  }
  return true;
}

}  // namespace

HINSTANCE instanceOf(const ModuleImage& module) {
  {
    std::lock_guard lock(modulesLock);
    knownModules().insert(&module);
  }
  return reinterpret_cast<HINSTANCE>(const_cast<ModuleImage*>(&module));
}

const ModuleImage* moduleOf(HINSTANCE instance) {
  auto p = reinterpret_cast<const ModuleImage*>(instance);
  if (!p || instance == reinterpret_cast<HINSTANCE>(intptr_t(-1))) return nullptr;
  if (p == device().module) return p;
  std::lock_guard lock(modulesLock);
  return knownModules().count(p) ? p : nullptr;
}

std::optional<ResourceData> findResourceData(HINSTANCE instance, LPCWSTR name, LPCWSTR type) {
  const ResourceEntry* e = findEntry(instance, name, type);
  if (!e) return std::nullopt;
  return ResourceData{e->data, e->size};
}

std::optional<std::u16string> loadString(HINSTANCE instance, UINT id) {
  auto d = findResourceData(instance, MAKEINTRESOURCEW(id), RT_STRING);
  if (!d || id > 0xFFFF) return std::nullopt;
  std::u16string s;
  s.reserve(d->size / 2);
  for (size_t i = 0; i + 1 < d->size; i += 2) s += char16_t(le16(d->data + i));
  return s;
}

std::optional<DialogTemplate> parseDialogTemplate(LPCDLGTEMPLATEW tmpl) {
  auto opened = openBlock(tmpl, resfmt::kDialogMagic);
  if (!opened) return std::nullopt;
  Reader& r = *opened;
  DialogTemplate t;
  t.style = r.u32();
  t.exStyle = r.u32();
  t.x = r.s16();
  t.y = r.s16();
  t.cx = r.s16();
  t.cy = r.s16();
  t.fontPoints = int(r.u16());
  t.title = r.text();
  t.fontFace = r.text();
  uint32_t count = r.u16();
  for (uint32_t i = 0; i < count && r.ok; ++i) {
    DialogItem item;
    item.style = r.u32();
    item.id = int32_t(r.u32());
    item.x = r.s16();
    item.y = r.s16();
    item.cx = r.s16();
    item.cy = r.s16();
    item.className = r.text();
    item.text = r.text();
    t.items.push_back(std::move(item));
  }
  if (!r.ok) return std::nullopt;
  return t;
}

std::optional<std::vector<MenuItem>> loadMenu(HINSTANCE instance, UINT id) {
  if (id > 0xFFFF) return std::nullopt;
  auto d = findResourceData(instance, MAKEINTRESOURCEW(id), RT_MENU);
  if (!d) return std::nullopt;
  auto opened = openBlock(d->data, resfmt::kMenuMagic, d->size);
  if (!opened) return std::nullopt;
  std::vector<MenuItem> items;
  if (!readMenuItems(*opened, items, 0)) return std::nullopt;
  return items;
}

}  // namespace pk

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  return reinterpret_cast<HRSRC>(const_cast<pk::ResourceEntry*>(pk::findEntry(module, name, type)));
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
  const pk::ResourceEntry* e = pk::entryOf(resource);
  return e ? const_cast<unsigned char*>(e->data) : nullptr;
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
  const pk::ResourceEntry* e = pk::entryOf(resource);
  return e ? e->size : 0;
}

LPVOID LockResource(HGLOBAL data) { return data; }
