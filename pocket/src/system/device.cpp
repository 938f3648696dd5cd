// The one virtual device of this process: its host, screen and file system.
#include "system/device.h"
#include "system/hostos.h"

#include <pocket/basics.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <system_error>

namespace fs = std::filesystem;

namespace pk {
namespace {

// The entry of `folder` that names `component` on a case-insensitive device;
// the component itself when there is none yet (a file about to be created).
fs::path matchEntry(const fs::path& folder, const std::string& component) {
  std::error_code ec;
  if (fs::exists(folder / component, ec)) return folder / component;
  std::string want = lowerAscii(component);
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (lowerAscii(name) == want) return it->path();
  }
  return folder / component;
}

// Files are replaced through a hidden temporary beside them (files.cpp); one
// left by a process that died mid-write is garbage once it is old.
void sweepAbandonedWrites(const fs::path& folder) {
  std::error_code ec;
  auto cutoff = fs::file_time_type::clock::now() - std::chrono::minutes(10);
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    std::error_code fileEc;
    if (name.size() < 11 || name[0] != '.' || name.compare(name.size() - 10, 4, ".pk-") != 0) continue;
    if (it->is_regular_file(fileEc) && it->last_write_time(fileEc) < cutoff && !fileEc)
      fs::remove(it->path(), fileEc);
  }
}

// The library's copy_file would link its whole stream and locale machinery into the
// browser build. A copy cut short is removed, never left as a shorter file.
void copyNewFile(const fs::path& from, const fs::path& to) {
  hostos::Error error;
  hostos::File in = hostos::openExisting(from, true, false, error);
  if (in == hostos::kNoFile) return;
  hostos::File out = hostos::createNew(to, false, true, error);
  char buffer[16384];
  for (long long n; out != hostos::kNoFile && !error && (n = hostos::read(in, buffer, sizeof buffer, error)) > 0;)
    hostos::write(out, buffer, size_t(n), error);
  hostos::close(in, false);
  if (out == hostos::kNoFile) return;
  if (hostos::Error closed = hostos::close(out, false); closed && !error) error = closed;
  if (error) hostos::remove(to);
}

void copyShippedFiles(const fs::path& windowsFolder, fs::path shipped) {
  if (shipped.empty()) shipped = shippedDeviceFiles();
  std::error_code ec;
  if (shipped.empty() || !fs::is_directory(shipped, ec)) return;
  for (fs::directory_iterator it(shipped, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code fileEc;
    if (!it->is_regular_file(fileEc)) continue;
    fs::path target = matchEntry(windowsFolder, it->path().filename().string());
    if (fs::exists(target, fileEc)) continue;
    copyNewFile(it->path(), target);
  }
}

}  // namespace

Device& device() {
  static Device d;
  return d;
}

void setUpDevice(Host& host, const DeviceConfig& config, const ModuleImage* module) {
  Device& d = device();
  d.host = &host;
  d.config = config;
  d.hostWidth = std::max(0, config.width);
  d.hostHeight = std::max(0, config.height);
  // Other dpi values have no whole scale: the program runs on the host's pixels as they are.
  d.scale = config.dpi > 96 && config.dpi % 96 == 0 ? config.dpi / 96 : 1;
  if (d.scale > 1) {
    d.config.width = d.hostWidth / d.scale;
    d.config.height = d.hostHeight / d.scale;
    d.config.dpi = 96;
  }
  d.screen = Surface(std::max(0, d.config.width), std::max(0, d.config.height), 0xFFFFFF);
  d.module = module;
  d.screenChanged = true;
  d.soundEnds = 0;
  d.saveFailing = false;
  if (config.root.empty()) return;
  std::error_code ec;
  fs::create_directories(config.root, ec);
  if (ec || !fs::is_directory(config.root, ec)) {
    warn("cannot create the device folder " + config.root.string() + ": " +
         (ec ? ec.message() : std::string("a file is in the way")) + "; nothing will be saved");
    d.config.root.clear();  // a device without files: every open fails quietly
    return;
  }
  fs::path windows = hostPath(u"\\Windows");
  if (windows.empty()) return;
  fs::create_directories(windows, ec);
  sweepAbandonedWrites(windows);
  copyShippedFiles(windows, config.shipped);
}

POINT fromHost(int x, int y) {
  // Rounded down, so a touch left of or above the screen stays off it.
  auto down = [s = std::max(1, device().scale)](int v) { return v >= 0 ? v / s : -((s - 1 - v) / s); };
  return POINT{down(x), down(y)};
}

POINT toHost(POINT p) {
  int s = std::max(1, device().scale);
  return POINT{p.x * s + s / 2, p.y * s + s / 2};
}

fs::path hostPath(std::u16string_view devicePath) {
  const fs::path& root = device().config.root;
  if (root.empty() || devicePath.empty()) return {};
  // The device has no current folder: a name without a leading backslash is
  // taken from the root, as the platform does.
  fs::path out = root;
  size_t at = 0;
  while (at <= devicePath.size()) {
    size_t end = devicePath.find_first_of(u"\\/", at);
    if (end == std::u16string_view::npos) end = devicePath.size();
    std::u16string_view part = devicePath.substr(at, end - at);
    at = end + 1;
    if (part.empty() || part == u".") continue;
    if (part == u"..") return {};
    if (part.find(u'\0') != std::u16string_view::npos || part.find(u':') != std::u16string_view::npos)
      return {};
    out = matchEntry(out, utf8(part));
  }
  return out;
}

std::string_view programName() {
  const ModuleImage* m = device().module;
  return m && m->name && *m->name ? std::string_view(m->name) : std::string_view("program");
}

void warn(std::string_view text) {
  std::string line(programName());
  line += ": ";
  line += text;
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  if (Host* host = device().host) host->trouble(text);
}

void resolved() {
  if (Host* host = device().host) host->trouble({});
}

void note(std::string_view line) {
  if (Host* host = device().host) host->note(line);
}

std::string utf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // a lone surrogate
    }
    if (cp < 0x80) {
      out += char(cp);
    } else if (cp < 0x800) {
      out += char(0xC0 | (cp >> 6));
      out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += char(0xE0 | (cp >> 12));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    } else {
      out += char(0xF0 | (cp >> 18));
      out += char(0x80 | ((cp >> 12) & 0x3F));
      out += char(0x80 | ((cp >> 6) & 0x3F));
      out += char(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

std::u16string utf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  char32_t cp = 0;
  for (size_t i = 0; i < text.size();) {
    if (nextUtf8(text, i, cp))
      appendUtf16(out, cp);
    else
      out += u'\uFFFD';
  }
  return out;
}

fs::path shippedDeviceFiles() {
  std::error_code ec;
  fs::path exe = hostos::executable();
  if (exe.empty()) return {};
  fs::path files = fs::path("share") / programName() / "device" / "Windows";
  for (fs::path folder : {exe.parent_path().parent_path(), exe.parent_path()})
    if (fs::is_directory(folder / files, ec)) return (folder / files).lexically_normal();
  return {};
}

}  // namespace pk
