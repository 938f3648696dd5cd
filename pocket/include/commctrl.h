// The common controls the game uses: its tool-bar images and messages.
#pragma once
#include <windows.h>

typedef struct tagINITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
} INITCOMMONCONTROLSEX, *LPINITCOMMONCONTROLSEX;
static_assert(sizeof(INITCOMMONCONTROLSEX) == 8, "INITCOMMONCONTROLSEX has the platform's layout");

#define ICC_BAR_CLASSES 0x00000004
#define ICC_COOL_CLASSES 0x00000400

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc);

typedef struct _TBBUTTON {
  int iBitmap;
  int idCommand;
  BYTE fsState;
  BYTE fsStyle;
  BYTE bReserved[6];
  DWORD_PTR dwData;
  INT_PTR iString;
} TBBUTTON, *LPTBBUTTON;
typedef const TBBUTTON* LPCTBBUTTON;

#define TBSTATE_CHECKED 0x01
#define TBSTATE_PRESSED 0x02
#define TBSTATE_ENABLED 0x04
#define TBSTATE_HIDDEN 0x08

#define TBSTYLE_BUTTON 0x00
#define TBSTYLE_SEP 0x01
#define TBSTYLE_DROPDOWN 0x08
#define TBSTYLE_AUTOSIZE 0x10

#define I_IMAGENONE (-2)

#define TB_ENABLEBUTTON (WM_USER + 1)
#define TB_ISBUTTONENABLED (WM_USER + 9)
#define TB_ADDBUTTONS (WM_USER + 68)
#define TB_SETTOOLTIPS (WM_USER + 81)

#define HINST_COMMCTRL ((HINSTANCE)(LONG_PTR)-1)
#define IDB_STD_SMALL_COLOR 0

// Indices of the standard small colour images.
#define STD_CUT 0
#define STD_COPY 1
#define STD_PASTE 2
#define STD_UNDO 3
#define STD_REDOW 4
#define STD_DELETE 5
#define STD_FILENEW 6
#define STD_FILEOPEN 7
#define STD_FILESAVE 8
#define STD_PRINTPRE 9
#define STD_PROPERTIES 10
#define STD_HELP 11
#define STD_FIND 12
#define STD_REPLACE 13
#define STD_PRINT 14

int CommandBar_AddBitmap(HWND bar, HINSTANCE instance, int bitmapId, int imageCount, int imageWidth,
                         int imageHeight);
int CommandBar_Height(HWND bar);
