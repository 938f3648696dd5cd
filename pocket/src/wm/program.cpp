// Running a program on the device, and the programs it may start.
#include <string>

#include <pocket/basics.h>
#include <pocket/host.h>

#include "chrome/shell.h"
#include "gdi/gdi.h"
#include "gdi/text.h"
#include "system/device.h"
#include "system/resource.h"
#include "wm/window_internal.h"
#include "wm/wm.h"

namespace pk {

std::string deviceFault() { return text::requireFaces(); }

void withdrawProgram() { wm::withdrawInstance(); }

int runProgram(Host& host, const DeviceConfig& config, ProgramEntry entry, const ModuleImage& module) {
  if (!deviceFault().empty()) return 1;
  setUpDevice(host, config, &module);
  chrome::startShell();
  WCHAR commandLine[1] = {0};
  int code = entry(instanceOf(module), nullptr, commandLine, SW_SHOW);
  presentIfChanged();
  wm::withdrawInstance();
  gdi::releaseAll();
  return code;
}

}  // namespace pk

namespace {

std::u16string baseName(std::u16string path) {
  size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// The device has one program to start: the help viewer, which shows a page of
// the \Windows folder ("file:NAME.htm") in the desktop's browser.
BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION processInfo) {
  std::u16string app = application ? application : u"";
  std::u16string cmd = commandLine ? commandLine : u"";
  bool started = false;
  if (pk::lowerAscii(baseName(app)) == u"peghelp.exe" && pk::lowerAscii(cmd).rfind(u"file:", 0) == 0) {
    std::u16string page = cmd.substr(5);
    auto file = pk::hostPath(u"\\Windows\\" + baseName(page));
    std::error_code ec;
    if (!file.empty() && std::filesystem::is_regular_file(file, ec) && pk::device().host)
      started = pk::device().host->openDocument(file);
  }
  pk::note("process \"" + pk::utf8(app) + "\" \"" + pk::utf8(cmd) + "\" -> " + (started ? "1" : "0"));
  if (processInfo) *processInfo = PROCESS_INFORMATION{};
  return started ? TRUE : FALSE;
}
