// The average score of a style, shared by the score dialogs and Statistics.
#include "dialogs/dialogs.h"
#include "dialogs/pages.h"

namespace {
const WCHAR* const kDecimalFormat = u"%0.02lf";
// No games: no division, just the zero in the chosen precision.
const WCHAR* const kZeroFormat = u"0%s";
const WCHAR* const kZeroDecimals = u".00";
const WCHAR* const kZeroWhole = u"";
}  // namespace

void formatAverage(WCHAR* out, const StyleStatistics& s) {
  if (s.gamesPlayed == 0) {
    wsprintfW(out, kZeroFormat, options.decimalAverages ? kZeroDecimals : kZeroWhole);
  } else if (options.decimalAverages) {
    wsprintfW(out, kDecimalFormat, double(s.totalScore) / double(s.gamesPlayed));
  } else {
    wsprintfW(out, kCountFormat, LONG(s.totalScore / s.gamesPlayed));
  }
}
