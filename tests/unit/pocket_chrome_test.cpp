// The shell's menu bar and pop-up menus, its input panel, accelerators, and a modal dialog from a template.
#include "chrome/look.h"
#include "controls/controls.h"
#include "gdi/gdi.h"
#include "pocket_fixture.h"

namespace {

using test::record;
using Kind = pk::InputEvent::Kind;
namespace automation = pk::automation;

std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> behaviour;

INT_PTR CALLBACK testDialogProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return behaviour ? behaviour(h, m, w, l) : FALSE;
}

// Full-screen with a done button; ends on Push with 42 and on OK with 1.
INT_PTR standard(HWND h, UINT m, WPARAM w, LPARAM) {
  if (m == WM_INITDIALOG) {
    SHINITDLGINFO info{SHIDIM_FLAGS, h, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLG};
    EXPECT_TRUE(SHInitDialog(&info));
    return TRUE;
  }
  if (m == WM_COMMAND && LOWORD(w) == 2005) return EndDialog(h, 42);
  if (m == WM_COMMAND && LOWORD(w) == IDOK) return EndDialog(h, 1);
  return FALSE;
}

class Chrome : public test::Shell {
 protected:
  void SetUp() override {
    Shell::SetUp();
    behaviour = standard;
  }
  INT_PTR run(int dialog = 2000) {
    HRSRC r = FindResourceW(test::testInstance(), MAKEINTRESOURCEW(dialog), RT_DIALOG);
    auto tmpl = static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(test::testInstance(), r)));
    return DialogBoxIndirectParamW(test::testInstance(), tmpl, main, testDialogProc, 0);
  }
  bool popupOpen() { return !pk::chrome::openPopupItems().empty(); }
  void play(std::function<void()> step) { host.script({step}), pump(); }
};

TEST_F(Chrome, MenuItemsPostTheirCommandUnlessGrayed) {
  host.script({
      [&] { host.tapAt(automation::menuBarButton(u"Game")); },
      [&] { host.tapAt(automation::popupMenuItem(u"End Game")); },  // grayed in the template
      [&] {
        EXPECT_TRUE(popupOpen());
        auto items = pk::chrome::openPopupItems();
        ASSERT_EQ(items.size(), 3u);
        // The separator lies between "End Game" and "Options...".
        host.tap(items[1].second.left + 5, (items[1].second.bottom + items[2].second.top) / 2);
      },
      [&] {
        EXPECT_TRUE(popupOpen());
        host.tapAt(automation::popupMenuItem(u"Options..."));
      },
      [&] { host.tap(120, 100); },
  });
  pump();
  EXPECT_EQ(record.commands, std::vector<int>{104});
  EXPECT_EQ(record.taps, 1);  // the main window has the stylus again
  EXPECT_FALSE(popupOpen());
  EXPECT_EQ(pixel(20, 280), 0x00A000u);  // the pop-up is gone from the screen
  using pk::chrome::displayText;  // the marks are not shown, but one at the end is text
  EXPECT_EQ(displayText(u"&Game && A&B") + displayText(u"A&"), u"Game & ABA&");
  // Graying by command reports the previous state; a tap outside only closes the menu.
  HMENU game = reinterpret_cast<HMENU>(SendMessageW(record.menuBar, SHCMBM_GETSUBMENU, 0, 112));
  ASSERT_TRUE(game && !SendMessageW(record.menuBar, SHCMBM_GETSUBMENU, 0, 555));  // no such button, no menu
  EXPECT_EQ(EnableMenuItem(game, 102, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(game, 101, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(EnableMenuItem(game, 555, MF_BYCOMMAND | MF_GRAYED), -1);
  EXPECT_EQ(EnableMenuItem(game, 0, MF_BYCOMMAND | MF_GRAYED), -1);  // nor is a separator
  EXPECT_EQ(EnableMenuItem(reinterpret_cast<HMENU>(record.menuBar), 102, MF_GRAYED), -1);  // a window is no menu
  auto barFrom = [&](UINT id) {  // a bar from the template `id`, gone again
    SHMENUBARINFO info{sizeof(SHMENUBARINFO), main, 0, id, test::testInstance(), 0, 0, nullptr};
    return SHCreateMenuBar(&info) && DestroyWindow(info.hwndMB);
  };
  host.script({
      [&] { host.tapAt(automation::menuBarButton(u"Game")); },
      // A bar that fails to load, or another that goes, takes its menus with it, not the open one.
      [&] {
        // A template a word short, or none, is refused; one of no buttons is an empty bar.
        EXPECT_FALSE(barFrom(119) || barFrom(123) || barFrom(999) || SHCreateMenuBar(nullptr));
        EXPECT_TRUE(barFrom(121) && barFrom(124));
        host.tapAt(automation::popupMenuItem(u"New Game"));
      },
      [&] { host.tapAt(automation::popupMenuItem(u"End Game")); },
      [&] { host.tapAt(automation::menuBarButton(u"Game")); },
      [&] { host.tap(120, 100); },
      // Closed as any window is, the menu leaves its button unlit too.
      [&] {
        EXPECT_FALSE(popupOpen());
        host.tapAt(automation::menuBarButton(u"Game"));
      },
      [&] { SendMessageW(pk::wm::capture(), WM_CLOSE, 0, 0), host.key(Kind::ClockChanged); },
  });
  pump();
  EXPECT_EQ(record.commands, (std::vector<int>{104, 102}));
  EXPECT_EQ(record.origins, (std::vector<std::pair<int, LPARAM>>{{0, 0}, {0, 0}}));  // as a menu sends them
  EXPECT_EQ(record.taps, 1);
  EXPECT_FALSE(popupOpen());
  const RECT button = pk::chrome::menuBarButtons(record.menuBar)[0].screen;
  EXPECT_EQ(pixel(button.left + 2, button.top + 2), 0xD6D3CEu);
  play([&] { host.tap(150, 310); });  // the bar beside its buttons: nothing opens
  EXPECT_FALSE(popupOpen());
}

TEST_F(Chrome, DisabledPictureButtonSendsNothingUntilEnabled) {
  HWND bar = record.menuBar;
  // Two strips of the standard pictures: the second's are numbered from 15.
  EXPECT_EQ(CommandBar_AddBitmap(bar, HINST_COMMCTRL, IDB_STD_SMALL_COLOR, 15, 0, 0), 0);
  EXPECT_EQ(CommandBar_AddBitmap(bar, HINST_COMMCTRL, IDB_STD_SMALL_COLOR, 15, 0, 0), 15);
  EXPECT_EQ(CommandBar_AddBitmap(bar, HINST_COMMCTRL, IDB_STD_SMALL_COLOR, 1, 0, 0), 30);
  pump();  // the bar shown as it was: the buttons added next must show themselves
  TBBUTTON more[2] = {{1, 107, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0}, {29, 108, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0}};
  EXPECT_TRUE(SendMessageW(bar, TB_ADDBUTTONS, 2, reinterpret_cast<LPARAM>(more)) && !SendMessageW(bar, TB_ADDBUTTONS, 1, 0));
  LPCWSTR tips[] = {u"", u"", u"Undo Move", u"A tip far too long to fit across the whole width of the screen"};
  EXPECT_TRUE(SendMessageW(bar, TB_SETTOOLTIPS, 4, reinterpret_cast<LPARAM>(tips)));
  pump();
  // What a button's picture shows, against the strip's image on the bar's grey.
  HBITMAP bitmap = LoadBitmapW(pk::instanceOf(pkLayerModule), u"TOOLBAR_STD");
  const pk::Surface& strip = *pk::gdi::bitmapSurface(bitmap);
  auto picture = [&](const pk::Surface& s, int x0, int y0, uint32_t ground) {  // 0: the key colour as it is
    std::vector<uint32_t> px;
    for (int y = y0; y < y0 + 16; ++y)
      for (int x = x0; x < x0 + 16; ++x) px.push_back(ground && (s.row(y)[x] & 0xFFFFFF) == 0xFF00FF ? ground : s.row(y)[x] & 0xFFFFFF);
    return px;
  };
  auto shown = [&](int command) {
    for (const auto& b : pk::chrome::menuBarButtons(bar))
      if (b.command == command) return picture(pk::device().screen, (b.screen.left + b.screen.right - 16) / 2, (b.screen.top + b.screen.bottom - 16) / 2, 0);
    return std::vector<uint32_t>{};
  };
  EXPECT_EQ(shown(107), picture(strip, 16, 0, 0xD6D3CE));
  EXPECT_EQ(shown(108), picture(strip, 14 * 16, 0, 0xD6D3CE));
  // Greyed: an outline of white and shadow on the grey.
  const auto greyed = shown(106);
  EXPECT_TRUE(std::all_of(greyed.begin(), greyed.end(), [](uint32_t c) { return c == 0xD6D3CE || c == 0xFFFFFF || c == 0x808080; }));
  EXPECT_GT(std::count(greyed.begin(), greyed.end(), 0x808080u), 20);
  EXPECT_FALSE(SendMessageW(bar, TB_ISBUTTONENABLED, 106, 0));
  play([&] { host.tapAt(automation::menuBarButtonById(106)); });
  EXPECT_TRUE(record.commands.empty());
  EXPECT_TRUE(SendMessageW(bar, TB_ENABLEBUTTON, 106, 1) && !SendMessageW(bar, TB_ENABLEBUTTON, 999, 1));  // no 999
  pump();
  EXPECT_EQ(shown(106), picture(strip, 0, 0, 0xD6D3CE));
  const pk::Surface enabled = pk::device().screen;
  const uint64_t clock = host.clock;
  play([&] { host.tapAt(automation::menuBarButtonById(106)), host.tap(120, 100); });
  EXPECT_EQ(record.commands, std::vector<int>{106});
  EXPECT_EQ(record.origins.back(), (std::pair<int, LPARAM>{0, 0}));  // as a button sends it: no key, no control
  EXPECT_EQ(record.taps, 1);  // let go, the button gives the stylus back
  EXPECT_EQ(host.clock, clock) << "a quick tap left the tip's timer to wake the program";
  EXPECT_EQ(pk::device().screen.pixels, enabled.pixels) << "the button looks pressed after it was let go";
  // Held, a button's tip shows in a box above the bar, kept on the screen; released off the button: no command.
  const size_t dcs = automation::liveDeviceContexts();
  const int left = pk::chrome::menuBarButtons(bar)[3].screen.left, barTop = 320 - pk::wm::kMenuBarHeight;
  auto hold = [&](int command, std::function<void()> check) {
    POINT p = *automation::menuBarButtonById(command);
    host.script({[&] { host.events.push_back({Kind::StylusDown, p.x, p.y}); }, [] {},
                 [&] { check(), host.events.push_back({Kind::StylusUp, p.x, 150}); }});
    pump();
  };
  hold(106, [&] {
    const RECT b = pk::chrome::menuBarButtons(bar)[3].screen;  // held, it looks pressed in
    EXPECT_EQ(std::pair(pixel(b.left, b.top), pixel(b.left + 1, b.top + 1)), std::pair(0x808080u, 0xCECECEu));
    EXPECT_EQ(picture(pk::device().screen, (b.left + b.right) / 2 - 7, (b.top + b.bottom) / 2 - 7, 0), picture(strip, 0, 0, 0xCECECE));
    for (int y = barTop - 19; y < barTop - 1; ++y)  // a line of text and its margins
      EXPECT_EQ(pixel(left, y), y == barTop - 19 || y == barTop - 2 ? 0x00A000u : 0u) << y;
    EXPECT_EQ(std::tuple(pixel(left + 1, barTop - 4), pixel(left + 60, barTop - 4), pixel(left + 61, barTop - 4)),
              std::tuple(0xFFFFE1u, 0u, 0x00A000u));
    int first = 999, last = 0;  // the text's ink, centred, in the tip's own size
    for (int y = barTop - 17; y < barTop - 3; ++y)  // inside its frame
      for (int x = left + 1; x < left + 60; ++x)
        if (pixel(x, y) == 0u) first = std::min(first, x - left), last = std::max(last, x - left);
    EXPECT_EQ(std::pair(first, last), std::pair(4, 55));
  });
  hold(107, [&] { EXPECT_EQ(std::pair(pixel(0, barTop - 4), pixel(1, barTop - 4)), std::pair(0u, 0xFFFFE1u)); });
  hold(108, [&] {  // past the list of tips: none
    for (int x = 0; x < 240; ++x) ASSERT_EQ(pixel(x, barTop - 4), 0x00A000u) << x;
  });
  EXPECT_EQ(record.commands.size(), 1u);
  EXPECT_EQ(pixel(left, barTop - 3), 0x00A000u);
  EXPECT_EQ(automation::liveDeviceContexts(), dcs);
  DeleteObject(bitmap);
  // A bar gone takes no pictures; a picture button first on its bar works as well.
  EXPECT_EQ(CommandBar_AddBitmap(bar, HINST_COMMCTRL, IDB_STD_SMALL_COLOR, 0, 0, 0), -1) << "a strip of no pictures";
  EXPECT_EQ(CommandBar_AddBitmap(bar, test::testInstance(), 9999, 1, 0, 0), -1) << "a bitmap the module lacks";
  DestroyWindow(bar);
  EXPECT_EQ(CommandBar_AddBitmap(bar, HINST_COMMCTRL, IDB_STD_SMALL_COLOR, 15, 0, 0), -1);
  EXPECT_EQ(CommandBar_Height(bar), 0);
  SHMENUBARINFO first{sizeof(SHMENUBARINFO), main, 0, 120, test::testInstance(), 0, 0, nullptr};
  ASSERT_TRUE(SHCreateMenuBar(&first));
  play([&] { host.tapAt(automation::menuBarButtonById(200)); });
  EXPECT_EQ(record.commands.back(), 200);
  EXPECT_EQ(CommandBar_Height(first.hwndMB), pk::wm::kMenuBarHeight);
  // Another window's bar, though above, is not the program's while the main window shows one.
  HWND other = CreateWindowExW(0, u"STATIC", u"", WS_VISIBLE, 0, 26, 9, 9, nullptr, nullptr, nullptr, nullptr);
  SHMENUBARINFO its{sizeof(SHMENUBARINFO), other, 0, 124, test::testInstance(), 0, 0, nullptr};
  ASSERT_TRUE(SHCreateMenuBar(&its));
  EXPECT_NE(pk::chrome::currentMenuBar(), its.hwndMB);
  ShowWindow(first.hwndMB, SW_HIDE);
  EXPECT_EQ(pk::chrome::currentMenuBar(), its.hwndMB) << "with none shown by the main window, the topmost one shown";
  ShowWindow(first.hwndMB, SW_SHOW), DestroyWindow(other);
  play([&] { host.key(Kind::KeyMenu); });  // a bar without menus: the menu key opens none
  EXPECT_FALSE(popupOpen());
}

TEST_F(Chrome, EndDialogValueIsReturnedTheOwnerRepaintsAndEscapeCancels) {
  size_t objects = automation::liveGdiObjects(), dcs = automation::liveDeviceContexts();
  HWND dialog = nullptr;
  host.script({[&] {
    dialog = GetActiveWindow();
    EXPECT_FALSE(pk::wm::isEnabled(main));
    EXPECT_EQ(pixel(120, 150), 0xFFFFFFu);  // the dialog's white ground
    // The state dump lists the numbered controls (not -1 nor 0xFFFF), their texts quoted as a script's are.
    for (intptr_t id : {0xFFFF, 1})
      CreateWindowExW(0, u"STATIC", u"\"\\", WS_CHILD, 0, 0, 1, 1, dialog, reinterpret_cast<HMENU>(id), nullptr, nullptr);
    const std::string dump = automation::dump();
    EXPECT_EQ(dump.rfind("active \"Controls\"\ncontrol 2001 ", 0), 0u);
    EXPECT_NE(dump.find("\"Default\"\ncontrol 1 \"\\\"\\\\\"\ngdi "), std::string::npos) << dump;
    EXPECT_TRUE(automation::checkState(2003) == false && !automation::checkState(2001)) << "2001: not a check box";
    EXPECT_FALSE(automation::dialogControl(u"") || automation::dialogControl(u"BMP_TRUE"))
        << "a script does not find a picture or a drop list by its text";
    host.tapAt(automation::dialogControl(u"Play Sounds"));
  }, [&] {
    EXPECT_EQ(automation::checkState(2003), true);
    host.events.push_back({Kind::StylusDown, 40, 13});  // the bar's title, not its ok
  }, [&] {
    EXPECT_NE(pixel(217, 13), 0xFFFFFFu) << "only a tap on the ok presses it";
    POINT ok = *automation::navigationOk();
    host.events.push_back({Kind::StylusUp, 40, 13});
    host.events.push_back({Kind::StylusDown, int(ok.x), int(ok.y)});
  }, [&] {
    EXPECT_EQ(pixel(217, 13), 0xFFFFFFu) << "held, the ok looks pressed";
    host.events.push_back({Kind::StylusUp, 120, 150});  // let go off it: no answer
  }, [&] {
    EXPECT_NE(pixel(217, 13), 0xFFFFFFu) << "let go, it looks up again";
    host.tapAt(automation::dialogControl(u"Push"));
  }});
  EXPECT_EQ(run(), 42);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_TRUE(pk::wm::isEnabled(main));
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_TRUE(hasNote("dialog \"Controls\" -> 42"));
  int paints = record.paints;
  pump();
  EXPECT_GT(record.paints, paints);
  paints = record.paints;
  EXPECT_TRUE(UpdateWindow(main) && record.paints == paints) << "nothing was left to paint";
  EXPECT_EQ(pixel(120, 150), 0x00A000u);
  // Painting the dialog, its controls and the bars left nothing behind.
  EXPECT_EQ(automation::liveGdiObjects(), objects);
  EXPECT_EQ(automation::liveDeviceContexts(), dcs);
  // The main window is no dialog: its controls are not a box's.
  CreateWindowExW(0, u"STATIC", u"", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, main, reinterpret_cast<HMENU>(7), nullptr, nullptr);
  EXPECT_FALSE(automation::dialogControl(7).has_value());
  // A box not sized by the shell leaves the owner in sight, but disabled: the bar waits too.
  behaviour = [](HWND h, UINT m, WPARAM w, LPARAM) -> INT_PTR {
    return m == WM_COMMAND && LOWORD(w) == IDCANCEL ? EndDialog(h, 3) : FALSE;
  };
  host.script({[&] {
    EXPECT_TRUE(pk::wm::windowAt(POINT{3, 100}) == main && !automation::navigationOk()) << "nor has it an ok";
    host.tapAt(automation::menuBarButton(u"Game"));
  }, [&] {
    EXPECT_FALSE(popupOpen());
    host.key(Kind::KeyEscape);
  }});
  EXPECT_EQ(run(), 3);
  // Closing it is a Cancel too.
  host.script({[&] { PostMessageW(GetActiveWindow(), WM_CLOSE, 0, 0); }});
  EXPECT_EQ(run(), 3);
}

TEST_F(Chrome, KeyboardKeyRaisesThePanelAndTellsTheProgram) {
  const size_t dcs = automation::liveDeviceContexts();
  const int keyX = 240 - 10, keyY = 320 - 13;
  const uint32_t underPanel = pixel(0, 320 - 26 - 40);
  play([&] { host.tap(keyX, keyY); });
  ASSERT_EQ(record.panelUpAtChange, std::vector<bool>{true});
  SIPINFO sip{};
  ASSERT_TRUE(SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0));
  EXPECT_TRUE(sip.fdwFlags & SIPF_ON);
  EXPECT_EQ(sip.dwImDataSize, 0u);  // the plain panel has no data of its own
  EXPECT_NE(pixel(0, 320 - 26 - 40), underPanel);
  // A second tap, on the key's left column, lowers it; the screen under it comes back.
  play([&] { host.tap(240 - 28, keyY); });
  EXPECT_EQ(record.panelUpAtChange, (std::vector<bool>{true, false}));
  EXPECT_EQ(pixel(0, 320 - 26 - 40), underPanel);
  EXPECT_EQ(automation::liveDeviceContexts(), dcs);  // painting the panel left no DC behind
  // The program may raise and lower it itself, and is told each time.
  EXPECT_TRUE(SHSipPreference(main, SIP_UP));
  EXPECT_EQ(record.panelUpAtChange, (std::vector<bool>{true, false, true}));
  EXPECT_TRUE(SHSipPreference(main, SIP_DOWN));
  EXPECT_EQ(record.panelUpAtChange, (std::vector<bool>{true, false, true, false}));
  // A raised panel goes with the windows when the window system is reset.
  EXPECT_TRUE(SHSipPreference(main, SIP_UP));
  pk::wm::resetWindowSystem();
  ASSERT_TRUE(SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0));
  EXPECT_FALSE(sip.fdwFlags & SIPF_ON);
  EXPECT_FALSE(SHSipInfo(SPI_SETSIPINFO, 0, &sip, 0) || SHSipInfo(SPI_GETSIPINFO, 0, nullptr, 0));
}

TEST_F(Chrome, TheClockShowsTheHostsTime) {
  struct Clocked : test::FakeHost {
    int minutes = 12 * 60;
    int clockMinutes() override { return minutes; }
  };
  auto strip = [&] {  // column by column, so the first white is the leftmost ink
    std::vector<uint32_t> px;
    for (int x = 150; x < 240; ++x)
      for (int y = 0; y < 26; ++y) px.push_back(pixel(x, y));
    return px;
  };
  auto noon = strip();
  Clocked clocked;
  pk::device().host = &clocked;
  auto at = [&](int minutes) {
    clocked.minutes = minutes;
    clocked.events.push_back({Kind::ClockChanged, 0, 0});
    pump();
    return strip();
  };
  const auto later = at(13 * 60 + 47);
  EXPECT_NE(later, noon);
  // Twelve hours: 1:47 by day and by night, not 12:47; midnight is 12:00, a whole day later too.
  EXPECT_EQ(at(60 + 47), later);
  EXPECT_NE(at(12 * 60 + 47), later);
  EXPECT_EQ(at(0), noon);
  EXPECT_EQ(at(-1440 * 3 + 12 * 60), noon);
  auto inkLeft = [](const std::vector<uint32_t>& px) { return std::find(px.begin(), px.end(), 0xFFFFFFu) - px.begin(); };
  EXPECT_LT(inkLeft(at(12 * 60 + 47)), inkLeft(later) - 3 * 26);  // a digit more
  // With no host to ask, the clock shows noon.
  pk::device().host = nullptr;
  InvalidateRect(pk::chrome::navigationBar(), nullptr, FALSE);
  UpdateWindow(pk::chrome::navigationBar());
  EXPECT_EQ(strip(), noon);
  pk::device().host = &host;
  // Titles a pixel either side of sharing the bar with the clock: one too many, and the clock goes.
  for (auto [title, clockShown] : {std::pair{u"Fizzorbs Fizzorbs Fizzorbs Fizi", true}, {u"Fizzorbs Fizzorbs Fizzorbs Fir.", false}}) {
    SendMessageW(main, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title));
    pump();
    bool ink = false;  // right of the title
    for (int x = 208; x < 240; ++x)
      for (int y = 0; y < pk::wm::kNavBarHeight; ++y) ink |= pixel(x, y) == 0xFFFFFFu;
    EXPECT_EQ(ink, clockShown) << clockShown;
  }
  // The bars' type is set in points: on a screen of 120 dpi it stands taller than at 96.
  auto height = [] {
    HDC dc = GetDC(nullptr);
    SIZE size{};
    {
      pk::chrome::ScopedFont font(dc, 8, false);
      GetTextExtentExPointW(dc, u"Ag", 2, 0, nullptr, nullptr, &size);
    }
    ReleaseDC(nullptr, dc);
    return size.cy;
  };
  const LONG at96 = height();
  pk::device().config.dpi = 120;
  EXPECT_GT(height(), at96);
  pk::device().config.dpi = 96;
}

// Accelerator tables: the keys a program declares, translated in its message loop.
class Accelerators : public test::Shell {
 protected:
  HACCEL table = nullptr;
  int keysDispatched = 0;  // WM_KEYDOWN the loop passed on after translating

  void SetUp() override {
    Shell::SetUp();
    table = LoadAcceleratorsW(test::testInstance(), MAKEINTRESOURCEW(100));
    ASSERT_NE(table, nullptr);
  }
  void ctrl(char letter) { host.events.push_back({Kind::KeyStroke, letter, pk::InputEvent::kCtrl}); }
  // The program's loop: what the table translates is not dispatched.
  std::vector<int> commandsAfter(std::function<void()> keys) {
    record.commands.clear();
    keysDispatched = 0;
    keys();
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0)) {
      if (TranslateAcceleratorW(main, table, &m)) continue;
      keysDispatched += m.message == WM_KEYDOWN;
      DispatchMessageW(&m);
    }
    return record.commands;
  }
};

TEST_F(Accelerators, AGreyedCommandADisabledWindowOrAnOpenMenuSwallowTheKey) {
  // End Game is greyed in the menu, Undo's button disabled.
  EXPECT_EQ(commandsAfter([&] { ctrl('E'), ctrl('Z'); }), std::vector<int>{});
  EXPECT_EQ(keysDispatched, 2);  // Ctrl's own
  MSG ctrlB{main, WM_CHAR, 2, 1, 0, {}};  // a table's own key, given no window or no table
  EXPECT_FALSE(TranslateAcceleratorW(nullptr, table, &ctrlB) || TranslateAcceleratorW(main, nullptr, &ctrlB));
  HMENU game = reinterpret_cast<HMENU>(SendMessageW(record.menuBar, SHCMBM_GETSUBMENU, 0, 112));
  EnableMenuItem(game, 102, MF_BYCOMMAND | MF_ENABLED);
  SendMessageW(record.menuBar, TB_ENABLEBUTTON, 106, TRUE);
  EXPECT_EQ(commandsAfter([&] { ctrl('E'), ctrl('Z'); }), (std::vector<int>{102, 106}));
  EXPECT_EQ(record.origins.back(), (std::pair<int, LPARAM>{1, 0}));  // as a key sends it
  // Nothing while the window is disabled or a menu is open.
  pk::wm::enableWindow(main, false);
  EXPECT_EQ(commandsAfter([&] { ctrl('N'); }), std::vector<int>{});
  pk::wm::enableWindow(main, true);
  EXPECT_EQ(commandsAfter([&] { host.key(Kind::KeyMenu), ctrl('N'); }), std::vector<int>{});
  EXPECT_EQ(commandsAfter([&] { host.key(Kind::KeyEscape), ctrl('N'); }), std::vector<int>{101});
  EXPECT_EQ(commandsAfter([&] { host.events.push_back({Kind::KeyStroke, 'N', 0}); }), std::vector<int>{}) << "N without Ctrl";
  // Opened by key with nothing to choose, the menu lights nothing, even once items come back (Down, Up: the
  // first, the last); opened with only the last to choose, that one is lit.
  for (int id : {101, 102, 104}) EnableMenuItem(game, id, MF_GRAYED);
  host.script({[&] { host.key(Kind::KeyMenu); }, [&] {
    EnableMenuItem(game, 101, MF_ENABLED), EnableMenuItem(game, 104, MF_ENABLED);
    host.key(Kind::KeyEnter), host.key(Kind::KeyDown), host.key(Kind::KeyUp), host.key(Kind::KeyEnter);
  }, [&] { EnableMenuItem(game, 101, MF_GRAYED), host.key(Kind::KeyMenu), host.key(Kind::KeyEnter); },
  // The lit item greyed, Down finds nothing else; given back, it is lit still.
  [&] { host.key(Kind::KeyMenu); }, [&] { EnableMenuItem(game, 104, MF_GRAYED), host.key(Kind::KeyDown); },
  [&] { EnableMenuItem(game, 104, MF_ENABLED), host.key(Kind::KeyEnter); }});
  EXPECT_EQ(commandsAfter([] {}), (std::vector<int>{104, 104, 104}));
  // A drop-down button's number is no command: greying the button swallows no key.
  SendMessageW(record.menuBar, TB_ENABLEBUTTON, 112, FALSE);
  EXPECT_EQ(commandsAfter([&] { PostMessageW(main, WM_CHAR, 3, 1); }), std::vector<int>{112});
  // Info is the only menu left to open: Left stays on it, its light where the keys put it.
  EXPECT_EQ(commandsAfter([&] { host.key(Kind::KeyMenu), host.key(Kind::KeyUp), host.key(Kind::KeyLeft), host.key(Kind::KeyEnter); }),
            std::vector<int>{103});
  // On a bar of three menus, Game, Game again and Info, the menu key opens the first, Left the last.
  DestroyWindow(record.menuBar);
  SHMENUBARINFO menus{sizeof(SHMENUBARINFO), main, 0, 121, test::testInstance(), 0, 0, nullptr};
  ASSERT_TRUE(SHCreateMenuBar(&menus));
  EXPECT_EQ(commandsAfter([&] { host.key(Kind::KeyMenu), host.key(Kind::KeyEnter); }), std::vector<int>{101});
  EXPECT_EQ(commandsAfter([&] { host.key(Kind::KeyMenu), host.key(Kind::KeyLeft), host.key(Kind::KeyEnter); }),
            std::vector<int>{107});
  for (int id : {112, 122}) SendMessageW(menus.hwndMB, TB_ENABLEBUTTON, id, FALSE);  // the last one alone
  EXPECT_EQ(commandsAfter([&] { host.key(Kind::KeyMenu), host.key(Kind::KeyEnter); }), std::vector<int>{107});
  // A menu open when the window system goes is gone with it.
  commandsAfter([&] { host.key(Kind::KeyMenu); });
  ASSERT_TRUE(pk::chrome::menuOpen());
  pk::wm::resetWindowSystem();
  EXPECT_EQ(std::pair(pk::chrome::menuOpen(), pk::chrome::openPopupItems().size()), std::pair(false, size_t(0)));
  EXPECT_FALSE(pk::chrome::menuKey(Kind::KeyUp));  // with no menu open an arrow is the program's
  SetUp();  // the next program's menu key opens its own menu
  EXPECT_EQ(commandsAfter([&] { host.key(Kind::KeyMenu), host.key(Kind::KeyEnter); }), std::vector<int>{101});
}

// The keys walk an open menu: the arrows pass over separators and wrap, Left and Right
// change menus lighting the first item; none of the keys reach the program. The stylus
// lights the item it is on, and nothing off the items, where Down starts from the top;
// greying the lit item puts its light out.
TEST_F(Accelerators, TheKeysWalkAnOpenMenu) {
  const size_t dcs = automation::liveDeviceContexts();
  HMENU game = reinterpret_cast<HMENU>(SendMessageW(record.menuBar, SHCMBM_GETSUBMENU, 0, 112));
  EnableMenuItem(game, 102, MF_ENABLED);
  SendMessageW(record.menuBar, TB_ENABLEBUTTON, 106, TRUE);  // a picture button: Left and Right pass it
  using Lit = std::vector<std::u16string>;
  std::vector<Lit> seen;
  auto look = [&](Kind k, size_t item = 0, int dy = 0) {  // the stylus: on an item, or dy above its top
    return [&, k, item, dy] {
      seen.emplace_back();
      const auto items = pk::chrome::openPopupItems();
      for (const auto& [label, r] : items)
        if (pixel(r.left + 3, (r.top + r.bottom) / 2) == 0x002884) seen.back().push_back(label);
      const RECT r = items.empty() ? RECT{} : items[item].second;
      host.events.push_back({k, int(r.left) + 5, int(dy ? r.top + dy : (r.top + r.bottom) / 2)});
    };
  };
  auto tapGame = [&] { host.tapAt(automation::menuBarButton(u"Game")); };
  auto pressGame = [&] { host.events.push_back({Kind::StylusDown, int(automation::menuBarButton(u"Game")->x), 310}); };
  host.script({tapGame, look(Kind::KeyUp), look(Kind::KeyDown), look(Kind::KeyUp), look(Kind::KeyUp), look(Kind::KeyRight),
               look(Kind::KeyDown), look(Kind::KeyLeft), look(Kind::KeyLeft), look(Kind::KeyEnter),
               pressGame, look(Kind::KeyDown), look(Kind::StylusMove, 2), look(Kind::StylusMove, 0, -1), look(Kind::KeyDown),
               [&] { EnableMenuItem(game, 101, MF_GRAYED), host.key(Kind::ClockChanged); }, look(Kind::StylusUp, 0, -1), look(Kind::StylusDown, 2),
               // After a lift on nothing, Down starts again from the top.
               look(Kind::StylusUp, 0, -1), look(Kind::KeyDown), look(Kind::KeyEscape)});
  EXPECT_EQ(commandsAfter([] {}), std::vector<int>{107});
  EXPECT_EQ(keysDispatched, 0);
  EXPECT_EQ(automation::liveDeviceContexts(), dcs);
  EXPECT_EQ(seen, (std::vector<Lit>{{}, {u"Options..."}, {u"New Game"}, {u"Options..."}, {u"End Game"}, {u"Statistics..."},
                                    {u"About"}, {u"New Game"}, {u"Statistics..."}, {}, {u"New Game"}, {u"Options..."},
                                    {}, {}, {}, {u"Options..."}, {}, {u"End Game"}}));
  EXPECT_EQ(pixel(20, 280), 0x00A000u);  // no pop-up left on the screen
}

}  // namespace
