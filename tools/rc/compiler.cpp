// The resource script's statements, each compiled as it is read into the bytes
// the layer reads back: string tables, raw data, menus, dialogs (in the layout of
// pocket/resource_format.h), bitmaps, icons and files taken as they are.
#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <pocket/basics.h>
#include <pocket/resource_format.h>

#include "rc.h"

namespace rc {
namespace {

namespace fs = std::filesystem;
namespace resfmt = pk::resfmt;
using pk::upperAscii;
using resfmt::Writer;

// UTF-8 to UTF-16 units; false on malformed UTF-8.
bool toUtf16(const std::string& s, std::u16string& out) {
  out.clear();
  char32_t cp = 0;
  for (size_t i = 0; i < s.size();) {
    if (!pk::nextUtf8(s, i, cp)) return false;
    pk::appendUtf16(out, cp);
  }
  return true;
}

constexpr uint16_t kBitmap = 2, kMenu = 4, kDialog = 5, kString = 6, kAccelerator = 9, kRcData = 10, kGroupIcon = 14;

class Compiler {
 public:
  Compiler(std::vector<Token> tokens, std::string file, fs::path folder)
      : t_(std::move(tokens)), file_(std::move(file)), folder_(std::move(folder)) {}

  std::vector<Resource> run() {
    while (peek().kind != Token::End) statement();
    return std::move(out_);
  }

 private:
  [[noreturn]] void failAt(int line, const std::string& what) {
    throw CompileError{file_ + ":" + std::to_string(line) + ": " + what};
  }
  [[noreturn]] void fail(const std::string& what) { failAt(peek().line, what); }

  const Token& peek(size_t ahead = 0) const { return t_[std::min(i_ + ahead, t_.size() - 1)]; }
  Token next() {
    Token t = peek();
    if (i_ < t_.size() - 1) ++i_;
    return t;
  }
  static std::string describe(const Token& t) {
    switch (t.kind) {
      case Token::End: return "end of file";
      case Token::Word: return "'" + t.text + "'";
      case Token::Number: return "number " + std::to_string(t.number);
      case Token::String: return "string \"" + t.text + "\"";
      case Token::Punct: return "'" + t.text + "'";
    }
    return "?";
  }
  bool isPunct(const char* p) const { return peek().kind == Token::Punct && peek().text == p; }
  bool isWord(const char* w) const { return peek().kind == Token::Word && upperAscii(peek().text) == w; }
  void expectPunct(const char* p, const char* what) {
    if (!isPunct(p)) fail(std::string("expected ") + what + ", found " + describe(peek()));
    next();
  }
  bool isOpen() const { return isPunct("{") || isWord("BEGIN"); }
  bool isClose() const { return isPunct("}") || isWord("END"); }
  void expectOpen() {
    if (!isOpen()) fail("expected '{', found " + describe(peek()));
    next();
  }
  void optionalComma() {
    if (isPunct(",")) next();
  }

  // A number, possibly negative, or several joined by '|' or '+'.
  int64_t number(const char* what) {
    int64_t v = term(what);
    while (isPunct("|") || isPunct("+")) {
      bool orOp = next().text == "|";
      int64_t w = term(what);
      v = orOp ? int64_t(uint32_t(v) | uint32_t(w)) : v + w;
    }
    return v;
  }
  int64_t term(const char* what) {
    bool negative = false;
    if (isPunct("-")) {
      next();
      negative = true;
    }
    if (peek().kind != Token::Number) fail(std::string("expected ") + what + ", found " + describe(peek()));
    int64_t v = next().number;
    return negative ? -v : v;
  }
  int32_t int32(const char* what) {
    int line = peek().line;
    int64_t v = number(what);
    if (v < INT32_MIN || v > int64_t(UINT32_MAX)) failAt(line, std::string(what) + " out of range");
    return int32_t(uint32_t(v));
  }
  int16_t int16(const char* what) {
    int line = peek().line;
    int64_t v = number(what);
    if (v < -32768 || v > 32767) failAt(line, std::string(what) + " out of range");
    return int16_t(v);
  }
  std::u16string text(const char* what) {
    if (peek().kind != Token::String) fail(std::string("expected ") + what + ", found " + describe(peek()));
    Token t = next();
    std::u16string w;
    if (!toUtf16(t.text, w)) failAt(t.line, "text is not valid UTF-8");
    return w;
  }
  void putText(Writer& b, const std::u16string& s) {
    if (s.size() > 0xFFFF) fail("text too long");
    b.text(s);
  }

  Id resourceName() {
    Token t = next();
    Id id;
    if (t.kind == Token::Number) {
      if (t.number > 0xFFFF) failAt(t.line, "resource id " + std::to_string(t.number) + " above 65535");
      id.number = uint16_t(t.number);
    } else if (t.kind == Token::Word) {
      id.isNumber = false;
      id.name = upperAscii(t.text);
    } else {
      failAt(t.line, "expected a resource name, found " + describe(t));
    }
    return id;
  }

  void add(Id type, Id name, Bytes data, int line) {
    auto key = std::make_pair(type, name);
    if (seen_.count(key)) failAt(line, "resource defined twice (first at line " + std::to_string(seen_[key]) + ")");
    seen_[key] = line;
    out_.push_back(Resource{type, name, std::move(data), line});
  }

  Bytes readFile(const Token& t) {
    fs::path p = folder_ / fs::u8path(t.text);
    std::ifstream in(p, std::ios::binary);
    if (!in) failAt(t.line, "cannot read \"" + t.text + "\"");
    Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return b;
  }

  Token fileName() {
    if (peek().kind != Token::String) fail("expected a file name, found " + describe(peek()));
    return next();
  }

  void statement() {
    if (isWord("STRINGTABLE")) {
      next();
      stringTable();
      return;
    }
    int line = peek().line;
    Id name = resourceName();
    if (peek().kind != Token::Word) fail("expected a resource type, found " + describe(peek()));
    std::string type = upperAscii(next().text);
    if (type == "BITMAP") {
      Token f = fileName();
      add(Id{true, kBitmap, {}}, name, dibFromBmp(readFile(f), file_ + ":" + std::to_string(f.line) + ": \"" + f.text + "\""), line);
    } else if (type == "ICON") {
      Token f = fileName();
      add(Id{true, kGroupIcon, {}}, name, readFile(f), line);
    } else if (type == "WAVE") {
      Token f = fileName();
      Bytes b = readFile(f);
      if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
          std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
        failAt(f.line, "\"" + f.text + "\" is not a RIFF WAVE file");
      add(Id{false, 0, "WAVE"}, name, std::move(b), line);
    } else if (type == "RCDATA") {
      add(Id{true, kRcData, {}}, name, rcData(), line);
    } else if (type == "MENU") {
      if (!name.isNumber) failAt(line, "a menu needs a number as its id");
      add(Id{true, kMenu, {}}, name, menu(), line);
    } else if (type == "DIALOG" || type == "DIALOGEX") {
      add(Id{true, kDialog, {}}, name, dialog(), line);
    } else if (type == "ACCELERATORS") {
      add(Id{true, kAccelerator, {}}, name, accelerators(), line);
    } else {
      // Any other type names a file of raw bytes.
      Token f = fileName();
      add(Id{false, 0, type}, name, readFile(f), line);
    }
  }

  void stringTable() {
    expectOpen();
    while (!isClose()) {
      int line = peek().line;
      int64_t id = number("string id");
      if (id < 0 || id > 0xFFFF) failAt(line, "string id out of range");
      optionalComma();
      std::u16string s = text("string text");
      Writer b;
      for (char16_t c : s) b.u16(c);
      add(Id{true, kString, {}}, Id{true, uint16_t(id), {}}, std::move(b.bytes), line);
      if (peek().kind == Token::End) fail("missing '}' of STRINGTABLE");
    }
    next();
  }

  Bytes rcData() {
    expectOpen();
    Writer b;
    while (!isClose()) {
      if (peek().kind == Token::End) fail("missing '}' of RCDATA");
      int line = peek().line;
      int64_t v = number("a 16-bit number");
      if (v < -32768 || v > 0xFFFF) failAt(line, "value " + std::to_string(v) + " does not fit 16 bits");
      b.u16(uint32_t(v) & 0xFFFF);
      if (!isClose()) expectPunct(",", "',' or '}'");
    }
    next();
    return b.bytes;
  }

  // Entries `event, id [, ASCII | VIRTKEY] [, NOINVERT | SHIFT | CONTROL | ALT]...`: the event a
  // character ("a", or "^A" for Ctrl+A as a character), or a key: a number, or a letter or
  // digit with VIRTKEY.
  Bytes accelerators() {
    expectOpen();
    Writer b;
    size_t lastFlags = 0;
    while (!isClose()) {
      if (peek().kind == Token::End) fail("missing '}' of ACCELERATORS");
      const Token event = peek();
      uint32_t key = 0;
      bool caret = false;
      if (event.kind == Token::String) {
        next();
        caret = event.text.size() == 2 && event.text[0] == '^';
        if (event.text.size() != 1 && !caret) failAt(event.line, "an accelerator's key is one character");
        key = uint8_t(event.text.back());
        if (caret) {
          if (!std::isalpha(int(key))) failAt(event.line, "'^' goes before a letter");
          key = uint32_t(std::toupper(int(key)) - 'A' + 1);
        }
      } else {
        int64_t v = number("an accelerator's key");
        if (v < 0 || v > 0xFFFF) failAt(event.line, "key out of range");
        key = uint32_t(v);
      }
      expectPunct(",", "',' and a command id");
      int line = peek().line;
      int64_t id = number("command id");
      if (id < 0 || id > 0xFFFF) failAt(line, "command id out of range");
      uint32_t flags = 0;
      bool typed = false;
      while (isPunct(",")) {
        next();
        if (peek().kind != Token::Word) fail("expected an accelerator option, found " + describe(peek()));
        std::string w = upperAscii(next().text);
        if ((w == "ASCII" || w == "VIRTKEY") && !typed) {
          typed = true;
          if (w == "VIRTKEY") flags |= resfmt::kAccelVirtKey;
        } else if (w == "NOINVERT") {
          flags |= resfmt::kAccelNoInvert;
        } else if (w == "SHIFT") {
          flags |= resfmt::kAccelShift;
        } else if (w == "CONTROL") {
          flags |= resfmt::kAccelControl;
        } else if (w == "ALT") {
          flags |= resfmt::kAccelAlt;
        } else {
          fail("expected an accelerator option, found '" + w + "'");
        }
      }
      if ((flags & (resfmt::kAccelShift | resfmt::kAccelControl)) && !(flags & resfmt::kAccelVirtKey))
        failAt(event.line, "SHIFT and CONTROL need VIRTKEY");
      if (flags & resfmt::kAccelVirtKey) {
        if (caret) failAt(event.line, "a VIRTKEY is a key, not a control character");
        // A letter's key is its capital.
        if (event.kind == Token::String) {
          if (!std::isalnum(int(key))) failAt(event.line, "a VIRTKEY given as text is a letter or a digit");
          key = uint32_t(std::toupper(int(key)));
        }
      }
      lastFlags = b.bytes.size();
      b.u16(flags);
      b.u16(key);
      b.u16(uint32_t(id));
      b.u16(0);
    }
    next();
    if (b.bytes.empty()) fail("an ACCELERATORS table needs an entry");
    b.patch16(lastFlags, pk::le16(&b.bytes[lastFlags]) | resfmt::kAccelLast);
    static_assert(resfmt::kAccelEntrySize == 8, "four 16-bit words an entry");
    return b.bytes;
  }

  void menuItems(Writer& b) {
    expectOpen();
    size_t countAt = b.placeholder16();
    uint32_t count = 0;
    while (!isClose()) {
      if (peek().kind == Token::End) fail("missing '}' of menu");
      if (isWord("POPUP")) {
        next();
        std::u16string t = text("pop-up text");
        uint32_t flags = resfmt::kPopup | menuOptions();
        b.u16(flags);
        b.u32(0);
        putText(b, t);
        menuItems(b);
      } else if (isWord("MENUITEM")) {
        next();
        if (isWord("SEPARATOR")) {
          next();
          b.u16(resfmt::kSeparator);
          b.u32(0);
          putText(b, u"");
        } else {
          std::u16string t = text("item text");
          expectPunct(",", "',' and a command id");
          int32_t id = int32("command id");
          uint32_t flags = menuOptions();
          b.u16(flags);
          b.u32(uint32_t(id));
          putText(b, t);
        }
      } else {
        fail("expected POPUP or MENUITEM, found " + describe(peek()));
      }
      ++count;
    }
    next();
    b.patch16(countAt, count);
  }
  uint32_t menuOptions() {
    uint32_t flags = 0;
    while (isPunct(",") || isWord("GRAYED") || isWord("INACTIVE")) {
      if (isPunct(",")) {
        next();
        if (!(isWord("GRAYED") || isWord("INACTIVE"))) fail("expected a menu option, found " + describe(peek()));
      }
      next();
      flags |= resfmt::kGrayed;
    }
    return flags;
  }
  Bytes menu() {
    Writer b;
    b.beginBlock(resfmt::kMenuMagic);
    menuItems(b);
    b.endBlock();
    return b.bytes;
  }

  Bytes dialog() {
    int16_t x = int16("x");
    expectPunct(",", "','");
    int16_t y = int16("y");
    expectPunct(",", "','");
    int16_t cx = int16("width");
    expectPunct(",", "','");
    int16_t cy = int16("height");
    uint32_t style = 0x80C80000u, exStyle = 0;
    std::u16string caption, face = u"Tahoma";
    uint32_t points = 8;
    for (;;) {
      if (isWord("STYLE")) {
        next();
        style = uint32_t(int32("style"));
      } else if (isWord("EXSTYLE")) {
        next();
        exStyle = uint32_t(int32("extended style"));
      } else if (isWord("CAPTION")) {
        next();
        caption = text("caption");
      } else if (isWord("FONT")) {
        next();
        int line = peek().line;
        int64_t p = number("font size");
        if (p <= 0 || p > 0xFFFF) failAt(line, "font size out of range");
        points = uint32_t(p);
        expectPunct(",", "',' and a font face");
        face = text("font face");
        // Weight, italic and character set of extended dialogs say nothing we keep.
        while (isPunct(",")) {
          next();
          number("font option");
        }
      } else {
        break;
      }
    }
    expectOpen();
    Writer items;
    uint32_t count = 0;
    while (!isClose()) {
      if (peek().kind == Token::End) fail("missing '}' of dialog");
      if (!isWord("CONTROL")) fail("expected CONTROL, found " + describe(peek()));
      next();
      std::u16string label;
      if (peek().kind == Token::Number) {
        // A picture named by number.
        label = u"#";
        for (char c : std::to_string(next().number)) label += char16_t(c);
      } else if (peek().kind == Token::Word) {
        for (char c : upperAscii(next().text)) label += char16_t(c);
      } else {
        label = text("control text");
      }
      expectPunct(",", "',' and a control id");
      int32_t id = int32("control id");
      expectPunct(",", "',' and a class");
      std::u16string cls = text("control class");
      cls = upperAscii(cls);
      expectPunct(",", "',' and a style");
      uint32_t cstyle = uint32_t(int32("control style"));
      int16_t r[4];
      for (auto& v : r) {
        expectPunct(",", "',' and a coordinate");
        v = int16("coordinate");
      }
      items.u32(cstyle);
      items.u32(uint32_t(id));
      for (auto v : r) items.u16(uint16_t(v));
      putText(items, cls);
      putText(items, label);
      if (++count > 0xFFFF) fail("too many controls");
    }
    next();
    Writer b;
    b.beginBlock(resfmt::kDialogMagic);
    b.u32(style);
    b.u32(exStyle);
    for (int16_t v : {x, y, cx, cy}) b.u16(uint16_t(v));
    b.u16(points);
    putText(b, caption);
    putText(b, face);
    b.u16(count);
    b.append(items);
    b.endBlock();
    return b.bytes;
  }

  std::vector<Token> t_;
  size_t i_ = 0;
  std::string file_;
  fs::path folder_;
  std::vector<Resource> out_;
  std::map<std::pair<Id, Id>, int> seen_;
};

}  // namespace

std::vector<Resource> compile(std::vector<Token> tokens, std::string file, fs::path folder) {
  return Compiler(std::move(tokens), std::move(file), std::move(folder)).run();
}

}  // namespace rc
