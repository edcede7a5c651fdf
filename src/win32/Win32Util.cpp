#include "src/win32/Win32Util.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <exception>
#include <vector>

#include "src/core/misc/Assert.h"
#include "src/core/misc/Message.h"

namespace win32 {

// -------------------------------------------------------------------------------------------------
// Text

std::wstring Wide(const char* text) {
  if (text == nullptr || *text == '\0') return {};
  const int len = static_cast<int>(std::strlen(text));
  const int n = MultiByteToWideChar(CP_ACP, 0, text, len, nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, len, out.data(), n);
  return out;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  // A zero byte ends the text, as it does for the control that shows it.
  return Wide(text.c_str());
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int len = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), len, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), len, out.data(), n, nullptr, nullptr);
  return out;
}

bool NarrowExact(const std::wstring& text, std::string* pOut) {
  pOut->clear();
  if (text.empty()) return true;
  const int len = static_cast<int>(text.size());
  // A UTF-8 code page (Windows 10 and later can run with one) has a place for every character
  // but takes neither flag nor default character; there only a broken surrogate is lost.
  const UINT cp = GetACP();
  const bool bUtf8 = cp == CP_UTF8;
  constexpr DWORD kErrInvalidChars = 0x80;  // WC_ERR_INVALID_CHARS, Vista's; XP has no UTF-8 code page
  const DWORD flags = bUtf8 ? kErrInvalidChars : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* pUsedDefault = bUtf8 ? nullptr : &usedDefault;
  const int n = WideCharToMultiByte(cp, flags, text.data(), len, nullptr, 0, nullptr, pUsedDefault);
  if (n <= 0) return false;
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(cp, flags, text.data(), len, out.data(), n, nullptr, pUsedDefault);
  *pOut = std::move(out);
  return !usedDefault;
}

std::wstring ControlTextWide(HWND hwnd) {
  const int len = GetWindowTextLengthW(hwnd);
  if (len <= 0) return {};
  std::vector<wchar_t> buf(static_cast<std::size_t>(len) + 1);
  const int got = GetWindowTextW(hwnd, buf.data(), len + 1);
  return std::wstring(buf.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

std::string ControlText(HWND hwnd) { return Narrow(ControlTextWide(hwnd)); }

void SetControlText(HWND hwnd, const std::string& text) { SetWindowTextW(hwnd, Wide(text).c_str()); }

// -------------------------------------------------------------------------------------------------
// Screen

int ScreenDpi() {
  static int dpi = 0;
  if (dpi == 0) {
    HDC dc = GetDC(nullptr);
    dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    if (dpi <= 0) dpi = 96;
  }
  return dpi;
}

namespace {

HFONT g_messageFont = nullptr;
bool g_bOwnMessageFont = false;  // g_messageFont was made here and is deleted with the next one
int g_nLayoutScale = 0;          // 0: not measured yet

// The height (tmHeight) and average letter width (in thousandths of a pixel) of font.
struct FontSize {
  int height = 0;
  int width1000 = 0;
};

FontSize MeasureFont(HDC dc, HFONT font) {
  FontSize size;
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW tm{};
  static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE extent{};
  if (GetTextMetricsW(dc, &tm) && GetTextExtentPoint32W(dc, kLetters, 52, &extent)) {
    size.height = tm.tmHeight;
    size.width1000 = MulDiv(extent.cx, 1000, 52);
  }
  SelectObject(dc, old);
  return size;
}

// The thousandths by which the message font is larger than 8-point Tahoma at 96 dpi, the font
// the layout was drawn with; measured on the same screen, so that a font the system substitutes
// for both compares as equal.
int FontScale() {
  HDC dc = GetDC(nullptr);
  if (dc == nullptr) return 1000;
  LOGFONTW lf{};
  lf.lfHeight = -11;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
  HFONT reference = CreateFontIndirectW(&lf);
  int scale = 1000;
  if (reference) {
    const FontSize ref = MeasureFont(dc, reference);
    const FontSize msg = MeasureFont(dc, MessageFont());
    if (ref.height > 0 && ref.width1000 > 0 && msg.height > 0) {
      scale = std::max(MulDiv(msg.height, 1000, ref.height), MulDiv(msg.width1000, 1000, ref.width1000));
    }
    DeleteObject(reference);
  }
  ReleaseDC(nullptr, dc);
  return scale;
}

}  // namespace

int LayoutScale() {
  if (g_nLayoutScale == 0) g_nLayoutScale = std::max(MulDiv(ScreenDpi(), 1000, 96), FontScale());
  return g_nLayoutScale;
}

int Scale(int px) { return MulDiv(px, LayoutScale(), 1000); }

HFONT MessageFont() {
  if (g_messageFont == nullptr) {
    // The structure as Windows XP knows it, without Vista's iPaddedBorderWidth: XP refuses the
    // longer one, and every later Windows takes the shorter.
    NONCLIENTMETRICSW ncm{};
    const UINT size = offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof ncm.lfMessageFont;
    ncm.cbSize = size;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, size, &ncm, 0)) {
      g_messageFont = CreateFontIndirectW(&ncm.lfMessageFont);
      g_bOwnMessageFont = g_messageFont != nullptr;
    }
    if (g_messageFont == nullptr) g_messageFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  return g_messageFont;
}

void UseMessageFont(const LOGFONTW* font) {
  // The windows that used the old font are gone when a test or the screenshots change it.
  if (g_bOwnMessageFont && g_messageFont) DeleteObject(g_messageFont);
  g_messageFont = font ? CreateFontIndirectW(font) : nullptr;
  g_bOwnMessageFont = g_messageFont != nullptr;
  g_nLayoutScale = 0;
}

namespace {
int g_nHighContrast = -1;  // -1: ask the system
}  // namespace

bool HighContrast() {
  if (g_nHighContrast >= 0) return g_nHighContrast != 0;
  HIGHCONTRASTW hc{};
  hc.cbSize = sizeof hc;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

void UseHighContrast(bool bOn) { g_nHighContrast = bOn ? 1 : 0; }

void ResetHighContrast() { g_nHighContrast = -1; }

std::string WithMnemonic(const std::string& text, char key) {
  if (text.find('&') != std::string::npos) return text;
  const std::size_t at = text.find(key);
  if (at == std::string::npos) return text;
  std::string out = text;
  out.insert(at, 1, '&');
  return out;
}

HWND MakeControl(HWND parent, const wchar_t* cls, const std::string& text, DWORD style, int x, int y,
                 int width, int height, int id, DWORD exStyle) {
  HWND hwnd = CreateWindowExW(exStyle, cls, Wide(text).c_str(), style | WS_CHILD | WS_VISIBLE, Scale(x), Scale(y),
                              Scale(width), Scale(height), parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (hwnd) SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont()), FALSE);
  return hwnd;
}

HWND MakeButton(HWND parent, const std::string& text, int x, int y, int width, int height, int id, bool isDefault) {
  return MakeControl(parent, WC_BUTTONW, text, WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), x, y,
                     width, height, id);
}

HWND MakeLabel(HWND parent, const std::string& text, int x, int y, int width, int height, int id) {
  return MakeControl(parent, WC_STATICW, text, SS_LEFT | SS_NOPREFIX, x, y, width, height, id);
}

HWND MakeListView(HWND parent, int x, int y, int width, int height, int id, DWORD extraStyle, DWORD exListStyle) {
  HWND list = MakeControl(parent, WC_LISTVIEWW, "", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | extraStyle, x, y, width,
                          height, id, WS_EX_CLIENTEDGE);
  if (list) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | exListStyle);
  }
  return list;
}

void AddListColumn(HWND list, int index, const std::string& text, int width) {
  std::wstring w = Wide(text);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  col.pszText = w.data();
  col.cx = Scale(width);
  col.iSubItem = index;
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col));
}

void InsertListRow(HWND list, int nRow, std::initializer_list<const std::string*> texts) {
  int col = 0;
  for (const std::string* text : texts) {
    std::wstring w = Wide(*text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = nRow;
    item.iSubItem = col++;
    item.pszText = w.data();
    SendMessageW(list, item.iSubItem == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
}

void SizeAndCentre(HWND hwnd, int width, int height) {
  RECT rc{0, 0, Scale(width), Scale(height)};
  AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  HWND owner = GetWindow(hwnd, GW_OWNER);
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  HMONITOR monitor = MonitorFromWindow(owner ? owner : hwnd, MONITOR_DEFAULTTONEAREST);
  if (monitor && GetMonitorInfoW(monitor, &info)) {
    work = info.rcWork;
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  }
  int x = work.left + ((work.right - work.left) - w) / 2;
  int y = work.top + ((work.bottom - work.top) - h) / 2;
  // A window larger than the work area keeps its title bar on the screen.
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

// -------------------------------------------------------------------------------------------------
// Message boxes and the popup menu

namespace {

ov::MessageAnswer SystemMessageBox(HWND owner, const ov::MessageRequest& request) {
  UINT type = MB_ICONINFORMATION;
  switch (request.icon) {
    case ov::MessageIcon::Information: break;
    case ov::MessageIcon::Warning: type = MB_ICONWARNING; break;
    case ov::MessageIcon::Question: type = MB_ICONQUESTION; break;
    case ov::MessageIcon::Error: type = MB_ICONERROR; break;
  }
  if (request.buttons == ov::MessageButtons::YesNo) {
    type |= MB_YESNO;
    if (request.defaultAnswer != ov::MessageAnswer::Yes) type |= MB_DEFBUTTON2;
  } else {
    type |= MB_OK;
  }
  // Without an owner the box keeps the whole thread waiting, as an owned one does.
  if (owner == nullptr) type |= MB_TASKMODAL;
  const int answer = MessageBoxW(owner, Wide(request.text).c_str(), Wide(request.caption).c_str(), type);
  switch (answer) {
    case IDYES: return ov::MessageAnswer::Yes;
    case IDNO: return ov::MessageAnswer::No;
    case IDCANCEL: return ov::MessageAnswer::Cancel;
    default: return ov::MessageAnswer::Ok;
  }
}

UINT SystemPopupMenu(HMENU menu, int x, int y, HWND owner) {
  // The owner must be in front for the menu to close when the user clicks elsewhere.
  SetForegroundWindow(owner);
  const UINT cmd = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, x, y, 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  return cmd;
}

MessageBoxFunction g_fnMessageBox = SystemMessageBox;
PopupMenuFunction g_fnPopupMenu = SystemPopupMenu;
ModalDriver g_fnDriver = nullptr;
void* g_pDriverContext = nullptr;

int CoreMessage(const char* text, const char* caption, ov::MessageIcon icon) {
  ov::MessageRequest request;
  request.text = text ? text : "";
  request.caption = caption ? caption : "";
  request.icon = icon;
  return static_cast<int>(ShowMessageBox(GetActiveWindow(), request));
}

void AssertionBox(const char* text) {
  ov::MessageRequest request;
  request.text = text ? text : "";
  request.caption = kApplicationTitle;
  request.icon = ov::MessageIcon::Error;
  ShowMessageBox(nullptr, request);
}

}  // namespace

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction fn) {
  MessageBoxFunction old = g_fnMessageBox;
  g_fnMessageBox = fn ? fn : SystemMessageBox;
  return old;
}

ov::MessageAnswer ShowMessageBox(HWND owner, const ov::MessageRequest& request) {
  return g_fnMessageBox(owner, request);
}

void InstallMessageHooks() {
  ov::SetMessageHook(CoreMessage);
  ov::SetAssertHook(AssertionBox);
}

PopupMenuFunction SetPopupMenuFunction(PopupMenuFunction fn) {
  PopupMenuFunction old = g_fnPopupMenu;
  g_fnPopupMenu = fn ? fn : SystemPopupMenu;
  return old;
}

UINT ShowPopupMenu(HMENU menu, int x, int y, HWND owner) { return g_fnPopupMenu(menu, x, y, owner); }

void SetModalDriver(ModalDriver fn, void* context) {
  g_fnDriver = fn;
  g_pDriverContext = context;
}

void DriveModal(HWND window) {
  if (g_fnDriver) g_fnDriver(window, g_pDriverContext);
}

// -------------------------------------------------------------------------------------------------
// Dialogs

bool IsDialogKey(MSG* msg) {
  if (msg->hwnd == nullptr) return false;
  HWND root = GetAncestor(msg->hwnd, GA_ROOT);
  if (root == nullptr) return false;
  // Only our own dialogs: a message box or a menu runs its own loop.
  wchar_t cls[16] = {};
  GetClassNameW(root, cls, 16);
  if (std::wcscmp(cls, L"#32770") != 0) return false;
  return IsDialogMessageW(root, msg) != FALSE;
}

namespace {
// The modal dialogs whose loops run, the innermost last.
std::vector<HWND> g_modal;
}  // namespace

HWND TopModal(HWND owner) {
  for (auto it = g_modal.rbegin(); it != g_modal.rend(); ++it) {
    if (GetAncestor(*it, GA_ROOTOWNER) == owner) return *it;
  }
  return owner;
}

Dialog::~Dialog() {
  if (m_hwnd) {
    // The derived part is gone: no message may reach it any more.
    SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
    DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
  }
}

HWND Dialog::Create(HWND owner, DWORD style) {
  // An empty template: no controls, no font, the size set once the controls exist.
  alignas(4) WORD tmpl[16] = {};
  DLGTEMPLATE head{};
  head.style = style;
  std::memcpy(tmpl, &head, 18);  // the packed DLGTEMPLATE; menu, class and title follow as 0
  m_bEnded = false;
  m_nResult = IDCANCEL;
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(tmpl), owner, Proc,
                                    reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::RunModal(HWND owner) {
  HWND hwnd = Create(owner, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
  if (hwnd == nullptr) return IDCANCEL;
  m_owner = owner && IsWindowEnabled(owner) ? owner : nullptr;
  if (m_owner) EnableWindow(m_owner, FALSE);
  g_modal.push_back(hwnd);
  ShowWindow(hwnd, SW_SHOW);
  if (!m_bEnded) OnShown();
  if (!m_bEnded && g_fnDriver) {
    g_fnDriver(hwnd, g_pDriverContext);
    // A driver that leaves the dialog open closes it: a test never waits for a person.
    if (!m_bEnded) End(IDCANCEL);
  }

  bool bQuit = false;
  WPARAM quitCode = 0;
  MSG msg;
  while (!m_bEnded) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      bQuit = true;
      quitCode = msg.wParam;
      break;
    }
    if (got == -1) break;
    if (!IsDialogKey(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (!m_bEnded) End(IDCANCEL);
  std::erase(g_modal, hwnd);
  if (m_hwnd) {
    SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
    DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
  }
  if (bQuit) PostQuitMessage(static_cast<int>(quitCode));
  return bQuit ? IDCANCEL : m_nResult;
}

void Dialog::End(INT_PTR result) {
  if (m_bEnded) return;
  m_nResult = result;
  m_bEnded = true;
  // As EndDialog does: the owner comes back before the dialog goes, so that it gets the
  // activation.
  if (m_owner) EnableWindow(m_owner, TRUE);
  m_owner = nullptr;
  if (m_hwnd) ShowWindow(m_hwnd, SW_HIDE);
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Dialog* self;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lp);
    SetWindowLongPtrW(hwnd, DWLP_USER, lp);
    self->m_hwnd = hwnd;
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (self == nullptr) return FALSE;

  // An exception from a command is shown and the window goes on, as the application object of
  // the tool's window library always did.
  try {
    switch (msg) {
      case WM_INITDIALOG:
        self->OnInit();
        return TRUE;  // the focus goes to the first control with a tab stop
      case WM_COMMAND:
        return self->OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp)) ? TRUE : FALSE;
      case WM_NOTIFY:
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, self->OnNotify(reinterpret_cast<NMHDR*>(lp)));
        return TRUE;
      case WM_CLOSE: {
        // The close box and Alt+F4 are Cancel, at once (the dialog manager would post it).
        LRESULT result = 0;
        if (self->OnMessage(msg, wp, lp, &result)) return TRUE;
        self->OnCommand(IDCANCEL, BN_CLICKED, nullptr);
        return TRUE;
      }
      case WM_HELP: {
        // F1 anywhere: the window that owns them all (the main window) runs its Help.
        LRESULT result = 0;
        if (self->OnMessage(msg, wp, lp, &result)) return TRUE;
        HWND top = GetAncestor(hwnd, GA_ROOTOWNER);
        if (top && top != hwnd) SendMessageW(top, WM_HELP, wp, lp);
        return TRUE;
      }
      case WM_NCDESTROY:
        self->m_hwnd = nullptr;
        return FALSE;
      default: {
        LRESULT result = 0;
        if (!self->OnMessage(msg, wp, lp, &result)) return FALSE;
        // These answer through the return value itself, every other message through
        // DWLP_MSGRESULT.
        if ((msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) || msg == WM_QUERYDRAGICON) {
          return static_cast<INT_PTR>(result);
        }
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
      }
    }
  } catch (const std::exception& e) {
    ov::MessageRequest request{e.what(), kApplicationTitle, ov::MessageIcon::Error};
    ShowMessageBox(hwnd, request);
  } catch (...) {
    ov::MessageRequest request{"", kApplicationTitle, ov::MessageIcon::Error};
    ShowMessageBox(hwnd, request);
  }
  return TRUE;
}

}  // namespace win32
