// Score codes and the average rule of the dialogs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <string>

#include "core/records.h"
#include "dialogs/dialogs.h"

namespace {

std::string narrow(const WCHAR* s) {
  std::string out;
  for (; *s; ++s) out += char(*s);
  return out;
}

// Seeds the generator so that the next draw, the one makeScoreCode makes,
// gives the multiplier k.
void seedForMultiplier(int k) {
  for (unsigned seed = 1; seed < 100000; ++seed) {
    std::srand(seed);
    if (std::rand() % 8 == k - 11) {
      std::srand(seed);
      return;
    }
  }
  FAIL() << "no seed draws multiplier " << k;
}

class ScoreCode : public ::testing::Test {
 protected:
  void SetUp() override { memset(&statistics, 0, sizeof statistics); }
  void TearDown() override { memset(&statistics, 0, sizeof statistics); }

  void setStyle(int style, uint32_t games, uint32_t high, uint32_t total) {
    statistics.styles[style].gamesPlayed = games;
    statistics.styles[style].highScore = high;
    statistics.styles[style].totalScore = total;
  }

  std::string codeWith(int style, int k, int* result = nullptr) {
    seedForMultiplier(k);
    WCHAR out[64];
    std::fill(std::begin(out), std::end(out), u'#');
    int r = makeScoreCode(out, style);
    if (result) *result = r;
    return narrow(out);
  }
};

struct Case {
  int style;
  uint32_t games, high, total;
  int k;
  const char* code;
  const char* covers;
};

// Each figure text is preceded by its length; pairs 00..13 and 90..99 turn into
// letters, everything else stays as two digits, and an odd last digit is kept.
const Case kCases[] = {
    {0, 3, 250, 600, 11, "L226427434659314", "first worked example, odd length"},
    {2, 12, 1840, 9000, 15, "1531735275S6134Y3238", "second worked example: 93 -> S, 99 -> Y"},
    {3, 13, 1412, 13223, 18, "1832275254J6238A7265", "09 -> J, 00 -> A"},
    {1, 20, 4097, 33265, 11, "L32N5450606365P8215", "13 -> N, 90 -> P"},
    {0, 31, 990, 6620, 11, "L333451I835728N14", "14 stays, 08 -> I, even length"},
    {2, 12, 4933, 34009, 16, "1631855789216544N7241", "89 stays"},
    // 195225787 x 11 - 7 passes 2^31, so T is negative; the pair "-2" stays.
    {0, 2, 100, 195225787, 11, "L2154KSL-214748364614", "minus sign copied"},
};

TEST_F(ScoreCode, PairsBecomeLettersByTheRule) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.covers);
    memset(&statistics, 0, sizeof statistics);
    setStyle(c.style, c.games, c.high, c.total);
    int result = -1;
    EXPECT_EQ(codeWith(c.style, c.k, &result), c.code);
    EXPECT_EQ(result, 1);
  }
}

TEST_F(ScoreCode, ReadsOnlyItsOwnStyle) {
  setStyle(0, 3, 250, 600);
  // Style 1 has nothing of its own, whatever style 0 holds.
  EXPECT_EQ(codeWith(1, 11), "0000000000");
  // The style number enters the code: m = (style + 1) x k - 7.
  setStyle(3, 3, 250, 600);
  EXPECT_EQ(codeWith(3, 11), "L2264274346593237");
}

TEST_F(ScoreCode, NothingToEncodeGivesTenZerosWithoutADraw) {
  const uint32_t figures[][3] = {{0, 0, 0}, {0, 250, 600}, {3, 0, 600}, {3, 250, 0}};
  for (const auto& f : figures) {
    SCOPED_TRACE(testing::Message() << f[0] << " " << f[1] << " " << f[2]);
    setStyle(2, f[0], f[1], f[2]);
    std::srand(77);
    int expectedNext = std::rand();
    std::srand(77);
    WCHAR out[64] = u"left over from before";
    EXPECT_EQ(makeScoreCode(out, 2), 0);
    EXPECT_EQ(narrow(out), "0000000000");
    EXPECT_EQ(std::rand(), expectedNext) << "the ten zeros must not touch the generator";
  }
}

TEST_F(ScoreCode, EachCodeTakesExactlyOneDraw) {
  setStyle(0, 3, 250, 600);
  std::srand(5);
  std::rand();
  int second = std::rand();
  std::srand(5);
  WCHAR out[64];
  makeScoreCode(out, 0);
  EXPECT_EQ(std::rand(), second);
}

TEST_F(ScoreCode, AnyFiguresGiveAWellFormedCode) {
  std::mt19937 gen(1234);
  std::uniform_int_distribution<uint32_t> any(1, UINT32_MAX);
  std::uniform_int_distribution<uint32_t> small(1, 5000);
  std::srand(99);
  for (int i = 0; i < 2000; ++i) {
    bool huge = i % 2;
    int style = i % 4;
    setStyle(style, huge ? any(gen) : small(gen), huge ? any(gen) : small(gen), huge ? any(gen) : small(gen));
    WCHAR out[64];
    ASSERT_EQ(makeScoreCode(out, style), 1);
    std::string code = narrow(out);
    SCOPED_TRACE(code);
    ASSERT_LE(code.size(), 44u);
    ASSERT_EQ(code.find('O'), std::string::npos);
    for (char ch : code) ASSERT_TRUE((ch >= '0' && ch <= '9') || ch == '-' || (ch >= 'A' && ch <= 'Y')) << ch;
    bool letterStart = code[0] == 'L' || code[0] == 'M' || code[0] == 'N';
    bool digitStart = code.size() >= 2 && code[0] == '1' && code[1] >= '4' && code[1] <= '8';
    ASSERT_TRUE(letterStart || digitStart);
  }
}

TEST_F(ScoreCode, TheMultiplierVariesBetweenShowings) {
  setStyle(0, 3, 250, 600);
  std::srand(1);
  std::set<std::string> seen;
  for (int i = 0; i < 64; ++i) {
    WCHAR out[64];
    makeScoreCode(out, 0);
    seen.insert(narrow(out));
  }
  EXPECT_EQ(seen.size(), 8u);
}

class Average : public ::testing::Test {
 protected:
  void TearDown() override { options.decimalAverages = 0; }

  std::string average(uint32_t total, uint32_t games, int decimals) {
    options.decimalAverages = decimals;
    StyleStatistics s = {};
    s.totalScore = total;
    s.gamesPlayed = games;
    WCHAR out[32];
    formatAverage(out, s);
    return narrow(out);
  }
};

TEST_F(Average, WholeNumbersTruncateAndDecimalsShowTwoPlaces) {
  EXPECT_EQ(average(10, 3, 0), "3");
  EXPECT_EQ(average(10, 3, 1), "3.33");
  EXPECT_EQ(average(1501, 2, 0), "750");
  EXPECT_EQ(average(1501, 2, 1), "750.50");
  EXPECT_EQ(average(2000, 3, 1), "666.67");
  EXPECT_EQ(average(500, 1, 1), "500.00");
}

TEST_F(Average, NoGamesShowsZeroWithoutDividing) {
  EXPECT_EQ(average(0, 0, 0), "0");
  EXPECT_EQ(average(0, 0, 1), "0.00");
  // A total left without games still shows zero.
  EXPECT_EQ(average(900, 0, 0), "0");
  EXPECT_EQ(average(900, 0, 1), "0.00");
}

TEST_F(Average, TotalsAboveTheSignedRangeDivideUnsigned) {
  EXPECT_EQ(average(3000000000u, 2, 0), "1500000000");
  EXPECT_EQ(average(3000000000u, 1, 1), "3000000000.00");
  EXPECT_EQ(average(4294967295u, 3, 0), "1431655765");
}

}  // namespace
