// Score codes: each style's figures scrambled with a random multiplier into a
// short string of digits and letters, and the dialog that shows the four.
#include <cstdlib>

#include "dialogs/dialogs.h"
#include "dialogs/pages.h"

namespace {

constexpr INT_PTR kResultClosed = 0;

const WCHAR* const kNoCode = u"0000000000";

// k = 11..18, so the first pair of digits is k itself.
constexpr int kMultiplierBase = 11;
constexpr int kMultiplierChoices = 8;
constexpr uint32_t kOffset = 7;

const WCHAR* const kDigitsFormat = u"%d%d%ld%d%ld%d%ld%d%d";
const WCHAR* const kLetterFormat = u"%c";

// Pairs 00..13 become A..N and 90..99 become P..Y, so O never appears.
constexpr LONG kLowLetterLast = 13;
constexpr WCHAR kLowLetterBase = u'A';
constexpr LONG kHighLetterFirst = 90;
constexpr LONG kHighLetterLast = 99;
constexpr LONG kHighLetterShift = 10;

constexpr int kCodeChars = 64;

// The text of a scrambled figure is measured with its sign, as "%ld" writes it.
int textLength(LONG value) {
  WCHAR text[kFigureChars];
  wsprintfW(text, kCountFormat, value);
  return int(wcslen(text));
}

LONG scramble(uint32_t value, uint32_t k) { return LONG(value * k - kOffset); }

void appendPair(WCHAR* destination, WCHAR first, WCHAR second) {
  WCHAR pair[3] = {first, second, 0};
  LONG n = _wtol(pair);
  WCHAR out[3];
  if (n >= 0 && n <= kLowLetterLast) {
    wsprintfW(out, kLetterFormat, int(kLowLetterBase + n));
  } else if (n >= kHighLetterFirst && n <= kHighLetterLast) {
    wsprintfW(out, kLetterFormat, int(n - kHighLetterShift));
  } else {
    wcscpy(out, pair);
  }
  wcscat(destination, out);
}

}  // namespace

int makeScoreCode(WCHAR* destination, int style) {
  const StyleStatistics& r = statistics.styles[style];
  destination[0] = 0;
  if (r.gamesPlayed == 0 || r.highScore == 0 || r.totalScore == 0) {
    wcscpy(destination, kNoCode);
    return 0;
  }
  uint32_t k = uint32_t(kMultiplierBase + std::rand() % kMultiplierChoices);
  LONG g = scramble(r.gamesPlayed, k);
  LONG h = scramble(r.highScore, k);
  LONG t = scramble(r.totalScore, k);
  LONG m = scramble(uint32_t(style + 1), k);
  WCHAR digits[kCodeChars];
  wsprintfW(digits, kDigitsFormat, int(k), textLength(g), g, textLength(h), h, textLength(t), t, textLength(m),
            int(m));
  size_t length = wcslen(digits);
  size_t at = 0;
  for (; at + 1 < length; at += 2) appendPair(destination, digits[at], digits[at + 1]);
  if (at < length) {
    WCHAR last[2] = {digits[at], 0};
    wcscat(destination, last);
  }
  return 1;
}

INT_PTR CALLBACK scoreCodesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    initDialogPage(dialog);
    WCHAR code[kCodeChars];
    for (int style = 0; style < kStyleCount; ++style) {
      makeScoreCode(code, style);
      SendDlgItemMessageW(dialog, IDC_STANDARD_CODE + style, WM_SETTEXT, 0, LPARAM(code));
    }
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, kResultClosed);
    return TRUE;
  }
  return FALSE;
}
