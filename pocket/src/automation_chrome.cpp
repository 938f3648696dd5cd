// Finding the shell's and the dialogs' parts on screen, and the state dump
// the script host prints.
#include <pocket/automation.h>

#include "chrome.h"
#include "device.h"
#include "wm.h"

namespace pk::automation {
namespace {

using chrome::ControlKind;

// Where to touch the host's screen to hit the middle of a device rectangle.
POINT centre(const RECT& r) { return toHost(chrome::centre(r)); }

// The active dialog or message box, when one is active.
HWND activeBox() {
  HWND a = activeWindow();
  return a && (chrome::isDialog(a) || chrome::isMessageBox(a)) ? a : nullptr;
}

std::optional<POINT> controlPoint(HWND c) {
  if (!c || !wm::isVisible(c)) return std::nullopt;
  return centre(wm::screenRect(c));
}

}  // namespace

std::optional<POINT> menuBarButton(std::u16string_view text) {
  for (const auto& b : chrome::menuBarButtons(chrome::currentMenuBar()))
    if (!b.separator && !b.label.empty() && b.label == text) return centre(b.screen);
  return std::nullopt;
}

std::optional<POINT> menuBarButtonById(int command) {
  for (const auto& b : chrome::menuBarButtons(chrome::currentMenuBar()))
    if (!b.separator && b.command == command) return centre(b.screen);
  return std::nullopt;
}

std::optional<POINT> popupMenuItem(std::u16string_view text) {
  for (const auto& [label, rect] : chrome::openPopupItems())
    if (label == text) return centre(rect);
  return std::nullopt;
}

std::optional<POINT> navigationOk() {
  if (auto r = chrome::navigationOkRect()) return centre(*r);
  return std::nullopt;
}

std::optional<POINT> dialogControl(std::u16string_view text) {
  HWND box = activeBox();
  if (!box) return std::nullopt;
  for (HWND c : wm::children(box)) {
    ControlKind k = chrome::controlKind(c);
    if (k == ControlKind::Picture || k == ControlKind::DropList) continue;
    if (chrome::controlText(c) == text) return controlPoint(c);
  }
  return std::nullopt;
}

std::optional<POINT> dialogControl(int id) {
  HWND box = activeBox();
  if (!box) return std::nullopt;
  for (HWND c : wm::children(box))
    if (wm::controlId(c) == id) return controlPoint(c);
  return std::nullopt;
}

std::optional<POINT> dropListItem(int index) {
  auto items = chrome::openDropListItems();
  if (index < 0 || size_t(index) >= items.size()) return std::nullopt;
  return centre(items[size_t(index)]);
}

std::optional<bool> checkState(int id) {
  HWND box = activeBox();
  if (!box) return std::nullopt;
  for (HWND c : wm::children(box))
    if (wm::controlId(c) == id && chrome::controlKind(c) == ControlKind::CheckBox)
      return SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
  return std::nullopt;
}

std::string dump() {
  HWND active = activeWindow();
  std::string out = "active " + chrome::quoted(active ? wm::text(active) : std::u16string{}) + "\n";
  if (active && (chrome::isDialog(active) || chrome::isMessageBox(active))) {
    for (HWND c : wm::children(active)) {
      int id = wm::controlId(c);
      if (id == -1 || id == 0xFFFF || id == 0) continue;
      out += "control " + std::to_string(id) + " ";
      ControlKind k = chrome::controlKind(c);
      out += chrome::quoted(chrome::controlText(c));
      if (k == ControlKind::DropList)
        out += " item " + std::to_string(static_cast<long long>(SendMessageW(c, CB_GETCURSEL, 0, 0)));
      if (k == ControlKind::CheckBox)
        out += SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED ? " checked" : " unchecked";
      out += "\n";
    }
  } else if (active && active == mainWindow()) {
    HWND bar = chrome::currentMenuBar();
    for (const auto& item : chrome::menuBarItems(bar))
      out += "menu " + std::to_string(item.id) + (item.grayed ? " grayed" : " enabled") + "\n";
    for (const auto& b : chrome::menuBarButtons(bar))
      if (!b.separator) out += "button " + std::to_string(b.command) + (b.enabled ? " enabled" : " disabled") + "\n";
  }
  // Leak checks compare this between idle moments.
  out += "gdi " + std::to_string(liveGdiObjects()) + " " + std::to_string(liveDeviceContexts()) + "\n";
  return out;
}

}  // namespace pk::automation

namespace pk::automation {

std::filesystem::path hostFile(std::u16string_view devicePath) { return hostPath(devicePath); }

}  // namespace pk::automation
