// The device's files on a POSIX machine: file descriptors, flushed and renamed.
#include "system/hostos.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace fs = std::filesystem;

namespace pk::hostos {
namespace {

Error errorOf(int e) {
  Fault f = Fault::Other;
  switch (e) {
    case 0: return {};
    case ENOSPC:
    case EFBIG:
    case EDQUOT: f = Fault::DiskFull; break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: f = Fault::Denied; break;
    case ENOENT: f = Fault::NotFound; break;
    case ENOTDIR: f = Fault::NoFolder; break;
    case EEXIST: f = Fault::Exists; break;
    default: break;
  }
  return Error{f, std::strerror(e)};
}

int flags(bool read, bool write) { return read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY; }

}  // namespace

Kind kind(const fs::path& path) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return Kind::None;
  return S_ISREG(st.st_mode) ? Kind::Regular : S_ISDIR(st.st_mode) ? Kind::Folder : Kind::Other;
}

File openExisting(const fs::path& path, bool read, bool write, Error& error) {
  // Checking before opening would let a folder or a pipe slip in between (and a pipe would block).
  int fd = ::open(path.c_str(), flags(read, write) | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = errorOf(errno);
    return kNoFile;
  }
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    error = errorOf(EACCES);
    return kNoFile;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

File createNew(const fs::path& path, bool read, bool write, Error& error) {
  int fd = ::open(path.c_str(), flags(read, write) | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) error = errorOf(errno);
  return fd < 0 ? kNoFile : fd;
}

File createReplacement(const fs::path& path, fs::path& temp, bool read, bool write, Error& error) {
  // Built by appending: GCC 12 at -O2 warns falsely (-Wrestrict) on "." + std::string.
  std::string name = ".";
  name += path.filename().string();
  name += ".pk-XXXXXX";
  std::string pattern = (path.parent_path() / name).string();
  int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) {
    error = errorOf(errno);
    return kNoFile;
  }
  struct stat st{};
  // Keep the old file's permissions; a new file gets the usual ones.
  ::fchmod(fd, ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
  if (!read || write) {
    temp = pattern;
    return fd;
  }
  // A file that will hold nothing still needs read access through its handle.
  int again = ::open(pattern.c_str(), O_RDONLY | O_CLOEXEC);
  int e = errno;
  ::close(fd);
  if (again < 0) {
    ::unlink(pattern.c_str());
    error = errorOf(e);
    return kNoFile;
  }
  temp = pattern;
  return again;
}

long long read(File file, void* buffer, size_t size, Error& error) {
  for (;;) {
    ssize_t n = ::read(int(file), buffer, size);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    error = errorOf(errno);
    return -1;
  }
}

size_t write(File file, const void* buffer, size_t size, Error& error) {
  auto in = static_cast<const unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(int(file), in + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = errorOf(n < 0 ? errno : EIO);
      break;
    }
    done += size_t(n);
  }
  return done;
}

Error close(File file, bool flush) {
  int e = flush && ::fsync(int(file)) != 0 ? errno : 0;
  if (::close(int(file)) != 0 && !e) e = errno;
  return errorOf(e);
}

Error replace(const fs::path& temp, const fs::path& path) {
  if (::rename(temp.c_str(), path.c_str()) != 0) return errorOf(errno);
  // The new name reaches the disk too.
  fs::path folder = path.parent_path();
  int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {};
}

void remove(const fs::path& path) { ::unlink(path.c_str()); }

fs::path executable() {
  std::error_code ec;
  return fs::read_symlink("/proc/self/exe", ec);
}

}  // namespace pk::hostos
