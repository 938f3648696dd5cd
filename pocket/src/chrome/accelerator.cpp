// Keyboard accelerators: a program's table of keys and the commands they give, turned
// into WM_COMMAND in its message loop. A command its menu bar shows greyed does nothing,
// as a greyed menu item cannot be chosen.
#include <map>
#include <vector>

#include <windows.h>
#include <pocket/resource_format.h>

#include "chrome/menubar.h"
#include "wm/wm.h"

namespace pk::chrome {
namespace {

struct Accel {
  uint32_t flags;
  uint32_t key;
  int command;
};

struct Tables {
  std::map<const void*, HACCEL> loaded;  // a resource loaded twice gives the same table
  std::map<HACCEL, std::vector<Accel>> byHandle;
};

Tables& tables() {
  static Tables t;
  return t;
}

// The entry a key message matches, or null.
const Accel* match(const std::vector<Accel>& table, const MSG& msg) {
  using namespace resfmt;
  const bool shift = wm::keyWasDown(VK_SHIFT), control = wm::keyWasDown(VK_CONTROL), alt = wm::keyWasDown(VK_MENU);
  for (const Accel& a : table) {
    if (a.flags & kAccelVirtKey) {
      if (msg.message != WM_KEYDOWN || a.key != (msg.wParam & 0xFF)) continue;
      if (bool(a.flags & kAccelShift) != shift || bool(a.flags & kAccelControl) != control) continue;
    } else if (msg.message != WM_CHAR || a.key != msg.wParam) {
      continue;
    }
    if (bool(a.flags & kAccelAlt) != alt) continue;
    return &a;
  }
  return nullptr;
}

}  // namespace
}  // namespace pk::chrome

using namespace pk::chrome;

HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name) {
  HRSRC found = FindResourceW(instance, name, RT_ACCELERATOR);
  const void* data = found ? LockResource(LoadResource(instance, found)) : nullptr;
  if (!data) return nullptr;
  Tables& t = tables();
  if (auto it = t.loaded.find(data); it != t.loaded.end()) return it->second;
  pk::resfmt::Reader r{static_cast<const unsigned char*>(data), SizeofResource(instance, found)};
  std::vector<Accel> table;
  while (r.need(pk::resfmt::kAccelEntrySize)) {
    uint32_t flags = r.u16(), key = r.u16(), command = r.u16();
    r.u16();
    table.push_back(Accel{flags, key, int(command)});
    if (flags & pk::resfmt::kAccelLast) break;
  }
  if (table.empty()) return nullptr;
  auto handle = reinterpret_cast<HACCEL>(pk::wm::newUserHandle());
  t.loaded[data] = handle;
  t.byHandle[handle] = std::move(table);
  return handle;
}

int TranslateAcceleratorW(HWND hwnd, HACCEL handle, LPMSG msg) {
  Tables& t = tables();
  auto table = t.byHandle.find(handle);
  if (!msg || !IsWindow(hwnd) || table == t.byHandle.end()) return 0;
  const Accel* a = match(table->second, *msg);
  if (!a) return 0;
  // The key is the accelerator's whatever follows: a window that takes no input, a capture
  // (a stylus held down, an open menu) or a greyed command swallow it.
  if (!pk::wm::isEnabled(hwnd) || pk::wm::capture()) return 1;
  MenuBar* bar = barOwnedBy(hwnd);
  if (bar && commandState(*bar, a->command) == CommandState::Greyed) return 1;
  // 1 in the high word: from an accelerator.
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(a->command, 1), 0);
  return 1;
}
