// Score codes, against examples worked out by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/records.h"
#include "system/device.h"
#include "dialogs/dialogs.h"

namespace {

// Each figure text is preceded by its length; pairs 00..13 and 90..99 turn into
// letters, everything else stays as two digits, and an odd last digit is kept.
// The seeds of the C library's generator draw the multipliers 11 (8), 15 (16), 18 (1) and 16 (4).
TEST(ScoreCode, WorkedExamples) {
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
    statistics = {};
    statistics.styles[c.style] = {c.games, c.high, c.total, 0, 0, {}};
    std::srand(c.seed);
    WCHAR out[64] = u"left over from before";
    EXPECT_EQ(makeScoreCode(out, c.style), 1);
    EXPECT_EQ(pk::utf8(out), c.code);
  }
  // Any figure of 0 gives ten zeros instead of a code.
  for (auto [games, high, total] : {std::tuple{0u, 5u, 5u}, {5u, 0u, 5u}, {5u, 5u, 0u}}) {
    statistics.styles[1] = {games, high, total, 0, 0, {}};
    WCHAR out[64];
    EXPECT_TRUE(makeScoreCode(out, 1) == 0 && pk::utf8(out) == "0000000000") << games << " " << high << " " << total;
  }
  statistics = {};
}

}  // namespace
