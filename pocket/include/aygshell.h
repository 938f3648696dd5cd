// The Pocket PC shell calls the game uses: menu bar, input panel, dialogs.
#pragma once
#include <windows.h>

typedef struct tagSHMENUBARINFO {
  DWORD cbSize;
  HWND hwndParent;
  DWORD dwFlags;
  UINT nToolBarId;
  HINSTANCE hInstRes;
  int nBmpId;
  int cBmpImages;
  HWND hwndMB;
} SHMENUBARINFO, *PSHMENUBARINFO;

BOOL SHCreateMenuBar(SHMENUBARINFO* info);

#define SHCMBM_GETSUBMENU (WM_USER + 401)

typedef struct tagSIPINFO {
  DWORD cbSize;
  DWORD fdwFlags;
  RECT rcVisibleDesktop;
  RECT rcSipRect;
  DWORD dwImDataSize;
  void* pvImData;
} SIPINFO, *PSIPINFO;

#define SIPF_OFF 0x00000000
#define SIPF_ON 0x00000001
#define SIPF_DOCKED 0x00000002
#define SIPF_LOCKED 0x00000004

#define SPI_SETSIPINFO 224
#define SPI_GETSIPINFO 225

BOOL SHSipInfo(UINT action, UINT param, PVOID data, UINT winIni);

typedef enum tagSIPSTATE {
  SIP_UP = 0,
  SIP_DOWN,
  SIP_FORCEDOWN,
  SIP_UNCHANGED,
  SIP_INPUTDIALOG,
} SIPSTATE;

BOOL SHSipPreference(HWND hwnd, SIPSTATE state);

typedef struct tagSHACTIVATEINFO {
  DWORD cbSize;
  HWND hwndLastFocus;
  UINT fSipUp : 1;
  UINT fSipOnDeactivation : 1;
  UINT fActive : 1;
  UINT fReserved : 29;
} SHACTIVATEINFO, *PSHACTIVATEINFO;

BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info);

typedef struct tagSHINITDLGINFO {
  DWORD dwMask;
  HWND hDlg;
  DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;

#define SHIDIM_FLAGS 0x0001
#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004

BOOL SHInitDialog(PSHINITDLGINFO info);
