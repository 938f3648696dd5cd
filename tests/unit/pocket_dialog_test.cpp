// The dialog manager: modal dialogs from templates, their controls, default
// keys and the shell's full-screen initialisation; message boxes.
#include "pocket_chrome_fixture.h"

namespace {

using chrometest::mainRecord;
using chrometest::Shell;
using Kind = pk::InputEvent::Kind;
namespace automation = pk::automation;

std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> behaviour;
std::vector<std::pair<int, int>> commands;  // id, notification

INT_PTR CALLBACK testDialogProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_COMMAND) commands.emplace_back(LOWORD(w), HIWORD(w));
  return behaviour ? behaviour(h, m, w, l) : FALSE;
}

void initShell(HWND dlg, DWORD flags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLG) {
  SHINITDLGINFO info{SHIDIM_FLAGS, dlg, flags};
  EXPECT_TRUE(SHInitDialog(&info));
}

int mulDiv(int v, int m, int d) { return (v * m + d / 2) / d; }

RECT relative(HWND child, HWND dlg) {
  RECT c = pk::wm::screenRect(child), d = pk::wm::screenRect(dlg);
  return RECT{c.left - d.left, c.top - d.top, c.right - d.left, c.bottom - d.top};
}

class Dialogs : public Shell {
 protected:
  void SetUp() override {
    Shell::SetUp();
    behaviour = nullptr;
    commands.clear();
  }
  INT_PTR run(int id = 2000, LPARAM param = 0) {
    return DialogBoxIndirectParamW(chrometest::testInstance(), dialogTemplate(id), main, testDialogProc, param);
  }
  // The standard procedure of the tests: full-screen, ends on Push with 42 and on OK with 1.
  static INT_PTR standard(HWND h, UINT m, WPARAM w, LPARAM) {
    if (m == WM_INITDIALOG) {
      initShell(h);
      return TRUE;
    }
    if (m == WM_COMMAND && LOWORD(w) == 2005) return EndDialog(h, 42);
    if (m == WM_COMMAND && LOWORD(w) == IDOK) return EndDialog(h, 1);
    return FALSE;
  }
};

TEST_F(Dialogs, ControlsArePlacedInDialogUnitsOfTheDialogFont) {
  SIZE base = pk::chrome::dialogBaseUnits();
  EXPECT_GE(base.cx, 4);
  EXPECT_LE(base.cx, 8);
  EXPECT_GE(base.cy, 11);
  EXPECT_LE(base.cy, 16);
  behaviour = standard;
  host.steps = {[&] {
    HWND dlg = GetActiveWindow();
    ASSERT_TRUE(pk::chrome::isDialog(dlg));
    RECT d = pk::wm::screenRect(dlg);
    EXPECT_EQ(d.left, 0);
    EXPECT_EQ(d.top, 26);
    EXPECT_EQ(d.right, 240);
    EXPECT_EQ(d.bottom, 294);
    RECT check = relative(GetDlgItem(dlg, 2003), dlg);
    RECT centred = relative(GetDlgItem(dlg, 2002), dlg);
    EXPECT_EQ(check.left, mulDiv(10, base.cx, 4));
    EXPECT_EQ(check.right - check.left, mulDiv(80, base.cx, 4));
    EXPECT_EQ(check.bottom - check.top, mulDiv(12, base.cy, 8));
    EXPECT_EQ(check.top - centred.top, mulDiv(36, base.cy, 8) - mulDiv(24, base.cy, 8));
    // Below the title line, and the buttons beyond the template's height still inside the dialog.
    EXPECT_GT(centred.top, 16);
    RECT push = relative(GetDlgItem(dlg, 2005), dlg);
    EXPECT_GT(push.top, mulDiv(90, base.cy, 8));
    EXPECT_LE(push.bottom, d.bottom - d.top);
    // A picture takes its bitmap's size; a drop-down list is one line high.
    RECT picture = relative(pk::wm::children(dlg).front(), dlg);
    EXPECT_EQ(picture.right - picture.left, 2);
    EXPECT_EQ(picture.bottom - picture.top, 2);
    RECT combo = relative(GetDlgItem(dlg, 2004), dlg);
    EXPECT_LT(combo.bottom - combo.top, mulDiv(60, base.cy, 8) / 2);
    host.tapAt(automation::navigationOk());
  }};
  EXPECT_EQ(run(), 1);

  // The units follow the device's dpi.
  start(480, 640, 192);
  SIZE big = pk::chrome::dialogBaseUnits();
  EXPECT_GE(big.cx, 2 * base.cx - 1);
  EXPECT_GE(big.cy, 2 * base.cy - 2);
}

TEST_F(Dialogs, EndDialogValueIsReturnedAndTheOwnerTakesOverAgain) {
  behaviour = standard;
  size_t objects = automation::liveGdiObjects(), dcs = automation::liveDeviceContexts();
  HWND seenDialog = nullptr;
  host.steps = {[&] {
    seenDialog = GetActiveWindow();
    EXPECT_FALSE(pk::wm::isEnabled(main));
    EXPECT_TRUE(automation::navigationOk().has_value());
    EXPECT_EQ(pixel(120, 150), 0xFFFFFFu);  // the dialog's white ground
    host.tapAt(automation::dialogControl(u"Push"));
  }};
  EXPECT_EQ(run(), 42);
  EXPECT_NE(seenDialog, main);
  EXPECT_FALSE(IsWindow(seenDialog));
  EXPECT_TRUE(pk::wm::isEnabled(main));
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_TRUE(hasNote("dialog \"Controls\" -> 42"));
  // The uncovered area is repainted by the owner.
  int paints = mainRecord().paints;
  pump();
  EXPECT_GT(mainRecord().paints, paints);
  EXPECT_EQ(pixel(120, 150), 0x00A000u);
  EXPECT_FALSE(automation::navigationOk().has_value());
  // Painting the dialog, its controls and the bars left no object or DC behind.
  EXPECT_EQ(automation::liveGdiObjects(), objects);
  EXPECT_EQ(automation::liveDeviceContexts(), dcs);
}

TEST_F(Dialogs, OkAndCancelLeftToTheManagerDoNotEndTheDialog) {
  behaviour = [](HWND h, UINT m, WPARAM w, LPARAM l) -> INT_PTR {
    if (m == WM_INITDIALOG) return standard(h, m, w, l);
    if (m == WM_COMMAND && LOWORD(w) == 2005) return EndDialog(h, 5);
    return FALSE;
  };
  host.steps = {
      [&] { host.key(Kind::KeyEscape); },
      [&] { host.key(Kind::KeyEnter); },
      [&] { host.tapAt(automation::navigationOk()); },
      [&] {
        EXPECT_TRUE(pk::chrome::isDialog(GetActiveWindow()));
        host.tapAt(automation::dialogControl(2005));
      },
  };
  EXPECT_EQ(run(), 5);
  std::vector<std::pair<int, int>> expected{{IDCANCEL, BN_CLICKED}, {2006, BN_CLICKED}, {IDOK, BN_CLICKED},
                                            {2005, BN_CLICKED}};
  EXPECT_EQ(commands, expected);
}

TEST_F(Dialogs, CheckBoxAndListKeepTheirStateUntilOk) {
  behaviour = [](HWND h, UINT m, WPARAM w, LPARAM l) -> INT_PTR {
    if (m == WM_INITDIALOG) {
      initShell(h);
      SendDlgItemMessageW(h, 2003, BM_SETCHECK, BST_UNCHECKED, 0);
      for (auto s : {u"Alpha", u"Beta", u"Gamma"})
        SendDlgItemMessageW(h, 2004, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
      EXPECT_EQ(SendDlgItemMessageW(h, 2004, CB_SETCURSEL, 0, 0), 0);
      EXPECT_EQ(SendDlgItemMessageW(h, 2004, CB_SETCURSEL, 3, 0), CB_ERR);
      EXPECT_EQ(SendDlgItemMessageW(h, 2004, CB_SETCURSEL, 1, 0), 1);
      return TRUE;
    }
    if (m == WM_COMMAND && LOWORD(w) == IDOK) {
      LRESULT checked = SendDlgItemMessageW(h, 2003, BM_GETCHECK, 0, 0);
      LRESULT sel = SendDlgItemMessageW(h, 2004, CB_GETCURSEL, 0, 0);
      return EndDialog(h, checked * 10 + sel);
    }
    return FALSE;
  };
  host.steps = {
      [&] {
        EXPECT_EQ(automation::checkState(2003), false);
        EXPECT_FALSE(automation::checkState(2005).has_value());  // not a check box
        host.tapAt(automation::dialogControl(u"Play Sounds"));
      },
      [&] {
        EXPECT_EQ(automation::checkState(2003), true);
        host.tapAt(automation::dialogControl(2004));
      },
      [&] {
        EXPECT_TRUE(automation::dropListItem(2).has_value());
        EXPECT_FALSE(automation::dropListItem(3).has_value());
        // A tap outside the list only closes it: the button under it is not pressed.
        host.tapAt(automation::dialogControl(2005));
      },
      [&] {
        EXPECT_FALSE(automation::dropListItem(0).has_value());
        host.tapAt(automation::dialogControl(2004));
      },
      [&] { host.tapAt(automation::dropListItem(2)); },
      [&] {
        std::string dump = automation::dump();
        EXPECT_NE(dump.find("active \"Controls\"\n"), std::string::npos) << dump;
        EXPECT_NE(dump.find("control 2003 \"Play Sounds\" checked\n"), std::string::npos) << dump;
        EXPECT_NE(dump.find("control 2004 \"Gamma\" item 2\n"), std::string::npos) << dump;
        EXPECT_EQ(dump.find("menu "), std::string::npos) << dump;
        screenshot("fz_chrome_dialog.png");
        host.tapAt(automation::navigationOk());
      },
  };
  EXPECT_EQ(run(), 12);
  std::vector<std::pair<int, int>> expected{{2003, BN_CLICKED}, {2004, CBN_SELCHANGE}, {IDOK, BN_CLICKED}};
  EXPECT_EQ(commands, expected);
}

TEST_F(Dialogs, OwnerRefusesTapsWhileADialogIsUp) {
  // Not sized by the shell: a box in the middle, the owner visible around it.
  behaviour = [](HWND h, UINT m, WPARAM w, LPARAM) -> INT_PTR {
    if (m == WM_COMMAND && LOWORD(w) == IDCANCEL) return EndDialog(h, 3);
    return FALSE;
  };
  host.steps = {
      [&] {
        HWND dlg = GetActiveWindow();
        RECT d = pk::wm::screenRect(dlg);
        EXPECT_GT(d.left, 5);
        EXPECT_EQ(pk::wm::windowAt(POINT{3, 100}), main);
        EXPECT_FALSE(automation::navigationOk().has_value());  // no done button asked for
        host.tap(3, 100);
      },
      [&] { host.tapAt(automation::menuBarButton(u"Game")); },
      [&] {
        EXPECT_TRUE(pk::chrome::openPopupItems().empty());
        host.key(Kind::KeyEscape);
      },
  };
  EXPECT_EQ(run(), 3);
  EXPECT_EQ(mainRecord().taps, 0);
  EXPECT_TRUE(mainRecord().commands.empty());
  host.steps = {[&] { host.tap(3, 100); }};
  host.next = 0;
  pump();
  EXPECT_EQ(mainRecord().taps, 1);
}

TEST_F(Dialogs, TemplatesThatCannotRunReturnMinusOne) {
  size_t before = pk::wm::topLevels().size();
  EXPECT_EQ(DialogBoxIndirectParamW(chrometest::testInstance(), nullptr, main, testDialogProc, 0), -1);
  static const unsigned char junk[64] = {1, 2, 3, 4, 5};
  EXPECT_EQ(DialogBoxIndirectParamW(chrometest::testInstance(), reinterpret_cast<LPCDLGTEMPLATEW>(junk), main,
                                    testDialogProc, 0),
            -1);
  bool initialised = false;
  behaviour = [&](HWND, UINT m, WPARAM, LPARAM) -> INT_PTR {
    initialised |= m == WM_INITDIALOG;
    return FALSE;
  };
  EXPECT_EQ(run(2100), -1);
  EXPECT_FALSE(initialised);
  EXPECT_EQ(pk::wm::topLevels().size(), before);
  EXPECT_TRUE(pk::wm::isEnabled(main));
  EXPECT_EQ(GetActiveWindow(), main);
}

TEST_F(Dialogs, ItemTextCallsAndEndingDuringInitialisation) {
  behaviour = [](HWND h, UINT m, WPARAM, LPARAM l) -> INT_PTR {
    if (m != WM_INITDIALOG) return FALSE;
    EXPECT_EQ(l, 77);
    EXPECT_TRUE(SetDlgItemTextW(h, 2002, u"Changed"));
    EXPECT_FALSE(SetDlgItemTextW(h, 9999, u"x"));
    WCHAR buf[16] = {u'?'};
    EXPECT_EQ(GetDlgItemTextW(h, 2002, buf, 4), 3u);
    EXPECT_EQ(std::u16string(buf), u"Cha");
    EXPECT_EQ(GetDlgItemTextW(h, 2002, buf, 16), 7u);
    EXPECT_EQ(GetDlgItemTextW(h, 9999, buf, 16), 0u);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(SendDlgItemMessageW(h, 9999, BM_GETCHECK, 0, 0), 0);
    SendDlgItemMessageW(h, 2004, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Only"));
    SendDlgItemMessageW(h, 2004, CB_SETCURSEL, 0, 0);
    EXPECT_EQ(GetDlgItemTextW(h, 2004, buf, 16), 4u);
    EXPECT_EQ(std::u16string(buf), u"Only");
    EXPECT_EQ(SendDlgItemMessageW(h, 2004, CB_GETCOUNT, 0, 0), 1);
    EndDialog(h, 9);
    return TRUE;
  };
  EXPECT_EQ(run(2000, 77), 9);
  EXPECT_TRUE(pk::wm::isEnabled(main));
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_FALSE(EndDialog(main, 1));
}

struct BoxCase {
  UINT type;
  std::function<void(chrometest::ScriptedHost&)> answer;
  int expected;
};

TEST_F(Dialogs, MessageBoxAnswersByKeysAndTaps) {
  auto enter = [](chrometest::ScriptedHost& h) { h.key(Kind::KeyEnter); };
  auto escape = [](chrometest::ScriptedHost& h) { h.key(Kind::KeyEscape); };
  auto tapText = [](const char16_t* t) {
    return [t](chrometest::ScriptedHost& h) { h.tapAt(automation::dialogControl(t)); };
  };
  std::vector<BoxCase> cases = {
      {0x124, enter, IDNO},        {0x124, escape, IDNO}, {0x124, tapText(u"Yes"), IDYES},
      {0x124, tapText(u"No"), IDNO}, {0x024, enter, IDYES}, {MB_OK, enter, IDOK},
      {MB_OK, escape, IDOK},       {MB_OK, tapText(u"OK"), IDOK},
  };
  for (const BoxCase& c : cases) {
    host.steps = {[&] {
      EXPECT_FALSE(pk::wm::isEnabled(main));
      EXPECT_TRUE(pk::chrome::isMessageBox(GetActiveWindow()));
      c.answer(host);
    }};
    host.next = 0;
    EXPECT_EQ(MessageBoxW(main, u"Do you really want to reset your statistics?", u"Reset Statistics?", c.type),
              c.expected)
        << std::hex << c.type;
    EXPECT_TRUE(pk::wm::isEnabled(main));
    EXPECT_EQ(GetActiveWindow(), main);
  }
  EXPECT_TRUE(hasNote(
      "messagebox \"Reset Statistics?\" \"Do you really want to reset your statistics?\" 0x124 -> 7"));
  EXPECT_TRUE(hasNote(
      "messagebox \"Reset Statistics?\" \"Do you really want to reset your statistics?\" 0x000 -> 1"));
}

TEST_F(Dialogs, MessageBoxOverADialogHoldsOnlyThatDialog) {
  int answer = 0;
  behaviour = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> INT_PTR {
    if (m == WM_INITDIALOG) return standard(h, m, w, l);
    if (m == WM_COMMAND && LOWORD(w) == 2006) {
      answer = MessageBoxW(GetDlgItem(h, 2006), u"Sure?", u"Question", MB_YESNO | MB_ICONQUESTION);
      if (answer == IDYES) EndDialog(h, 0);
      return TRUE;
    }
    return FALSE;
  };
  HWND dlg = nullptr;
  host.steps = {
      [&] {
        dlg = GetActiveWindow();
        host.tapAt(automation::dialogControl(u"Default"));
      },
      [&] {
        EXPECT_FALSE(pk::wm::isEnabled(dlg));
        std::string dump = automation::dump();
        EXPECT_NE(dump.find("active \"Question\"\n"), std::string::npos) << dump;
        EXPECT_NE(dump.find("control 6 \"Yes\"\n"), std::string::npos) << dump;
        EXPECT_NE(dump.find("control 7 \"No\"\n"), std::string::npos) << dump;
        screenshot("fz_chrome_msgbox.png");
        host.tapAt(automation::dialogControl(u"No"));
      },
      [&] {
        EXPECT_EQ(GetActiveWindow(), dlg);
        EXPECT_TRUE(pk::wm::isEnabled(dlg));
        EXPECT_FALSE(pk::wm::isEnabled(main));
        host.tapAt(automation::dialogControl(u"Default"));
      },
      [&] { host.tapAt(automation::dialogControl(u"Yes")); },
  };
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(answer, IDYES);
  EXPECT_TRUE(hasNote("messagebox \"Question\" \"Sure?\" 0x024 -> 7"));
}

}  // namespace
