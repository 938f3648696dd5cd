// Files of the device, kept below the device's root folder on the host.
//
// A file created with CREATE_ALWAYS or TRUNCATE_EXISTING is written to a
// temporary file beside it and renamed over the old one when its handle is
// closed, and only when every write, the flush and the rename succeeded: a
// crash, a power cut or a full disk leaves the old file, never half of one.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include <windows.h>

#include "system/device.h"

namespace fs = std::filesystem;

namespace {

DWORD lastError = 0;

DWORD errorFor(int e, DWORD otherwise) {
  switch (e) {
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    default:
      return otherwise;
  }
}

BOOL fail(DWORD error) {
  lastError = error;
  return FALSE;
}

HANDLE failOpen(DWORD error) {
  lastError = error;
  return INVALID_HANDLE_VALUE;
}

// The program is not told when a save fails (it would only ignore it), so the
// person is, once, and again only after a save has succeeded in between.
void noteSave(const std::string& path, int error) {
  static bool failing = false;
  if (error == 0) {
    failing = false;
  } else if (!failing) {
    failing = true;
    pk::warn("cannot save " + path + ": " + std::strerror(error) + "; the last saved game is kept");
  }
}

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
  // The first write that failed spoils the replacement: it is never committed.
  void writeFailed(int error) {
    if (!writeError_) writeError_ = error;
  }

  // Makes the written file the file of its name; false (with the reason in
  // errno) leaves the old one exactly as it was.
  bool commit() {
    int error = writeError_;
    if (!temp_.empty() && !error && ::fsync(fd_) != 0) error = errno;
    if (::close(fd_) != 0 && !error) error = errno;
    fd_ = -1;
    if (temp_.empty()) return finish(error);
    if (!error && ::rename(temp_.c_str(), path_.c_str()) != 0) error = errno;
    if (error) {
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
    noteSave(path_, error);
    return finish(error);
  }

 private:
  static bool finish(int error) {
    errno = error;
    return error == 0;
  }

  int fd_;
  std::string path_;
  DWORD access_;
  DWORD share_;
  std::string temp_;
  int writeError_ = 0;
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

// Opens what is there now, and only a regular file: checking before opening
// would let a folder or a pipe slip in between (and a pipe would block).
int openRegular(const std::string& path, int mode) {
  int fd = ::open(path.c_str(), mode | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EACCES;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

}  // namespace

DWORD GetLastError() { return lastError; }

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD,
                   HANDLE) {
  if (!name) return failOpen(ERROR_INVALID_PARAMETER);
  fs::path hostFile = pk::hostPath(name);
  if (hostFile.empty()) return failOpen(ERROR_PATH_NOT_FOUND);
  std::string path = hostFile.lexically_normal().string();
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return failOpen(ERROR_INVALID_PARAMETER);
  if (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE)) return failOpen(ERROR_INVALID_PARAMETER);
  bool replace = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  // A replacement that cannot even start is a failed save like any other.
  auto failReplace = [&](int error) {
    noteSave(path, error);
    return failOpen(errorFor(error, ERROR_WRITE_FAULT));
  };

  struct stat st{};
  bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return replace ? failReplace(EISDIR) : failOpen(ERROR_ACCESS_DENIED);
  if (!exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING))
    return failOpen(errorFor(errno, ERROR_FILE_NOT_FOUND));
  if (exists && disposition == CREATE_NEW) return failOpen(ERROR_FILE_EXISTS);
  if (!table().sharingAllows(path, access, share)) return failOpen(ERROR_SHARING_VIOLATION);

  bool reading = access & GENERIC_READ, writing = access & GENERIC_WRITE;
  int mode = reading && writing ? O_RDWR : writing ? O_WRONLY : O_RDONLY;
  int fd = -1;
  std::string temp;
  if (replace) {
    struct stat folder{};
    if (::stat(hostFile.parent_path().c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode))
      return failReplace(ENOENT);
    fd = makeTemp(path, temp);
    if (fd < 0) return failReplace(errno);
    // A file that will hold nothing still needs read access through this handle.
    if (!writing) {
      int again = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
      int error = errno;
      ::close(fd);
      fd = again;
      if (fd < 0) {
        ::unlink(temp.c_str());
        return failReplace(error);
      }
    }
  } else {
    fd = exists ? openRegular(path, mode) : ::open(path.c_str(), mode | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return failOpen(errorFor(errno, ERROR_ACCESS_DENIED));
  }
  lastError = 0;
  return table().add(std::make_unique<OpenFile>(fd, path, access, share, temp));
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
  if (read) *read = 0;
  OpenFile* f = table().find(file);
  if (!f) return fail(ERROR_INVALID_HANDLE);
  if (!(f->access() & GENERIC_READ)) return fail(ERROR_ACCESS_DENIED);
  if (!buffer && toRead) return fail(ERROR_INVALID_PARAMETER);
  auto out = static_cast<unsigned char*>(buffer);
  DWORD done = 0;
  while (done < toRead) {
    ssize_t n = ::read(f->fd(), out + done, toRead - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (read) *read = done;
      return fail(errorFor(errno, ERROR_READ_FAULT));
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
  if (!f) return fail(ERROR_INVALID_HANDLE);
  if (!(f->access() & GENERIC_WRITE)) return fail(ERROR_ACCESS_DENIED);
  if (!buffer && toWrite) return fail(ERROR_INVALID_PARAMETER);
  auto in = static_cast<const unsigned char*>(buffer);
  DWORD done = 0;
  while (done < toWrite) {
    ssize_t n = ::write(f->fd(), in + done, toWrite - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int error = n < 0 ? errno : EIO;
      f->writeFailed(error);
      if (written) *written = done;
      return fail(errorFor(error, ERROR_WRITE_FAULT));
    }
    done += DWORD(n);
  }
  if (written) *written = done;
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  auto& files = table().files;
  auto it = files.find(reinterpret_cast<uintptr_t>(handle));
  if (it == files.end()) return fail(ERROR_INVALID_HANDLE);
  std::unique_ptr<OpenFile> f = std::move(it->second);
  files.erase(it);
  if (!f->commit()) return fail(errorFor(errno, ERROR_WRITE_FAULT));
  if ((f->access() & GENERIC_WRITE) && pk::device().host) pk::device().host->filesChanged();
  return TRUE;
}
