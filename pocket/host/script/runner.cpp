#include "runner.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include <pocket/automation.h>
#include <pocket/unicode.h>

namespace pk::script {
namespace {

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

std::string readPrelude(Reader& reader, Prelude& out) {
  for (;;) {
    std::string error;
    std::optional<Command> c = reader.next(error);
    if (!error.empty()) return error;
    if (!c) return "the script ends before start";
    if (c->op == Op::Start) return {};
    if (c->op == Op::Device) {
      out.config.width = int(c->values[0]);
      out.config.height = int(c->values[1]);
      out.config.bits = int(c->values[2]);
      out.config.dpi = int(c->values[3]);
    } else if (c->op == Op::Random) {
      out.randoms = c->values;
    } else {
      out.early.push_back(std::move(*c));
    }
  }
}

ScriptedHost::ScriptedHost(Reader& reader, Prelude prelude)
    : reader_(reader), config_(std::move(prelude.config)), early_(std::move(prelude.early)),
      randoms_(prelude.randoms.begin(), prelude.randoms.end()) {}

int ScriptedHost::run(ProgramEntry entry, const ModuleImage& module) {
  int code = runProgram(*this, config_, entry, module);
  log("exit " + std::to_string(code));
  return code;
}

void ScriptedHost::present(ScreenView s) {
  shown_.assign(s.pixels, s.pixels + size_t(s.width) * size_t(s.height));
  shownWidth_ = s.width;
  shownHeight_ = s.height;
}

bool ScriptedHost::nextEvent(InputEvent& out, int) {
  for (;;) {
    if (!pending_.empty()) {
      out = pending_.front();
      pending_.pop_front();
      return true;
    }
    if (followUp_) {
      FollowUp f = *followUp_;
      followUp_.reset();
      runFollowUp(f);
      continue;
    }
    std::optional<Command> c = nextCommand();
    if (!c) stop(0, 0, {});  // the script ran out while the program runs: a power cut
    if (!carryOut(*c)) return false;
  }
}

void ScriptedHost::pause(uint32_t ms) {
  clock_ += ms;
  log("sleep " + std::to_string(ms));
}

bool ScriptedHost::openDocument(const std::filesystem::path& file) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> page(std::fopen(file.string().c_str(), "rb"), std::fclose);
  return page && std::fgetc(page.get()) != EOF;
}

uint32_t ScriptedHost::random() {
  if (randoms_.empty()) return 1;
  size_t i = std::min(randomIndex_, randoms_.size() - 1);
  ++randomIndex_;
  return randoms_[i];
}

std::optional<Command> ScriptedHost::nextCommand() {
  if (!early_.empty()) {
    Command c = std::move(early_.front());
    early_.pop_front();
    return c;
  }
  std::string error;
  std::optional<Command> c = reader_.next(error);
  if (!error.empty()) stop(2, 0, error);
  return c;
}

void ScriptedHost::tap(POINT p) {
  stylus_.hide();
  pending_.push_back({InputEvent::Kind::StylusDown, int(p.x), int(p.y)});
  pending_.push_back({InputEvent::Kind::StylusUp, int(p.x), int(p.y)});
}

void ScriptedHost::key(Key k) { stylus_.press(k, pending_); }

POINT ScriptedHost::need(std::optional<POINT> p, int line, const std::string& what) {
  if (!p) stop(2, line, "not on screen: " + what);
  return *p;
}

HWND ScriptedHost::mainWindowFor(int line) {
  HWND w = automation::mainWindow();
  if (!w) stop(2, line, "the program has no main window");
  return w;
}

void ScriptedHost::runFollowUp(const FollowUp& f) {
  if (f.kind == FollowUp::Kind::PopupItem)
    tap(need(automation::popupMenuItem(utf16(f.text)), f.line, "pop-up menu item " + quoted(f.text)));
  else
    tap(need(automation::dropListItem(f.index), f.line, "drop-down list item " + std::to_string(f.index)));
}

// Carries out one command; false when the program should look at its queue before the
// next command (a message was posted, or time went by).
bool ScriptedHost::carryOut(const Command& c) {
  switch (c.op) {
    case Op::Device:
    case Op::Start:
      stop(2, c.line, c.op == Op::Device ? "device settings must come before start" : "the program is already running");
      return false;
    case Op::Random:
      randoms_.assign(c.values.begin(), c.values.end());
      randomIndex_ = 0;
      return true;
    case Op::Tap:
      tap(POINT{LONG(c.values[0]), LONG(c.values[1])});
      return true;
    case Op::Menu:
      tap(need(automation::menuBarButton(utf16(c.texts[0])), c.line, "menu bar button " + quoted(c.texts[0])));
      followUp_ = FollowUp{FollowUp::Kind::PopupItem, c.texts[1], 0, c.line};
      return true;
    case Op::Toolbar:
      tap(need(automation::menuBarButtonById(int(c.values[0])), c.line,
               "menu bar button with command " + std::to_string(c.values[0])));
      return true;
    case Op::Ok:
      tap(need(automation::navigationOk(), c.line, "the ok of the navigation bar"));
      return true;
    case Op::Key:
      key(c.key);
      return true;
    case Op::Click:
      if (c.id)
        tap(need(automation::dialogControl(*c.id), c.line, "control #" + std::to_string(*c.id)));
      else
        tap(need(automation::dialogControl(utf16(c.texts[0])), c.line, "control " + quoted(c.texts[0])));
      return true;
    case Op::Check: {
      std::optional<bool> state = automation::checkState(*c.id);
      if (!state) stop(2, c.line, "not on screen: check box #" + std::to_string(*c.id));
      if (*state != c.on)
        tap(need(automation::dialogControl(*c.id), c.line, "check box #" + std::to_string(*c.id)));
      return true;
    }
    case Op::Select:
      tap(need(automation::dialogControl(*c.id), c.line, "drop-down list #" + std::to_string(*c.id)));
      followUp_ = FollowUp{FollowUp::Kind::DropItem, {}, int(c.values[0]), c.line};
      return true;
    case Op::Send:
      PostMessageW(mainWindowFor(c.line), UINT(c.values[0]), WPARAM(uint32_t(c.values[1])),
                   LPARAM(int32_t(uint32_t(c.values[2]))));
      return false;
    case Op::Close:
      PostMessageW(mainWindowFor(c.line), WM_CLOSE, 0, 0);
      return false;
    case Op::Screenshot: {
      if (shown_.empty() || shownWidth_ <= 0 || shownHeight_ <= 0) stop(2, c.line, "the device has shown nothing yet");
      // With the keyboard's stylus cursor where it stands, as the screen shows it.
      const uint32_t* pixels = shown_.data();
      std::vector<uint32_t> withCursor;
      if (std::optional<RECT> r = stylus_.outline()) {
        withCursor = shown_;
        drawStylusCursor(withCursor.data(), shownWidth_, shownHeight_, *r);
        pixels = withCursor.data();
      }
      std::string error = screenshot(c.texts[0], ScreenView{pixels, shownWidth_, shownHeight_});
      if (!error.empty()) stop(2, c.line, error);
      return true;
    }
    case Op::Copy: {
      std::string error = copyOut(c.texts[0], c.texts[1]);
      if (!error.empty()) stop(2, c.line, error);
      return true;
    }
    case Op::Dump: {
      std::string text = automation::dump();
      while (!text.empty() && text.back() == '\n') text.pop_back();
      log(text);
      return true;
    }
    case Op::Wait:
      waitReal(uint32_t(c.values[0]));
      clock_ += uint64_t(c.values[0]);
      return false;
  }
  return true;
}

}  // namespace pk::script
