// The dialog controls as a player sees them: what each draws in its states, what it
// answers and tells its parent; the layout of dialogs and message boxes.
#include <array>
#include <optional>

#include <pocket/resource_format.h>

#include "canvas.h"
#include "chrome/look.h"
#include "controls/controls.h"
#include "gdi/gdi.h"
#include "pocket_fixture.h"

inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

using Kind = pk::InputEvent::Kind;
using pk::chrome::centre;
using pk::wm::screenRect;
constexpr uint32_t kBlack = 0, kWhite = 0xFFFFFF, kGrey = 0xCECECE, kShadow = 0x808080, kBlue = 0x002884;

struct Note {
  int id, code;
  HWND from;
  bool operator==(const Note&) const = default;
};
std::vector<Note> notes;
std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> behaviour;

LRESULT CALLBACK paneProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_COMMAND) return notes.push_back({LOWORD(w), HIWORD(w), reinterpret_cast<HWND>(l)}), 0;
  if (m == WM_SETTEXT) return FALSE;  // a window that refuses a text
  return DefWindowProcW(h, m, w, l);
}
INT_PTR CALLBACK dialogProc(HWND h, UINT m, WPARAM w, LPARAM l) { return behaviour(h, m, w, l); }

RECT inner(RECT r, int by = 2) { return {r.left + by, r.top + by, r.right - by, r.bottom - by}; }

class Controls : public test::Shell {
 protected:
  HWND pane = nullptr;
  size_t objects = 0, dcs = 0;
  void SetUp() override {
    Shell::SetUp();
    notes.clear();
    pk::chrome::registerControlClasses();
    WNDCLASSW wc{};
    wc.lpfnWndProc = paneProc;
    wc.lpszClassName = u"ControlsPane";
    RegisterClassW(&wc);
    pane = CreateWindowExW(0, u"ControlsPane", u"", WS_CHILD | WS_VISIBLE, 0, 0, 240, 268, main, HMENU(7), nullptr, nullptr);
    objects = pk::automation::liveGdiObjects();
    dcs = pk::automation::liveDeviceContexts();
  }
  // Drawing the controls gives back every object and DC it takes.
  void TearDown() override {
    EXPECT_EQ(pk::automation::liveGdiObjects(), objects);
    EXPECT_EQ(pk::automation::liveDeviceContexts(), dcs);
    Shell::TearDown();
  }
  HWND make(LPCWSTR cls, LPCWSTR text, DWORD style, int id, RECT r) {
    return CreateWindowExW(0, cls, text, style | WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, pane, reinterpret_cast<HMENU>(intptr_t(id)), test::testInstance(), nullptr);
  }
  // Each step sees the screen drawn after the input the step before queued.
  void play(std::vector<std::function<void()>> steps) {
    host.script(std::move(steps));
    pump();
  }
  void stylus(Kind k, POINT p) { host.events.push_back({k, int(p.x), int(p.y)}); }
  int count(RECT r, uint32_t ink) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += pixel(x, y) == ink;
    return n;
  }
  RECT inkBox(RECT r, uint32_t ink) const {
    RECT b{r.right, r.bottom, r.left, r.top};
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (pixel(x, y) == ink) b = {std::min<int>(b.left, x), std::min<int>(b.top, y), std::max<int>(b.right, x + 1), std::max<int>(b.bottom, y + 1)};
    return b;
  }
  // The ink in `area` is the size of `s` drawn alone in that Tahoma, and where given,
  // its pen started at x (and its line's top at y).
  void showsText(RECT area, uint32_t ink, const std::u16string& s, std::optional<int> x, std::optional<int> y = {}) const {
    test::Canvas c(200, 40);
    {
      pk::chrome::ScopedFont font(c.dc, 8, false);
      pk::chrome::text(c.dc, s, {0, 0, 200, 40}, DT_LEFT | DT_SINGLELINE, RGB(0, 0, 0), RGB(255, 255, 255));
    }
    RECT want{200, 40, 0, 0}, got = inkBox(area, ink);
    for (auto [px, py] : c.points(0)) want = {std::min<int>(want.left, px), std::min<int>(want.top, py), std::max<int>(want.right, px + 1), std::max<int>(want.bottom, py + 1)};
    EXPECT_EQ(got.right - got.left, want.right - want.left);
    EXPECT_EQ(got.bottom - got.top, want.bottom - want.top);
    EXPECT_EQ(got.left - x.value_or(got.left), x ? want.left : 0);
    EXPECT_EQ(got.top - y.value_or(got.top), y ? want.top : 0);
  }
  // Pixels of the screen from `at` on that differ from `want`, outside the windows in `skip`.
  int differs(const test::Canvas& want, POINT at, const std::vector<HWND>& skip) const {
    int n = 0;
    for (int y = 0; y < want.s().height; ++y)
      for (int x = 0; x < want.s().width; ++x)
        n += std::none_of(skip.begin(), skip.end(), [&](HWND h) { return pk::chrome::contains(screenRect(h), {at.x + x, at.y + y}); }) &&
             pixel(at.x + x, at.y + y) != (want.at(x, y) & 0xFFFFFF);
    return n;
  }
};

TEST_F(Controls, ButtonsShowPressAndCheckAndNotifyOnReleaseInside) {
  HWND push = make(u"BUTTON", u"Push", BS_PUSHBUTTON, 11, {10, 10, 70, 30});
  HWND box = make(u"BUTTON", u"Sound", BS_AUTOCHECKBOX, 13, {10, 40, 110, 57});
  HWND plain = make(u"BUTTON", u"Plain", 2, 14, {120, 40, 220, 57});
  RECT p = screenRect(push), b = screenRect(box), q = screenRect(plain);
  const int my = (p.top + p.bottom) / 2, top = b.top + 2;  // the 13-pixel box is centred in 17
  auto looksPressed = [&](bool pressed) {
    EXPECT_EQ(pixel(p.left + 1, my), pressed ? kBlack : kGrey);
    showsText(inner(p), pressed ? kWhite : kBlack, u"Push", {});
  };
  // The check mark's lowest point, in the 13-pixel box centred in the control's height.
  auto marked = [&](RECT r, bool on) {
    EXPECT_EQ(pixel(r.left + 5, r.top + (r.bottom - r.top - 13) / 2 + 9), on ? kBlack : kWhite);
  };
  const POINT outside{p.right, my}, away{p.left, p.bottom + 4};
  play({[&] { stylus(Kind::StylusDown, centre(p)); },
        [&] { looksPressed(true), stylus(Kind::StylusMove, outside); },
        [&] {  // another control going away leaves the held button its stylus
          looksPressed(false), DestroyWindow(make(u"STATIC", u"", 0, 15, {})), stylus(Kind::StylusMove, centre(p));
        },
        [&] { looksPressed(true), stylus(Kind::StylusUp, outside); },
        // A stroke begun elsewhere neither presses nor clicks the button it ends on.
        [&] { stylus(Kind::StylusDown, away), stylus(Kind::StylusMove, centre(p)); },
        [&] { looksPressed(false), stylus(Kind::StylusUp, centre(p)); },
        [&] {
          EXPECT_TRUE(notes.empty());
          host.tap(centre(p).x, my);
          stylus(Kind::StylusDown, centre(b));
        },
        [&] {
          EXPECT_EQ(pixel(b.left + 2, top + 10), kGrey);  // the box greys while held
          stylus(Kind::StylusUp, centre(b));
          host.tap(centre(q).x, centre(q).y);
        },
        [&] {
          EXPECT_EQ(pixel(b.left + 2, top + 10), kWhite);
          marked(b, true);
          marked(q, false);  // a plain check box only tells its parent
          // A button answers 0 to what it handles, a new check too.
          for (UINT m : {WM_PAINT, WM_MOUSEMOVE, WM_LBUTTONUP, BM_SETCHECK}) EXPECT_EQ(SendMessageW(plain, m, BST_CHECKED, 0), 0);
          EXPECT_EQ(SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0), 0);
          pk::wm::enableWindow(push, false);
          pk::wm::enableWindow(box, false);
        }});
  play({[&] {
    marked(q, true);
    EXPECT_EQ(pixel(b.left, top + 6), kShadow);
    showsText(inner(p), kShadow, u"Push", {});
    showsText({b.left + 13, b.top, b.right, b.bottom}, kShadow, u"Sound", b.left + 17, b.top + 2);  // its line centred in all 17 rows
    host.tap(centre(p).x, my);
  }});
  EXPECT_EQ(notes, (std::vector<Note>{{11, BN_CLICKED, push}, {13, BN_CLICKED, box}, {14, BN_CLICKED, plain}}));
}

TEST_F(Controls, StaticsAlignWrapGreyAndFitTheirPicture) {
  HWND left = make(u"STATIC", u"Hi", SS_LEFT, 21, {10, 10, 110, 24});
  make(u"STATIC", u"Hi", SS_CENTER, 22, {10, 30, 110, 44});
  make(u"STATIC", u"Hi", SS_RIGHT, 23, {10, 50, 110, 64});
  make(u"STATIC", u"Hi Hi Hi", SS_LEFT, 24, {120, 10, 140, 80});
  HWND pic = make(u"STATIC", u"BMP_TRUE", SS_BITMAP, 25, {10, 90, 50, 120});
  make(u"STATIC", u"NO_SUCH", SS_BITMAP, 26, {60, 90, 100, 120});  // a missing picture draws nothing
  auto at = [&](int id) { return screenRect(GetDlgItem(pane, id)); };
  HBITMAP bmp = LoadBitmapW(test::testInstance(), u"BMP_TRUE");
  const pk::Surface& s = *pk::gdi::bitmapSurface(bmp);
  play({[&] {
    RECT r = inkBox(at(23), kBlack);
    EXPECT_LE(at(23).right - r.right, 1);
    // Words that do not fit side by side wrap onto lines a dialog base unit apart.
    RECT w = inkBox(at(24), kBlack), hi = inkBox(at(21), kBlack);
    EXPECT_EQ(w, (RECT{at(24).left + hi.left - at(21).left, hi.top - at(21).top + at(24).top, at(24).left + hi.right - at(21).left,
                       at(24).top + hi.bottom - at(21).top + 2 * pk::chrome::dialogBaseUnits().cy}));
    // A picture takes the size of its bitmap.
    RECT pr = screenRect(pic);
    EXPECT_EQ(pr, (RECT{pr.left, pr.top, pr.left + s.width, pr.top + s.height}));
    EXPECT_EQ(pk::chrome::controlKind(make(u"STATIC", u"BMP_TRUE", 0x0F, 27, {})), pk::chrome::ControlKind::Static);  // a metafile's type
    EXPECT_EQ(pk::chrome::controlKind(pane), pk::chrome::ControlKind::Other);
    pk::wm::enableWindow(left, false);
    EXPECT_EQ(SendMessageW(left, WM_PAINT, 0, 0), 0);
    EXPECT_TRUE(SetDlgItemTextW(pane, 22, u"Hi there"));
  }});
  play({[&] {
    showsText(at(21), kShadow, u"Hi", at(21).left);
    WCHAR text[16] = u"x";
    EXPECT_EQ(GetDlgItemTextW(pane, 22, text, -1), 0u);
    EXPECT_EQ(text[0], u'x');
    EXPECT_EQ(GetDlgItemTextW(pane, 22, text, 1), 0u);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(GetDlgItemTextW(pane, 22, text, 16), 8u);
    showsText(at(22), kBlack, u"Hi there", {});
  }});
  DeleteObject(bmp);
}

TEST_F(Controls, DropListShowsItsChoiceAndHighlightsTheCurrentItem) {
  HWND combo = make(u"COMBOBOX", u"", CBS_DROPDOWNLIST, 31, {10, 10, 110, 90});
  HWND low = make(u"COMBOBOX", u"", CBS_DROPDOWNLIST, 32, {10, 200, 110, 260});
  auto send = [&](UINT m, WPARAM w, const void* l = nullptr, HWND to = nullptr) {
    return SendMessageW(to ? to : combo, m, w, reinterpret_cast<LPARAM>(l));
  };
  const std::array<std::u16string, 3> names{u"Alpha", u"Beta", u"Gamma"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(send(CB_ADDSTRING, 0, names[i].c_str()), i);
    send(CB_ADDSTRING, 0, names[i].c_str(), low);
  }
  EXPECT_EQ(send(CB_ADDSTRING, 0), CB_ERR);
  EXPECT_EQ(send(CB_GETCOUNT, 0), 3);
  WCHAR text[8] = u"xxxxxxx";
  EXPECT_EQ(send(CB_GETLBTEXT, 2, text), 5);
  EXPECT_EQ(std::u16string(text), u"Gamma");
  EXPECT_EQ(send(CB_GETLBTEXT, 3, text), CB_ERR);
  EXPECT_EQ(send(CB_GETLBTEXT, 0), CB_ERR);
  EXPECT_EQ(send(CB_GETCURSEL, 0), CB_ERR);
  EXPECT_EQ(send(CB_SETCURSEL, 3), CB_ERR);
  EXPECT_EQ(send(CB_GETCURSEL, send(CB_SETCURSEL, 0)), 0);
  EXPECT_EQ(send(WM_GETTEXTLENGTH, 0), 5);
  EXPECT_EQ(send(WM_GETTEXT, 0, text), 0);
  EXPECT_EQ(send(WM_GETTEXT, 4, text), 3);  // cut to fit, and ended
  EXPECT_EQ(std::u16string(text), u"Alp");
  EXPECT_EQ(send(CB_SETCURSEL, 1), 1);
  RECT c = screenRect(combo), l = screenRect(low), field{c.left + 1, c.top + 1, c.right - 14, c.bottom - 1};
  const int cx = c.right - 7, cy = c.top + (c.bottom - c.top - 3) / 2;
  auto arrow = [&](bool open) {
    EXPECT_EQ(pixel(c.right - 2, c.top + 2), open ? kBlack : kGrey);
    EXPECT_EQ(pixel(cx, cy + 3), open ? kWhite : kBlack);  // the point of the triangle
    EXPECT_EQ(pixel(c.right - 2, c.bottom - 1), kBlack);
  };
  std::vector<RECT> items;
  int ih = 0;
  auto highlighted = [&](int hot) {
    for (int i = 0; i < 3; ++i) EXPECT_EQ(pixel(items[i].left, items[i].top), i == hot ? kBlue : kWhite) << i;
  };
  // Moves the lower box so that its top is at `top`, and taps it open.
  auto openLowAt = [&](int top) {
    pk::wm::moveWindow(low, 10, top, 100, ih + 2);
    l = screenRect(low);
    host.tap(l.left + 20, l.top + 4);
  };
  play({[&] { host.tap(c.left + 20, c.top + 4); },
        [&] {
          items = pk::chrome::openDropListItems();
          ASSERT_EQ(items.size(), 3u);
          ih = items[0].bottom - items[0].top;
          EXPECT_EQ(items[0], (RECT{c.left + 1, c.bottom + 1, c.right - 1, c.bottom + 1 + ih}));
          stylus(Kind::StylusDown, {items[2].left, items[2].top}), stylus(Kind::StylusMove, {c.right + 5, items[0].top});  // off it: no change
        },
        [&] {
          highlighted(2);
          stylus(Kind::StylusMove, {items[0].right - 1, items[0].bottom - 1});
        },
        [&] {
          highlighted(0);
          stylus(Kind::StylusUp, {items[0].left, items[0].top});
        },
        [&] {
          arrow(false);
          EXPECT_TRUE(pk::chrome::openDropListItems().empty() && !FindWindowW(u"pk_droplist", nullptr));
          showsText(field, kBlack, u"Alpha", c.left + 3);
          // A list that just fits below its box opens there; one pixel lower, above it.
          openLowAt(294 - 4 * ih - 4);
        },
        [&] {
          items = pk::chrome::openDropListItems();
          ASSERT_EQ(items.size(), 3u);
          EXPECT_EQ(items[2].bottom, 320 - 1);
          host.tap(c.left + 20, c.top + 4);  // a tap elsewhere only closes the list
        },
        [&] {
          EXPECT_EQ(pixel(l.right - 2, l.top + 2), kGrey);  // its arrow shows it closed
          openLowAt(295 - 4 * ih - 4);
        },
        [&] {
          // No room below: the list opens above the box. Its frame chooses nothing.
          items = pk::chrome::openDropListItems();
          ASSERT_EQ(items.size(), 3u);
          EXPECT_EQ(items[2].bottom, l.top - 1);
          host.tap(items[2].left + 5, items[2].bottom);
          host.tap(items[1].left - 1, items[1].top + 2);
          host.tap(items[1].right, items[1].top + 2);
        },
        [&] {
          EXPECT_EQ(pk::chrome::openDropListItems().size(), 3u);
          DestroyWindow(low);
          EXPECT_TRUE(pk::chrome::openDropListItems().empty());
          // An empty box drops one blank row; destroying a box closes only its own list.
          HWND none = make(u"COMBOBOX", u"", CBS_DROPDOWNLIST, 33, {150, 10, 200, 30});
          SendMessageW(none, WM_LBUTTONDOWN, 0, 0);
          RECT e = screenRect(FindWindowW(u"pk_droplist", nullptr));
          EXPECT_EQ(e.bottom - e.top, ih + 2);
          SendMessageW(combo, WM_LBUTTONDOWN, 0, 0);
          DestroyWindow(none);
          EXPECT_EQ(pk::chrome::openDropListItems().size(), 3u);
          SendMessageW(combo, WM_LBUTTONDOWN, 0, 0);
          EXPECT_EQ(send(CB_SETCURSEL, WPARAM(-1)), CB_ERR);
        }});
  play({[&] {
    arrow(false);  // a second press closed it
    EXPECT_EQ(count(field, kBlack), 0);
    EXPECT_EQ(send(CB_SETCURSEL, 2), 2);
  }});
  play({[&] {
    showsText(field, kBlack, u"Gamma", c.left + 3);  // a choice the program makes shows at once
    const LONG top = inkBox(field, kBlack).top;  // a pixel taller, the line stays where centring puts it
    pk::wm::moveWindow(combo, 10, 10, 100, c.bottom - c.top + 1), UpdateWindow(combo);
    EXPECT_EQ(inkBox(field, kBlack).top, top);
    pk::wm::moveWindow(combo, 10, 10, 100, c.bottom - c.top);
    pk::wm::enableWindow(combo, false);
  }});
  play({[&] {
    EXPECT_EQ(pixel(c.left, c.top + 4), kShadow);
    showsText(field, kShadow, u"Gamma", c.left + 3);
    // A long item stops two pixels short of the arrow, and in the list, of its frame.
    EXPECT_EQ(send(CB_SETCURSEL, send(CB_ADDSTRING, 0, u"MMMMMMMMMMMMMMMMMMMMMMMM")), 3);
    SendMessageW(combo, WM_LBUTTONDOWN, 0, 0);
  }});
  play({[&] {
    EXPECT_GT(count({c.right - 17, c.top, c.right - 15, c.bottom}, kShadow), 0);
    EXPECT_EQ(count({c.right - 15, c.top + 1, c.right - 14, c.bottom - 1}, kWhite), c.bottom - c.top - 2);
    RECT m = pk::chrome::openDropListItems().at(3);
    EXPECT_EQ(count({m.right - 2, m.top, m.right, m.bottom}, kWhite), 0);
    EXPECT_GT(count({m.right - 6, m.top, m.right - 2, m.bottom}, kWhite), 0);
    EXPECT_EQ(SendMessageW(FindWindowW(u"pk_droplist", nullptr), WM_PAINT, 0, 0), 0);
  }});
  EXPECT_EQ(notes, (std::vector<Note>{{31, CBN_SELCHANGE, combo}}));
}

const std::u16string kTitle = u"A title with a line past the edge ________________________________________";

// A window's frame and its caption strip, `strip` high, its bold title `inset` in from the sides.
void drawCaption(HDC dc, SIZE s, int strip, int inset) {
  using namespace pk::chrome;
  fillSolid(dc, {0, 0, s.cx, strip}, kNavBlue);
  frame(dc, {0, 0, s.cx, s.cy}, kBlack);
  ScopedFont font(dc, 8, true);
  text(dc, kTitle, {inset, 0, s.cx - inset, strip}, DT_LEFT | DT_VCENTER | DT_SINGLELINE, kWhite, kNavBlue);
}

std::vector<unsigned char> dialogBytes(std::vector<pk::DialogItem> items) {
  pk::resfmt::Writer w;
  w.beginBlock(pk::resfmt::kDialogMagic);
  w.u32(0x80C80000);
  w.u32(0);
  for (int v : {0, 0, 100, 50, 8}) w.u16(uint16_t(v));
  w.text(kTitle);
  w.text(u"Tahoma");
  w.u16(uint32_t(items.size()));
  for (const auto& i : items) {
    w.u32(i.style);
    w.u32(uint32_t(i.id));
    for (int v : {i.x, i.y, i.cx, i.cy}) w.u16(uint16_t(int16_t(v)));
    w.text(i.className);
    w.text(i.text);
  }
  w.endBlock();
  return w.bytes;
}

TEST_F(Controls, DialogContentFitsInsideItsFrameAndEnterPressesTheDefault) {
  auto bytes = dialogBytes({{u"", 41, u"STATIC", WS_VISIBLE, 0, 0, 100, 50},
                            {u"", 42, u"STATIC", WS_VISIBLE, -4, 40, 8, 8},
                            {u"Go", 43, u"BUTTON", WS_VISIBLE | BS_DEFPUSHBUTTON, 10, 30, 40, 14}});
  auto run = [&](const std::vector<unsigned char>& b, HWND owner = nullptr) {
    return DialogBoxIndirectParamW(test::testInstance(), reinterpret_cast<LPCDLGTEMPLATEW>(b.data()), owner ? owner : main, dialogProc, 0);
  };
  bool full = false;
  behaviour = [&](HWND h, UINT m, WPARAM w, LPARAM) -> INT_PTR {
    if (m == WM_INITDIALOG) {
      EXPECT_EQ(reinterpret_cast<HWND>(w), GetDlgItem(h, 41));  // the first control
      SHINITDLGINFO info{full ? DWORD(SHIDIM_FLAGS) : 0, h, SHIDIF_SIZEDLG};
      EXPECT_EQ(SHInitDialog(&info), TRUE);
      if (full) pk::wm::enableWindow(GetDlgItem(h, 43), false);
    }
    if (m != WM_COMMAND) return FALSE;
    // The last value given is the one returned.
    EXPECT_TRUE(EndDialog(h, 0));
    EXPECT_TRUE(EndDialog(h, LOWORD(w)));
    return TRUE;
  };
  const SIZE base = pk::chrome::dialogBaseUnits();
  host.script({[&] {
    HWND dlg = GetActiveWindow();
    RECT d = screenRect(dlg), f = screenRect(GetDlgItem(dlg, 41)), n = screenRect(GetDlgItem(dlg, 42));
    EXPECT_EQ(f, (RECT{d.left + 1, d.top + 18, d.right - 1, d.bottom - 1}));
    EXPECT_EQ(n.left, f.left - base.cx);  // four units left of the content is one average character
    EXPECT_LE(std::abs(d.left - (240 - d.right)), 1);
    EXPECT_LE(std::abs((d.top - 26) - (294 - d.bottom)), 1);
    test::Canvas want(d.right - d.left, d.bottom - d.top);
    drawCaption(want.dc, {d.right - d.left, d.bottom - d.top}, 18, 5);
    EXPECT_EQ(differs(want, {d.left, d.top}, pk::wm::children(dlg)), 0);
    EXPECT_FALSE(pk::wm::isEnabled(main));  // the owner of the control given is the top-level window
    host.key(Kind::KeyEnter);
  }});
  EXPECT_EQ(run(bytes, pane), 43);
  full = true;
  auto navBar = [] { return std::vector<uint32_t>(pk::device().screen.pixels.begin(), pk::device().screen.pixels.begin() + 240 * 26); };
  host.script({[&] {  // sized to the screen, but without the shell's done button
    EXPECT_FALSE(pk::chrome::hasDoneButton(GetActiveWindow()));
    EXPECT_EQ(count({232, 26, 240, 26 + 23}, kWhite), 8 * 23);  // a long title stops short of the edge
    const auto bar = navBar();
    SHINITDLGINFO done{SHIDIM_FLAGS, GetActiveWindow(), SHIDIF_DONEBUTTON | SHIDIF_SIZEDLG};
    SHInitDialog(&done);  // asked for later, the button shows at once
    UpdateWindow(pk::chrome::navigationBar());
    EXPECT_NE(navBar(), bar);
  }, [&] {
    host.key(Kind::KeyEnter);  // with the default disabled, Enter is an OK
  }});
  EXPECT_EQ(run(bytes), IDOK);
  EXPECT_EQ(run(bytes), 0);  // ended by the program's quit, not by an answer
  // Templates that cannot be run leave the owner as it was.
  std::vector<unsigned char> cut = bytes;
  cut[4] = 8;
  EXPECT_EQ(run(dialogBytes({{u"", 44, u"LISTVIEW", WS_VISIBLE, 0, 0, 10, 10}})), -1);
  EXPECT_EQ(run(cut), -1);
  EXPECT_EQ(DialogBoxIndirectParamW(nullptr, nullptr, main, dialogProc, 0), -1);
  EXPECT_EQ(FindWindowW(u"pk_dialog", nullptr), nullptr);
  EXPECT_TRUE(pk::wm::isEnabled(main));
  EXPECT_FALSE(EndDialog(main, 1));
  SHINITDLGINFO info{SHIDIM_FLAGS, main, 0};
  EXPECT_FALSE(SHInitDialog(&info));
  EXPECT_FALSE(SHInitDialog(nullptr));
  // Text asked of a missing item is empty, written only where there is room.
  WCHAR text[4] = u"abc";
  EXPECT_EQ(GetDlgItemTextW(main, 99, text, 0), 0u);
  EXPECT_EQ(text[0], u'a');
  EXPECT_EQ(GetDlgItemTextW(main, 99, nullptr, 4), 0u);
  EXPECT_EQ(GetDlgItemTextW(main, 99, text, 1), 0u);
  EXPECT_EQ(text[0], 0);
  EXPECT_FALSE(SetDlgItemTextW(main, 99, u"x"));
  EXPECT_FALSE(SetDlgItemTextW(main, 7, u"x"));
  EXPECT_EQ(SendDlgItemMessageW(main, 99, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(Controls, MessageBoxPlacesItsTextAndDefaultButton) {
  const int line = pk::chrome::dialogBaseUnits().cy;
  auto check = [&](UINT type, const std::u16string& message, int lines, WPARAM key, int answer) {
    const bool yesNo = (type & 0xF) == MB_YESNO;
    HWND box = nullptr;
    host.script({[&] {
      box = GetActiveWindow();
      RECT r = screenRect(box);
      RECT a = screenRect(GetDlgItem(box, yesNo ? IDYES : IDOK));
      // Centred in the work area, or at its top when taller.
      EXPECT_EQ(r.top - 26, std::max<int>(0, (268 - (r.bottom - r.top)) / 2));
      EXPECT_EQ(a.top - r.top, 20 + 10 + lines * line + 12) << std::hex << type;
      // The text wrapped under the caption strip; the question icon is on the game's End Game screen.
      test::Canvas want(224, r.bottom - r.top);
      {
        drawCaption(want.dc, {224, r.bottom - r.top}, 20, 6);
        pk::chrome::ScopedFont font(want.dc, 8, false);
        pk::chrome::text(want.dc, message, {10, 30, 214, 400}, DT_LEFT | DT_WORDBREAK, kBlack, kWhite);
      }
      EXPECT_EQ(differs(want, {r.left, r.top}, pk::wm::children(box)), 0) << std::hex << type;
      host.events.push_back({Kind::KeyStroke, 'A', 0});  // keys other than Enter and Escape do not answer
    },
    [&] {
      // Closing answers as Escape does, and the first answer stands.
      SendMessageW(box, WM_KEYDOWN, key, 0);
      SendMessageW(box, WM_CLOSE, 0, 0);
      SendMessageW(box, WM_COMMAND, IDYES, 0);
      host.events.push_back({Kind::KeyStroke, 'A', 0});
    }});
    EXPECT_EQ(MessageBoxW(pane, message.c_str(), kTitle.c_str(), type), answer);
  };
  check(MB_YESNO, u"Keep?", 1, VK_RETURN, IDYES);
  check(MB_YESNO | 1, u"One", 1, VK_RETURN, IDOK);  // a set of buttons the device lacks is an OK
  EXPECT_TRUE(hasNote("messagebox \"" + pk::utf8(kTitle) + "\" \"One\" 0x005 -> 1"));  // the script host's record
  check(MB_YESNO, u"Other words wrap at the width of the box, measured in the same plain font as drawn.", 2, VK_ESCAPE, IDNO);
  const int tall = (268 - 73) / line + 1;  // lines for a box taller than the work area
  std::u16string many = u"O";
  for (int i = 1; i < tall; ++i) many += u"\nO";
  check(MB_OK, many, tall, 'A', IDOK);
}

}  // namespace
