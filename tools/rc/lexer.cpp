// The resource script's tokens: words, numbers (decimal or hex, with an optional
// L suffix), strings with a few escapes ("" \" \\ \n \t), and punctuation.
// `#define NAME value` names a value for the rest of the script, and `#include "x.h"`
// reads the #define lines of a header, so scripts and code share one resource.h.
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "rc.h"

namespace rc {
namespace {

using Macros = std::map<std::string, std::vector<Token>>;

class Lexer {
 public:
  Lexer(std::string source, std::string file, Macros& macros, int depth = 0)
      : src_(std::move(source)), file_(std::move(file)), macros_(macros), depth_(depth) {}

  // A header: only its preprocessor lines count; declarations for C++ are passed over.
  void header() {
    while (pos_ < src_.size()) {
      skipSpace();
      while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
    }
  }

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
        if (auto m = macros_.find(t.text); m != macros_.end()) {
          for (Token v : m->second) {
            v.line = line_;
            out.push_back(v);
          }
          continue;
        }
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
        size_t endAt = src_.find('\n', pos_);
        if (endAt == std::string::npos) endAt = src_.size();
        directive(src_.substr(pos_ + 1, endAt - pos_ - 1));
        pos_ = endAt;
      } else {
        break;
      }
    }
  }

  // #define and #include; other directives (#pragma once, include guards) change nothing here.
  void directive(const std::string& line) {
    size_t at = line.find_first_not_of(" \t");
    size_t wordEnd = line.find_first_of(" \t", at);
    std::string word = at == std::string::npos ? "" : line.substr(at, wordEnd - at);
    std::string rest = wordEnd == std::string::npos ? "" : line.substr(wordEnd);
    if (word == "define") {
      size_t nameAt = rest.find_first_not_of(" \t"), nameEnd = nameAt;
      while (nameEnd < rest.size() && (std::isalnum(static_cast<unsigned char>(rest[nameEnd])) || rest[nameEnd] == '_'))
        ++nameEnd;
      if (nameEnd == nameAt || nameAt == std::string::npos || std::isdigit(static_cast<unsigned char>(rest[nameAt])))
        fail("#define needs a name");
      std::string name = rest.substr(nameAt, nameEnd - nameAt);
      std::vector<Token> body = Lexer(rest.substr(nameEnd), file_, macros_, depth_).lineTokens(line_);
      auto [it, fresh] = macros_.emplace(name, body);
      if (!fresh && !sameTokens(it->second, body)) fail(name + " defined twice with different values");
    } else if (word == "include") {
      size_t open = rest.find_first_of("\"<");
      size_t close = open == std::string::npos ? open : rest.find(rest[open] == '"' ? '"' : '>', open + 1);
      if (close == std::string::npos) fail("#include needs a file name in quotes");
      std::string name = rest.substr(open + 1, close - open - 1);
      if (depth_ >= 8) fail("#include nested too deep at \"" + name + "\"");
      std::filesystem::path path = std::filesystem::path(file_).parent_path() / name;
      std::ifstream in(path, std::ios::binary);
      if (!in) fail("cannot read \"" + name + "\"");
      std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      Lexer(std::move(text), path.string(), macros_, depth_ + 1).header();
    }
  }

  // The tokens of one directive's text, names already defined replaced; `line` is where it stands.
  std::vector<Token> lineTokens(int line) {
    line_ = line;
    std::vector<Token> out = run();
    out.pop_back();
    return out;
  }

  static bool sameTokens(const std::vector<Token>& a, const std::vector<Token>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (a[i].kind != b[i].kind || a[i].text != b[i].text || a[i].number != b[i].number) return false;
    return true;
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
  Macros& macros_;
  int depth_;
  size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace

std::vector<Token> tokenize(std::string source, std::string file) {
  Macros macros;
  return Lexer(std::move(source), std::move(file), macros).run();
}

}  // namespace rc
