// Accelerator tables: the keys a program declares, translated in its message loop.
#include "pocket_fixture.h"

namespace {

using test::record;
using Kind = pk::InputEvent::Kind;

class Accelerators : public test::Shell {
 protected:
  HACCEL table = nullptr;
  std::vector<UINT> dispatched;  // what the loop passed on after translating

  void SetUp() override {
    Shell::SetUp();
    table = LoadAcceleratorsW(test::testInstance(), MAKEINTRESOURCEW(100));
    ASSERT_NE(table, nullptr);
  }
  // The program's loop: what the table translates is not dispatched.
  void loop() {
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0)) {
      if (TranslateAcceleratorW(main, table, &m)) continue;
      dispatched.push_back(m.message);
      DispatchMessageW(&m);
    }
  }
  void ctrl(char letter) { host.events.push_back({Kind::KeyStroke, letter, pk::InputEvent::kCtrl}); }
  std::vector<int> commandsAfter(std::function<void()> keys) {
    record.commands.clear();
    record.commandSources.clear();
    dispatched.clear();
    keys();
    loop();
    return record.commands;
  }
};

TEST_F(Accelerators, AKeyWithItsModifiersSendsItsCommandAtOnce) {
  EXPECT_EQ(commandsAfter([&] { ctrl('N'); }), std::vector<int>{101});
  EXPECT_EQ(record.commandSources, std::vector<int>{1});
  // The modifiers are those of the table's entry: N alone is a key like any other.
  EXPECT_EQ(commandsAfter([&] { host.events.push_back({Kind::KeyStroke, 'N', 0}); }), std::vector<int>{});
  EXPECT_EQ(std::count(dispatched.begin(), dispatched.end(), UINT(WM_KEYDOWN)), 1);
  // Shift held as well: the other entry of the same letter.
  EXPECT_EQ(commandsAfter([&] {
              PostMessageW(main, WM_KEYDOWN, VK_SHIFT, 1);
              ctrl('N');
              host.script({[&] { PostMessageW(main, WM_KEYUP, VK_SHIFT, 1); }});
            }),
            std::vector<int>{104});
  EXPECT_EQ(commandsAfter([&] { ctrl('N'); }), std::vector<int>{101});
  // A character entry: the command need not be any menu's.
  EXPECT_EQ(commandsAfter([&] { PostMessageW(main, WM_CHAR, 2, 1); }), std::vector<int>{555});
}

TEST_F(Accelerators, AGreyedCommandSwallowsItsKeyUntilEnabled) {
  // End Game is greyed in the menu, Undo's button disabled.
  EXPECT_EQ(commandsAfter([&] {
              ctrl('E');
              ctrl('Z');
            }),
            std::vector<int>{});
  EXPECT_EQ(std::count(dispatched.begin(), dispatched.end(), UINT(WM_KEYDOWN)), 2);  // only the Ctrl keys
  HMENU game = reinterpret_cast<HMENU>(SendMessageW(record.menuBar, SHCMBM_GETSUBMENU, 0, 112));
  EnableMenuItem(game, 102, MF_BYCOMMAND | MF_ENABLED);
  SendMessageW(record.menuBar, TB_ENABLEBUTTON, 106, TRUE);
  EXPECT_EQ(commandsAfter([&] {
              ctrl('E');
              ctrl('Z');
            }),
            (std::vector<int>{102, 106}));
  EnableMenuItem(game, 101, MF_BYCOMMAND | MF_GRAYED);
  EXPECT_EQ(commandsAfter([&] { ctrl('N'); }), std::vector<int>{});
}

TEST_F(Accelerators, NothingWhileTheWindowIsDisabledOrAMenuIsOpen) {
  pk::wm::enableWindow(main, false);
  EXPECT_EQ(commandsAfter([&] { ctrl('N'); }), std::vector<int>{});
  pk::wm::enableWindow(main, true);
  host.key(Kind::KeyMenu);
  loop();
  ASSERT_FALSE(pk::chrome::openPopupItems().empty());
  EXPECT_EQ(commandsAfter([&] { ctrl('N'); }), std::vector<int>{});
  EXPECT_FALSE(pk::chrome::openPopupItems().empty());
  EXPECT_EQ(commandsAfter([&] {
              host.key(Kind::KeyEscape);
              ctrl('N');
            }),
            std::vector<int>{101});
}

TEST_F(Accelerators, TablesAreLoadedOnceAndOnlyWhenThere) {
  EXPECT_EQ(LoadAcceleratorsW(test::testInstance(), MAKEINTRESOURCEW(100)), table);
  EXPECT_EQ(LoadAcceleratorsW(test::testInstance(), MAKEINTRESOURCEW(101)), nullptr);
  EXPECT_EQ(LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(100)), nullptr);
  MSG m{main, WM_KEYDOWN, 'N', 1, 0, {}};
  EXPECT_EQ(TranslateAcceleratorW(main, nullptr, &m), 0);
  EXPECT_EQ(TranslateAcceleratorW(main, table, nullptr), 0);
  EXPECT_EQ(TranslateAcceleratorW(nullptr, table, &m), 0);
}

}  // namespace
