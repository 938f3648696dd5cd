// Records a unit of the layer keeps beside some of its windows (a menu bar's
// buttons, a dialog's result). Windows can vanish without WM_DESTROY when the
// window system is reset, so records of windows gone are swept out on demand.
#pragma once
#include <map>
#include <memory>

#include <windows.h>

namespace pk::wm {

template <typename T>
class WindowTable {
 public:
  T* find(HWND hwnd) const {
    auto it = records_.find(hwnd);
    return it == records_.end() ? nullptr : it->second.get();
  }
  // Replaces any record the window had; records of dead windows go first.
  T& add(HWND hwnd, std::unique_ptr<T> record = std::make_unique<T>()) {
    sweep();
    auto& slot = records_[hwnd];
    slot = std::move(record);
    return *slot;
  }
  void erase(HWND hwnd) { records_.erase(hwnd); }
  void sweep() {
    for (auto it = records_.begin(); it != records_.end();) it = IsWindow(it->first) ? std::next(it) : records_.erase(it);
  }

 private:
  std::map<HWND, std::unique_ptr<T>> records_;
};

}  // namespace pk::wm
