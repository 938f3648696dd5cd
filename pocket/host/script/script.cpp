#include "script.h"

#include <cctype>
#include <charconv>
#include <limits>
#include <utility>

#include <pocket/basics.h>

namespace pk::script {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal or 0x hex, with an optional minus sign; the whole text must be the number.
std::optional<int64_t> parseNumber(std::string_view s) {
  bool negative = !s.empty() && s[0] == '-';
  if (negative) s.remove_prefix(1);
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return std::nullopt;
  uint64_t v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  if (v > uint64_t(std::numeric_limits<int64_t>::max())) return std::nullopt;
  return negative ? -int64_t(v) : int64_t(v);
}

const char* describe(Token::Kind k) {
  switch (k) {
    case Token::Kind::Word: return "a word";
    case Token::Kind::Number: return "a number";
    case Token::Kind::Text: return "a quoted text";
    case Token::Kind::Id: return "an #id";
  }
  return "?";
}

struct Named {
  const char* name;
  int64_t value;
};

// Messages a script may name instead of giving their number.
constexpr Named kMessages[] = {
    {"wm_create", 0x0001},  {"wm_destroy", 0x0002},       {"wm_size", 0x0005},
    {"wm_activate", 0x0006}, {"wm_paint", 0x000F},        {"wm_close", 0x0010},
    {"wm_settingchange", 0x001A}, {"wm_help", 0x0053},    {"wm_command", 0x0111},
    {"wm_timer", 0x0113},   {"wm_hibernate", 0x03FF},     {"wm_user", 0x0400},
};

constexpr std::pair<const char*, Key> kKeys[] = {
    {"escape", Key::Escape}, {"enter", Key::Enter}, {"f1", Key::F1},       {"up", Key::Up},
    {"down", Key::Down},     {"left", Key::Left},   {"right", Key::Right}, {"space", Key::Space},
    {"kp5", Key::Space},     {"f10", Key::Menu},    {"alt", Key::Menu},    {"ctrl+n", Key::CtrlN},
    {"ctrl+z", Key::CtrlZ},  {"ctrl+q", Key::CtrlQ},
};

class Args {
 public:
  Args(const std::vector<Token>& t, std::string& error) : t_(t), error_(error) {}

  bool count(size_t n, const char* usage) {
    if (t_.size() - 1 != n) {
      error_ = std::string("expected: ") + usage;
      return false;
    }
    return true;
  }
  const Token& at(size_t i) const { return t_[i]; }
  size_t size() const { return t_.size() - 1; }

  bool number(size_t i, int64_t lo, int64_t hi, const char* what, int64_t& out) {
    const Token& tok = t_[i];
    if (tok.kind != Token::Kind::Number) return fail(i, what, "a number");
    if (tok.number < lo || tok.number > hi) {
      error_ = std::string(what) + " out of range (" + std::to_string(lo) + " to " + std::to_string(hi) + ")";
      return false;
    }
    out = tok.number;
    return true;
  }
  bool text(size_t i, const char* what, std::string& out) {
    if (t_[i].kind != Token::Kind::Text) return fail(i, what, "a quoted text");
    out = t_[i].text;
    return true;
  }
  // A file name: quoted, or a bare word when it has no spaces.
  bool path(size_t i, const char* what, std::string& out) {
    const Token& tok = t_[i];
    if (tok.kind != Token::Kind::Text && tok.kind != Token::Kind::Word) return fail(i, what, "a path");
    out = tok.text;
    if (out.empty()) {
      error_ = std::string(what) + " is empty";
      return false;
    }
    return true;
  }
  bool id(size_t i, const char* what, std::optional<int>& out) {
    if (t_[i].kind != Token::Kind::Id) return fail(i, what, "an #id");
    if (t_[i].number > 0xFFFF) {
      error_ = std::string(what) + " out of range (0 to 65535)";
      return false;
    }
    out = int(t_[i].number);
    return true;
  }

 private:
  bool fail(size_t i, const char* what, const char* wanted) {
    error_ = std::string(what) + " must be " + wanted + ", not " + describe(t_[i].kind);
    return false;
  }
  const std::vector<Token>& t_;
  std::string& error_;
};

constexpr int64_t kCoord = 0x7FFF;
constexpr int64_t kWord32 = 0xFFFFFFFFll;

bool build(const std::vector<Token>& tokens, Command& c, std::string& error) {
  const Token& head = tokens[0];
  if (head.kind != Token::Kind::Word) {
    error = std::string("a command must start with a command name, not ") + describe(head.kind);
    return false;
  }
  std::string name = lowerAscii(head.text);
  Args a(tokens, error);
  int64_t v = 0;
  auto push = [&](size_t i, int64_t lo, int64_t hi, const char* what) {
    if (!a.number(i, lo, hi, what, v)) return false;
    c.values.push_back(v);
    return true;
  };
  auto pushText = [&](size_t i, const char* what, bool asPath) {
    std::string s;
    if (!(asPath ? a.path(i, what, s) : a.text(i, what, s))) return false;
    c.texts.push_back(std::move(s));
    return true;
  };

  if (name == "device") {
    c.op = Op::Device;
    if (!a.count(4, "device W H BITS DPI")) return false;
    if (!push(1, 16, 4096, "width") || !push(2, 16, 4096, "height") || !push(3, 1, 32, "bits") ||
        !push(4, 1, 1152, "dpi"))
      return false;
    int64_t bits = c.values[2];
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
      error = "bits must be 1, 2, 4, 8, 16, 24 or 32";
      return false;
    }
    // Programs see dpi/96 times fewer pixels each way, at 96 dpi.
    int64_t dpi = c.values[3], scale = dpi / 96;
    if (dpi % 96 != 0) {
      error = "dpi must be 96 or a whole multiple of it (192 on a VGA screen), not " + std::to_string(dpi);
      return false;
    }
    if (c.values[0] % scale != 0 || c.values[1] % scale != 0 || c.values[0] / scale < 16 ||
        c.values[1] / scale < 16) {
      error = "at " + std::to_string(dpi) + " dpi, width and height must be multiples of " +
              std::to_string(scale) + " and at least " + std::to_string(16 * scale);
      return false;
    }
    return true;
  }
  if (name == "random") {
    c.op = Op::Random;
    if (a.size() == 0) {
      error = "expected: random N ...";
      return false;
    }
    for (size_t i = 1; i <= a.size(); ++i)
      if (!push(i, 0, kWord32, "random value")) return false;
    return true;
  }
  if (name == "start" || name == "ok" || name == "dump" || name == "close") {
    c.op = name == "start" ? Op::Start : name == "ok" ? Op::Ok : name == "dump" ? Op::Dump : Op::Close;
    return a.count(0, name.c_str());
  }
  if (name == "tap") {
    c.op = Op::Tap;
    return a.count(2, "tap X Y") && push(1, -kCoord, kCoord, "x") && push(2, -kCoord, kCoord, "y");
  }
  if (name == "menu") {
    c.op = Op::Menu;
    return a.count(2, "menu \"BUTTON\" \"ITEM\"") && pushText(1, "menu button", false) &&
           pushText(2, "menu item", false);
  }
  if (name == "toolbar") {
    c.op = Op::Toolbar;
    return a.count(1, "toolbar ID") && push(1, 0, 0xFFFF, "command id");
  }
  if (name == "key") {
    c.op = Op::Key;
    if (!a.count(1, "key NAME")) return false;
    std::string k = a.at(1).kind == Token::Kind::Word ? lowerAscii(a.at(1).text) : "";
    for (const auto& [keyName, key] : kKeys)
      if (k == keyName) {
        c.key = key;
        return true;
      }
    error = "key must be one of";
    for (const auto& [keyName, key] : kKeys) error += std::string(" ") + keyName;
    return false;
  }
  if (name == "click") {
    c.op = Op::Click;
    if (!a.count(1, "click \"TEXT\" or click #ID")) return false;
    if (a.at(1).kind == Token::Kind::Id) return a.id(1, "control", c.id);
    return pushText(1, "control text", false);
  }
  if (name == "check") {
    c.op = Op::Check;
    if (!a.count(2, "check #ID on|off") || !a.id(1, "check box", c.id)) return false;
    std::string s = a.at(2).kind == Token::Kind::Word ? lowerAscii(a.at(2).text) : "";
    if (s != "on" && s != "off") {
      error = "check state must be on or off";
      return false;
    }
    c.on = s == "on";
    return true;
  }
  if (name == "select") {
    c.op = Op::Select;
    return a.count(2, "select #ID INDEX") && a.id(1, "drop-down list", c.id) && push(2, 0, 0xFFFF, "index");
  }
  if (name == "send") {
    c.op = Op::Send;
    if (!a.count(3, "send MSG WPARAM LPARAM")) return false;
    if (a.at(1).kind == Token::Kind::Word) {
      std::string m = lowerAscii(a.at(1).text);
      bool found = false;
      for (const auto& n : kMessages)
        if (m == n.name) {
          c.values.push_back(n.value);
          found = true;
        }
      if (!found) {
        error = "unknown message name " + a.at(1).text;
        return false;
      }
    } else if (!push(1, 0, 0xFFFF, "message")) {
      return false;
    }
    return push(2, -0x80000000ll, kWord32, "wparam") && push(3, -0x80000000ll, kWord32, "lparam");
  }
  if (name == "screenshot") {
    c.op = Op::Screenshot;
    return a.count(1, "screenshot FILE") && pushText(1, "file", true);
  }
  if (name == "copy") {
    c.op = Op::Copy;
    return a.count(2, "copy DEVICEPATH HOSTPATH") && pushText(1, "device path", true) &&
           pushText(2, "host path", true);
  }
  if (name == "wait") {
    c.op = Op::Wait;
    return a.count(1, "wait MS") && push(1, 0, 600000, "milliseconds");
  }
  error = "unknown command " + head.text;
  return false;
}

}  // namespace

std::string tokenize(std::string_view line, std::vector<Token>& out) {
  out.clear();
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (isSpace(c)) {
      ++i;
      continue;
    }
    // '#' right before a digit names a control; anywhere else it starts a comment.
    if (c == '#') {
      if (i + 1 < line.size() && isDigit(line[i + 1])) {
        size_t end = i + 1;
        while (end < line.size() && !isSpace(line[end])) ++end;
        auto n = parseNumber(line.substr(i + 1, end - i - 1));
        if (!n) return "bad control id " + std::string(line.substr(i, end - i));
        out.push_back({Token::Kind::Id, {}, *n});
        i = end;
        continue;
      }
      break;
    }
    if (c == '"') {
      std::string text;
      size_t j = i + 1;
      bool closed = false;
      while (j < line.size()) {
        char d = line[j];
        if (d == '"') {
          closed = true;
          break;
        }
        if (d == '\\' && j + 1 < line.size() && (line[j + 1] == '"' || line[j + 1] == '\\')) {
          text += line[j + 1];
          j += 2;
          continue;
        }
        text += d;
        ++j;
      }
      if (!closed) return "unterminated quoted text";
      i = j + 1;
      if (i < line.size() && !isSpace(line[i]) && line[i] != '#') return "missing space after quoted text";
      out.push_back({Token::Kind::Text, std::move(text), 0});
      continue;
    }
    size_t end = i;
    while (end < line.size() && !isSpace(line[end])) ++end;
    std::string_view word = line.substr(i, end - i);
    bool numeric = isDigit(word[0]) || (word.size() > 1 && word[0] == '-' && isDigit(word[1]));
    if (numeric) {
      auto n = parseNumber(word);
      if (!n) return "bad number " + std::string(word);
      out.push_back({Token::Kind::Number, {}, *n});
    } else {
      if (word.find('"') != std::string_view::npos) return "stray quote in " + std::string(word);
      out.push_back({Token::Kind::Word, std::string(word), 0});
    }
    i = end;
  }
  return {};
}

Parsed parseLine(std::string_view line, int lineNumber) {
  Parsed p;
  std::vector<Token> tokens;
  std::string error = tokenize(line, tokens);
  if (error.empty() && tokens.empty()) return p;
  Command c;
  c.line = lineNumber;
  if (error.empty() && build(tokens, c, error)) {
    p.command = std::move(c);
    return p;
  }
  p.error = "line " + std::to_string(lineNumber) + ": " + error;
  return p;
}

std::optional<Command> Reader::next(std::string& error) {
  error.clear();
  std::string text;
  for (int c = 0; c != EOF;) {
    text.clear();
    while ((c = std::fgetc(in_)) != EOF && c != '\n') text.push_back(char(c));
    if (c == EOF && text.empty()) break;
    ++line_;
    Parsed p = parseLine(text, line_);
    if (!p.error.empty()) {
      error = p.error;
      return std::nullopt;
    }
    if (p.command) return p.command;
  }
  return std::nullopt;
}

}  // namespace pk::script
