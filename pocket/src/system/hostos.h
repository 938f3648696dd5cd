// The host machine's own calls that the device's files and the finding of other
// programs rest on: POSIX (hostos_posix.cpp) or Win32 (hostos_win32.cpp), one of them
// linked. Nothing here sees the platform the programs see (its windows.h): the Win32 side
// includes the machine's own. Failures come back as what the device makes of them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace pk::hostos {

enum class Fault { None, DiskFull, Denied, NotFound, NoFolder, Exists, Sharing, Other };

struct Error {
  Fault fault = Fault::None;
  std::string text;  // the machine's own words, for people
  explicit operator bool() const { return fault != Fault::None; }
};

using File = intptr_t;
constexpr File kNoFile = -1;

enum class Kind { None, Regular, Folder, Other };
Kind kind(const std::filesystem::path& path);

// Opens what is there now, and only a regular file (a folder or a pipe fails as Denied).
File openExisting(const std::filesystem::path& path, bool read, bool write, Error& error);
File createNew(const std::filesystem::path& path, bool read, bool write, Error& error);
// A new hidden file beside `path` (".NAME.pk-" and six characters) that will replace it,
// with the permissions of the file at `path` when there is one.
File createReplacement(const std::filesystem::path& path, std::filesystem::path& temp, bool read, bool write,
                       Error& error);
// Bytes read (0 at the end), or -1.
long long read(File file, void* buffer, size_t size, Error& error);
// Bytes written before a failure, or all of them.
size_t write(File file, const void* buffer, size_t size, Error& error);
// With `flush`, the bytes reach the disk before the call returns.
Error close(File file, bool flush);
// `temp` becomes the file `path`, all at once and on the disk; on failure `path` is as it was.
Error replace(const std::filesystem::path& temp, const std::filesystem::path& path);
void remove(const std::filesystem::path& path);

// This process's program file.
std::filesystem::path executable();

// A program of this user that announces itself under a key (a device, a window class and a
// title) can be found, and asked to come to the front, by another process of the same user
// and no one else's.
bool findAnnounced(const std::string& program, const std::string& key);
// Asks the one found last to come to the front; false when it is gone.
bool raiseAnnounced();
// Announces this process under `key` until withdrawn; `raise` is called, on another thread,
// whenever another process asks.
void announce(const std::string& program, const std::string& key, std::function<void()> raise);
void withdraw();

}  // namespace pk::hostos
