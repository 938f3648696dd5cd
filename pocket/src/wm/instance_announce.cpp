// Finding a program's window from another process on the same device: each main window
// is announced under its device root, class and title (system/hostos.h).
#include <string>

#include <pocket/basics.h>

#include "system/device.h"
#include "system/hostos.h"
#include "wm/window_internal.h"
#include "wm/wm.h"

namespace pk::wm {
namespace {

std::string keyOf(std::u16string_view cls, std::u16string_view title) {
  std::error_code ec;
  auto root = std::filesystem::weakly_canonical(device().config.root, ec);
  return root.string() + '\n' + utf8(upperAscii(std::u16string(cls))) + '\n' + utf8(title);
}

}  // namespace

bool findNeighbour(std::u16string_view cls, std::u16string_view title) {
  return hostos::findAnnounced(std::string(programName()), keyOf(cls, title));
}

bool raiseNeighbour() { return hostos::raiseAnnounced(); }

void announceInstance(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w || !w->cls) return;
  Host* host = device().host;
  hostos::announce(std::string(programName()), keyOf(w->cls->name, w->text), [host] {
    if (host) host->raise();
  });
}

void withdrawInstance() { hostos::withdraw(); }

}  // namespace pk::wm
