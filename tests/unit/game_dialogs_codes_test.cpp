// Score codes and the average rule of the dialogs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <string>

#include "core/records.h"
#include "device.h"
#include "dialogs/dialogs.h"

namespace {

class ScoreCode : public ::testing::Test {
 protected:
  void SetUp() override { memset(&statistics, 0, sizeof statistics); }
  void TearDown() override { memset(&statistics, 0, sizeof statistics); }

  static void setStyle(int style, uint32_t games, uint32_t high, uint32_t total) {
    statistics.styles[style].gamesPlayed = games;
    statistics.styles[style].highScore = high;
    statistics.styles[style].totalScore = total;
  }
  // The code after seeding the C library's generator; `result` gets what makeScoreCode returned.
  static std::string code(int style, unsigned seed, int* result = nullptr) {
    std::srand(seed);
    WCHAR out[64] = u"left over from before";
    int r = makeScoreCode(out, style);
    if (result) *result = r;
    return pk::utf8(out);
  }
};

// Each figure text is preceded by its length; pairs 00..13 and 90..99 turn into
// letters, everything else stays as two digits, and an odd last digit is kept.
// The seeds draw the multipliers 11 (8), 15 (16), 18 (1) and 16 (4).
TEST_F(ScoreCode, WorkedExamples) {
  struct Case {
    int style;
    uint32_t games, high, total;
    unsigned seed;
    const char *code, *covers;
  } cases[] = {
      {0, 3, 250, 600, 8, "L226427434659314", "first worked example, odd length"},
      {2, 12, 1840, 9000, 16, "1531735275S6134Y3238", "second worked example: 93 -> S, 99 -> Y"},
      {3, 13, 1412, 13223, 1, "1832275254J6238A7265", "09 -> J, 00 -> A"},
      {1, 20, 4097, 33265, 8, "L32N5450606365P8215", "13 -> N, 90 -> P"},
      {0, 31, 990, 6620, 8, "L333451I835728N14", "14 stays, 08 -> I, even length"},
      {2, 12, 4933, 34009, 4, "1631855789216544N7241", "89 stays"},
      // 195225787 x 11 - 7 passes 2^31, so T is negative; the pair "-2" stays.
      {0, 2, 100, 195225787, 8, "L2154KSL-214748364614", "minus sign copied"},
      // The style number enters the code: m = (style + 1) x k - 7.
      {3, 3, 250, 600, 8, "L2264274346593237", "style 3, figures of the first example"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.covers);
    memset(&statistics, 0, sizeof statistics);
    setStyle(c.style, c.games, c.high, c.total);
    int result = -1;
    EXPECT_EQ(code(c.style, c.seed, &result), c.code);
    EXPECT_EQ(result, 1);
  }
}

TEST_F(ScoreCode, NothingToEncodeGivesTenZerosWithoutADraw) {
  // Style 1 has nothing of its own, whatever style 0 holds.
  setStyle(0, 3, 250, 600);
  const uint32_t figures[][3] = {{0, 0, 0}, {0, 250, 600}, {3, 0, 600}, {3, 250, 0}};
  for (const auto& f : figures) {
    SCOPED_TRACE(testing::Message() << f[0] << " " << f[1] << " " << f[2]);
    setStyle(1, f[0], f[1], f[2]);
    std::srand(77);
    int expectedNext = std::rand();
    int result = -1;
    EXPECT_EQ(code(1, 77, &result), "0000000000");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(std::rand(), expectedNext) << "the ten zeros must not touch the generator";
  }
}

TEST_F(ScoreCode, AnyFiguresGiveAWellFormedCodeAndEveryMultiplierShows) {
  std::mt19937 gen(1234);
  std::uniform_int_distribution<uint32_t> any(1, UINT32_MAX), small(1, 5000);
  std::srand(99);
  for (int i = 0; i < 2000; ++i) {
    bool huge = i % 2;
    int style = i % 4;
    setStyle(style, huge ? any(gen) : small(gen), huge ? any(gen) : small(gen), huge ? any(gen) : small(gen));
    WCHAR out[64];
    ASSERT_EQ(makeScoreCode(out, style), 1);
    std::string text = pk::utf8(out);
    SCOPED_TRACE(text);
    ASSERT_LE(text.size(), 44u);
    for (char ch : text) ASSERT_TRUE((ch >= '0' && ch <= '9') || ch == '-' || (ch >= 'A' && ch <= 'Y' && ch != 'O'));
    bool letterStart = text[0] == 'L' || text[0] == 'M' || text[0] == 'N';
    ASSERT_TRUE(letterStart || (text[0] == '1' && text[1] >= '4' && text[1] <= '8'));
  }
  // The multiplier varies between showings: the same figures give eight codes.
  memset(&statistics, 0, sizeof statistics);
  setStyle(0, 3, 250, 600);
  std::set<std::string> seen;
  for (int i = 0; i < 64; ++i) {
    WCHAR out[64];
    makeScoreCode(out, 0);
    seen.insert(pk::utf8(out));
  }
  EXPECT_EQ(seen.size(), 8u);
}

TEST(Average, TruncatesOrShowsTwoPlacesDividesUnsignedAndNeverByZero) {
  const struct {
    uint32_t total, games;
    int decimals;
    const char* shown;
  } cases[] = {{10, 3, 0, "3"},          {10, 3, 1, "3.33"},     {1501, 2, 0, "750"},
               {1501, 2, 1, "750.50"},   {2000, 3, 1, "666.67"}, {500, 1, 1, "500.00"},
               {0, 0, 0, "0"},           {900, 0, 1, "0.00"},    {3000000000u, 2, 0, "1500000000"},
               {3000000000u, 1, 1, "3000000000.00"},             {4294967295u, 3, 0, "1431655765"}};
  for (const auto& c : cases) {
    options.decimalAverages = c.decimals;
    StyleStatistics s = {};
    s.totalScore = c.total;
    s.gamesPlayed = c.games;
    WCHAR out[32];
    formatAverage(out, s);
    EXPECT_EQ(pk::utf8(out), c.shown) << c.total << " / " << c.games;
  }
  options.decimalAverages = 0;
}

}  // namespace
