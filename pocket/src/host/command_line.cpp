// The command line of every host program (pocket/command_line.h).
#include <pocket/command_line.h>

#include <cstdlib>
#include <cstring>

namespace pk {
namespace {

bool readInt(const char* s, LONG& out) {
  char* end = nullptr;
  long v = std::strtol(s, &end, 10);
  if (!*s || *end || v < -100000 || v > 100000) return false;
  out = LONG(v);
  return true;
}

}  // namespace

std::optional<int> readCommandLine(int argc, char* const* argv, const ProgramCommandLine& line) {
  const char* name = line.name.c_str();
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      line.usage(stdout);
      return 0;
    }
    if (a == "--version") {
      std::printf("%s %s\n", name, line.version);
      return 0;
    }
    const CommandOption* option = nullptr;
    for (const CommandOption& o : line.options)
      if (a == o.name) option = &o;
    const char* problem = "unknown option";
    if (option && i + option->values >= argc) problem = "missing value after";
    else if (option && !option->take(argv + i + 1)) problem = "wrong value after";
    else if (option) {
      i += option->values;
      continue;
    }
    std::fprintf(stderr, "%s: %s %s\nTry '%s --help' for more information.\n", name, problem, a.c_str(), name);
    return 2;
  }
  return std::nullopt;
}

std::string invokedName(const char* argv0, const ModuleImage& module) {
  std::string s = argv0 && *argv0 ? argv0 : module.name;
  size_t slash = s.find_last_of("/\\");
  return slash == std::string::npos ? s : s.substr(slash + 1);
}

std::vector<CommandOption> selfTestOptions(SelfTest& into) {
  auto point = [](char* const* v, POINT& p) { return readInt(v[0], p.x) && readInt(v[1], p.y); };
  return {
      {"--self-test-window", 2,
       [&into, point](char* const* v) {
         POINT p{};
         if (!point(v, p)) return false;
         into.windowSize = p;
         return true;
       }},
      {"--self-test-click", 2,
       [&into, point](char* const* v) {
         POINT p{};
         if (!point(v, p)) return false;
         into.clicks.push_back(p);
         return true;
       }},
      {"--self-test-close", 0, [&into](char* const*) { return into.close = true; }},
      {"--self-test-timing", 0, [&into](char* const*) { return into.timing = true; }},
  };
}

}  // namespace pk
