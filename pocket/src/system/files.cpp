// Files of the device, kept below the device's root folder on the host.
//
// A file created with CREATE_ALWAYS or TRUNCATE_EXISTING is written to a
// temporary file beside it and renamed over the old one when its handle is
// closed, and only when every write, the flush and the rename succeeded: a
// crash, a power cut or a full disk leaves the old file, never half of one.
#include <map>
#include <memory>
#include <string>

#include <windows.h>

#include "system/device.h"
#include "system/hostos.h"

namespace fs = std::filesystem;
namespace os = pk::hostos;

namespace {

DWORD lastError = 0;

DWORD errorFor(const os::Error& e, DWORD otherwise) {
  switch (e.fault) {
    case os::Fault::DiskFull: return ERROR_DISK_FULL;
    case os::Fault::Denied: return ERROR_ACCESS_DENIED;
    case os::Fault::NotFound: return ERROR_FILE_NOT_FOUND;
    case os::Fault::NoFolder: return ERROR_PATH_NOT_FOUND;
    case os::Fault::Exists: return ERROR_FILE_EXISTS;
    case os::Fault::Sharing: return ERROR_SHARING_VIOLATION;
    default: return otherwise;
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
void noteSave(const fs::path& path, const os::Error& error) {
  bool& failing = pk::device().saveFailing;
  if (!error) {
    if (failing) pk::resolved();
    failing = false;
  } else if (!failing) {
    failing = true;
    pk::warn("cannot save " + path.string() + ": " + error.text + "; the last saved game is kept");
  }
}

class OpenFile {
 public:
  OpenFile(os::File file, fs::path path, DWORD access, DWORD share, fs::path temp)
      : file_(file), path_(std::move(path)), access_(access), share_(share), temp_(std::move(temp)) {}
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  // A handle that is never closed leaves the old file as it was.
  ~OpenFile() {
    if (file_ != os::kNoFile) os::close(file_, false);
    if (!temp_.empty()) os::remove(temp_);
  }

  os::File file() const { return file_; }
  const fs::path& path() const { return path_; }
  DWORD access() const { return access_; }
  DWORD share() const { return share_; }
  // The first write that failed spoils the replacement: it is never committed.
  void writeFailed(const os::Error& error) {
    if (!writeError_) writeError_ = error;
  }

  // Makes the written file the file of its name; a failure leaves the old one exactly
  // as it was.
  os::Error commit() {
    os::Error error = writeError_;
    os::Error closed = os::close(file_, !temp_.empty() && !error);
    if (!error) error = closed;
    file_ = os::kNoFile;
    if (temp_.empty()) return error;
    if (!error) error = os::replace(temp_, path_);
    if (error) os::remove(temp_);
    temp_.clear();
    noteSave(path_, error);
    return error;
  }

 private:
  os::File file_;
  fs::path path_;
  DWORD access_;
  DWORD share_;
  fs::path temp_;
  os::Error writeError_;
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
  bool sharingAllows(const fs::path& path, DWORD access, DWORD share) {
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

}  // namespace

DWORD GetLastError() { return lastError; }

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD,
                   HANDLE) {
  if (!name) return failOpen(ERROR_INVALID_PARAMETER);
  fs::path hostFile = pk::hostPath(name);
  if (hostFile.empty()) return failOpen(ERROR_PATH_NOT_FOUND);
  fs::path path = hostFile.lexically_normal();
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return failOpen(ERROR_INVALID_PARAMETER);
  if (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE)) return failOpen(ERROR_INVALID_PARAMETER);
  bool replace = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  // A replacement that cannot even start is a failed save like any other.
  auto failReplace = [&](const os::Error& error) {
    noteSave(path, error);
    return failOpen(errorFor(error, ERROR_WRITE_FAULT));
  };

  os::Kind kind = os::kind(path);
  bool exists = kind != os::Kind::None;
  if (exists && kind != os::Kind::Regular)
    return replace ? failReplace({os::Fault::Denied, "not a file"}) : failOpen(ERROR_ACCESS_DENIED);
  if (!exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING))
    return failOpen(ERROR_FILE_NOT_FOUND);
  if (exists && disposition == CREATE_NEW) return failOpen(ERROR_FILE_EXISTS);
  if (!table().sharingAllows(path, access, share)) return failOpen(ERROR_SHARING_VIOLATION);

  bool reading = access & GENERIC_READ, writing = access & GENERIC_WRITE;
  os::Error error;
  os::File file = os::kNoFile;
  fs::path temp;
  if (replace) {
    if (os::kind(hostFile.parent_path()) != os::Kind::Folder)
      return failReplace({os::Fault::NotFound, "no folder " + hostFile.parent_path().string()});
    file = os::createReplacement(path, temp, reading, writing, error);
    if (file == os::kNoFile) return failReplace(error);
  } else {
    file = exists ? os::openExisting(path, reading, writing, error) : os::createNew(path, reading, writing, error);
    if (file == os::kNoFile) return failOpen(errorFor(error, ERROR_ACCESS_DENIED));
  }
  // Success still tells the caller whether a file of that name was already there.
  bool existed = exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
  lastError = existed ? ERROR_ALREADY_EXISTS : 0;
  return table().add(std::make_unique<OpenFile>(file, path, access, share, temp));
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
    os::Error error;
    long long n = os::read(f->file(), out + done, toRead - done, error);
    if (n < 0) {
      if (read) *read = done;
      return fail(errorFor(error, ERROR_READ_FAULT));
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
  os::Error error;
  size_t done = os::write(f->file(), buffer, toWrite, error);
  if (written) *written = DWORD(done);
  if (error) {
    f->writeFailed(error);
    return fail(errorFor(error, ERROR_WRITE_FAULT));
  }
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  auto& files = table().files;
  auto it = files.find(reinterpret_cast<uintptr_t>(handle));
  if (it == files.end()) return fail(ERROR_INVALID_HANDLE);
  std::unique_ptr<OpenFile> f = std::move(it->second);
  files.erase(it);
  if (os::Error error = f->commit()) return fail(errorFor(error, ERROR_WRITE_FAULT));
  if ((f->access() & GENERIC_WRITE) && pk::device().host) pk::device().host->filesChanged();
  return TRUE;
}
