// The headless host: the program runs on a virtual device driven by a script read from a
// file or standard input, logging to standard output.
#include "headless.h"

#include <stdio.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include <script/runner.h>

#include "device.h"
#include "screenshot.h"
#include "window_internal.h"

namespace pk {
namespace {

constexpr const char* kName = "fizzorbs-headless";

std::mutex& outputLock() {
  static std::mutex m;
  return m;
}

// One event a line, flushed at once: the log is read while the program runs.
void logLine(std::string_view line) {
  std::string text(line);
  text += '\n';
  std::lock_guard<std::mutex> lock(outputLock());
  // One locked write per line: the program itself may print too.
  flockfile(stdout);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  funlockfile(stdout);
}

// A device root made for this run only.
std::filesystem::path& temporaryRoot() {
  static std::filesystem::path p;
  return p;
}

void removeTemporaryRoot() {
  std::error_code ec;
  if (!temporaryRoot().empty()) std::filesystem::remove_all(temporaryRoot(), ec);
  temporaryRoot().clear();
}

class HeadlessHost final : public script::ScriptedHost {
 public:
  using ScriptedHost::ScriptedHost;

 protected:
  void log(std::string_view line) override { logLine(line); }

  // Ends the process in the middle of the program's run: nothing more reaches the program.
  [[noreturn]] void stop(int code, int line, const std::string& message) override {
    {
      std::lock_guard<std::mutex> lock(outputLock());
      std::fflush(stdout);
      if (line > 0)
        std::fprintf(stderr, "%s: line %d: %s\n", kName, line, message.c_str());
      else if (!message.empty())
        std::fprintf(stderr, "%s: %s\n", kName, message.c_str());
      std::fflush(stderr);
    }
    wm::withdrawInstance();
    removeTemporaryRoot();
    std::_Exit(code);
  }

  // What the device's own screen shows: at 192 dpi every program pixel is 2 x 2 here.
  std::string screenshot(const std::string& file, ScreenView s) override {
    return writePng(file, s.pixels, s.width, s.height, config().bits < 8);
  }

  std::string copyOut(const std::string& devicePath, const std::string& hostFile) override {
    std::filesystem::path from = hostPath(utf16(devicePath));
    std::error_code ec;
    if (from.empty() || !std::filesystem::is_regular_file(from, ec)) return "no device file " + devicePath;
    std::filesystem::copy_file(from, hostFile, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) return "cannot copy " + devicePath + " to " + hostFile + ": " + ec.message();
    return {};
  }

  void waitReal(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

int usage(int code) {
  std::fprintf(code ? stderr : stdout, "usage: %s [--device-root DIR] [--script FILE]\n", kName);
  return code;
}

}  // namespace

int headlessMain(int argc, char** argv, ProgramEntry entry, const ModuleImage& module) {
  std::optional<std::filesystem::path> root;
  std::optional<std::string> scriptFile;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-h" || a == "--help") return usage(0);
    if (a == "--device-root" && i + 1 < argc) {
      root = argv[++i];
      continue;
    }
    if (a == "--script" && i + 1 < argc) {
      scriptFile = argv[++i];
      continue;
    }
    std::fprintf(stderr, "%s: unexpected argument %s\n", kName, a.c_str());
    return usage(2);
  }

  std::ifstream file;
  if (scriptFile) {
    file.open(*scriptFile);
    if (!file) {
      std::fprintf(stderr, "%s: cannot read the script %s\n", kName, scriptFile->c_str());
      return 2;
    }
  }
  script::Reader reader(scriptFile ? static_cast<std::istream&>(file) : std::cin);
  script::Prelude prelude;
  if (std::string error = script::readPrelude(reader, prelude); !error.empty()) {
    std::fprintf(stderr, "%s: %s\n", kName, error.c_str());
    return 2;
  }

  std::error_code ec;
  if (root) {
    std::filesystem::create_directories(*root, ec);
    if (ec || !std::filesystem::is_directory(*root, ec)) {
      std::fprintf(stderr, "%s: cannot use %s as the device root\n", kName, root->c_str());
      return 2;
    }
    prelude.config.root = *root;
  } else {
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "fizzorbs-device-XXXXXX").string();
    if (ec || !mkdtemp(pattern.data())) {
      std::fprintf(stderr, "%s: cannot make a temporary device root\n", kName);
      return 2;
    }
    temporaryRoot() = pattern;
    prelude.config.root = pattern;
  }

  HeadlessHost host(reader, std::move(prelude));
  int code = host.run(entry, module);
  removeTemporaryRoot();
  return code;
}

}  // namespace pk
