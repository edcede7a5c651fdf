#include "tests/win32/Win32WindowTest.h"

#include "src/core/palm/CondMgr.h"

namespace win32test {

namespace {
Win32WindowTest* g_pTest = nullptr;
constexpr wchar_t kLaterClass[] = L"OrvaneTestLater";
constexpr UINT kRunLater = WM_APP + 1;
}  // namespace

std::string ItemText(HWND list, int row, int column) {
  wchar_t buf[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buf;
  item.cchTextMax = 512;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return win32::Narrow(buf);
}

std::string Text(HWND hwnd) { return win32::ControlText(hwnd); }

SIZE ClientSize96(HWND hwnd) {
  RECT rc{};
  GetClientRect(hwnd, &rc);
  const int scale = win32::LayoutScale();
  return {MulDiv(rc.right, 1000, scale), MulDiv(rc.bottom, 1000, scale)};
}

void ExpectMnemonicsUnique(HWND hwnd) {
  std::wstring keys;
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, WC_BUTTONW) != 0 || (GetWindowLongPtrW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) continue;
    const std::string text = win32::ControlText(child);
    const std::size_t at = text.find('&');
    if (at == std::string::npos || at + 1 >= text.size()) {
      ADD_FAILURE() << "\"" << text << "\" has no Alt key";
      continue;
    }
    const wchar_t key = static_cast<wchar_t>(towupper(static_cast<wint_t>(static_cast<unsigned char>(text[at + 1]))));
    EXPECT_EQ(keys.find(key), std::wstring::npos) << "\"" << text << "\" shares its Alt key with another button";
    keys += key;
  }
}

void ExpectNothingCutOff(HWND hwnd) {
  RECT client{};
  GetClientRect(hwnd, &client);
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(child);
    RECT rc{};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_TRUE(rc.left >= 0 && rc.top >= 0 && rc.right <= client.right && rc.bottom <= client.bottom)
        << "control " << id << " reaches out of the window";

    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    const bool bButton = lstrcmpiW(cls, WC_BUTTONW) == 0;
    const bool bLabel = lstrcmpiW(cls, WC_STATICW) == 0 && !(style & (SS_BITMAP | SS_SUNKEN));
    if (!bButton && !bLabel) continue;
    const LONG_PTR kind = style & BS_TYPEMASK;
    if (bButton && kind == BS_GROUPBOX) continue;  // a frame's caption may run into its frame
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(child)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(child, text.data(), static_cast<int>(text.size()))));
    std::wstring shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == L'&' && !(style & SS_NOPREFIX && bLabel)) continue;  // a mnemonic's marker is not drawn
      shown += text[i];
    }
    HDC dc = GetDC(child);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(child, dc);
    RECT own{};
    GetClientRect(child, &own);
    // A push button keeps a margin for its frame; a check box or radio button its box.
    const bool bBox = bButton && (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX || kind == BS_AUTORADIOBUTTON ||
                                  kind == BS_RADIOBUTTON);
    const int room = own.right - (bLabel ? 0 : bBox ? win32::Scale(20) : win32::Scale(8));
    EXPECT_LE(extent.cx, room) << "\"" << win32::Narrow(text) << "\" does not fit its control " << id;
    EXPECT_LE(extent.cy, own.bottom) << "\"" << win32::Narrow(text) << "\" is taller than its control " << id;
  }
}

void PressKey(HWND dialog, UINT vk) {
  HWND focus = GetFocus();
  MSG msg{};
  msg.hwnd = (focus && IsChild(dialog, focus)) ? focus : dialog;
  msg.message = WM_KEYDOWN;
  msg.wParam = vk;
  msg.lParam = 1;
  if (!win32::IsDialogKey(&msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Win32WindowTest::SetUp() {
  WindowTestBase::SetUp();
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  m_said.clear();
  m_dialogs.clear();
  m_answers.clear();
  g_pTest = this;
  // A message-only window whose messages carry the Later calls.
  static const ATOM laterClass = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = LaterProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kLaterClass;
    return RegisterClassW(&wc);
  }();
  ASSERT_NE(laterClass, 0);
  m_laterWnd = CreateWindowExW(0, kLaterClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), this);
  ASSERT_NE(m_laterWnd, nullptr);
  win32::InstallMessageHooks();
  win32::SetMessageBoxFunction(Capture);
  win32::SetPopupMenuFunction(ChooseFromMenu);
  win32::SetModalDriver(Drive, this);
}

void Win32WindowTest::TearDown() {
  m_onSaid = nullptr;
  WindowTestBase::TearDown();
  win32::SetMessageBoxFunction(nullptr);
  win32::SetPopupMenuFunction(nullptr);
  win32::SetModalDriver(nullptr, nullptr);
  win32::UseMessageFont(nullptr);
  win32::ResetHighContrast();
  EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " answer(s) never given";
  m_answers.clear();
  EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " dialog step(s) never ran";
  m_steps.clear();
  EXPECT_TRUE(m_later.empty()) << m_later.size() << " later call(s) never ran";
  m_later.clear();
  if (m_laterWnd) DestroyWindow(m_laterWnd);
  m_laterWnd = nullptr;
  g_pTest = nullptr;
}

fixture::Installation& Win32WindowTest::Standard(std::vector<std::string> names) {
  m_pInst = std::make_unique<fixture::Installation>();
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::uint32_t id = kFirstUserId + static_cast<std::uint32_t>(i);
    m_pInst->AddUser({id, names[i], "dir" + std::to_string(id), false, {}});
  }
  return m_pInst->AddWindowConduits(windowtest::kStandardConduits);
}

void Win32WindowTest::Open() {
  m_pInst->Publish();
  m_pWin = std::make_unique<MainWnd>();
  ASSERT_TRUE(m_pWin->Create(false));
  ShowWindow(Main(), SW_SHOW);
}

void Win32WindowTest::CloseWindow() {
  SendMessageW(Main(), WM_CLOSE, 0, 0);
  m_pWin.reset();
}

std::uint32_t Win32WindowTest::Action(int row) const {
  const CONDUIT_REC* pRec = m_pWin->Logic().CondRecordAt(row);
  return pRec ? pRec->dwAction : 0xDEADBEEF;
}

std::vector<MenuItem> Win32WindowTest::Popup(HWND list, UINT choose) {
  m_menu.clear();
  m_choose = choose;
  SendMessageW(Main(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(-1, -1));
  m_choose = 0;
  return m_menu;
}

void Win32WindowTest::Later(std::function<void()> fn) {
  m_later.push_back(std::move(fn));
  PostMessageW(m_laterWnd, kRunLater, 0, 0);
}

LRESULT CALLBACK Win32WindowTest::LaterProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kRunLater && g_pTest && !g_pTest->m_later.empty()) {
    std::function<void()> fn = std::move(g_pTest->m_later.front());
    g_pTest->m_later.erase(g_pTest->m_later.begin());
    fn();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

ov::MessageAnswer Win32WindowTest::Capture(HWND owner, const ov::MessageRequest& request) {
  if (!g_pTest) return ov::MessageAnswer::Ok;
  g_pTest->m_said.push_back({request.text, request.caption, request.icon, owner, request.buttons});
  if (g_pTest->m_onSaid) g_pTest->m_onSaid(g_pTest->m_said.back());
  if (request.buttons != ov::MessageButtons::YesNo) return ov::MessageAnswer::Ok;
  if (g_pTest->m_answers.empty()) {
    return request.defaultAnswer == ov::MessageAnswer::Yes ? ov::MessageAnswer::Yes : ov::MessageAnswer::No;
  }
  const ov::MessageAnswer answer = g_pTest->m_answers.front();
  g_pTest->m_answers.erase(g_pTest->m_answers.begin());
  return answer;
}

UINT Win32WindowTest::ChooseFromMenu(HMENU menu, int x, int y, HWND /*owner*/) {
  if (!g_pTest) return 0;
  g_pTest->m_menuAt = {x, y};
  const int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 128;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    g_pTest->m_menu.push_back({win32::Narrow(text), info.wID, (info.fState & MFS_CHECKED) != 0});
  }
  return g_pTest->m_choose;
}

void Win32WindowTest::Drive(HWND dialog, void* context) {
  auto* self = static_cast<Win32WindowTest*>(context);
  self->m_dialogs.push_back(Text(dialog));
  if (self->m_steps.empty()) return;  // closed with Cancel
  Step step = std::move(self->m_steps.front());
  self->m_steps.erase(self->m_steps.begin());
  step(dialog);
}

}  // namespace win32test
