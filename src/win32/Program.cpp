// orvane.exe: the program entry on Windows. No command-line argument is read.
#include <windows.h>

#include <commctrl.h>

#include <exception>

#include "src/win32/MainWnd.h"
#include "src/win32/Win32Util.h"

namespace {

void ShowFailure(const char* text) {
  ov::MessageRequest request;
  request.text = text;
  request.caption = win32::kApplicationTitle;
  request.icon = ov::MessageIcon::Error;
  win32::ShowMessageBox(nullptr, request);
}

// Says that Orvane runs, for the setup program and the uninstaller, which must not replace or
// remove orvane.exe under it. In the global namespace, so that a setup run in another session
// (another user switched in, an administrator's elevated setup) finds it too: opening a mutex
// there needs no privilege, and creating one needs none either. A setup that may not open it
// (another user's, whose default security leaves it out) is refused with "access denied",
// which tells it just as well that Orvane runs. A mutex that cannot be made stops nothing.
constexpr const wchar_t* kRunningMutex = L"Global\\Orvane.Running";

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int nShow) {
  // Held until the process ends (Windows closes the handle then, however it ends).
  HANDLE running = CreateMutexW(nullptr, FALSE, kRunningMutex);
  (void)running;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  win32::InstallMessageHooks();
  try {
    MainWnd wnd;
    if (!wnd.Create(true)) {
      ShowFailure("The main window could not be created.");
      return 0;
    }
    ShowWindow(wnd.Hwnd(), nShow);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (!win32::IsDialogKey(&msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  } catch (const std::exception& e) {
    ShowFailure(e.what());
  } catch (...) {
    ShowFailure("");
  }
  return 0;
}
