// A module's resources: lookup by type and name, and the formats the
// resource compiler writes for dialogs, menus, strings and tool bars.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>
#include <pocket/module.h>

// The layer's own resources (its pictures), linked into every program.
extern const pk::ModuleImage pkLayerModule;

namespace pk {

HINSTANCE instanceOf(const ModuleImage& module);
const ModuleImage* moduleOf(HINSTANCE instance);  // null for anything that is no module

struct ResourceData {
  const unsigned char* data;
  size_t size;
};
// Names are matched without regard to case; numbers as numbers.
std::optional<ResourceData> findResourceData(HINSTANCE instance, LPCWSTR name, LPCWSTR type);

// String table entry; nothing when the module has no such string.
std::optional<std::u16string> loadString(HINSTANCE instance, UINT id);

struct DialogItem {
  std::u16string text;
  int id = -1;
  std::u16string className;  // "STATIC", "BUTTON", "COMBOBOX"
  uint32_t style = 0;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

struct DialogTemplate {
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  std::u16string title;
  std::u16string fontFace = u"Tahoma";
  int fontPoints = 8;
  std::vector<DialogItem> items;
};
// Reads the dialog template the resource compiler wrote; nothing when it is not one.
std::optional<DialogTemplate> parseDialogTemplate(LPCDLGTEMPLATEW tmpl);

struct MenuItem {
  std::u16string text;  // empty for a separator
  int id = 0;
  bool separator = false;
  bool grayed = false;
  std::vector<MenuItem> popup;  // a pop-up's items
  bool isPopup = false;
};
// Menu resource `id`: its top-level items (pop-ups for a menu bar).
std::optional<std::vector<MenuItem>> loadMenu(HINSTANCE instance, UINT id);

}  // namespace pk
