// Finding a program's window from another process on the same device: each
// main window listens on a per-user local socket named after the device root,
// its class and its title.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include <pocket/basics.h>

#include "system/device.h"
#include "wm/window_internal.h"
#include "wm/wm.h"

namespace pk::wm {
namespace {

// A folder only this user can reach.
std::string socketFolder() {
  if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run) {
    struct stat st{};
    if (stat(run, &st) == 0 && st.st_uid == getuid() && (st.st_mode & 077) == 0) return run;
  }
  std::string dir = "/tmp/" + std::string(programName()) + "-" + std::to_string(getuid());
  mkdir(dir.c_str(), 0700);
  struct stat st{};
  if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) return {};
  chmod(dir.c_str(), 0700);
  return dir;
}

std::string socketPath(std::u16string_view cls, std::u16string_view title) {
  std::string folder = socketFolder();
  if (folder.empty()) return {};
  std::error_code ec;
  auto root = std::filesystem::weakly_canonical(device().config.root, ec);
  std::string key = root.string() + '\n' + utf8(upperAscii(std::u16string(cls))) + '\n' + utf8(title);
  char hash[24];
  snprintf(hash, sizeof hash, "-%016zx.sock", std::hash<std::string>{}(key));
  return folder + "/" + std::string(programName()) + hash;
}

bool fillAddress(sockaddr_un& addr, const std::string& path) {
  if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
  addr = sockaddr_un{};
  addr.sun_family = AF_UNIX;
  std::copy(path.begin(), path.end(), addr.sun_path);
  return true;
}

int connectTo(const std::string& path) {
  sockaddr_un addr;
  if (!fillAddress(addr, path)) return -1;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

class Listener {
 public:
  ~Listener() { stop(); }

  void start(const std::string& path) {
    stop();
    sockaddr_un addr;
    if (!fillAddress(addr, path)) return;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      // A socket left by a process that died without cleaning up.
      int other = errno == EADDRINUSE ? connectTo(path) : -1;
      if (other >= 0 || errno != ECONNREFUSED) {
        if (other >= 0) close(other);
        close(fd);
        return;
      }
      unlink(path.c_str());
      if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return;
      }
    }
    chmod(path.c_str(), 0600);
    if (listen(fd, 4) != 0) {
      close(fd);
      unlink(path.c_str());
      return;
    }
    fd_ = fd;
    path_ = path;
    Host* host = device().host;
    thread_ = std::thread([fd, host] {
      for (;;) {
        int c = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) {
          if (errno == EINTR) continue;
          return;
        }
        char buf[16] = {};
        ssize_t n = read(c, buf, sizeof buf - 1);
        close(c);
        if (n > 0 && std::string(buf, size_t(n)).rfind("raise", 0) == 0 && host) host->raise();
      }
    });
  }

  void stop() {
    if (fd_ < 0) return;
    shutdown(fd_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    close(fd_);
    unlink(path_.c_str());
    fd_ = -1;
  }

 private:
  int fd_ = -1;
  std::string path_;
  std::thread thread_;
};

Listener& listener() {
  static Listener l;
  return l;
}

std::string lastRemotePath;

}  // namespace

bool findNeighbour(std::u16string_view cls, std::u16string_view title) {
  std::string path = socketPath(cls, title);
  int fd = connectTo(path);
  if (fd < 0) return false;
  close(fd);
  lastRemotePath = path;
  return true;
}

bool raiseNeighbour() {
  int fd = connectTo(lastRemotePath);
  if (fd < 0) return false;
  bool ok = write(fd, "raise\n", 6) == 6;
  close(fd);
  return ok;
}

void announceInstance(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w || !w->cls) return;
  listener().start(socketPath(w->cls->name, w->text));
}

void withdrawInstance() { listener().stop(); }

}  // namespace pk::wm

