// Files of the device, kept below the device's root folder on the host.
//
// A file created with CREATE_ALWAYS or TRUNCATE_EXISTING is written to a
// temporary file beside it and renamed over the old one when its handle is
// closed, so a crash or power cut leaves either the old file or the new one,
// never half of one.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <memory>
#include <string>

#include <windows.h>

#include "device.h"

namespace fs = std::filesystem;

namespace {

class OpenFile {
 public:
  OpenFile(int fd, std::string path, DWORD access, DWORD share, std::string temp)
      : fd_(fd), path_(std::move(path)), access_(access), share_(share), temp_(std::move(temp)) {}
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  // A handle that is never closed leaves the old file as it was.
  ~OpenFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
  }

  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  DWORD access() const { return access_; }
  DWORD share() const { return share_; }

  // Makes the written file the file of its name; false leaves the old one.
  bool commit() {
    bool ok = true;
    if (!temp_.empty()) ok = ::fsync(fd_) == 0;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    if (temp_.empty()) return ok;
    if (ok) ok = ::rename(temp_.c_str(), path_.c_str()) == 0;
    if (!ok) {
      ::unlink(temp_.c_str());
    } else {
      std::string folder = fs::path(path_).parent_path().string();
      int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
      }
    }
    temp_.clear();
    return ok;
  }

 private:
  int fd_;
  std::string path_;
  DWORD access_;
  DWORD share_;
  std::string temp_;
};

constexpr DWORD kDataAccess = GENERIC_READ | GENERIC_WRITE;

struct HandleTable {
  std::map<uintptr_t, std::unique_ptr<OpenFile>> files;
  uintptr_t next = 0x1000;

  OpenFile* find(HANDLE h) {
    auto it = files.find(reinterpret_cast<uintptr_t>(h));
    return it == files.end() ? nullptr : it->second.get();
  }
  HANDLE add(std::unique_ptr<OpenFile> f) {
    uintptr_t h = next;
    next += 4;
    files.emplace(h, std::move(f));
    return reinterpret_cast<HANDLE>(h);
  }
  // Another handle on the same file must allow what this one wants, and this
  // one must allow what the others already do.
  bool sharingAllows(const std::string& path, DWORD access, DWORD share) {
    for (auto& [h, f] : files) {
      if (f->path() != path) continue;
      if ((access & kDataAccess & ~shareToAccess(f->share())) != 0) return false;
      if ((f->access() & kDataAccess & ~shareToAccess(share)) != 0) return false;
    }
    return true;
  }
  static DWORD shareToAccess(DWORD share) {
    return ((share & FILE_SHARE_READ) ? DWORD(GENERIC_READ) : 0) |
           ((share & FILE_SHARE_WRITE) ? DWORD(GENERIC_WRITE) : 0);
  }
};

HandleTable& table() {
  static HandleTable t;
  return t;
}

// A temporary file beside `path`, open for writing (and reading when asked).
int makeTemp(const std::string& path, std::string& tempPath) {
  fs::path p(path);
  // Built by appending: GCC 12 at -O2 warns falsely (-Wrestrict) on "." + std::string.
  std::string name = ".";
  name += p.filename().string();
  name += ".pk-XXXXXX";
  std::string pattern = (p.parent_path() / name).string();
  int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  tempPath = pattern;
  struct stat st{};
  // Keep the old file's permissions; a new file gets the usual ones.
  ::fchmod(fd, ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
  return fd;
}

}  // namespace

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD,
                   HANDLE) {
  if (!name) return INVALID_HANDLE_VALUE;
  fs::path hostFile = pk::hostPath(name);
  if (hostFile.empty()) return INVALID_HANDLE_VALUE;
  std::string path = hostFile.lexically_normal().string();
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return INVALID_HANDLE_VALUE;
  if (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE)) return INVALID_HANDLE_VALUE;

  struct stat st{};
  bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return INVALID_HANDLE_VALUE;
  if (!exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)) return INVALID_HANDLE_VALUE;
  if (exists && disposition == CREATE_NEW) return INVALID_HANDLE_VALUE;
  if (!table().sharingAllows(path, access, share)) return INVALID_HANDLE_VALUE;

  bool reading = access & GENERIC_READ, writing = access & GENERIC_WRITE;
  int mode = reading && writing ? O_RDWR : writing ? O_WRONLY : O_RDONLY;
  int fd = -1;
  std::string temp;
  bool replace = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  if (replace) {
    struct stat folder{};
    if (::stat(hostFile.parent_path().c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
      return INVALID_HANDLE_VALUE;
    fd = makeTemp(path, temp);
    // A file that will hold nothing still needs read access through this handle.
    if (fd >= 0 && !writing) {
      int again = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
      ::close(fd);
      fd = again;
      if (fd < 0) ::unlink(temp.c_str());
    }
  } else if (exists) {
    fd = ::open(path.c_str(), mode | O_CLOEXEC);
  } else {
    fd = ::open(path.c_str(), mode | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  }
  if (fd < 0) return INVALID_HANDLE_VALUE;
  return table().add(std::make_unique<OpenFile>(fd, path, access, share, temp));
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
  if (read) *read = 0;
  OpenFile* f = table().find(file);
  if (!f || !(f->access() & GENERIC_READ) || (!buffer && toRead)) return FALSE;
  auto out = static_cast<unsigned char*>(buffer);
  DWORD done = 0;
  while (done < toRead) {
    ssize_t n = ::read(f->fd(), out + done, toRead - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (read) *read = done;
      return FALSE;
    }
    if (n == 0) break;  // the end: what was read counts, and the call succeeds
    done += DWORD(n);
  }
  if (read) *read = done;
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
  if (written) *written = 0;
  OpenFile* f = table().find(file);
  if (!f || !(f->access() & GENERIC_WRITE) || (!buffer && toWrite)) return FALSE;
  auto in = static_cast<const unsigned char*>(buffer);
  DWORD done = 0;
  while (done < toWrite) {
    ssize_t n = ::write(f->fd(), in + done, toWrite - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (written) *written = done;
      return FALSE;
    }
    done += DWORD(n);
  }
  if (written) *written = done;
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  auto& files = table().files;
  auto it = files.find(reinterpret_cast<uintptr_t>(handle));
  if (it == files.end()) return FALSE;
  std::unique_ptr<OpenFile> f = std::move(it->second);
  files.erase(it);
  if (!f->commit()) return FALSE;
  if ((f->access() & GENERIC_WRITE) && pk::device().host) pk::device().host->filesChanged();
  return TRUE;
}
