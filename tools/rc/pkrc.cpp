// pkrc: compiles a resource script into a C++ source that embeds every resource
// as a byte array of a pk::ModuleImage.
//
//   pkrc script.rc out.cpp SYMBOL
//
// Dialogs and menus get a binary layout of our own, written and read back through
// one header (pocket/resource_format.h).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <pocket/basics.h>
#include <pocket/resource_format.h>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

struct CompileError {
  std::string message;
};

// ---- Tokens ----

struct Token {
  enum Kind { End, Word, Number, String, Punct } kind = End;
  std::string text;  // word (as written), string (UTF-8, unescaped) or punctuation
  int64_t number = 0;
  int line = 0;
};

class Lexer {
 public:
  Lexer(std::string source, std::string file) : src_(std::move(source)), file_(std::move(file)) {}

  std::vector<Token> run() {
    std::vector<Token> out;
    for (;;) {
      skipSpace();
      Token t;
      t.line = line_;
      if (pos_ >= src_.size()) {
        out.push_back(t);
        return out;
      }
      char c = src_[pos_];
      if (c == '"') {
        t.kind = Token::String;
        t.text = readString();
      } else if (std::isdigit(static_cast<unsigned char>(c))) {
        t.kind = Token::Number;
        t.number = readNumber();
      } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
        t.kind = Token::Word;
        size_t start = pos_;
        while (pos_ < src_.size() &&
               (std::isalnum(static_cast<unsigned char>(src_[pos_])) || src_[pos_] == '_' || src_[pos_] == '.'))
          ++pos_;
        t.text = src_.substr(start, pos_ - start);
      } else if (std::string_view("{},|-+").find(c) != std::string_view::npos) {
        t.kind = Token::Punct;
        t.text = std::string(1, c);
        ++pos_;
      } else {
        fail(std::string("unexpected character '") + c + "'");
      }
      out.push_back(t);
    }
  }

 private:
  [[noreturn]] void fail(const std::string& what) {
    throw CompileError{file_ + ":" + std::to_string(line_) + ": " + what};
  }

  void skipSpace() {
    while (pos_ < src_.size()) {
      char c = src_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++pos_;
      } else if (c == '/' && pos_ + 1 < src_.size() && src_[pos_ + 1] == '/') {
        while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
      } else if (c == '/' && pos_ + 1 < src_.size() && src_[pos_ + 1] == '*') {
        size_t endAt = src_.find("*/", pos_ + 2);
        if (endAt == std::string::npos) fail("unterminated comment");
        for (size_t i = pos_; i < endAt; ++i)
          if (src_[i] == '\n') ++line_;
        pos_ = endAt + 2;
      } else if (c == '#' && (pos_ == 0 || src_[pos_ - 1] == '\n')) {
        // Preprocessor lines (#include, #define) carry nothing for us.
        while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
      } else {
        break;
      }
    }
  }

  std::string readString() {
    ++pos_;
    std::string s;
    for (;;) {
      if (pos_ >= src_.size() || src_[pos_] == '\n') fail("unterminated string");
      char c = src_[pos_++];
      if (c == '"') {
        // "" inside a string stands for one quote, as in classic scripts.
        if (pos_ < src_.size() && src_[pos_] == '"') {
          s += '"';
          ++pos_;
          continue;
        }
        return s;
      }
      if (c == '\\') {
        if (pos_ >= src_.size()) fail("unterminated string");
        char e = src_[pos_++];
        switch (e) {
          case '"': s += '"'; break;
          case '\\': s += '\\'; break;
          case 'n': s += '\n'; break;
          case 't': s += '\t'; break;
          default: fail(std::string("unknown escape '\\") + e + "'");
        }
        continue;
      }
      s += c;
    }
  }

  int64_t readNumber() {
    size_t start = pos_;
    int base = 10;
    if (src_[pos_] == '0' && pos_ + 1 < src_.size() && (src_[pos_ + 1] == 'x' || src_[pos_ + 1] == 'X')) {
      base = 16;
      pos_ += 2;
    }
    size_t digits = pos_;
    while (pos_ < src_.size() && std::isxdigit(static_cast<unsigned char>(src_[pos_]))) ++pos_;
    std::string body = src_.substr(digits, pos_ - digits);
    // A trailing L (long) is allowed, as in classic scripts.
    if (pos_ < src_.size() && (src_[pos_] == 'L' || src_[pos_] == 'l')) ++pos_;
    if (pos_ < src_.size() && (std::isalnum(static_cast<unsigned char>(src_[pos_])) || src_[pos_] == '_'))
      fail("malformed number '" + src_.substr(start, pos_ - start + 1) + "'");
    if (body.empty()) fail("malformed number '" + src_.substr(start, pos_ - start) + "'");
    for (char c : body)
      if (base == 10 && !std::isdigit(static_cast<unsigned char>(c)))
        fail("malformed number '" + src_.substr(start, pos_ - start) + "'");
    if (body.size() > (base == 16 ? 8u : 10u)) fail("number too large '" + src_.substr(start, pos_ - start) + "'");
    int64_t v = std::stoll(body, nullptr, base);
    if (v > 0xFFFFFFFFLL) fail("number too large '" + src_.substr(start, pos_ - start) + "'");
    return v;
  }

  std::string src_;
  std::string file_;
  size_t pos_ = 0;
  int line_ = 1;
};

// ---- Output helpers ----

namespace resfmt = pk::resfmt;
using resfmt::Writer;
uint32_t get16(const Bytes& b, size_t at) { return pk::le16(b.data() + at); }
uint32_t get32(const Bytes& b, size_t at) { return pk::le32(b.data() + at); }

// UTF-8 to UTF-16 units; false on malformed UTF-8.
bool toUtf16(const std::string& s, std::u16string& out) {
  out.clear();
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    uint32_t cp;
    int extra;
    if (c < 0x80) {
      cp = c;
      extra = 0;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      extra = 3;
    } else {
      return false;
    }
    if (i + size_t(extra) >= s.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      unsigned char d = static_cast<unsigned char>(s[i + size_t(k)]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    static const uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += size_t(extra) + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += char16_t(0xD800 + (cp >> 10));
      out += char16_t(0xDC00 + (cp & 0x3FF));
    } else {
      out += char16_t(cp);
    }
  }
  return true;
}

using pk::upperAscii;

// ---- Resources ----

struct Id {
  bool isNumber = true;
  uint16_t number = 0;
  std::string name;  // upper case
  bool operator<(const Id& o) const {
    if (isNumber != o.isNumber) return isNumber;
    return isNumber ? number < o.number : name < o.name;
  }
};

struct Resource {
  Id type;
  Id name;
  Bytes data;
  int line = 0;
};

constexpr uint16_t kBitmap = 2, kMenu = 4, kDialog = 5, kString = 6, kRcData = 10, kGroupIcon = 14;

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
      add(Id{true, kBitmap, {}}, name, bitmap(readFile(f), f), line);
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

  // A .bmp file becomes a packed DIB: 40-byte info header, colour table, pixels.
  Bytes bitmap(const Bytes& f, const Token& t) {
    auto bad = [&](const std::string& why) -> void { failAt(t.line, "\"" + t.text + "\": " + why); };
    if (f.size() < 14 + 40 || f[0] != 'B' || f[1] != 'M') bad("not a BMP file");
    uint32_t offBits = get32(f, 10);
    uint32_t hdr = get32(f, 14);
    if (hdr != 40 && hdr != 108 && hdr != 124) bad("unsupported BMP header (size " + std::to_string(hdr) + ")");
    if (14 + size_t(hdr) > f.size()) bad("truncated header");
    int32_t width = int32_t(get32(f, 18));
    int32_t height = int32_t(get32(f, 22));
    uint32_t planes = get16(f, 26);
    uint32_t bits = get16(f, 28);
    uint32_t compression = get32(f, 30);
    uint32_t used = get32(f, 46);
    if (planes != 1) bad("planes must be 1");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
      bad("unsupported depth of " + std::to_string(bits) + " bits");
    if (compression != 0) bad("compressed bitmaps are not supported");
    if (width <= 0 || width > 8192 || height == 0 || height < -8192 || height > 8192) bad("odd dimensions");
    uint32_t maxColours = bits <= 8 ? (1u << bits) : 0;
    if (used > maxColours) bad("colour table too large");
    uint32_t colours = bits <= 8 ? (used ? used : maxColours) : 0;
    size_t tableAt = 14 + size_t(hdr);
    size_t tableSize = size_t(colours) * 4;
    size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    size_t pixelsSize = stride * size_t(height < 0 ? -height : height);
    if (tableAt + tableSize > f.size()) bad("truncated colour table");
    if (offBits < tableAt + tableSize || size_t(offBits) + pixelsSize > f.size()) bad("truncated pixel data");
    Bytes d(f.begin() + 14, f.begin() + 14 + 40);
    d[0] = 40;
    d[1] = d[2] = d[3] = 0;
    // Colours used, as the reader will size the table.
    d[32] = uint8_t(colours);
    d[33] = uint8_t(colours >> 8);
    d[34] = d[35] = 0;
    d.insert(d.end(), f.begin() + long(tableAt), f.begin() + long(tableAt + tableSize));
    d.insert(d.end(), f.begin() + long(offBits), f.begin() + long(offBits + pixelsSize));
    return d;
  }

  std::vector<Token> t_;
  size_t i_ = 0;
  std::string file_;
  fs::path folder_;
  std::vector<Resource> out_;
  std::map<std::pair<Id, Id>, int> seen_;
};

std::string cString(const std::string& s) {
  std::string o = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') o += '\\';
    o += c;
  }
  return o + "\"";
}

std::string idInit(const Id& id) {
  return id.isNumber ? "{" + std::to_string(id.number) + ", nullptr}" : "{0, " + cString(id.name) + "}";
}

std::string generate(const std::vector<Resource>& res, const std::string& symbol, const std::string& moduleName) {
  std::ostringstream o;
  o << "// Generated by pkrc. Do not edit.\n#include <pocket/module.h>\n\nnamespace {\n";
  for (size_t i = 0; i < res.size(); ++i) {
    const Bytes& d = res[i].data;
    o << "alignas(8) const unsigned char r" << i << "[] = {";
    if (d.empty()) o << "0";
    for (size_t k = 0; k < d.size(); ++k) {
      if (k % 24 == 0) o << "\n  ";
      o << unsigned(d[k]) << ",";
    }
    o << "};\n";
  }
  if (!res.empty()) {
    o << "const pk::ResourceEntry entries[] = {\n";
    for (size_t i = 0; i < res.size(); ++i)
      o << "  {" << idInit(res[i].type) << ", " << idInit(res[i].name) << ", r" << i << ", " << res[i].data.size()
        << "u},\n";
    o << "};\n";
  }
  o << "}  // namespace\n\nextern const pk::ModuleImage " << symbol << ";\n";
  o << "const pk::ModuleImage " << symbol << " = {" << cString(moduleName) << ", "
    << (res.empty() ? "nullptr" : "entries") << ", " << res.size() << "};\n";
  return o.str();
}

bool validSymbol(const std::string& s) {
  if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
  for (char c : s)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: pkrc script.rc out.cpp SYMBOL\n";
    return 2;
  }
  fs::path script = argv[1];
  std::string symbol = argv[3];
  if (!validSymbol(symbol)) {
    std::cerr << "pkrc: \"" << symbol << "\" is not a C++ name\n";
    return 2;
  }
  std::ifstream in(script, std::ios::binary);
  if (!in) {
    std::cerr << "pkrc: cannot read " << script.string() << "\n";
    return 1;
  }
  std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (source.size() >= 3 && source.compare(0, 3, "\xEF\xBB\xBF") == 0) source.erase(0, 3);
  std::string out;
  try {
    Lexer lexer(source, script.string());
    Compiler compiler(lexer.run(), script.string(), script.parent_path());
    out = generate(compiler.run(), symbol, script.stem().string());
  } catch (const CompileError& e) {
    std::cerr << e.message << "\n";
    return 1;
  }
  // Written beside and renamed, so a failed run never leaves a half source for the build.
  fs::path target = argv[2];
  fs::path temp = target;
  temp += ".tmp";
  {
    std::ofstream o(temp, std::ios::binary | std::ios::trunc);
    o << out;
    if (!o.flush()) {
      std::cerr << "pkrc: cannot write " << temp.string() << "\n";
      return 1;
    }
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    std::cerr << "pkrc: cannot write " << target.string() << ": " << ec.message() << "\n";
    return 1;
  }
  return 0;
}
