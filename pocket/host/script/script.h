// The headless host's script: one command a line, read as the program runs.
#pragma once
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <pocket/host.h>

namespace pk::script {

struct Token {
  enum class Kind { Word, Number, Text, Id };
  Kind kind = Kind::Word;
  std::string text;    // Word and Text
  int64_t number = 0;  // Number and Id (#ID)
};

// Splits a line into tokens, dropping a trailing comment. Returns an error message, or an
// empty string when the line is well formed.
std::string tokenize(std::string_view line, std::vector<Token>& out);

enum class Op { Device, Random, Start, Tap, Menu, Toolbar, Ok, Key, Click, Check, Select, Send,
                Screenshot, Copy, Dump, Close, Wait };

struct Command {
  Op op = Op::Start;
  int line = 0;
  // device W H BITS DPI, random N..., tap X Y, toolbar ID, select #ID INDEX (index only),
  // send MSG WPARAM LPARAM, wait MS
  std::vector<int64_t> values;
  // menu: button and item; click: control text; screenshot: file; copy: device and host path
  std::vector<std::string> texts;
  std::optional<int> id;  // click #ID, check #ID, select #ID
  bool on = false;        // check
  Key key = Key::Escape;  // key
};

struct Parsed {
  std::optional<Command> command;  // none for a blank or comment-only line
  std::string error;               // set when the line is not a valid command
};

Parsed parseLine(std::string_view line, int lineNumber);

// Reads commands one at a time, so a script on standard input can be typed as the program runs.
class Reader {
 public:
  // Not owned; plain C streams, so the browser build links no iostreams.
  explicit Reader(std::FILE* in) : in_(in) {}
  // The next command, or none at the end of the script. `error` is set (with the line
  // number) for a line that is not a command.
  std::optional<Command> next(std::string& error);
  int lineNumber() const { return line_; }

 private:
  std::FILE* in_;
  int line_ = 0;
};

}  // namespace pk::script
