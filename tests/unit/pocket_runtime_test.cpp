// Formatting and parsing on UTF-16 strings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "system/device.h"

namespace {

template <typename... Args>
std::u16string fmt(const char16_t* format, Args... args) {
  WCHAR buf[1100];
  int n = wsprintfW(buf, format, args...);
  EXPECT_EQ(size_t(n), wcslen(buf));
  return std::u16string(buf);
}

TEST(Wsprintf, NumbersWidthsPaddingAndDecimals) {
  EXPECT_EQ(fmt(u"%d|%i|%u", -42, 7, 4000000000u), u"-42|7|4000000000");
  EXPECT_EQ(fmt(u"%x %X 100%%", 0xBEEFu, 0xFFFFFFFFu), u"beef FFFFFFFF 100%");
  EXPECT_EQ(fmt(u"[%19d|%-5d|%05d|%05d]", 42, 42, 42, -42), u"[                 42|42   |00042|-0042]");
  EXPECT_EQ(fmt(u"[%-05d|%.9d|%1d|%08X]", 42, 7, 12345, 0xABCu), u"[42   |000000007|12345|00000ABC]");
  // A precision turns zero padding off, and a zero of no digits prints nothing.
  EXPECT_EQ(fmt(u"[%05.0d|%05.0u|%05.0X|%.0d|%.0f|% d|% 05d|%+05d]", 42, 42u, 0xABu, 0, 2.7, 5, 42, 42),
            u"[   42|   42|   AB||3| 5| 0042|+0042]");
  WCHAR none[2] = u"x";
  EXPECT_TRUE(wsprintfW(none, nullptr) == 0 && none[0] == 0 && wsprintfW(nullptr, u"x") == 0);
  // Widths and precisions from the arguments, a negative width to the left, a size prefix
  // skipped; an unknown conversion prints its letter, and a lone '%' at the end nothing.
  EXPECT_EQ(fmt(u"[%*d|%*d|%.*d|%+d|%hd|%q]%", 4, 7, -4, 7, 3, 5, 6, 8), u"[   7|7   |005|+6|8|q]");
  EXPECT_EQ(fmt(u"%#x|%#X|%#x|%#d", 31u, 31u, 0u, 31), u"0x1f|0X1F|0|31");
  // Decimals: rounded, padded, and mixed with integers so the argument walk stays in step.
  EXPECT_EQ(fmt(u"%d %0.02lf %ld %f|%08.1f", 1, 2.0 / 3.0, LONG(3), 0.25, -2.5), u"1 0.67 3 0.250000|-00002.5");
}

TEST(WideStrings, FormattedCopiedAndJoined) {
  WCHAR joined[5];  // copying and appending answer the buffer they wrote, as C's do
  EXPECT_TRUE(wcscpy(joined, u"ab") == joined && wcscat(joined, u"cd") == joined && std::u16string(joined) == u"abcd");
  EXPECT_EQ(fmt(u"%s|%s", u"Grüße", static_cast<const WCHAR*>(nullptr)), u"Grüße|(null)");
  EXPECT_TRUE(_wtol(u" -12x") == -12 && _wtol(u"\t+7") == 7 && _wtol(nullptr) == 0);
  EXPECT_EQ(fmt(u"[%06s|%-6s|%.2s|%.0s|%03c|%1s]", u"ab", u"cd", u"abcdef", u"abc", int(u'x'), u""), u"[    ab|cd    |ab||  x| ]");
}

TEST(Wsprintf, NeverWritesPastTheBound) {
  std::u16string huge(5000, u'a');
  std::u16string buf(1100, u'#');
  EXPECT_EQ(wsprintfW(buf.data(), u"x%sy", huge.c_str()), 1023);
  EXPECT_EQ(buf.substr(1022, 3), std::u16string(u"a\0#", 3));
  // Decimals stop at 300 places, and a number too long even for that at 399 characters.
  EXPECT_EQ(fmt(u"%.400f|%.300f", 0.5, 1e100).size(), 302u + 1 + 399);
  EXPECT_TRUE(wsprintfW(buf.data(), u"%2000d", 5) == 1023 && buf[1024] == u'#');
}

// Before any seed the generator deals as if seeded with 1, as C has it. Drawn in a process of
// its own, started afresh: the generator has no reset, and this one may have drawn already.
TEST(Rand, UnseededIsSeedOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT({
    const int first = rand();
    srand(1);
    const bool one = rand() == first;
    srand(0);  // a seed of 0 is a seed of 1
    std::exit(one && rand() == first ? 0 : 1);
  }, testing::ExitedWithCode(0), "");
}

// The desktop C library's generator, number for number, from any seed: the largest ones too.
TEST(Rand, DealsAsTheDesktopLibraryDoes) {
  for (unsigned seed : {1u, 1234u, 2147483647u, 2147483648u, 4294967295u}) {
    char state[128];
    random_data data{};
    initstate_r(seed, state, sizeof state, &data);
    srand(seed);
    for (int i = 0, want = 0; i < 40; ++i) ASSERT_EQ(rand(), (random_r(&data, &want), want)) << seed << " at " << i;
  }
}

}  // namespace
