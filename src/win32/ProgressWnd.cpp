// The progress window of a long run (Apply to many users, the search for one-time actions and
// their end): modal over the main window while the work goes on in the caller, which hands it
// each step.
#include <windows.h>

#include <commctrl.h>

#include "src/logic/Main.h"
#include "src/win32/Dialogs.h"
#include "src/win32/Ids.h"

namespace {
namespace mw = mainwnd;
namespace id = win32::id;

constexpr int kMargin = 12;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 27;
constexpr int kBarY = 36;
constexpr int kButtonY = 68;
constexpr int kClientHeight = kButtonY + kButtonHeight + kMargin;
}  // namespace

ProgressWnd::~ProgressWnd() {
  // As a dialog's end does: the owner comes back before the window goes, so that it gets the
  // activation.
  if (m_owner) EnableWindow(m_owner, TRUE);
}

bool ProgressWnd::Open(HWND owner, const std::string& caption, int nTotal) {
  m_caption = caption;
  m_nTotal = nTotal > 0 ? nTotal : 1;
  m_bCancelled = false;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  HWND hwnd = Create(owner, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
  if (!hwnd) return false;
  if (owner && IsWindowEnabled(owner)) {
    m_owner = owner;
    EnableWindow(owner, FALSE);
  }
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  win32::DriveModal(hwnd);
  return true;
}

void ProgressWnd::OnInit() {
  HWND hwnd = Hwnd();
  win32::SetControlText(hwnd, m_caption);
  const int width = mw::kProgressWidth - 2 * kMargin;
  win32::MakeControl(hwnd, WC_STATICW, "", SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_ENDELLIPSIS, kMargin, 12, width, 16,
                     id::kProgressText);
  HWND bar = win32::MakeControl(hwnd, PROGRESS_CLASSW, "", 0, kMargin, kBarY, width, 18, id::kProgressBar);
  SendMessageW(bar, PBM_SETRANGE32, 0, m_nTotal);
  win32::MakeButton(hwnd, win32::WithMnemonic(mw::kProgressCancel, 'C'), (mw::kProgressWidth - kButtonWidth) / 2, kButtonY, kButtonWidth,
                    kButtonHeight, IDCANCEL, true);
  win32::SizeAndCentre(hwnd, mw::kProgressWidth, kClientHeight);
}

bool ProgressWnd::Step(int nDone, const std::string& text) {
  // The session steps the window at most every 30 ms (kProgressInterval), so each step is drawn
  // and the waiting messages handled.
  if (m_bCancelled) return false;
  HWND hwnd = Hwnd();
  if (hwnd) {
    if (text != m_text) {
      m_text = text;
      win32::SetControlText(GetDlgItem(hwnd, id::kProgressText), text);
    }
    SendMessageW(GetDlgItem(hwnd, id::kProgressBar), PBM_SETPOS, static_cast<WPARAM>(nDone), 0);
  }
  // Everything waiting, for every window of the thread: paints, the Cancel button, the keys of
  // this window through the dialog manager. The owner is disabled, so no command of it runs.
  MSG msg;
  while (!m_bCancelled && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The application is ending: stop the work and leave the quit to the main loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      m_bCancelled = true;
      break;
    }
    if (!win32::IsDialogKey(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return !m_bCancelled;
}

void ProgressWnd::Cancel() {
  if (m_bCancelled) return;
  m_bCancelled = true;
  // Said at once, though the work stops only at its next step.
  HWND hwnd = Hwnd();
  if (hwnd) EnableWindow(GetDlgItem(hwnd, IDCANCEL), FALSE);
}

bool ProgressWnd::OnCommand(int cmd, int /*code*/, HWND /*control*/) {
  if (cmd != IDCANCEL && cmd != IDOK) return false;
  // Enter presses the focused button, the only one: Cancel.
  Cancel();
  return true;
}
