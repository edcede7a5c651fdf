// What the Win32 views share: text conversion between the logic's ANSI code page and the wide
// API, sizes in pixels at 96 dpi scaled to the screen, the message font, the dialog base with its
// modal loop, and the two things tests replace: the message box and the popup menu.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "src/logic/View.h"

namespace win32 {

// Texts of the logic and of Palm's libraries are in the ANSI code page.
std::wstring Wide(const std::string& text);
std::wstring Wide(const char* text);
std::string Narrow(const std::wstring& text);
// text in the ANSI code page into *pOut, and whether every character came through as it is:
// false when one has no place in the code page (Narrow would make it '?' or a look-alike, such
// as 'l' for the Polish '\u0142').
bool NarrowExact(const std::wstring& text, std::string* pOut);
// The text of a control as it is, in UTF-16.
std::wstring ControlTextWide(HWND hwnd);
// The text of a control, converted back to the ANSI code page.
std::string ControlText(HWND hwnd);
void SetControlText(HWND hwnd, const std::string& text);

// Layout sizes are pixels of the windows as drawn at 96 dpi with an 8-point Tahoma message font
// (Windows XP's, and Wine's); Scale turns them into pixels of this screen and font, the way
// dialog units follow a dialog's font: by the larger of the screen's DPI and the message font's
// height and average width against that font's, so that a larger font ("Make text bigger", a
// 12-point message font) or a higher DPI grows the whole window and clips no text.
int ScreenDpi();
// The factor in thousandths (1000: the 96-dpi layout as it is).
int LayoutScale();
int Scale(int px);

// The font of message boxes and dialogs as the system sets it (already sized for the screen).
HFONT MessageFont();
// Lays the windows opened from now on out with font in place of the system's message font
// (nullptr: the system's again); the window tests and the screenshots try other sizes with it.
void UseMessageFont(const LOGFONTW* font);

// Whether High Contrast is on: then the windows draw in the system's colours only.
bool HighContrast();
// Answers HighContrast with bOn from now on (tests); ResetHighContrast asks the system again.
void UseHighContrast(bool bOn);
void ResetHighContrast();

// text with a mnemonic marker before the first key (the letter, as it is written in text):
// Alt+key presses the button. A text that has a marker already, or no key, is returned as is.
std::string WithMnemonic(const std::string& text, char key);

// Creates a child control at x, y (96-dpi pixels) with the message font. style gets WS_CHILD
// and WS_VISIBLE added.
HWND MakeControl(HWND parent, const wchar_t* cls, const std::string& text, DWORD style, int x, int y,
                 int width, int height, int id, DWORD exStyle = 0);
HWND MakeButton(HWND parent, const std::string& text, int x, int y, int width, int height, int id,
                bool isDefault = false);
HWND MakeLabel(HWND parent, const std::string& text, int x, int y, int width, int height, int id = -1);
// A list view in report style with whole-row selection, one selected row at most.
HWND MakeListView(HWND parent, int x, int y, int width, int height, int id, DWORD extraStyle, DWORD exListStyle);
void AddListColumn(HWND list, int index, const std::string& text, int width);
// Inserts row nRow of a list view with one text per column, first column first.
void InsertListRow(HWND list, int nRow, std::initializer_list<const std::string*> texts);

// The window's size for a client area of width x height (layout pixels, see Scale), centred on
// the work area of the monitor that holds its owner (a dialog opens on the monitor its main
// window is on), or of the window's own monitor when it has no owner; kept on that work area.
void SizeAndCentre(HWND hwnd, int width, int height);

// The application's title, the caption of the assertion and exception boxes.
inline constexpr const char* kApplicationTitle = "Customize HotSync Settings Quickly";

// The message box: MessageBoxW owned by owner, unless replaced (tests hear what was said
// without a modal loop). nullptr restores MessageBoxW; the previous function is returned.
using MessageBoxFunction = ov::MessageAnswer (*)(HWND owner, const ov::MessageRequest& request);
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction fn);
ov::MessageAnswer ShowMessageBox(HWND owner, const ov::MessageRequest& request);

// The core's messages (ov::ShowMessage) and failed assertions go to message boxes.
void InstallMessageHooks();

// The popup menu: TrackPopupMenu at x, y (screen) answering the chosen command (0: none),
// unless replaced (tests look at the menu and choose). nullptr restores TrackPopupMenu.
using PopupMenuFunction = UINT (*)(HMENU menu, int x, int y, HWND owner);
PopupMenuFunction SetPopupMenuFunction(PopupMenuFunction fn);
UINT ShowPopupMenu(HMENU menu, int x, int y, HWND owner);

// Called with every modal dialog once it is on the screen and before its loop runs; a test
// drives the dialog from there (for example BM_CLICK on its buttons). nullptr: nobody.
using ModalDriver = void (*)(HWND dialog, void* context);
void SetModalDriver(ModalDriver fn, void* context);
// Hands a modal window that runs no loop of its own to the driver, once it is on the screen:
// the progress window, whose work goes on while it shows. Unlike a dialog's, it stays open
// whatever the driver does; what the driver posts is handled at the work's next step.
void DriveModal(HWND window);

// A dialog window built from an empty in-memory template, its controls created in OnInit with
// sizes in layout pixels. The dialog manager gives it Tab, mnemonics, Enter (the default
// button) and Escape (IDCANCEL). F1 (WM_HELP, which the system sends to the focused control
// and which climbs to its dialog) goes on to the window that owns them all, the main window,
// whose Help it runs.
class Dialog {
 public:
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  HWND Hwnd() const { return m_hwnd; }
  // Creates the dialog hidden (owned by owner), shows it modally with owner disabled, and
  // returns the result given to End. Ends with IDCANCEL when the application is quitting.
  INT_PTR RunModal(HWND owner);
  // Ends the modal loop with result.
  void End(INT_PTR result);

 protected:
  Dialog() = default;
  // Creates the window (hidden, not modal): the main window is a modeless dialog.
  HWND Create(HWND owner, DWORD style);
  virtual void OnInit() = 0;
  // The dialog is on the screen (modal dialogs, before the loop runs).
  virtual void OnShown() {}
  // WM_COMMAND; true when handled.
  virtual bool OnCommand(int id, int code, HWND control) = 0;
  // WM_NOTIFY; the result goes to DWLP_MSGRESULT.
  virtual LRESULT OnNotify(NMHDR* /*header*/) { return 0; }
  // Any other message; true when handled, with *result as the answer.
  virtual bool OnMessage(UINT /*msg*/, WPARAM /*wp*/, LPARAM /*lp*/, LRESULT* /*result*/) { return false; }
  HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  HWND m_hwnd = nullptr;
  HWND m_owner = nullptr;  // disabled while the dialog is modal
  bool m_bEnded = false;
  INT_PTR m_nResult = IDCANCEL;
};

// The innermost modal dialog (RunModal's) that is running over owner, or owner when none is: a
// dialog that another dialog asks the main window for opens over that one.
HWND TopModal(HWND owner);

// Tab order, mnemonics, Enter and Escape for the dialog that holds msg's window, wherever the
// message loop runs (the main loop and every modal loop).
bool IsDialogKey(MSG* msg);

}  // namespace win32
