// The resource compiler's units and what they hand each other: the lexer's
// tokens, the compiled resources, and the errors that stop a run.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace rc {

using Bytes = std::vector<unsigned char>;

// Stops the run; the message names the script and line.
struct CompileError {
  std::string message;
};

struct Token {
  enum Kind { End, Word, Number, String, Punct } kind = End;
  std::string text;  // word (as written), string (UTF-8, unescaped) or punctuation
  int64_t number = 0;
  int line = 0;
};

// The tokens of a resource script, its #define names replaced by their values (#include
// reads the #define lines of a header); other preprocessor lines are skipped.
std::vector<Token> tokenize(std::string source, std::string file);

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

// The resources of a script, in the order written; files are found beside it.
std::vector<Resource> compile(std::vector<Token> tokens, std::string file, std::filesystem::path folder);

// A .bmp file as a packed DIB; `where` prefixes the message of a CompileError.
Bytes dibFromBmp(const Bytes& file, const std::string& where);

// The C++ source embedding the resources as the module image `symbol`.
std::string generate(const std::vector<Resource>& res, const std::string& symbol, const std::string& moduleName);
bool validSymbol(const std::string& s);

}  // namespace rc
