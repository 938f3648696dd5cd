// The runtime calls on UTF-16 strings, and the clock and dice of the device.
#include <cstdarg>
#include <cstdio>
#include <string>

#include <windows.h>

#include "system/device.h"

namespace {

// The platform formats into at most 1024 characters, terminator included.
constexpr size_t kMaxOut = 1024;

struct FieldFormat {
  bool left = false;
  bool zero = false;
  bool plus = false;
  bool space = false;
  bool alt = false;
  int width = 0;
  int precision = -1;
};

void pad(std::u16string& out, const std::u16string& body, const FieldFormat& s, bool zeroAllowed) {
  size_t width = s.width > 0 ? size_t(s.width) : 0;
  if (body.size() >= width) {
    out += body;
    return;
  }
  size_t fill = width - body.size();
  if (s.left) {
    out += body;
    out.append(fill, u' ');
  } else if (s.zero && zeroAllowed) {
    // Zeros go after the sign.
    size_t sign = !body.empty() && (body[0] == u'-' || body[0] == u'+' || body[0] == u' ') ? 1 : 0;
    out.append(body, 0, sign);
    out.append(fill, u'0');
    out.append(body, sign, std::u16string::npos);
  } else {
    out.append(fill, u' ');
    out += body;
  }
}

std::u16string integer(uint32_t magnitude, bool negative, unsigned base, bool upperCase, const FieldFormat& s) {
  const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  std::u16string d;
  do {
    d.insert(d.begin(), char16_t(digits[magnitude % base]));
    magnitude /= base;
  } while (magnitude);
  if (s.precision == 0 && d == u"0") d.clear();
  if (s.precision > 0 && d.size() < size_t(s.precision)) d.insert(0, size_t(s.precision) - d.size(), u'0');
  if (s.alt && base == 16 && !d.empty() && d != u"0") d.insert(0, upperCase ? u"0X" : u"0x");
  if (negative)
    d.insert(d.begin(), u'-');
  else if (s.plus && base == 10)
    d.insert(d.begin(), u'+');
  else if (s.space && base == 10)
    d.insert(d.begin(), u' ');
  return d;
}

std::u16string floating(double v, char conv, const FieldFormat& s) {
  std::string f = "%";
  if (s.plus) f += '+';
  if (s.space) f += ' ';
  if (s.alt) f += '#';
  f += '.';
  f += std::to_string(s.precision < 0 ? 6 : std::min(s.precision, 300));
  f += conv;
  char buf[400];
  int n = std::snprintf(buf, sizeof buf, f.c_str(), v);
  std::u16string out;
  for (int i = 0; i < n && i < int(sizeof buf) - 1; ++i) out += char16_t(buf[i]);
  return out;
}

}  // namespace

int wsprintfW(LPWSTR out, LPCWSTR format, ...) {
  if (!out) return 0;
  if (!format) {
    out[0] = 0;
    return 0;
  }
  va_list ap;
  va_start(ap, format);
  std::u16string o;
  for (const WCHAR* p = format; *p && o.size() < kMaxOut; ++p) {
    if (*p != u'%') {
      o += *p;
      continue;
    }
    ++p;
    if (*p == u'%') {
      o += u'%';
      continue;
    }
    FieldFormat s;
    for (;; ++p) {
      if (*p == u'-') s.left = true;
      else if (*p == u'0') s.zero = true;
      else if (*p == u'+') s.plus = true;
      else if (*p == u' ') s.space = true;
      else if (*p == u'#') s.alt = true;
      else break;
    }
    if (*p == u'*') {
      s.width = va_arg(ap, int);
      if (s.width < 0) {
        s.left = true;
        s.width = -s.width;
      }
      ++p;
    } else {
      for (; *p >= u'0' && *p <= u'9'; ++p) s.width = std::min(s.width * 10 + (*p - u'0'), 100000);
    }
    if (*p == u'.') {
      ++p;
      s.precision = 0;
      if (*p == u'*') {
        s.precision = va_arg(ap, int);
        ++p;
      } else {
        for (; *p >= u'0' && *p <= u'9'; ++p) s.precision = std::min(s.precision * 10 + (*p - u'0'), 100000);
      }
    }
    // Size prefixes: LONG is 32 bits here, so "l" reads the same int as none.
    while (*p == u'l' || *p == u'h' || *p == u'L') ++p;
    switch (*p) {
      case u'd':
      case u'i': {
        int v = va_arg(ap, int);
        bool negative = v < 0;
        uint32_t magnitude = negative ? 0u - uint32_t(v) : uint32_t(v);
        pad(o, integer(magnitude, negative, 10, false, s), s, s.precision < 0);
        break;
      }
      case u'u':
        pad(o, integer(va_arg(ap, unsigned), false, 10, false, s), s, s.precision < 0);
        break;
      case u'x':
      case u'X':
        pad(o, integer(va_arg(ap, unsigned), false, 16, *p == u'X', s), s, s.precision < 0);
        break;
      case u'f':
      case u'e':
      case u'E':
      case u'g':
      case u'G':
        pad(o, floating(va_arg(ap, double), char(*p), s), s, true);
        break;
      case u'c': {
        WCHAR c = WCHAR(va_arg(ap, int));
        pad(o, std::u16string(1, c), s, false);
        break;
      }
      case u's': {
        const WCHAR* str = va_arg(ap, const WCHAR*);
        std::u16string body;
        if (!str) str = u"(null)";
        for (size_t i = 0; str[i] && (s.precision < 0 || i < size_t(s.precision)) && i < kMaxOut; ++i)
          body += str[i];
        pad(o, body, s, false);
        break;
      }
      case 0:
        --p;  // a lone '%' at the end prints nothing
        break;
      default:
        o += *p;  // unknown conversions print their letter, as the platform does
        break;
    }
  }
  va_end(ap);
  if (o.size() > kMaxOut - 1) o.resize(kMaxOut - 1);
  o.copy(out, o.size());
  out[o.size()] = 0;
  return int(o.size());
}

LONG _wtol(const WCHAR* text) {
  if (!text) return 0;
  const WCHAR* p = text;
  while (*p == u' ' || (*p >= u'\t' && *p <= u'\r')) ++p;
  bool negative = false;
  if (*p == u'-' || *p == u'+') negative = *p++ == u'-';
  uint32_t v = 0;
  for (; *p >= u'0' && *p <= u'9'; ++p) v = v * 10u + uint32_t(*p - u'0');
  return LONG(negative ? 0u - v : v);
}

size_t wcslen(const WCHAR* text) {
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

WCHAR* wcscpy(WCHAR* dest, const WCHAR* src) {
  WCHAR* d = dest;
  while ((*d++ = *src++)) {
  }
  return dest;
}

WCHAR* wcscat(WCHAR* dest, const WCHAR* src) {
  wcscpy(dest + wcslen(dest), src);
  return dest;
}

void Sleep(DWORD milliseconds) {
  // Animations sleep between their steps: each step must be seen.
  pk::presentIfChanged();
  if (pk::Host* host = pk::device().host) host->pause(milliseconds);
}

DWORD Random(void) {
  pk::Host* host = pk::device().host;
  return host ? host->random() : 0;
}
