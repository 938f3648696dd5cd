// pkrc: compiles a resource script into a C++ source that embeds every resource
// as a byte array of a pk::ModuleImage.
//
//   pkrc script.rc out.cpp SYMBOL
//
// Dialogs and menus get a binary layout of our own, written and read back through
// one header (pocket/resource_format.h).
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "rc.h"

namespace fs = std::filesystem;
using namespace rc;

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
    out = generate(compile(tokenize(source, script.string()), script.string(), script.parent_path()), symbol,
                   script.stem().string());
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
