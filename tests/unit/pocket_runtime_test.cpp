// Formatting and parsing on UTF-16 strings, and the device's clock and dice.
#include <gtest/gtest.h>

#include <string>

#include "pocket_files_tempdevice.h"

namespace {

template <typename... Args>
std::u16string fmt(const char16_t* format, Args... args) {
  WCHAR buf[1100];
  int n = wsprintfW(buf, format, args...);
  EXPECT_EQ(size_t(n), wcslen(buf));
  return std::u16string(buf);
}

TEST(Wsprintf, Integers) {
  EXPECT_EQ(fmt(u"%d", 0), u"0");
  EXPECT_EQ(fmt(u"%d|%i", -42, 7), u"-42|7");
  EXPECT_EQ(fmt(u"%ld", LONG(-2147483647 - 1)), u"-2147483648");
  EXPECT_EQ(fmt(u"%ld", LONG(2147483647)), u"2147483647");
  // A negative count shows as negative with %ld: LONG is 32 bits.
  EXPECT_EQ(fmt(u"%ld", LONG(uint32_t(4000000000u))), u"-294967296");
  EXPECT_EQ(fmt(u"%u %lu", 4000000000u, DWORD(7)), u"4000000000 7");
  EXPECT_EQ(fmt(u"%x %X", 0xBEEFu, 0xBEEFu), u"beef BEEF");
  EXPECT_EQ(fmt(u"%x", 0xFFFFFFFFu), u"ffffffff");
}

TEST(Wsprintf, WidthsFlagsAndPrecision) {
  EXPECT_EQ(fmt(u"[%5d]", 42), u"[   42]");
  EXPECT_EQ(fmt(u"[%-5d]", 42), u"[42   ]");
  EXPECT_EQ(fmt(u"[%05d]", 42), u"[00042]");
  EXPECT_EQ(fmt(u"[%05d]", -42), u"[-0042]");
  EXPECT_EQ(fmt(u"[%-05d]", 42), u"[42   ]");
  EXPECT_EQ(fmt(u"[%.3d]", 7), u"[007]");
  EXPECT_EQ(fmt(u"[%1d]", 12345), u"[12345]");
  EXPECT_EQ(fmt(u"[%08X]", 0xABCu), u"[00000ABC]");
  EXPECT_EQ(fmt(u"[%6s|%-6s]", u"ab", u"cd"), u"[    ab|cd    ]");
  EXPECT_EQ(fmt(u"[%.2s]", u"abcdef"), u"[ab]");
  EXPECT_EQ(fmt(u"[%3c]", int(u'x')), u"[  x]");
  EXPECT_EQ(fmt(u"100%%"), u"100%");
}

TEST(Wsprintf, DecimalAverages) {
  EXPECT_EQ(fmt(u"%0.02lf", 1000.0 / 3.0), u"3" u"33.33");
  EXPECT_EQ(fmt(u"%0.02lf", 10.0 / 3.0), u"3.33");
  EXPECT_EQ(fmt(u"%0.02lf", 1501.0 / 2.0), u"750.50");
  EXPECT_EQ(fmt(u"%0.02lf", 0.0), u"0.00");
  EXPECT_EQ(fmt(u"%0.02lf", 2.0 / 3.0), u"0.67");
  EXPECT_EQ(fmt(u"%f", 1.5), u"1.500000");
  EXPECT_EQ(fmt(u"[%8.1f]", -2.3), u"[    -2.3]");
  EXPECT_EQ(fmt(u"[%08.1f]", -2.5), u"[-00002.5]");
  // Mixed with integers, so the argument walk stays in step.
  EXPECT_EQ(fmt(u"%d %0.02lf %ld", 1, 2.5, LONG(3)), u"1 2.50 3");
}

TEST(Wsprintf, StringsAndCharacters) {
  EXPECT_EQ(fmt(u"%s", u"Grüße"), u"Grüße");
  EXPECT_EQ(fmt(u"%s", static_cast<const WCHAR*>(nullptr)), u"(null)");
  EXPECT_EQ(fmt(u"%c%c", int(u'L'), int(u'M')), u"LM");
  EXPECT_EQ(fmt(u"0%s", u".00"), u"0.00");
  EXPECT_EQ(fmt(u"0%s", u""), u"0");
  EXPECT_EQ(fmt(u"%d%d%ld", 11, 2, LONG(26)), u"11226");
}

TEST(Wsprintf, NeverWritesPastTheBound) {
  std::u16string huge(5000, u'a');
  std::u16string buf(1100, u'#');
  int n = wsprintfW(buf.data(), u"x%sy", huge.c_str());
  EXPECT_EQ(n, 1023);
  EXPECT_EQ(buf[1023], u'\0');
  EXPECT_EQ(buf[1024], u'#');
  EXPECT_EQ(buf[0], u'x');
  EXPECT_EQ(buf[1022], u'a');
  // A padded field longer than the bound is cut the same way.
  n = wsprintfW(buf.data(), u"%2000d", 5);
  EXPECT_EQ(n, 1023);
  EXPECT_EQ(buf[1024], u'#');
}

TEST(Wtol, ParsesLikeThePlatform) {
  EXPECT_EQ(_wtol(u""), 0);
  EXPECT_EQ(_wtol(u"-4"), -4);
  EXPECT_EQ(_wtol(u"09"), 9);
  EXPECT_EQ(_wtol(u"12ab"), 12);
  EXPECT_EQ(_wtol(u"+7"), 7);
  EXPECT_EQ(_wtol(u" 5"), 5);
  EXPECT_EQ(_wtol(u"\t\n -13x"), -13);
  EXPECT_EQ(_wtol(u"- 4"), 0);
  EXPECT_EQ(_wtol(u"ab"), 0);
  EXPECT_EQ(_wtol(u"2147483647"), 2147483647);
  EXPECT_EQ(_wtol(u"-2147483648"), -2147483647 - 1);
  EXPECT_EQ(_wtol(u"2147483648"), -2147483647 - 1);  // wraps like a 32-bit long
  EXPECT_EQ(_wtol(u"4294967297"), 1);
}

TEST(WideStrings, CopyConcatenateAndMeasure) {
  WCHAR buf[32];
  EXPECT_EQ(wcscpy(buf, u"Fizz"), buf);
  EXPECT_EQ(wcscat(buf, u"orbs"), buf);
  EXPECT_EQ(std::u16string(buf), u"Fizzorbs");
  EXPECT_EQ(wcslen(buf), 8u);
  EXPECT_EQ(wcslen(u""), 0u);
  wcscpy(buf, u"");
  wcscat(buf, u"é");
  EXPECT_EQ(std::u16string(buf), u"é");
}

TEST(DeviceServices, SleepAndRandomGoThroughTheHost) {
  test::TempDevice dev;
  dev.host.randoms = {17, 4000000000u};
  Sleep(250);
  Sleep(0);
  EXPECT_EQ(dev.host.pauses, (std::vector<uint32_t>{250, 0}));
  EXPECT_EQ(Random(), 17u);
  EXPECT_EQ(Random(), 4000000000u);
}

}  // namespace
