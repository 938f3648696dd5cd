// Message boxes in the style of the device: a centred box with a caption
// strip, an optional question icon, the word-wrapped text and its buttons.
#include <cstdio>

#include "chrome/look.h"
#include "controls/controls.h"
#include "system/device.h"
#include "wm/window_table.h"
#include "wm/wm.h"

namespace pk::chrome {
namespace {

constexpr int kStrip = 20;
constexpr int kButtonW = 56;
constexpr int kButtonH = 21;
constexpr int kIcon = 32;

struct Box {
  UINT type = 0;
  std::u16string message;
  RECT textRect{};
  bool done = false;
  int result = 0;
};

wm::WindowTable<Box>& boxes() {
  static wm::WindowTable<Box> b;
  return b;
}

Box* boxOf(HWND hwnd) { return boxes().find(hwnd); }

bool yesNo(UINT type) { return (type & 0x0F) == MB_YESNO; }
bool questionIcon(UINT type) { return (type & 0xF0) == MB_ICONQUESTION; }
int escapeAnswer(UINT type) { return yesNo(type) ? IDNO : IDOK; }
int defaultAnswer(UINT type) {
  if (!yesNo(type)) return IDOK;
  return (type & 0xF00) == MB_DEFBUTTON2 ? IDNO : IDYES;
}

void drawQuestion(HDC dc, int x, int y) {
  HBRUSH blue = CreateSolidBrush(RGB(0, 64, 200));
  HGDIOBJ oldBrush = SelectObject(dc, blue);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  Ellipse(dc, x, y, x + kIcon, y + kIcon);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(blue);
  ScopedFont font(dc, 16, true);
  text(dc, u"?", RECT{x + 2, y + 2, x + kIcon - 2, y + kIcon - 2}, DT_CENTER | DT_VCENTER | DT_SINGLELINE, kWhite,
       RGB(0, 64, 200));
}

void finish(HWND hwnd, int answer) {
  if (Box* b = boxOf(hwnd); b && !b->done) {
    b->done = true;
    b->result = answer;
  }
}

LRESULT CALLBACK boxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Box* b = boxOf(hwnd);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      fillSolid(dc, rc, kWhite);
      fillSolid(dc, RECT{0, 0, rc.right, kStrip}, kNavBlue);
      {
        ScopedFont font(dc, 8, true);
        text(dc, wm::text(hwnd), RECT{6, 0, rc.right - 6, kStrip}, DT_LEFT | DT_VCENTER | DT_SINGLELINE, kWhite,
             kNavBlue);
      }
      frame(dc, rc, kBlack);
      if (b) {
        if (questionIcon(b->type)) drawQuestion(dc, 10, kStrip + 10);
        ScopedFont font(dc, 8, false);
        text(dc, b->message, b->textRect, DT_LEFT | DT_WORDBREAK, kBlack, kWhite);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_COMMAND:
      finish(hwnd, LOWORD(wParam));
      return 0;
    case WM_KEYDOWN:
      if (b && wParam == VK_RETURN) finish(hwnd, defaultAnswer(b->type));
      if (b && wParam == VK_ESCAPE) finish(hwnd, escapeAnswer(b->type));
      return 0;
    case WM_CLOSE:
      if (b) finish(hwnd, escapeAnswer(b->type));
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

std::string hexFlags(UINT type) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%03x", type);
  return buf;
}

}  // namespace

bool isMessageBox(HWND hwnd) { return boxOf(hwnd) != nullptr && IsWindow(hwnd); }

}  // namespace pk::chrome

using namespace pk::chrome;

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  registerClass(u"pk_messagebox", boxProc);
  registerControlClasses();
  std::u16string message = text ? text : u"";
  std::u16string title = caption ? caption : u"Error";

  HWND ownerTop = IsWindow(owner) ? owner : nullptr;
  while (ownerTop && pk::wm::parentOf(ownerTop)) ownerTop = pk::wm::parentOf(ownerTop);

  const int screenW = pk::device().screen.width, screenH = pk::device().screen.height;
  const int width = std::min(screenW - 16, 224);
  int textLeft = questionIcon(type) ? 10 + kIcon + 10 : 10;
  RECT textRect{textLeft, kStrip + 10, width - 10, kStrip + 10};
  HDC dc = GetDC(nullptr);
  {
    ScopedFont font(dc, 8, false);
    RECT calc{textRect.left, textRect.top, textRect.right, textRect.top + 1000};
    DrawTextW(dc, message.c_str(), int(message.size()), &calc, DT_LEFT | DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
    textRect.bottom = std::max(calc.bottom, textRect.top);
  }
  ReleaseDC(nullptr, dc);
  textRect.right = width - 10;
  int contentBottom = std::max<int>(textRect.bottom, questionIcon(type) ? kStrip + 10 + kIcon : textRect.bottom);
  int buttonsTop = contentBottom + 12;
  int height = buttonsTop + kButtonH + 10;
  const int workTop = pk::wm::kNavBarHeight, workH = screenH - workTop - pk::wm::kMenuBarHeight;
  int x = (screenW - width) / 2, y = workTop + std::max(0, (workH - height) / 2);

  HWND hwnd = CreateWindowExW(0, u"pk_messagebox", title.c_str(), WS_POPUP, x, y, width, height, ownerTop, nullptr,
                              nullptr, nullptr);
  if (!hwnd) return 0;
  Box& box = boxes().add(hwnd);
  box.type = type;
  box.message = message;
  box.textRect = textRect;

  struct Choice {
    int id;
    const char16_t* label;
  };
  std::vector<Choice> choices = yesNo(type) ? std::vector<Choice>{{IDYES, u"Yes"}, {IDNO, u"No"}}
                                            : std::vector<Choice>{{IDOK, u"OK"}};
  int total = int(choices.size()) * kButtonW + (int(choices.size()) - 1) * 8;
  int bx = (width - total) / 2;
  for (const Choice& c : choices) {
    DWORD style = WS_CHILD | WS_VISIBLE | (c.id == defaultAnswer(type) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    CreateWindowExW(0, u"BUTTON", c.label, style, bx, buttonsTop, kButtonW, kButtonH, hwnd,
                    reinterpret_cast<HMENU>(intptr_t(c.id)), nullptr, nullptr);
    bx += kButtonW + 8;
  }

  pk::wm::runModal(hwnd, ownerTop, box.done);
  int result = box.done ? box.result : escapeAnswer(type);
  boxes().erase(hwnd);
  pk::note("messagebox " + pk::chrome::quoted(title) + " " + pk::chrome::quoted(message) + " " + hexFlags(type) + " -> " +
           std::to_string(result));
  return result;
}
