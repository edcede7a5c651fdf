// win32_screenshots OUTDIR [FONT_POINTS]: opens the Win32 windows on the installation that
// kestrow.ini beside this program names (the demo installation of run-wine.sh), one after the
// other, and writes each as it is on the screen, frame included, to OUTDIR\win32-<name>.bmp.
// FONT_POINTS lays the windows out with a Tahoma message font of that size in place of the
// system's (a user's larger message font). Run by
// scripts/win32-screenshots.sh inside a Wine virtual desktop, which draws the frames. It writes
// sync preferences of one user into the installation (the script runs it on a copy of its own).
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "src/core/palm/CondMgr.h"
#include "src/core/palm/PalmLib.h"
#include "src/core/OVUtil.h"
#include "src/win32/Ids.h"
#include "src/win32/MainWnd.h"
#include "src/win32/Win32Util.h"

namespace {

std::wstring g_outDir;
int g_nFailed = 0;

// Lets the windows draw for a moment.
void Settle(int ms) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(20);
  } while (GetTickCount() < end);
}

// The window as the screen shows it, frame included, as a 24-bit BMP file.
void Capture(HWND hwnd, const wchar_t* name) {
  SetForegroundWindow(hwnd);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Settle(600);
  RECT rc;
  GetWindowRect(hwnd, &rc);
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
  SelectObject(mem, old);
  GdiFlush();

  const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u);
  const DWORD size = stride * static_cast<DWORD>(h);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + size;
  const std::wstring path = g_outDir + L"\\win32-" + name + L".bmp";
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (f && bits) {
    std::fwrite(&fh, sizeof fh, 1, f);
    std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
    std::fwrite(bits, 1, size, f);
  } else {
    ++g_nFailed;
  }
  if (f) std::fclose(f);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

// What to do with each modal dialog as it opens.
enum class Step { CondDetail, UserInfo, Profiles, SyncActions, Progress, History };
Step g_step;
HWND g_progress = nullptr;

void Drive(HWND dlg, void*) {
  switch (g_step) {
    case Step::CondDetail:
      Capture(dlg, L"detail");
      break;
    case Step::UserInfo:
      Capture(dlg, L"userinfo");
      break;
    case Step::Profiles: {
      // The details dialog of a new profile, then the list holding it.
      wchar_t caption[64] = {};
      GetWindowTextW(dlg, caption, 64);
      if (std::wstring(caption) == L"Profile Details") {
        SetWindowTextW(GetDlgItem(dlg, win32::id::kDesc), L"Memo Pad off for the week");
        Capture(dlg, L"profdetail");
        SendMessageW(GetDlgItem(dlg, IDOK), BM_CLICK, 0, 0);
        return;
      }
      SendMessageW(GetDlgItem(dlg, win32::id::kSave), BM_CLICK, 0, 0);
      Capture(dlg, L"profiles");
      break;
    }
    case Step::SyncActions:
      Capture(dlg, L"syncactions");
      break;
    case Step::Progress:
      // Drawn once it has a step to show.
      g_progress = dlg;
      break;
    case Step::History:
      Capture(dlg, L"history");
      break;
  }
}

// A user whose handheld has a default for every listed conduit and two one-time actions, so
// that the actions dialog shows both kinds of row.
void WriteDemoPreferences(MainWnd& wnd, std::uint32_t userId) {
  const int nRows = static_cast<int>(wnd.Logic().CondRows().size());
  for (int i = 0; i < nRows; ++i) {
    const CONDUIT_REC* pRec = wnd.Logic().CondRecordAt(i);
    if (!pRec) continue;
    const std::int32_t perm = i % 5 == 2 ? 1 : i % 5 == 4 ? 3 : 0;
    palm::UmSetUserPermSyncPreferences(userId, pRec->dwCreatorID, perm);
    if (i == 1 || i == 3) palm::UmSetUserTempSyncPreferences(userId, pRec->dwCreatorID, i == 1 ? 3 : 2);
  }
}

ov::MessageAnswer Quiet(HWND, const ov::MessageRequest& request) {
  std::fprintf(stderr, "message: %s: %s\n", request.caption.c_str(), request.text.c_str());
  return ov::MessageAnswer::Ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: win32_screenshots OUTDIR [FONT_POINTS]\n");
    return 2;
  }
  g_outDir = argv[1];
  if (argc == 3) {
    // Digits only (msvcrt's number parsers are not among the calls this program may import).
    int points = 0;
    for (const wchar_t* p = argv[2]; *p; ++p) {
      if (*p < L'0' || *p > L'9' || points > 100) {
        points = 0;
        break;
      }
      points = points * 10 + (*p - L'0');
    }
    if (points <= 0) {
      std::fprintf(stderr, "win32_screenshots: FONT_POINTS must be a positive number\n");
      return 2;
    }
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, win32::ScreenDpi(), 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    win32::UseMessageFont(&lf);
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  win32::InstallMessageHooks();
  win32::SetMessageBoxFunction(Quiet);
  win32::SetModalDriver(Drive, nullptr);

  MainWnd wnd;
  if (!wnd.Create(false)) {
    std::fprintf(stderr, "win32_screenshots: no window (no display?)\n");
    return 1;
  }
  HWND main = wnd.Hwnd();
  ShowWindow(main, SW_SHOW);
  HWND conds = GetDlgItem(main, win32::id::kCondList);
  HWND users = GetDlgItem(main, win32::id::kUserList);
  // A few actions changed, so the window shows what it is for.
  ListView_SetCheckState(conds, 3, FALSE);
  ListView_SetCheckState(users, 4, FALSE);
  ListView_SetItemState(conds, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SetFocus(conds);
  Capture(main, L"main");

  g_step = Step::CondDetail;
  SendMessageW(GetDlgItem(main, win32::id::kDetail), BM_CLICK, 0, 0);

  ListView_SetItemState(users, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  g_step = Step::UserInfo;
  wnd.Logic().slvUserDblClick();

  g_step = Step::Profiles;
  SendMessageW(GetDlgItem(main, win32::id::kProfiles), BM_CLICK, 0, 0);

  // The HotSync actions of the selected user, as the user list's popup menu opens them.
  if (const UserRecord* pUser = wnd.Logic().UserRecordAt(1)) WriteDemoPreferences(wnd, pUser->userId);
  g_step = Step::SyncActions;
  wnd.Logic().miUserActionsClick();

  // The progress window of an Apply to the five users, two of them written.
  g_step = Step::Progress;
  wnd.ProgressBegin(mainwnd::kProgressCaption, 5);
  wnd.ProgressStep(2, "2 of 5 users written.");
  if (g_progress) {
    Capture(g_progress, L"progress");
  } else {
    ++g_nFailed;
  }
  wnd.ProgressEnd();

  // The history after a default Apply and one of the next HotSync only.
  SendMessageW(GetDlgItem(main, win32::id::kApply), BM_CLICK, 0, 0);
  SendMessageW(GetDlgItem(main, win32::id::kDefaultAction), BM_CLICK, 0, 0);
  SendMessageW(GetDlgItem(main, win32::id::kApply), BM_CLICK, 0, 0);
  g_step = Step::History;
  SendMessageW(GetDlgItem(main, win32::id::kHistory), BM_CLICK, 0, 0);

  win32::SetModalDriver(nullptr, nullptr);
  // Leaves the installation's ovcurr.dat as it was: the window is destroyed without its close.
  return g_nFailed == 0 ? 0 : 1;
}
