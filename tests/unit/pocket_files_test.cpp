// Files on the device: dispositions, sharing, whole-file replacement, bad handles,
// and real faults of the host's disk (a size limit, a read-only folder, a folder in the way).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "pocket_fixture.h"
#include "system/hostos.h"

namespace {

const WCHAR* kState = u"\\Windows\\Fizzorbs.dat";
const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

HANDLE open(const WCHAR* name, DWORD access, DWORD share, DWORD disposition) {
  return CreateFileW(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string readAll(HANDLE h) {
  std::string out;
  char buf[7];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
  return out;
}

bool writeAll(HANDLE h, const std::string& s) {
  DWORD done = 0;
  return WriteFile(h, s.data(), DWORD(s.size()), &done, nullptr) && done == s.size();
}

// An open that cannot be met fails and says why.
bool fails(HANDLE h, DWORD error) { return h == INVALID_HANDLE_VALUE && GetLastError() == error; }

// Runs `body` in a child process, so limits and lowered rights stay there, with its
// standard error in `errFile`; returns what the body found wrong.
std::string inChild(const std::filesystem::path& errFile, const std::function<std::string()>& body) {
  const size_t size = 4096;
  void* shared = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  pid_t child = shared == MAP_FAILED ? -1 : fork();
  if (child < 0) return "no fork";
  if (child == 0) {
    dup2(::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666), 2);
    std::snprintf(static_cast<char*>(shared), size, "%s", body().c_str());
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  std::string wrong = static_cast<char*>(shared);
  munmap(shared, size);
  return WIFEXITED(status) ? wrong : wrong + "the child died";
}

TEST(Files, DispositionsAndPathsWithoutCase) {
  test::TempDevice dev;
  EXPECT_TRUE(fails(open(kState, GENERIC_WRITE, 0, TRUNCATE_EXISTING + 1), ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(fails(open(kState, GENERIC_WRITE, 0, TRUNCATE_EXISTING), ERROR_FILE_NOT_FOUND));
  HANDLE h = open(kState, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_TRUE(h != INVALID_HANDLE_VALUE && GetLastError() == 0);  // a new file: no error left from the failures before
  EXPECT_TRUE(writeAll(h, "first"));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_TRUE(fails(open(kState, GENERIC_WRITE, 0, CREATE_NEW), ERROR_FILE_EXISTS));
  // OPEN_ALWAYS keeps what is there and starts at the beginning.
  h = open(u"\\WINDOWS\\fizzorbs.DAT", GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));  // a success that found the file there
  EXPECT_TRUE(writeAll(h, "F"));
  EXPECT_EQ(readAll(h), "irst");
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "First");
  EXPECT_TRUE(CloseHandle(open(kState, GENERIC_WRITE, 0, TRUNCATE_EXISTING)));
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "");
  // A file written anew keeps the permissions the player gave it; a new one gets the usual ones.
  namespace fs = std::filesystem;
  const auto own = fs::perms::owner_read | fs::perms::owner_write;
  fs::permissions(dev.root / "Windows" / "Fizzorbs.dat", own);
  for (const WCHAR* name : {kState, u"\\Windows\\new.dat"}) EXPECT_TRUE(CloseHandle(open(name, GENERIC_WRITE, 0, CREATE_ALWAYS)));
  EXPECT_EQ(fs::status(dev.root / "Windows" / "Fizzorbs.dat").permissions(), own);
  EXPECT_EQ(fs::status(dev.root / "Windows" / "new.dat").permissions(), fs::perms(0644));
  // The device has no current folder: a name without a leading backslash starts at the root.
  EXPECT_TRUE(CloseHandle(open(u"Windows\\rel.dat", GENERIC_WRITE, 0, CREATE_NEW)));
  EXPECT_TRUE(std::filesystem::exists(dev.root / "Windows" / "rel.dat"));
  // Names reach the host's disk as UTF-8, characters past U+FFFF whole, a lone half of a pair as U+FFFD.
  const char16_t* name = u"\\Windows\\\U0001F600\x7F\x80\u07FF\u0800\uFFFF\uFF21\U00010000\xD800\uE000\uD7FF\xDFFF\U0010FFFF";
  EXPECT_TRUE(CloseHandle(open(name, GENERIC_WRITE, 0, CREATE_NEW)));
  EXPECT_TRUE(std::filesystem::exists(dev.root / "Windows" / ("\xF0\x9F\x98\x80" "\x7F" "\xC2\x80" "\xDF\xBF" "\xE0\xA0\x80" "\xEF\xBF\xBF"
                                                              "\xEF\xBC\xA1" "\xF0\x90\x80\x80" "\xEF\xBF\xBD" "\xEE\x80\x80"
                                                              "\xED\x9F\xBF" "\xEF\xBF\xBD" "\xF4\x8F\xBF\xBF")));
  EXPECT_EQ(pk::utf8(std::u16string_view(u"a\U0001F600", 2)), "a\xEF\xBF\xBD");  // the pair's second half lies past the text
  // A program started without standard input may get descriptor 0 for a file.
  const int input = dup(0);
  close(0);
  for (DWORD disposition : {CREATE_NEW, OPEN_EXISTING, CREATE_ALWAYS}) {
    h = open(u"\\Windows\\zero.dat", GENERIC_WRITE, 0, disposition);
    EXPECT_TRUE(writeAll(h, "0") && CloseHandle(h)) << disposition;
  }
  dup2(input, 0), close(input);
}

TEST(Files, ReplacementIsSeenOnlyWholeAndOnlyAfterClose) {
  test::TempDevice dev;
  dev.write("Windows/Fizzorbs.dat", "old contents");
  const std::filesystem::path state = dev.root / "Windows" / "Fizzorbs.dat";
  std::filesystem::permissions(state, std::filesystem::perms(0755));  // the player's own, kept by a save
  HANDLE before = open(kState, GENERIC_READ, kShareAll, OPEN_EXISTING);
  HANDLE w = open(kState, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  ASSERT_TRUE(w != INVALID_HANDLE_VALUE && GetLastError() == ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(writeAll(w, "new"));
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "old contents");
  EXPECT_TRUE(writeAll(w, " contents, longer"));
  EXPECT_TRUE(CloseHandle(w));
  EXPECT_EQ(readAll(before), "old contents");
  EXPECT_TRUE(CloseHandle(before));
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "new contents, longer");
  EXPECT_EQ(std::filesystem::status(state).permissions(), std::filesystem::perms(0755));
  // A first save is the player's to read and write, others' to read, nobody's to run.
  std::filesystem::remove(state);
  EXPECT_TRUE(CloseHandle(open(kState, GENERIC_WRITE, 0, CREATE_ALWAYS)));
  EXPECT_EQ(std::filesystem::status(state).permissions(), std::filesystem::perms(0644));
  // Saves, whatever the handle may do, leave no descriptor open (the folder's sync needs one too).
  const auto held = test::openDescriptors();
  for (DWORD access : {GENERIC_WRITE, GENERIC_READ}) EXPECT_TRUE(CloseHandle(open(kState, access, 0, CREATE_ALWAYS)));
  EXPECT_EQ(test::openDescriptors(), held) << "a save leaves a descriptor open";
  // A process that dies in the middle of a save leaves the old file.
  dev.write("Windows/Fizzorbs.dat", "kept");
  ASSERT_EQ(inChild(dev.root / "err.txt", [] { return writeAll(open(kState, GENERIC_WRITE, 0, CREATE_ALWAYS), "half") ? "" : "no save"; }), "");
  // One that exits with a save still open leaves no temporary: the one found below is the dead one's.
  inChild(dev.root / "err.txt", []() -> std::string { writeAll(open(kState, GENERIC_WRITE, 0, CREATE_ALWAYS), "half"); std::exit(0); });
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "kept");
  // The next start sweeps what the dead writer left once it is old; a young one may be a live
  // writer's, and a file of the player's is never touched, however old.
  namespace fs = std::filesystem;
  const fs::path windows = dev.root / "Windows";
  std::vector<fs::path> left;
  for (auto& e : fs::directory_iterator(windows))
    if (e.path().filename().string()[0] == '.') left.push_back(e.path());
  ASSERT_EQ(left.size(), 1u);
  const auto now = fs::file_time_type::clock::now(), old = now - std::chrono::seconds(630);
  fs::last_write_time(left[0], old);
  dev.write("Windows/.young.pk-123456", ""), dev.write("Windows/.pk-1234567", ""), dev.write("Windows/a.pk-123456", "");
  fs::last_write_time(windows / ".young.pk-123456", now - std::chrono::seconds(570));
  for (const char* name : {".pk-1234567", "a.pk-123456", "Fizzorbs.dat"}) fs::last_write_time(windows / name, old);
  pk::DeviceConfig again;
  again.root = dev.root;
  pk::setUpDevice(dev.host, again, nullptr);
  EXPECT_FALSE(fs::exists(left[0]));
  for (const char* name : {".young.pk-123456", ".pk-1234567", "a.pk-123456", "Fizzorbs.dat"})
    EXPECT_TRUE(fs::exists(windows / name)) << name;
}

TEST(Files, SharingConflictsAndBadHandles) {
  test::TempDevice dev;
  dev.write("Windows/a.dat", "x");
  const WCHAR* a = u"\\Windows\\a.dat";
  // However many files a long session opens, no handle comes back null, and each keeps
  // its low two bits clear as the platform's do.
  for (int i = 0; i < 1100; ++i) {
    HANDLE h = open(a, GENERIC_READ, kShareAll, OPEN_EXISTING);
    ASSERT_TRUE(h != nullptr && (reinterpret_cast<uintptr_t>(h) & 3) == 0 && CloseHandle(h)) << i;
  }
  HANDLE r = open(a, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  HANDLE r2 = open(a, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_TRUE(fails(open(a, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING), ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(fails(open(a, GENERIC_WRITE, 0, CREATE_ALWAYS), ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(fails(open(a, GENERIC_READ, 0, OPEN_EXISTING), ERROR_SHARING_VIOLATION));
  // A call that fails on an open file reports nothing done and says why.
  char buf[4];
  DWORD n;
  auto failedWith = [&n](BOOL ok, DWORD error) { return !ok && n == 0 && GetLastError() == error; };
  n = 5;
  EXPECT_TRUE(failedWith(WriteFile(r, "x", 1, &n, nullptr), ERROR_ACCESS_DENIED));
  EXPECT_TRUE(CloseHandle(r) && CloseHandle(r2));
  HANDLE w = open(a, GENERIC_WRITE, 0, OPEN_EXISTING);
  EXPECT_EQ(dev.host.fileChanges, 0);  // only a closed writer may have changed the files
  EXPECT_TRUE(CloseHandle(w));
  EXPECT_EQ(dev.host.fileChanges, 1);
  EXPECT_FALSE(CloseHandle(w));
  n = 5;
  EXPECT_TRUE(failedWith(ReadFile(w, buf, 4, &n, nullptr), ERROR_INVALID_HANDLE));
  EXPECT_TRUE(pk::hostos::close(pk::hostos::kNoFile, false));  // the host's own close failing is a failure too
  // Calls that cannot be met fail, say why, and touch nothing.
  EXPECT_TRUE(fails(open(nullptr, GENERIC_READ, 0, OPEN_EXISTING), ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(fails(open(a, GENERIC_READ, 0, TRUNCATE_EXISTING), ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(fails(open(u"\\..\\a.dat", GENERIC_READ, 0, OPEN_EXISTING), ERROR_PATH_NOT_FOUND));
  HANDLE rw = open(a, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
  EXPECT_FALSE(ReadFile(rw, nullptr, 1, &n, nullptr) || WriteFile(rw, nullptr, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(ReadFile(rw, nullptr, 0, &n, nullptr) && WriteFile(rw, nullptr, 0, &n, nullptr) && CloseHandle(rw));
  EXPECT_EQ(dev.read("Windows/a.dat"), "x");
  // A read the host's disk refuses (here memory that is not there) fails and says so.
  std::filesystem::create_symlink("/proc/self/mem", dev.root / "Windows" / "mem.dat");
  HANDLE m = open(u"\\Windows\\mem.dat", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  n = 5;
  EXPECT_TRUE(failedWith(ReadFile(m, buf, 4, &n, nullptr), ERROR_READ_FAULT));
  EXPECT_TRUE(CloseHandle(m));
}

// A save as the program makes one: the results are looked at here, not by the program.
struct Save { BOOL opened, wrote, closed; DWORD written, error, writeError; };
Save save(const std::string& bytes) {
  Save s{};
  HANDLE h = open(kState, GENERIC_WRITE, 0, CREATE_ALWAYS);
  s.opened = h != INVALID_HANDLE_VALUE;
  s.error = GetLastError();
  if (!s.opened) return s;
  s.wrote = WriteFile(h, bytes.data(), DWORD(bytes.size()), &s.written, nullptr);
  s.error = s.writeError = GetLastError();
  s.closed = CloseHandle(h);
  if (!s.closed) s.error = GetLastError();
  return s;
}

size_t count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(FileFaults, AFullDiskKeepsTheLastGoodFileAndSaysSoOncePerRunOfFailures) {
  test::TempDevice dev;
  const std::string old(12000, 'o');
  dev.write("Windows/Fizzorbs.dat", old);
  std::string wrong = inChild(dev.root / "err.txt", [&]() -> std::string {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{8192, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string out;
    Save s = save(std::string(12000, 'n'));
    if (!s.opened || s.wrote || s.written != 8192 || s.closed || s.error != ERROR_DISK_FULL || s.writeError != ERROR_DISK_FULL)
      out += "the cut-off save did not fail as the platform fails; ";
    if (dev.read("Windows/Fizzorbs.dat") != old) out += "the old file was touched; ";
    save(std::string(9000, 'n'));
    limit.rlim_cur = RLIM_INFINITY;
    setrlimit(RLIMIT_FSIZE, &limit);
    if (!save("whole").closed || dev.read("Windows/Fizzorbs.dat") != "whole") out += "the next save was lost; ";
    if (dev.host.troubles.size() != 2 || dev.host.troubles[0].empty() || !dev.host.troubles[1].empty())
      out += "the host was not told of the trouble once, then that it was over; ";
    limit.rlim_cur = 8192;
    setrlimit(RLIMIT_FSIZE, &limit);
    save(std::string(9000, 'n'));
    test::TempDevice next;  // a device set up anew has told of no failure yet
    save(std::string(9000, 'n'));
    return out;
  });
  EXPECT_EQ(wrong, "");
  std::string err = dev.read("err.txt");
  EXPECT_EQ(count(err, ": cannot save "), 3u) << err;
  EXPECT_EQ(err.rfind("test: cannot save " + (dev.root / "Windows" / "Fizzorbs.dat").string() + ": ", 0), 0u) << err;
  EXPECT_NE(err.find("; the last saved game is kept\n"), std::string::npos) << err;
  for (auto& e : std::filesystem::directory_iterator(dev.root / "Windows"))
    EXPECT_NE(e.path().filename().string()[0], '.') << "temporary left: " << e.path();
}

TEST(FileFaults, ReadOnlyFolderAndUnreadableFileFailWithoutHarm) {
  test::TempDevice dev;
  dev.write("Windows/Fizzorbs.dat", "kept");
  dev.write("Windows/secret.dat", "x");
  chmod(dev.root.c_str(), 0755);
  chmod((dev.root / "Windows").c_str(), 0555);
  chmod((dev.root / "Windows" / "secret.dat").c_str(), 0);
  std::string wrong = inChild(dev.root / "err.txt", [&]() -> std::string {
    // Root passes every permission check: the faults need an ordinary user.
    if (getuid() == 0 && setresuid(65534, 65534, 65534) != 0) return "cannot become an ordinary user";
    std::string out;
    Save s = save("new");
    if (s.opened || s.error != ERROR_ACCESS_DENIED) out += "a save into a read-only folder opened; ";
    if (!fails(open(u"\\Windows\\secret.dat", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), ERROR_ACCESS_DENIED))
      out += "an unreadable file opened; ";
    HANDLE h = open(kState, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (readAll(h) != "kept" || !CloseHandle(h)) out += "the readable file did not read; ";
    return out;
  });
  chmod((dev.root / "Windows").c_str(), 0755);
  EXPECT_EQ(wrong, "");
  EXPECT_EQ(count(dev.read("err.txt"), "cannot save"), 1u);
}

TEST(FileFaults, AFolderInTheWayIsNeitherReadNorReplaced) {
  test::TempDevice dev;
  std::filesystem::create_directories(dev.root / "Windows" / "Fizzorbs.dat" / "inside");
  EXPECT_FALSE(save("new").opened);
  // A folder that appears while the new contents are written stops only the rename.
  std::filesystem::remove_all(dev.root / "Windows" / "Fizzorbs.dat");
  HANDLE h = open(kState, GENERIC_WRITE, 0, CREATE_ALWAYS);
  EXPECT_TRUE(writeAll(h, "new"));
  std::filesystem::create_directories(dev.root / "Windows" / "Fizzorbs.dat" / "inside");
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_TRUE(std::filesystem::is_directory(dev.root / "Windows" / "Fizzorbs.dat" / "inside"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dev.root / "Windows"), {}), 1);
}

// A device folder that cannot be made leaves a device without files. The files that ship
// with the program fill in what the device lacks, never over the player's own, and a copy
// the disk cuts short leaves nothing behind.
TEST(FileFaults, SettingUpTheDeviceFolders) {
  test::TempDevice dev;
  dev.write("blocker", "a file where a folder should be");
  for (auto [name, bytes] : {std::pair<const char*, std::string>{"Fizzorbs.dat", "shipped"}, {"big.wav", std::string(40000, 'b')},
                              {"folder/x.wav", "x"}})
    dev.write(std::string("shipped/") + name, bytes);
  dev.write("device/Windows/FIZZORBS.DAT", "the player's own");
  test::FakeHost host;
  pk::DeviceConfig blocked, config;
  blocked.root = dev.root / "blocker" / "device";
  config.root = dev.root / "device";
  config.shipped = dev.root / "shipped";
  std::string wrong = inChild(dev.root / "err.txt", [&]() -> std::string {
    pk::setUpDevice(host, blocked, &pkProgramModule);
    if (save("x").opened) return "a file opened on a device without files";
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{30000, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &limit);
    pk::setUpDevice(host, config, &pkProgramModule);
    return std::filesystem::exists(config.root / "Windows" / "big.wav") ? "a cut copy was left" : "";
  });
  EXPECT_EQ(wrong, "");
  std::string err = dev.read("err.txt");
  EXPECT_EQ(err.rfind("test: cannot create the device folder " + blocked.root.string() + ": ", 0), 0u) << err;
  pk::setUpDevice(host, config, &pkProgramModule);
  EXPECT_EQ(dev.read("device/Windows/big.wav"), std::string(40000, 'b'));
  EXPECT_EQ(dev.read("device/Windows/FIZZORBS.DAT"), "the player's own");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(config.root / "Windows"), {}), 2);
  config.root = dev.root / "first" / "start";  // a first start: no folder there yet
  const auto held = test::openDescriptors();
  pk::setUpDevice(host, config, &pkProgramModule);
  EXPECT_EQ(dev.read("first/start/Windows/Fizzorbs.dat"), "shipped");
  const mode_t mask = umask(0);  // a copy is made as new files are, under the user's mask
  umask(mask);
  EXPECT_EQ(std::filesystem::status(config.root / "Windows" / "Fizzorbs.dat").permissions(), std::filesystem::perms(0644 & ~mask));
  EXPECT_EQ(test::openDescriptors(), held) << "a copy left a file open";
}

// The one program the device starts is the help viewer, and only on a page of \Windows.
TEST(Files, TheHelpViewerOpensOnlyAPageOfTheWindowsFolder) {
  test::TempDevice dev;
  dev.write("Windows/help.htm", "<p>");
  dev.write("Temp/other.htm", "<p>");
  const struct { const WCHAR *app, *line; bool starts; } cases[] = {{u"peghelp.exe", u"file:help.htm", true},       {u"\\Windows\\PEGHELP.EXE", u"FILE:\\Temp\\help.htm", true},
               {u"peghelp.exe", u"file:other.htm", false},     {u"peghelp.exe", u"help.htm", false},
               {u"peghelp.exe", u"x file:help.htm", false},    {u"notes.exe", u"file:help.htm", false},
               {nullptr, nullptr, false}};
  for (const auto& c : cases) {
    std::u16string line = c.line ? c.line : u"";
    PROCESS_INFORMATION info;
    dev.host.opened.clear();
    BOOL started = CreateProcessW(c.app, c.line ? line.data() : nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                  nullptr, &info);
    SCOPED_TRACE(pk::utf8(line));
    EXPECT_EQ(started, c.starts ? TRUE : FALSE);
    EXPECT_EQ(dev.host.opened, c.starts ? std::vector{dev.root / "Windows" / "help.htm"} : std::vector<std::filesystem::path>{});
  }
}

}  // namespace
