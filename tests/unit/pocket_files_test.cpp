// Files on the device: dispositions, sharing, whole-file replacement and bad handles.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "pocket_fixture.h"

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

TEST(Files, DispositionsAndPathsWithoutCase) {
  test::TempDevice dev;
  EXPECT_EQ(open(kState, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(kState, GENERIC_WRITE, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(std::filesystem::exists(dev.root / "Windows" / "Fizzorbs.dat"));
  HANDLE h = open(kState, GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeAll(h, "first"));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(open(kState, GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
  // OPEN_ALWAYS keeps what is there and starts at the beginning.
  h = open(u"\\WINDOWS\\fizzorbs.DAT", GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeAll(h, "F"));
  EXPECT_EQ(readAll(h), "irst");
  DWORD got = 99;
  char c;
  EXPECT_TRUE(ReadFile(h, &c, 1, &got, nullptr));  // past the end: a success with nothing read
  EXPECT_EQ(got, 0u);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "First");
  h = open(kState, GENERIC_WRITE, 0, TRUNCATE_EXISTING);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "");
  // Nothing outside the root, and no folder made on the way.
  EXPECT_EQ(open(u"\\..\\escape.dat", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(u"\\No Such Folder\\x.dat", GENERIC_WRITE, 0, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(std::filesystem::exists(dev.root.parent_path() / "escape.dat"));
}

TEST(Files, ReplacementIsSeenOnlyWholeAndOnlyAfterClose) {
  test::TempDevice dev;
  dev.write("Windows/Fizzorbs.dat", "old contents");
  HANDLE before = open(kState, GENERIC_READ, kShareAll, OPEN_EXISTING);
  HANDLE w = open(kState, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  ASSERT_NE(w, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeAll(w, "new"));
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "old contents");
  HANDLE during = open(kState, GENERIC_READ, kShareAll, OPEN_EXISTING);
  EXPECT_TRUE(writeAll(w, " contents, longer"));
  EXPECT_TRUE(CloseHandle(w));
  EXPECT_EQ(readAll(before), "old contents");
  EXPECT_EQ(readAll(during), "old contents");
  HANDLE after = open(kState, GENERIC_READ, kShareAll, OPEN_EXISTING);
  EXPECT_EQ(readAll(after), "new contents, longer");
  for (HANDLE h : {before, during, after}) EXPECT_TRUE(CloseHandle(h));
  for (auto& e : std::filesystem::directory_iterator(dev.root / "Windows"))
    EXPECT_NE(e.path().filename().string()[0], '.') << "temporary left: " << e.path();
}

TEST(Files, AWriterNeverClosedLeavesTheOldFile) {
  test::TempDevice dev;
  dev.write("Windows/Fizzorbs.dat", "kept");
  pid_t child = fork();  // a process that dies in the middle of a save
  ASSERT_GE(child, 0);
  if (child == 0) {
    HANDLE w = open(kState, GENERIC_WRITE, 0, CREATE_ALWAYS);
    _exit(w != INVALID_HANDLE_VALUE && writeAll(w, "half") ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(dev.read("Windows/Fizzorbs.dat"), "kept");
}

TEST(Files, SharingConflictsAndBadHandles) {
  test::TempDevice dev;
  dev.write("Windows/a.dat", "x");
  const WCHAR* a = u"\\Windows\\a.dat";
  HANDLE r = open(a, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  HANDLE r2 = open(a, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_NE(r2, INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(a, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(a, GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open(a, GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  char buf[4];
  DWORD n = 5;
  EXPECT_FALSE(WriteFile(r, "x", 1, &n, nullptr));
  EXPECT_TRUE(CloseHandle(r));
  EXPECT_TRUE(CloseHandle(r2));
  HANDLE w = open(a, GENERIC_WRITE, 0, OPEN_EXISTING);
  EXPECT_EQ(open(u"\\windows\\A.DAT", GENERIC_READ, kShareAll, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(w));
  EXPECT_FALSE(CloseHandle(w));
  n = 5;
  EXPECT_FALSE(ReadFile(w, buf, 4, &n, nullptr));
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(dev.read("Windows/a.dat"), "x");
}

}  // namespace
