// The device's files and the finding of other programs on Windows: file handles, flushed
// and moved over the old file in one step; a named mutex per announced window, in this
// session's namespace, named with the user's SID and open to that user alone.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <atomic>
#include <thread>
#include <vector>

#include "system/hostos.h"

namespace fs = std::filesystem;

namespace pk::hostos {
namespace {

std::string narrow(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring wide(const std::string& text) {
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring out(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n);
  return out;
}

Error errorOf(DWORD code) {
  if (code == ERROR_SUCCESS) return {};
  Fault f = Fault::Other;
  switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: f = Fault::DiskFull; break;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: f = Fault::Denied; break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: f = Fault::Sharing; break;
    case ERROR_FILE_NOT_FOUND: f = Fault::NotFound; break;
    case ERROR_PATH_NOT_FOUND: f = Fault::NoFolder; break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: f = Fault::Exists; break;
    default: break;
  }
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring words = n && text ? std::wstring(text, n) : L"error " + std::to_wstring(code);
  if (text) LocalFree(text);
  while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L'.' ||
                            words.back() == L' '))
    words.pop_back();
  return Error{f, narrow(words)};
}

Error lastError() { return errorOf(GetLastError()); }

DWORD accessOf(bool read, bool write) { return (read ? GENERIC_READ : 0) | (write ? GENERIC_WRITE : 0); }

File open(const fs::path& path, bool read, bool write, DWORD disposition, Error& error) {
  HANDLE h = CreateFileW(path.c_str(), accessOf(read, write), FILE_SHARE_READ, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    error = lastError();
    return kNoFile;
  }
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    error = errorOf(ERROR_ACCESS_DENIED);
    return kNoFile;
  }
  return reinterpret_cast<File>(h);
}

HANDLE handleOf(File file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

Kind kind(const fs::path& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return Kind::None;
  if (a & FILE_ATTRIBUTE_DIRECTORY) return Kind::Folder;
  return a & (FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT) ? Kind::Other : Kind::Regular;
}

File openExisting(const fs::path& path, bool read, bool write, Error& error) {
  return open(path, read, write, OPEN_EXISTING, error);
}

File createNew(const fs::path& path, bool read, bool write, Error& error) {
  return open(path, read, write, CREATE_NEW, error);
}

File createReplacement(const fs::path& path, fs::path& temp, bool read, bool write, Error& error) {
  static std::atomic<unsigned> counter{0};
  const char* digits = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    uint64_t seed = GetTickCount64() * 1000003u + GetCurrentProcessId() * 7919u + counter++;
    std::wstring name = L"." + path.filename().wstring() + L".pk-";
    for (int i = 0; i < 6; ++i, seed /= 36) name += wchar_t(digits[seed % 36]);
    fs::path candidate = path.parent_path() / name;
    Error e;
    // Read access too: a file that will hold nothing still needs it through its handle.
    File f = open(candidate, true, write || !read, CREATE_NEW, e);
    if (f != kNoFile) {
      temp = candidate;
      return f;
    }
    if (e.fault != Fault::Exists) {
      error = e;
      return kNoFile;
    }
  }
  error = errorOf(ERROR_FILE_EXISTS);
  return kNoFile;
}

long long read(File file, void* buffer, size_t size, Error& error) {
  DWORD n = 0;
  if (!ReadFile(handleOf(file), buffer, DWORD(size), &n, nullptr)) {
    error = lastError();
    return -1;
  }
  return n;
}

size_t write(File file, const void* buffer, size_t size, Error& error) {
  auto in = static_cast<const unsigned char*>(buffer);
  size_t done = 0;
  while (done < size) {
    DWORD n = 0;
    if (!WriteFile(handleOf(file), in + done, DWORD(size - done), &n, nullptr) || n == 0) {
      error = n == 0 && GetLastError() == ERROR_SUCCESS ? errorOf(ERROR_WRITE_FAULT) : lastError();
      break;
    }
    done += n;
  }
  return done;
}

Error close(File file, bool flush) {
  Error error;
  if (flush && !FlushFileBuffers(handleOf(file))) error = lastError();
  if (!CloseHandle(handleOf(file)) && !error) error = lastError();
  return error;
}

Error replace(const fs::path& temp, const fs::path& path) {
  DWORD old = GetFileAttributesW(path.c_str());
  if (old != INVALID_FILE_ATTRIBUTES) {
    // A read-only file is one its owner wants kept as it is.
    if (old & FILE_ATTRIBUTE_READONLY) return errorOf(ERROR_ACCESS_DENIED);
    // Asked first, as the move itself may not: another program (a backup tool, a virus
    // scanner) that holds the file open without sharing keeps it as it is.
    HANDLE h = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return lastError();
    CloseHandle(h);
  }
  if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return lastError();
  return {};
}

void remove(const fs::path& path) { DeleteFileW(path.c_str()); }

fs::path executable() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, name.data(), DWORD(name.size()));
    if (n == 0) return {};
    if (n < name.size()) return fs::path(name.substr(0, n));
    name.resize(name.size() * 2);
  }
}

// Announced programs.
namespace {

// This user's SID, the owner of every object here and the only one let in.
struct User {
  std::vector<unsigned char> sid;
  std::wstring text;
};

const User& user() {
  static User u = [] {
    User out;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return out;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
      PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
      out.sid.assign(static_cast<unsigned char*>(sid), static_cast<unsigned char*>(sid) + GetLengthSid(sid));
      wchar_t* text = nullptr;
      if (ConvertSidToStringSidW(sid, &text)) {
        out.text = text;
        LocalFree(text);
      }
    }
    CloseHandle(token);
    return out;
  }();
  return u;
}

// "Local\<program>-<SID>-<hash of the key>": this session only, this user's name.
std::wstring objectName(const std::string& program, const std::string& key, const wchar_t* suffix) {
  if (user().text.empty()) return {};
  wchar_t hash[24];
  swprintf(hash, 24, L"-%016llx", static_cast<unsigned long long>(std::hash<std::string>{}(key)));
  return L"Local\\" + wide(program) + L"-" + user().text + hash + suffix;
}

// Whether an object someone made under our name is really ours: another user could make
// one first, open to us, to be told of our windows.
bool ownedByUser(HANDLE h) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (GetSecurityInfo(h, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr, &sd) !=
      ERROR_SUCCESS)
    return false;
  bool mine = owner && !user().sid.empty() && EqualSid(owner, PSID(user().sid.data()));
  LocalFree(sd);
  return mine;
}

// A security descriptor whose list lets this user alone in.
class UserOnly {
 public:
  UserOnly() {
    if (user().sid.empty()) return;
    PSID sid = PSID(const_cast<unsigned char*>(user().sid.data()));
    acl_.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid));
    auto acl = reinterpret_cast<ACL*>(acl_.data());
    ok_ = InitializeSecurityDescriptor(&sd_, SECURITY_DESCRIPTOR_REVISION) &&
          InitializeAcl(acl, DWORD(acl_.size()), ACL_REVISION) &&
          AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, sid) && SetSecurityDescriptorDacl(&sd_, TRUE, acl, FALSE) &&
          SetSecurityDescriptorOwner(&sd_, sid, FALSE);
    attributes_ = SECURITY_ATTRIBUTES{sizeof(SECURITY_ATTRIBUTES), &sd_, FALSE};
  }
  SECURITY_ATTRIBUTES* attributes() { return ok_ ? &attributes_ : nullptr; }

 private:
  std::vector<unsigned char> acl_;
  SECURITY_DESCRIPTOR sd_{};
  SECURITY_ATTRIBUTES attributes_{};
  bool ok_ = false;
};

class Announcement {
 public:
  ~Announcement() { stop(); }

  void start(const std::wstring& mutexName, const std::wstring& eventName, std::function<void()> raise) {
    stop();
    UserOnly security;
    if (mutexName.empty() || !security.attributes()) return;
    mutex_ = CreateMutexW(security.attributes(), FALSE, mutexName.c_str());
    // Someone else's object under this name: this window stays unannounced.
    if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS && !ownedByUser(mutex_)) stop();
    if (!mutex_) return;
    event_ = CreateEventW(security.attributes(), FALSE, FALSE, eventName.c_str());
    stopping_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!event_ || !stopping_ || !ownedByUser(event_)) {
      stop();
      return;
    }
    thread_ = std::thread([this, raise = std::move(raise)] {
      HANDLE both[2] = {stopping_, event_};
      while (WaitForMultipleObjects(2, both, FALSE, INFINITE) == WAIT_OBJECT_0 + 1)
        if (raise) raise();
    });
  }

  void stop() {
    if (stopping_) SetEvent(stopping_);
    if (thread_.joinable()) thread_.join();
    for (HANDLE* h : {&mutex_, &event_, &stopping_}) {
      if (*h) CloseHandle(*h);
      *h = nullptr;
    }
  }

 private:
  HANDLE mutex_ = nullptr;
  HANDLE event_ = nullptr;
  HANDLE stopping_ = nullptr;
  std::thread thread_;
};

Announcement& announcement() {
  static Announcement a;
  return a;
}

std::wstring lastFoundEvent;

}  // namespace

bool findAnnounced(const std::string& program, const std::string& key) {
  std::wstring name = objectName(program, key, L"");
  if (name.empty()) return false;
  HANDLE h = OpenMutexW(SYNCHRONIZE | READ_CONTROL, FALSE, name.c_str());
  if (!h) return false;
  bool mine = ownedByUser(h);
  CloseHandle(h);
  if (mine) lastFoundEvent = objectName(program, key, L"-raise");
  return mine;
}

bool raiseAnnounced() {
  HANDLE h = lastFoundEvent.empty() ? nullptr : OpenEventW(EVENT_MODIFY_STATE | READ_CONTROL, FALSE, lastFoundEvent.c_str());
  if (!h) return false;
  // The person started this process: it may hand the front to the one it wakes.
  AllowSetForegroundWindow(ASFW_ANY);
  bool ok = ownedByUser(h) && SetEvent(h);
  CloseHandle(h);
  return ok;
}

void announce(const std::string& program, const std::string& key, std::function<void()> raise) {
  announcement().start(objectName(program, key, L""), objectName(program, key, L"-raise"), std::move(raise));
}

void withdraw() { announcement().stop(); }

}  // namespace pk::hostos
