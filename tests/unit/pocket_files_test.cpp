// Files on the device: dispositions, sharing, whole-file replacement and bad handles.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "pocket_files_tempdevice.h"

namespace {

const WCHAR* kState = u"\\Windows\\Fizzorbs.dat";

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

TEST(Files, SaveAndLoadLikeTheStateFile) {
  test::TempDevice dev;
  HANDLE w = open(kState, GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(w, INVALID_HANDLE_VALUE);
  std::string block(12792, '\0');
  for (size_t i = 0; i < block.size(); ++i) block[i] = char(i * 7);
  ASSERT_TRUE(writeAll(w, block));
  EXPECT_TRUE(CloseHandle(w));
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), block);

  HANDLE r = open(u"\\WINDOWS\\fizzorbs.DAT", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(r, INVALID_HANDLE_VALUE);
  std::string first(9680, '\0');
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(r, first.data(), 9680, &got, nullptr));
  EXPECT_EQ(got, 9680u);
  EXPECT_EQ(first, block.substr(0, 9680));
  EXPECT_EQ(readAll(r), block.substr(9680));
  // Past the end: nothing read, and still a success.
  char c;
  got = 99;
  EXPECT_TRUE(ReadFile(r, &c, 1, &got, nullptr));
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(CloseHandle(r));
}

TEST(Files, Dispositions) {
  test::TempDevice dev;
  EXPECT_EQ(open(kState, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(kState, GENERIC_WRITE, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(std::filesystem::exists(dev.root / "Windows" / "Fizzorbs.dat"));

  HANDLE h = open(kState, GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeAll(h, "first"));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(open(kState, GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);

  // OPEN_ALWAYS keeps what is there and writes from the start.
  h = open(kState, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeAll(h, "F"));
  EXPECT_EQ(readAll(h), "irst");
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "First");

  h = open(u"\\Windows\\new.dat", GENERIC_WRITE, 0, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_TRUE(std::filesystem::exists(dev.root / "Windows" / "new.dat"));

  // CREATE_ALWAYS and TRUNCATE_EXISTING replace the contents.
  h = open(kState, GENERIC_WRITE, 0, CREATE_ALWAYS);
  EXPECT_TRUE(writeAll(h, "ab"));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "ab");
  h = open(kState, GENERIC_WRITE, 0, TRUNCATE_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "");
  EXPECT_EQ(open(kState, GENERIC_READ, 0, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(kState, GENERIC_READ, 0, 6), INVALID_HANDLE_VALUE);
}

TEST(Files, ReplacementIsSeenOnlyWholeAndOnlyAfterClose) {
  test::TempDevice dev;
  dev.write("Windows/Fizzorbs.dat", "old contents");
  const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE before = open(kState, GENERIC_READ, all, OPEN_EXISTING);
  ASSERT_NE(before, INVALID_HANDLE_VALUE);

  HANDLE w = open(kState, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  ASSERT_NE(w, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeAll(w, "new"));
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "old contents");
  HANDLE during = open(kState, GENERIC_READ, all, OPEN_EXISTING);
  ASSERT_NE(during, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeAll(w, " contents, longer"));
  EXPECT_TRUE(CloseHandle(w));

  EXPECT_EQ(readAll(before), "old contents");
  EXPECT_EQ(readAll(during), "old contents");
  HANDLE after = open(kState, GENERIC_READ, all, OPEN_EXISTING);
  EXPECT_EQ(readAll(after), "new contents, longer");
  for (HANDLE h : {before, during, after}) EXPECT_TRUE(CloseHandle(h));
  // No temporary file is left beside it.
  for (auto& e : std::filesystem::directory_iterator(dev.root / "Windows"))
    EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
}

TEST(Files, AWriterNeverClosedLeavesTheOldFile) {
  test::TempDevice dev;
  dev.write("Windows/Fizzorbs.dat", "kept");
  // A process that dies in the middle of a save.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HANDLE w = open(kState, GENERIC_WRITE, 0, CREATE_ALWAYS);
    bool wrote = w != INVALID_HANDLE_VALUE && writeAll(w, "half");
    _exit(wrote ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "kept");

  // In this process, a writer still open keeps the old file and holds it by its sharing.
  HANDLE w = open(kState, GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(w, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeAll(w, "new"));
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "kept");
  EXPECT_EQ(open(kState, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(w));
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "new");
}

TEST(Files, SharingConflictsFailTheSecondOpen) {
  test::TempDevice dev;
  dev.write("Windows/a.dat", "x");
  const WCHAR* a = u"\\Windows\\a.dat";
  HANDLE r = open(a, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(r, INVALID_HANDLE_VALUE);
  HANDLE r2 = open(a, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_NE(r2, INVALID_HANDLE_VALUE);  // readers that share reading
  EXPECT_EQ(open(a, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(a, GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  // A reader that will not share reading conflicts with readers already open.
  EXPECT_EQ(open(a, GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(r));
  EXPECT_TRUE(CloseHandle(r2));

  HANDLE w = open(a, GENERIC_WRITE, 0, OPEN_EXISTING);
  ASSERT_NE(w, INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(a, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(u"\\windows\\A.DAT", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
            INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(w));
  HANDLE again = open(a, GENERIC_READ, 0, OPEN_EXISTING);
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(again));
}

TEST(Files, BadPathsHandlesAndAccessFailCleanly) {
  test::TempDevice dev;
  EXPECT_EQ(open(nullptr, GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(u"", GENERIC_READ, 0, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(u"\\..\\escape.dat", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(u"\\No Such Folder\\x.dat", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(u"\\No Such Folder\\x.dat", GENERIC_WRITE, 0, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(u"\\Windows", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(u"\\Windows", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(std::filesystem::exists(dev.root.parent_path() / "escape.dat"));

  char buf[4];
  DWORD n = 5;
  for (HANDLE bogus : {HANDLE(nullptr), INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(uintptr_t(0x1234567))}) {
    EXPECT_FALSE(ReadFile(bogus, buf, 4, &n, nullptr));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(WriteFile(bogus, buf, 4, &n, nullptr));
    EXPECT_FALSE(CloseHandle(bogus));
  }

  dev.write("Windows/r.dat", "data");
  HANDLE r = open(u"\\Windows\\r.dat", GENERIC_READ, 0, OPEN_EXISTING);
  EXPECT_FALSE(WriteFile(r, "x", 1, &n, nullptr));
  EXPECT_TRUE(CloseHandle(r));
  EXPECT_FALSE(CloseHandle(r));  // closed twice
  EXPECT_FALSE(ReadFile(r, buf, 4, &n, nullptr));
  HANDLE w = open(u"\\Windows\\r.dat", GENERIC_WRITE, 0, OPEN_EXISTING);
  EXPECT_FALSE(ReadFile(w, buf, 4, &n, nullptr));
  EXPECT_TRUE(CloseHandle(w));
  EXPECT_EQ(dev.read("Windows/r.dat"), "data");
}

TEST(Files, AReadOnlyFileCannotBeReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the super-user";
  test::TempDevice dev;
  dev.write("Windows/Fizzorbs.dat", "kept");
  chmod((dev.root / "Windows").c_str(), 0555);
  HANDLE w = open(kState, GENERIC_WRITE, 0, CREATE_ALWAYS);
  EXPECT_EQ(w, INVALID_HANDLE_VALUE);
  chmod((dev.root / "Windows").c_str(), 0755);
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "kept");
}

}  // namespace
