// The menu bar, its pop-up menus and picture buttons, the navigation bar and the
// input panel queries.
#include "pocket_chrome_fixture.h"

namespace {

using chrometest::mainRecord;
using chrometest::Shell;
namespace automation = pk::automation;

HMENU gameMenu() {
  return reinterpret_cast<HMENU>(SendMessageW(mainRecord().menuBar, SHCMBM_GETSUBMENU, 0, 112));
}

bool popupOpen() { return !pk::chrome::openPopupItems().empty(); }

TEST_F(Shell, MenuBarSitsAtTheBottomWithTheTemplatesButtons) {
  HWND bar = mainRecord().menuBar;
  ASSERT_NE(bar, nullptr);
  RECT r = pk::wm::screenRect(bar);
  EXPECT_EQ(r.top, 294);
  EXPECT_EQ(r.bottom, 320);
  EXPECT_EQ(r.right - r.left, 240);
  EXPECT_EQ(CommandBar_Height(bar), 26);
  EXPECT_EQ(CommandBar_Height(nullptr), 0);
  EXPECT_EQ(pk::wm::ownerOf(bar), main);
  // Tapping the bar leaves the main window active.
  EXPECT_EQ(GetActiveWindow(), main);

  auto game = automation::menuBarButton(u"Game");
  auto info = automation::menuBarButton(u"Info");
  auto undo = automation::menuBarButtonById(106);
  ASSERT_TRUE(game && info && undo);
  EXPECT_LT(game->x, info->x);
  EXPECT_LT(info->x, undo->x);
  EXPECT_GE(game->y, 294);
  EXPECT_FALSE(automation::menuBarButton(u"Help"));
}

TEST_F(Shell, MenuBarCreationFailsCleanlyWithoutItsResources) {
  struct Case {
    HINSTANCE inst;
    UINT id;
  } cases[] = {{chrometest::testInstance(), 9999}, {chrometest::testInstance(), 2200},
               {chrometest::testInstance(), 2300}, {nullptr, 116}};
  for (const Case& c : cases) {
    SHMENUBARINFO mb{};
    mb.cbSize = sizeof mb;
    mb.hwndParent = main;
    mb.nToolBarId = c.id;
    mb.hInstRes = c.inst;
    mb.hwndMB = main;  // must be cleared
    EXPECT_FALSE(SHCreateMenuBar(&mb)) << c.id;
    EXPECT_EQ(mb.hwndMB, nullptr) << c.id;
  }
  EXPECT_FALSE(SHCreateMenuBar(nullptr));
  EXPECT_EQ(CommandBar_AddBitmap(nullptr, HINST_COMMCTRL, IDB_STD_SMALL_COLOR, 15, 0, 0), -1);
  EXPECT_EQ(CommandBar_AddBitmap(main, HINST_COMMCTRL, IDB_STD_SMALL_COLOR, 15, 0, 0), -1);
}

TEST_F(Shell, ChoosingAnItemPostsItsCommandAndClosesTheMenu) {
  host.steps = {
      [&] { host.tapAt(automation::menuBarButton(u"Game")); },
      [&] {
        EXPECT_TRUE(popupOpen());
        host.tapAt(automation::popupMenuItem(u"Options..."));
      },
      [&] { host.tap(120, 100); },
  };
  pump();
  EXPECT_EQ(mainRecord().commands, std::vector<int>{104});
  EXPECT_EQ(mainRecord().taps, 1);  // the main window has the stylus again
  EXPECT_FALSE(popupOpen());
  // The pop-up is gone from the screen: the main window's ground shows again above the bar.
  EXPECT_EQ(pixel(20, 280), 0x00A000u);
}

TEST_F(Shell, GrayedItemsAndSeparatorsDoNothingAndOutsideTapsOnlyClose) {
  RECT separator{};
  host.steps = {
      [&] { host.tapAt(automation::menuBarButton(u"Game")); },
      [&] {
        // "End Game" is grayed in the template.
        host.tapAt(automation::popupMenuItem(u"End Game"));
      },
      [&] {
        EXPECT_TRUE(popupOpen());
        auto items = pk::chrome::openPopupItems();
        ASSERT_EQ(items.size(), 3u);
        // Between "End Game" and "Options..." lies the separator.
        separator = RECT{items[1].second.left, items[1].second.bottom, items[2].second.right, items[2].second.top};
        host.tap((separator.left + separator.right) / 2, (separator.top + separator.bottom) / 2);
      },
      [&] {
        EXPECT_TRUE(popupOpen());
        host.tap(120, 100);  // on the main window
      },
  };
  pump();
  EXPECT_FALSE(popupOpen());
  EXPECT_TRUE(mainRecord().commands.empty());
  EXPECT_EQ(mainRecord().taps, 0);
  EXPECT_GT(separator.bottom, separator.top);
}

TEST_F(Shell, EnableMenuItemGraysAndReportsThePreviousState) {
  HMENU menu = gameMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(SendMessageW(mainRecord().menuBar, SHCMBM_GETSUBMENU, 0, 106), 0);
  EXPECT_EQ(EnableMenuItem(menu, 102, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(menu, 102, MF_BYCOMMAND | MF_ENABLED), MF_ENABLED);
  EXPECT_EQ(EnableMenuItem(menu, 101, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(EnableMenuItem(menu, 107, MF_BYCOMMAND | MF_GRAYED), -1);  // in the Info menu
  EXPECT_EQ(EnableMenuItem(menu, 555, MF_BYCOMMAND | MF_GRAYED), -1);
  EXPECT_EQ(EnableMenuItem(nullptr, 101, MF_GRAYED), -1);

  std::string dump = automation::dump();
  EXPECT_NE(dump.find("active \"Fizzorbs\"\n"), std::string::npos);
  EXPECT_NE(dump.find("menu 101 grayed\n"), std::string::npos);
  EXPECT_NE(dump.find("menu 102 enabled\n"), std::string::npos);
  EXPECT_NE(dump.find("menu 103 enabled\n"), std::string::npos);

  host.steps = {
      [&] { host.tapAt(automation::menuBarButton(u"Game")); },
      [&] { host.tapAt(automation::popupMenuItem(u"New Game")); },  // grayed now
      [&] { host.tapAt(automation::popupMenuItem(u"End Game")); },
  };
  pump();
  EXPECT_EQ(mainRecord().commands, std::vector<int>{102});
}

TEST_F(Shell, DisabledPictureButtonSendsNothingUntilEnabled) {
  HWND bar = mainRecord().menuBar;
  EXPECT_FALSE(SendMessageW(bar, TB_ISBUTTONENABLED, 106, 0));
  EXPECT_NE(automation::dump().find("button 106 disabled\n"), std::string::npos);
  host.steps = {[&] { host.tapAt(automation::menuBarButtonById(106)); }};
  pump();
  EXPECT_TRUE(mainRecord().commands.empty());

  EXPECT_TRUE(SendMessageW(bar, TB_ENABLEBUTTON, 106, 1));
  EXPECT_FALSE(SendMessageW(bar, TB_ENABLEBUTTON, 777, 1));
  EXPECT_NE(automation::dump().find("button 106 enabled\n"), std::string::npos);
  host.steps = {[&] { host.tapAt(automation::menuBarButtonById(106)); }};
  host.next = 0;
  pump();
  EXPECT_EQ(mainRecord().commands, std::vector<int>{106});

  // Released off the button: no command.
  POINT p = *automation::menuBarButtonById(106);
  host.steps = {[&] {
    host.down(p);
    host.up(POINT{p.x, 150});
  }};
  host.next = 0;
  pump();
  EXPECT_EQ(mainRecord().commands.size(), 1u);
}

TEST_F(Shell, HoldingAPictureButtonShowsItsToolTipAboveTheBar) {
  auto findTip = [] {
    for (HWND h : pk::wm::topLevels())
      if (pk::wm::isVisible(h) && pk::wm::text(h) == u"Undo Move") return h;
    return HWND(nullptr);
  };
  POINT p{};
  HWND tip = nullptr;
  RECT tipRect{};
  host.steps = {
      [&] {
        p = *automation::menuBarButtonById(106);
        host.down(p);
      },
      [&] { EXPECT_EQ(findTip(), nullptr) << "shown before the stylus was held"; },
      [&] {},
      [&] {
        tip = findTip();
        tipRect = pk::wm::screenRect(tip);
        screenshot("fz_chrome_tip.png");
        host.up(p);
      },
  };
  pump();
  ASSERT_NE(tip, nullptr);
  EXPECT_FALSE(IsWindow(tip));
  EXPECT_LE(tipRect.bottom, 294);
  EXPECT_GT(tipRect.bottom, 250);
  EXPECT_EQ(findTip(), nullptr);
  // The Game button has an empty tip: holding it opens its menu, no tip.
  EXPECT_TRUE(mainRecord().commands.empty());
}

TEST_F(Shell, ModalOwnerMenuBarRefusesTaps) {
  pk::wm::enableWindow(main, false);
  host.steps = {[&] { host.tapAt(automation::menuBarButton(u"Game")); }};
  pump();
  EXPECT_FALSE(popupOpen());
  pk::wm::enableWindow(main, true);
}

TEST_F(Shell, StandardImagesComeFromTheLayer) {
  HWND bar = mainRecord().menuBar;
  EXPECT_EQ(CommandBar_AddBitmap(bar, HINST_COMMCTRL, IDB_STD_SMALL_COLOR, 15, 0, 0), 0);
  EXPECT_EQ(CommandBar_AddBitmap(bar, chrometest::testInstance(), 300, 1, 3, 3), 15);
  EXPECT_EQ(CommandBar_AddBitmap(bar, chrometest::testInstance(), 301, 1, 3, 3), -1);
  SendMessageW(bar, TB_ENABLEBUTTON, 106, 1);
  pump();
  // Some pixel of the undo picture differs from the bar's ground.
  POINT c = *automation::menuBarButtonById(106);
  uint32_t ground = pixel(c.x, 296);
  int ink = 0;
  for (int y = c.y - 8; y < c.y + 8; ++y)
    for (int x = c.x - 8; x < c.x + 8; ++x) ink += pixel(x, y) != ground;
  EXPECT_GT(ink, 10);
}

TEST_F(Shell, NavigationBarNamesTheActiveWindow) {
  HWND nav = pk::chrome::navigationBar();
  ASSERT_NE(nav, nullptr);
  RECT r = pk::wm::screenRect(nav);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.bottom, 26);
  EXPECT_EQ(pixel(120, 1), 0x002884u);  // dark blue
  // White title text somewhere in the left part of the bar.
  auto whiteIn = [&](int x0, int x1) {
    int n = 0;
    for (int y = 0; y < 26; ++y)
      for (int x = x0; x < x1; ++x) n += pixel(x, y) == 0xFFFFFFu;
    return n;
  };
  int withTitle = whiteIn(26, 150);
  EXPECT_GT(withTitle, 20);
  SendMessageW(main, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"F"));
  pump();
  EXPECT_LT(whiteIn(26, 150), withTitle);
  EXPECT_FALSE(automation::navigationOk());
}

TEST_F(Shell, InputPanelQueryDescribesThePanelDown) {
  SIPINFO si{};
  si.cbSize = sizeof si;
  ASSERT_TRUE(SHSipInfo(SPI_GETSIPINFO, 0, &si, 0));
  EXPECT_EQ(si.fdwFlags & SIPF_ON, 0u);
  EXPECT_EQ(si.rcVisibleDesktop.left, 0);
  EXPECT_EQ(si.rcVisibleDesktop.top, 26);
  EXPECT_EQ(si.rcVisibleDesktop.right, 240);
  EXPECT_EQ(si.rcVisibleDesktop.bottom, 320);
  EXPECT_EQ(si.rcSipRect.bottom, 294);
  EXPECT_GT(si.rcSipRect.bottom - si.rcSipRect.top, 0);
  EXPECT_FALSE(SHSipInfo(SPI_SETSIPINFO, 0, &si, 0));
  EXPECT_FALSE(SHSipInfo(SPI_GETSIPINFO, 0, nullptr, 0));
  EXPECT_TRUE(SHSipPreference(main, SIP_FORCEDOWN));

  start(480, 640, 192);
  ASSERT_TRUE(SHSipInfo(SPI_GETSIPINFO, 0, &si, 0));
  EXPECT_EQ(si.rcVisibleDesktop.right, 480);
  EXPECT_EQ(si.rcVisibleDesktop.bottom, 640);
  EXPECT_EQ(pk::wm::screenRect(mainRecord().menuBar).top, 614);
}

TEST_F(Shell, ScreenshotOfAnOpenMenu) {
  size_t objects = automation::liveGdiObjects(), dcs = automation::liveDeviceContexts();
  HWND bar = mainRecord().menuBar;
  CommandBar_AddBitmap(bar, HINST_COMMCTRL, IDB_STD_SMALL_COLOR, 15, 0, 0);
  SendMessageW(bar, TB_ENABLEBUTTON, 106, 1);
  host.steps = {[&] { host.tapAt(automation::menuBarButton(u"Game")); },
                [&] {
                  screenshot("fz_chrome_menu.png");
                  host.tap(120, 100);
                }};
  pump();
  EXPECT_EQ(automation::liveGdiObjects(), objects);
  EXPECT_EQ(automation::liveDeviceContexts(), dcs);
}

}  // namespace
