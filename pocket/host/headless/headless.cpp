// The headless host: the program runs on a virtual device driven by a script read from a
// file or standard input, logging to standard output.
#include "headless.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include <pocket/automation.h>
#include <pocket/command_line.h>
#include <pocket/host.h>
#include <pocket/unicode.h>
#include <script/runner.h>

#include "screenshot.h"

namespace pk {
namespace {

// "<program>-headless", from the program's module image: the name people type.
std::string& hostName() {
  static std::string name = "headless";
  return name;
}

std::mutex& outputLock() {
  static std::mutex m;
  return m;
}

// One event a line, flushed at once: the log is read while the program runs.
void logLine(std::string_view line) {
  std::string text(line);
  text += '\n';
  // One write per line, which the C library locks: the program itself may print too.
  std::lock_guard<std::mutex> lock(outputLock());
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
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
        std::fprintf(stderr, "%s: line %d: %s\n", hostName().c_str(), line, message.c_str());
      else if (!message.empty())
        std::fprintf(stderr, "%s: %s\n", hostName().c_str(), message.c_str());
      std::fflush(stderr);
    }
    withdrawProgram();
    removeTemporaryRoot();
    std::_Exit(code);
  }

  // What the device's own screen shows: at 192 dpi every program pixel is 2 x 2 here.
  std::string screenshot(const std::string& file, ScreenView s) override {
    return writePng(file, s.pixels, s.width, s.height, config().bits < 8);
  }

  std::string copyOut(const std::string& devicePath, const std::string& hostFile) override {
    std::filesystem::path from = automation::hostFile(utf16(devicePath));
    std::error_code ec;
    if (from.empty() || !std::filesystem::is_regular_file(from, ec)) return "no device file " + devicePath;
    std::filesystem::copy_file(from, hostFile, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) return "cannot copy " + devicePath + " to " + hostFile + ": " + ec.message();
    return {};
  }

  void waitReal(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

// A new folder of the machine's temporary ones, named `prefix` and six random characters.
std::filesystem::path makeTemporaryFolder(const std::string& prefix) {
  std::error_code ec;
  std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) return {};
  std::random_device entropy;
  const char* digits = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = prefix;
    for (int i = 0; i < 6; ++i) name += digits[entropy() % 36];
    if (std::filesystem::create_directory(base / name, ec)) return base / name;
    if (ec) return {};
  }
  return {};
}

void usage(const std::string& name, FILE* to) {
  std::fprintf(to,
      "usage: %s [--device-root DIR] [--script FILE]\n"
      "Runs the program on a virtual device driven by a script (standard input without\n"
      "--script), one command a line, and logs what happens on standard output.\n"
      "Without --device-root the device's files live in a temporary folder.\n"
      "The commands and the log are described in the manual page %s(6).\n",
      name.c_str(), name.c_str());
}

}  // namespace

int headlessMain(int argc, char** argv, ProgramEntry entry, const ModuleImage& module) {
  hostName() = std::string(module.name) + "-headless";
  std::optional<std::filesystem::path> root;
  std::optional<std::string> scriptFile;
  const std::string& name = hostName();
  ProgramCommandLine line{name,
                          PK_PROGRAM_VERSION,
                          {{"--device-root", 1, [&](char* const* v) { return bool(root = v[0]); }},
                           {"--script", 1, [&](char* const* v) { return bool(scriptFile = v[0]); }}},
                          [&](FILE* to) { usage(name, to); }};
  if (std::optional<int> code = readCommandLine(argc, argv, line)) return *code;

  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(nullptr, std::fclose);
  if (scriptFile) {
    file.reset(std::fopen(scriptFile->c_str(), "r"));
    if (!file) {
      std::fprintf(stderr, "%s: cannot read the script %s\n", name.c_str(), scriptFile->c_str());
      return 2;
    }
  }
  script::Reader reader(file ? file.get() : stdin);
  script::Prelude prelude;
  if (std::string error = script::readPrelude(reader, prelude); !error.empty()) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
    return 2;
  }

  std::error_code ec;
  if (root) {
    std::filesystem::create_directories(*root, ec);
    if (ec || !std::filesystem::is_directory(*root, ec)) {
      std::fprintf(stderr, "%s: cannot use %s as the device root\n", name.c_str(), root->string().c_str());
      return 2;
    }
    prelude.config.root = *root;
  } else {
    temporaryRoot() = makeTemporaryFolder(std::string(module.name) + "-device-");
    if (temporaryRoot().empty()) {
      std::fprintf(stderr, "%s: cannot make a temporary device root\n", name.c_str());
      return 2;
    }
    prelude.config.root = temporaryRoot();
  }
  if (std::string fault = deviceFault(); !fault.empty()) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), fault.c_str());
    removeTemporaryRoot();
    return 1;
  }

  HeadlessHost host(reader, std::move(prelude));
  int code = host.run(entry, module);
  removeTemporaryRoot();
  return code;
}

}  // namespace pk
