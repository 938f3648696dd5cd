// Finding programs on a POSIX machine: each announced window listens on a local socket
// named after its key, in a folder only this user can reach.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "system/hostos.h"

namespace pk::hostos {
namespace {

std::string socketFolder(const std::string& program) {
  if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run) {
    struct stat st{};
    if (stat(run, &st) == 0 && st.st_uid == getuid() && (st.st_mode & 077) == 0) return run;
  }
  std::string dir = "/tmp/" + program + "-" + std::to_string(getuid());
  mkdir(dir.c_str(), 0700);
  struct stat st{};
  if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid()) return {};
  chmod(dir.c_str(), 0700);
  return dir;
}

std::string socketPath(const std::string& program, const std::string& key) {
  std::string folder = socketFolder(program);
  if (folder.empty()) return {};
  char hash[24];
  snprintf(hash, sizeof hash, "-%016zx.sock", std::hash<std::string>{}(key));
  return folder + "/" + program + hash;
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
    ::close(fd);
    return -1;
  }
  return fd;
}

class Listener {
 public:
  ~Listener() { stop(); }

  void start(const std::string& path, std::function<void()> raise) {
    stop();
    sockaddr_un addr;
    if (!fillAddress(addr, path)) return;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      // A socket left by a process that died without cleaning up.
      int other = errno == EADDRINUSE ? connectTo(path) : -1;
      if (other >= 0 || errno != ECONNREFUSED) {
        if (other >= 0) ::close(other);
        ::close(fd);
        return;
      }
      unlink(path.c_str());
      if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return;
      }
    }
    chmod(path.c_str(), 0600);
    if (listen(fd, 4) != 0) {
      ::close(fd);
      unlink(path.c_str());
      return;
    }
    fd_ = fd;
    path_ = path;
    thread_ = std::thread([fd, raise = std::move(raise)] {
      for (;;) {
        int c = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) {
          if (errno == EINTR) continue;
          return;
        }
        char buf[16] = {};
        ssize_t n = ::read(c, buf, sizeof buf - 1);
        ::close(c);
        if (n > 0 && std::string(buf, size_t(n)).rfind("raise", 0) == 0 && raise) raise();
      }
    });
  }

  void stop() {
    if (fd_ < 0) return;
    shutdown(fd_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    ::close(fd_);
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

std::string lastFoundPath;

}  // namespace

bool findAnnounced(const std::string& program, const std::string& key) {
  std::string path = socketPath(program, key);
  int fd = connectTo(path);
  if (fd < 0) return false;
  ::close(fd);
  lastFoundPath = path;
  return true;
}

bool raiseAnnounced() {
  int fd = connectTo(lastFoundPath);
  if (fd < 0) return false;
  bool ok = ::write(fd, "raise\n", 6) == 6;
  ::close(fd);
  return ok;
}

void announce(const std::string& program, const std::string& key, std::function<void()> raise) {
  listener().start(socketPath(program, key), std::move(raise));
}

void withdraw() { listener().stop(); }

}  // namespace pk::hostos
