// The command line every host program reads alike: --help, --version, then its own options,
// with the same words for what it does not understand.
#pragma once
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>
#include <pocket/module.h>

namespace pk {

struct CommandOption {
  const char* name;  // "--script"
  int values;        // words that follow it
  // Takes the values; false when one is not what the option needs.
  std::function<bool(char* const* values)> take;
};

struct ProgramCommandLine {
  std::string name;     // as the program calls itself in messages
  const char* version;  // printed by --version
  std::vector<CommandOption> options;
  std::function<void(std::FILE*)> usage;  // the text of --help
};

// Reads argv[1..]. Nothing when the program should run; otherwise the exit code to end with:
// 0 after --help (the usage on standard output) or --version ("NAME VERSION"), 2 after an
// option it does not know, or a value missing or wrong, said on standard error with a hint.
std::optional<int> readCommandLine(int argc, char* const* argv, const ProgramCommandLine& line);

// The name the program was started as (argv[0] without its folder), or the module's.
std::string invokedName(const char* argv0, const ModuleImage& module);

// Hidden options for the tests of a window program, on a display without any input tool:
// `--self-test-window W H` opens the window at exactly W x H pixels, each `--self-test-click X Y`
// queues a left click at window point (X, Y) before the program starts, `--self-test-close` a
// press of the close button after them, and `--self-test-timing` (for the benchmarks) has the
// host print when its window mapped and when the program's first frame was shown.
struct SelfTest {
  std::optional<POINT> windowSize;
  std::vector<POINT> clicks;
  bool close = false;
  bool timing = false;
};
std::vector<CommandOption> selfTestOptions(SelfTest& into);

}  // namespace pk
