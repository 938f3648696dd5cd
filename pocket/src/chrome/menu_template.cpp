// Reading a menu bar from the program's resources: the tool-bar template (its
// buttons) and the menu whose pop-ups its drop-down buttons open.
#include <aygshell.h>

#include <pocket/basics.h>

#include "chrome/menubar.h"
#include "system/resource.h"

namespace pk::chrome {
namespace {

uint16_t wordAt(const ResourceData& r, size_t index) { return uint16_t(le16(r.data + index * 2)); }

std::unique_ptr<PopupMenu> popupFrom(const MenuItem& item) {
  auto menu = std::make_unique<PopupMenu>();
  for (const MenuItem& m : item.popup) {
    PopupMenu::Entry e;
    e.text = m.text;
    e.id = m.isPopup ? 0 : m.id;
    e.separator = m.separator;
    e.grayed = m.grayed;
    e.submenu = m.isPopup;
    menu->entries.push_back(std::move(e));
  }
  return menu;
}

}  // namespace

std::unique_ptr<MenuBar> barFromResources(HINSTANCE inst, UINT toolBarId) {
  auto data = findResourceData(inst, MAKEINTRESOURCEW(toolBarId), RT_RCDATA);
  if (!data || data->size < 4) return nullptr;
  size_t words = data->size / 2;
  int menuId = wordAt(*data, 0);
  int count = wordAt(*data, 1);
  if (words < size_t(2 + count * 7)) return nullptr;
  auto bar = std::make_unique<MenuBar>();
  if (menuId != 0) {
    auto menu = loadMenu(inst, UINT(menuId));
    if (!menu) return nullptr;
    for (const MenuItem& top : *menu) bar->popups.push_back(popupFrom(top));
  }
  for (int i = 0; i < count; ++i) {
    size_t w = size_t(2 + i * 7);
    Button b;
    b.image = int16_t(wordAt(*data, w));
    b.command = wordAt(*data, w + 1);
    b.state = BYTE(wordAt(*data, w + 2));
    b.style = BYTE(wordAt(*data, w + 3));
    int stringId = wordAt(*data, w + 4);
    int popup = wordAt(*data, w + 6);
    if (stringId != 0) {
      auto label = loadString(inst, UINT(stringId));
      if (!label) return nullptr;
      b.label = *label;
    }
    if (b.style & TBSTYLE_DROPDOWN) {
      if (size_t(popup) >= bar->popups.size()) return nullptr;
      b.popup = popup;
    }
    bar->buttons.push_back(std::move(b));
  }
  return bar;
}

}  // namespace pk::chrome
