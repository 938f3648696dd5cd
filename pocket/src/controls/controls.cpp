// The dialog controls: static texts and pictures, push buttons, automatic
// check boxes and drop-down list combo boxes with their drop lists.
#include <algorithm>

#include "chrome/look.h"
#include "controls/controls.h"
#include "gdi/gdi.h"
#include "system/device.h"
#include "wm/window_table.h"
#include "wm/wm.h"

namespace pk::chrome {
namespace {

struct Control {
  ControlKind kind = ControlKind::Other;
  bool autoCheck = false;
  bool checked = false;
  bool pressed = false;
  std::vector<std::u16string> items;
  int selection = -1;
};

struct OpenList {
  HWND hwnd = nullptr;
  HWND combo = nullptr;
  int hot = -1;
  int itemHeight = 0;
};

wm::WindowTable<Control>& controls() {
  static wm::WindowTable<Control> c;
  return c;
}

OpenList& openList() {
  static OpenList l;
  return l;
}

Control* controlOf(HWND hwnd) { return controls().find(hwnd); }

Control& attach(HWND hwnd, ControlKind kind) {
  Control& c = controls().add(hwnd);
  c.kind = kind;
  return c;
}

RECT clientRect(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  return r;
}

// Position in the parent's client area.
POINT placeInParent(HWND hwnd) {
  RECT me = wm::screenRect(hwnd), parent = wm::screenRect(wm::parentOf(hwnd));
  return POINT{me.left - parent.left, me.top - parent.top};
}

void notifyParent(HWND hwnd, WORD code) {
  HWND parent = wm::parentOf(hwnd);
  if (parent) SendMessageW(parent, WM_COMMAND, MAKEWPARAM(wm::controlId(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

int lineHeight() {
  HDC dc = GetDC(nullptr);
  int h;
  {
    ScopedFont font(dc, 8, false);
    h = textSize(dc, u"Ag").cy;
  }
  ReleaseDC(nullptr, dc);
  return h > 0 ? h : 13;
}

// Stylus tracking shared by buttons: pressed while held inside; true when released inside.
bool trackStylus(HWND hwnd, Control& c, UINT msg, LPARAM lParam) {
  bool inside = contains(clientRect(hwnd), pointOf(lParam));
  switch (msg) {
    case WM_LBUTTONDOWN:
      c.pressed = true;
      wm::setCapture(hwnd);
      InvalidateRect(hwnd, nullptr, FALSE);
      return false;
    case WM_MOUSEMOVE:
      if (wm::capture() == hwnd && c.pressed != inside) {
        c.pressed = inside;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return false;
    case WM_LBUTTONUP:
      if (wm::capture() != hwnd) return false;
      wm::releaseCapture();
      c.pressed = false;
      InvalidateRect(hwnd, nullptr, FALSE);
      return inside;
    default:
      return false;
  }
}

// ---- Static ----

void paintPicture(HWND hwnd, HDC dc) {
  std::u16string name = wm::text(hwnd);
  HBITMAP bmp = name.empty() ? nullptr : LoadBitmapW(wm::instanceOf(hwnd), name.c_str());
  if (!bmp) return;  // a missing picture leaves the dialog's ground
  const Surface* s = gdi::bitmapSurface(bmp);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, bmp);
  if (s) BitBlt(dc, 0, 0, s->width, s->height, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bmp);
}

// A picture control takes the size of its picture.
void fitPicture(HWND hwnd) {
  std::u16string name = wm::text(hwnd);
  HBITMAP bmp = name.empty() ? nullptr : LoadBitmapW(wm::instanceOf(hwnd), name.c_str());
  if (!bmp) return;
  if (const Surface* s = gdi::bitmapSurface(bmp)) {
    POINT at = placeInParent(hwnd);
    wm::moveWindow(hwnd, at.x, at.y, s->width, s->height);
  }
  DeleteObject(bmp);
}

// What every control does alike with its text, enabling, background and end.
LRESULT controlDefault(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_DESTROY:
      if (wm::capture() == hwnd) wm::releaseCapture();
      controls().erase(hwnd);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      bool picture = (wm::style(hwnd) & 0x1F) == SS_BITMAP;
      attach(hwnd, picture ? ControlKind::Picture : ControlKind::Static);
      if (picture) fitPicture(hwnd);
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc = clientRect(hwnd);
      fillSolid(dc, rc, kWhite);
      Control* c = controlOf(hwnd);
      if (c && c->kind == ControlKind::Picture) {
        paintPicture(hwnd, dc);
      } else {
        uint32_t align = wm::style(hwnd) & 0x3;
        UINT format = DT_WORDBREAK | (align == SS_CENTER ? DT_CENTER : align == SS_RIGHT ? DT_RIGHT : DT_LEFT);
        ScopedFont font(dc, 8, false);
        text(dc, wm::text(hwnd), rc, format, wm::isEnabled(hwnd) ? kBlack : kShadowGrey, kWhite);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return controlDefault(hwnd, msg, wParam, lParam);
  }
}

// ---- Button ----

void drawCheckMark(HDC dc, int x, int y) {
  // Two strokes, two pixels thick.
  for (int t = 0; t < 2; ++t) {
    line(dc, x + 2, y + 5 + t, x + 5, y + 8 + t);
    line(dc, x + 5, y + 8 + t, x + 11, y + 2 + t);
  }
}

void paintButton(HWND hwnd, const Control& c) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc = clientRect(hwnd);
  bool enabled = wm::isEnabled(hwnd);
  ScopedFont font(dc, 8, false);
  if (c.kind == ControlKind::CheckBox) {
    fillSolid(dc, rc, kWhite);
    int box = 13;
    int top = (rc.bottom - box) / 2;
    RECT b{0, top, box, top + box};
    fillSolid(dc, b, c.pressed ? kFaceGrey : kWhite);
    frame(dc, b, enabled ? kBlack : kShadowGrey);
    if (c.checked) drawCheckMark(dc, 0, top);
    RECT tr{box + 4, 0, rc.right, rc.bottom};
    text(dc, wm::text(hwnd), tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE, enabled ? kBlack : kShadowGrey, kWhite);
  } else {
    COLORREF face = c.pressed ? kBlack : kFaceGrey;
    fillSolid(dc, rc, face);
    frame(dc, rc, kBlack, c.kind == ControlKind::DefaultButton ? 2 : 1);
    COLORREF ink = !enabled ? kShadowGrey : c.pressed ? kWhite : kBlack;
    text(dc, wm::text(hwnd), rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE, ink, face);
  }
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK buttonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Control* c = controlOf(hwnd);
  switch (msg) {
    case WM_CREATE: {
      uint32_t type = wm::style(hwnd) & 0x0F;
      ControlKind kind = type == BS_DEFPUSHBUTTON ? ControlKind::DefaultButton
                         : (type == 2 || type == BS_AUTOCHECKBOX) ? ControlKind::CheckBox
                                                                  : ControlKind::PushButton;
      attach(hwnd, kind).autoCheck = type == BS_AUTOCHECKBOX;
      return 0;
    }
    case WM_PAINT:
      if (c) paintButton(hwnd, *c);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      if (c && trackStylus(hwnd, *c, msg, lParam)) {
        if (c->autoCheck) c->checked = !c->checked;
        notifyParent(hwnd, BN_CLICKED);
      }
      return 0;
    case BM_GETCHECK:
      return c && c->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      if (c && c->checked != (wParam == BST_CHECKED)) {
        c->checked = wParam == BST_CHECKED;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    default:
      return controlDefault(hwnd, msg, wParam, lParam);
  }
}

// ---- Drop list ----

void closeList() {
  OpenList& l = openList();
  if (!l.hwnd) return;
  HWND list = l.hwnd, combo = l.combo;
  l = OpenList{};
  if (wm::capture() == list) wm::releaseCapture();
  DestroyWindow(list);
  if (IsWindow(combo)) InvalidateRect(combo, nullptr, FALSE);
}

int listItemAt(POINT p) {
  const OpenList& l = openList();
  Control* c = controlOf(l.combo);
  if (!c || l.itemHeight <= 0 || p.x < 1 || p.y < 1) return -1;
  RECT rc = clientRect(l.hwnd);
  if (p.x >= rc.right - 1) return -1;
  int i = (p.y - 1) / l.itemHeight;
  return i < int(c->items.size()) ? i : -1;
}

LRESULT CALLBACK listProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  OpenList& l = openList();
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc = clientRect(hwnd);
      fillSolid(dc, rc, kWhite);
      frame(dc, rc, kBlack);
      Control* c = l.hwnd == hwnd ? controlOf(l.combo) : nullptr;
      if (c) {
        ScopedFont font(dc, 8, false);
        int mark = l.hot >= 0 ? l.hot : c->selection;
        for (size_t i = 0; i < c->items.size(); ++i) {
          RECT r{1, 1 + int(i) * l.itemHeight, rc.right - 1, 1 + int(i + 1) * l.itemHeight};
          bool hot = int(i) == mark;
          COLORREF ground = hot ? kHighlight : kWhite;
          if (hot) fillSolid(dc, r, ground);
          RECT tr{r.left + 3, r.top, r.right - 2, r.bottom};
          text(dc, c->items[i], tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE, hot ? kWhite : kBlack, ground);
        }
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      if (l.hwnd != hwnd) return 0;
      if (!contains(clientRect(hwnd), pointOf(lParam))) {
        closeList();  // the tap only closes the list
        return 0;
      }
      l.hot = listItemAt(pointOf(lParam));
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_MOUSEMOVE:
      if (l.hwnd == hwnd && contains(clientRect(hwnd), pointOf(lParam))) {
        l.hot = listItemAt(pointOf(lParam));
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case WM_LBUTTONUP: {
      if (l.hwnd != hwnd) return 0;
      int i = listItemAt(pointOf(lParam));
      if (i < 0 || !contains(clientRect(hwnd), pointOf(lParam))) return 0;  // the opening tap's release
      HWND combo = l.combo;
      closeList();
      if (Control* c = controlOf(combo)) {
        c->selection = i;  // closing the list has invalidated the whole box
        notifyParent(combo, CBN_SELCHANGE);
      }
      return 0;
    }
    case WM_DESTROY:
      if (l.hwnd == hwnd) l = OpenList{};
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

void openListFor(HWND combo, const Control& c) {
  closeList();
  int itemHeight = lineHeight() + 4;
  int rows = std::max<int>(1, int(c.items.size()));
  RECT at = wm::screenRect(combo);
  int width = at.right - at.left, height = rows * itemHeight + 2;
  int screenH = device().screen.height;
  int top = at.bottom;
  if (top + height > screenH) top = std::max<int>(0, at.top - height);
  registerClass(u"pk_droplist", listProc);
  HWND list = createShellWindow(u"pk_droplist", u"", RECT{at.left, top, at.left + width, top + height}, combo);
  if (!list) return;
  OpenList& l = openList();
  l.hwnd = list;
  l.combo = combo;
  l.itemHeight = itemHeight;
  l.hot = -1;
  wm::setCapture(list);
  InvalidateRect(combo, nullptr, FALSE);
}

// ---- Combo box (drop-down list) ----

void paintCombo(HWND hwnd, const Control& c) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc = clientRect(hwnd);
  bool enabled = wm::isEnabled(hwnd);
  fillSolid(dc, rc, kWhite);
  frame(dc, rc, enabled ? kBlack : kShadowGrey);
  int arrowW = 13;
  RECT arrow{rc.right - arrowW, 1, rc.right - 1, rc.bottom - 1};
  bool open = openList().combo == hwnd;
  fillSolid(dc, arrow, open ? kBlack : kFaceGrey);
  fillSolid(dc, RECT{arrow.left - 1, 1, arrow.left, rc.bottom - 1}, kBlack);
  int cx = (arrow.left + arrow.right) / 2, cy = (rc.bottom - 3) / 2;
  for (int row = 0; row < 4; ++row)
    fillSolid(dc, RECT{cx - 3 + row, cy + row, cx + 4 - row, cy + row + 1}, open ? kWhite : kBlack);
  if (c.selection >= 0 && size_t(c.selection) < c.items.size()) {
    ScopedFont font(dc, 8, false);
    RECT tr{3, 1, arrow.left - 2, rc.bottom - 1};
    text(dc, c.items[size_t(c.selection)], tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE, enabled ? kBlack : kShadowGrey, kWhite);
  }
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK comboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Control* c = controlOf(hwnd);
  switch (msg) {
    case WM_CREATE: {
      attach(hwnd, ControlKind::DropList);
      // The template's height is that of the dropped list; the box itself is one line.
      RECT rc = clientRect(hwnd);
      POINT at = placeInParent(hwnd);
      wm::moveWindow(hwnd, at.x, at.y, rc.right, lineHeight() + 6);
      return 0;
    }
    case WM_PAINT:
      if (c) paintCombo(hwnd, *c);
      return 0;
    case WM_LBUTTONDOWN:
      if (!c) return 0;
      if (openList().combo == hwnd)
        closeList();
      else
        openListFor(hwnd, *c);
      return 0;
    case CB_ADDSTRING:
      if (!c || !lParam) return CB_ERR;
      c->items.emplace_back(reinterpret_cast<LPCWSTR>(lParam));
      return LRESULT(c->items.size() - 1);
    case CB_SETCURSEL: {
      if (!c) return CB_ERR;
      int i = int(intptr_t(wParam));
      bool valid = i >= 0 && size_t(i) < c->items.size();
      int next = valid ? i : -1;
      if (next != c->selection) {
        c->selection = next;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return valid ? i : CB_ERR;
    }
    case CB_GETCURSEL:
      return c && c->selection >= 0 ? c->selection : CB_ERR;
    case CB_GETCOUNT:
      return c ? LRESULT(c->items.size()) : CB_ERR;
    case CB_GETLBTEXT: {
      if (!c || wParam >= c->items.size() || !lParam) return CB_ERR;
      const std::u16string& s = c->items[wParam];
      auto* out = reinterpret_cast<WCHAR*>(lParam);
      std::copy(s.begin(), s.end(), out);
      out[s.size()] = 0;
      return LRESULT(s.size());
    }
    case WM_GETTEXTLENGTH:
      return LRESULT(controlText(hwnd).size());
    case WM_GETTEXT: {
      // A drop-down list's text is its chosen item.
      auto* out = reinterpret_cast<WCHAR*>(lParam);
      if (!out || wParam == 0) return 0;
      std::u16string s = controlText(hwnd);
      size_t n = std::min<size_t>(s.size(), wParam - 1);
      std::copy_n(s.data(), n, out);
      out[n] = 0;
      return LRESULT(n);
    }
    case WM_DESTROY:
      if (openList().combo == hwnd) closeList();
      return controlDefault(hwnd, msg, wParam, lParam);
    default:
      return controlDefault(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void registerControlClasses() {
  registerClass(u"STATIC", staticProc, WHITE_BRUSH);
  registerClass(u"BUTTON", buttonProc);
  registerClass(u"COMBOBOX", comboProc);
}

ControlKind controlKind(HWND hwnd) {
  Control* c = controlOf(hwnd);
  return c && IsWindow(hwnd) ? c->kind : ControlKind::Other;
}

std::u16string controlText(HWND hwnd) {
  Control* c = controlOf(hwnd);
  if (c && c->kind == ControlKind::DropList)
    return c->selection >= 0 ? c->items[size_t(c->selection)] : std::u16string{};
  return wm::text(hwnd);
}

std::vector<RECT> openDropListItems() {
  std::vector<RECT> out;
  const OpenList& l = openList();
  Control* c = l.hwnd && IsWindow(l.hwnd) ? controlOf(l.combo) : nullptr;
  if (!c) return out;
  RECT s = wm::screenRect(l.hwnd);
  for (size_t i = 0; i < c->items.size(); ++i)
    out.push_back(RECT{s.left + 1, s.top + 1 + int(i) * l.itemHeight, s.right - 1,
                       s.top + 1 + int(i + 1) * l.itemHeight});
  return out;
}

}  // namespace pk::chrome
