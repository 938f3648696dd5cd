// The resource script's tokens: words, numbers (decimal or hex, with an optional
// L suffix), strings with a few escapes ("" \" \\ \n \t), and punctuation.
#include <string>
#include <vector>

#include "rc.h"

namespace rc {
namespace {

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

}  // namespace

std::vector<Token> tokenize(std::string source, std::string file) { return Lexer(std::move(source), std::move(file)).run(); }

}  // namespace rc
