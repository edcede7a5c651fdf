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

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int nShow) {
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
