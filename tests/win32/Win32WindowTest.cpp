// The OS layer before <windows.h>, whose macros would rename two of its functions.
#include "common/os/os.h"

#include "tests/win32/Win32WindowTest.h"

#include <system_error>

#include "common/palm/CondMgr.h"

// <windows.h> names these after their wide versions; here they are the OS layer's.
#undef GetCurrentDirectory
#undef SetCurrentDirectory

namespace win32test {

namespace {
Win32WindowTest* g_pTest = nullptr;
}  // namespace

fs::path ExeDir() {
  char buf[4096];
  if (!os::GetExecutablePath(buf, sizeof buf)) return {};
  return fs::path(buf).parent_path();
}

fs::path DataFile(const std::string& name) { return ExeDir() / name; }

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
  return {MulDiv(rc.right, 96, win32::ScreenDpi()), MulDiv(rc.bottom, 96, win32::ScreenDpi())};
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
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  ASSERT_TRUE(os::GetCurrentDirectory(m_szStartDir, sizeof m_szStartDir));
  std::error_code ec;
  for (const char* name : {"ovcond.dat", "ovcurr.dat", "ovprof.dat", "ovprof1.dat", "ovprof2.dat"}) {
    fs::remove(DataFile(name), ec);
  }
  m_said.clear();
  m_dialogs.clear();
  g_pTest = this;
  win32::InstallMessageHooks();
  win32::SetMessageBoxFunction(Capture);
  win32::SetPopupMenuFunction(ChooseFromMenu);
  win32::SetModalDriver(Drive, this);
}

void Win32WindowTest::TearDown() {
  // The window releases the libraries; the modules go before the installation does, and the
  // current directory leaves it.
  m_pWin.reset();
  if (g_pCondMgr) g_pCondMgr->RemoveAll();
  os::SetCurrentDirectory(m_szStartDir);
  fixture::RemoveKestrowIni();
  std::error_code ec;
  for (const char* name : {"ovcond.dat", "ovcurr.dat", "ovprof.dat", "ovprof1.dat", "ovprof2.dat"}) {
    fs::remove(DataFile(name), ec);
  }
  m_pInst.reset();
  win32::SetMessageBoxFunction(nullptr);
  win32::SetPopupMenuFunction(nullptr);
  win32::SetModalDriver(nullptr, nullptr);
  EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " dialog step(s) never ran";
  g_pTest = nullptr;
}

fixture::Installation& Win32WindowTest::Standard(std::vector<std::string> names) {
  m_pInst = std::make_unique<fixture::Installation>();
  fixture::Installation& inst = *m_pInst;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::uint32_t id = kFirstUserId + static_cast<std::uint32_t>(i);
    fixture::User user;
    user.id = id;
    user.name = names[i];
    user.directory = "dir" + std::to_string(id);
    inst.AddUser(user);
  }
  const struct {
    const char* creator;
    const char* module;
    const char* title;
  } registered[] = {{"date", "datebook.dll", "Date Book"}, {"memo", "memopad.dll", "Memo Pad"}, {"addr", "address.dll", "Address Book"}};
  for (const auto& r : registered) {
    fixture::Conduit c;
    c.creator = r.creator;
    c.module = r.module;
    c.title = r.title;
    inst.AddConduit(c);
    inst.AddModule("sample_named", r.module, r.title);
  }
  inst.AddInstallConduit({"Inst", "instcond.dll", "Install Tool"});
  inst.SetBackupConduit("backup.dll");
  inst.AddModule("sample_named", "backup.dll", "Backup");
  return inst;
}

void Win32WindowTest::Open() {
  m_pInst->Commit();
  fixture::PointKestrowIniAt(m_pInst->str());
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

std::vector<MenuItem> Win32WindowTest::Popup(UINT choose) {
  m_menu.clear();
  m_choose = choose;
  SendMessageW(Main(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Conds()), MAKELPARAM(-1, -1));
  m_choose = 0;
  return m_menu;
}

ov::MessageAnswer Win32WindowTest::Capture(HWND owner, const ov::MessageRequest& request) {
  if (g_pTest) g_pTest->m_said.push_back({request.text, request.caption, request.icon, owner});
  return request.buttons == ov::MessageButtons::YesNo ? ov::MessageAnswer::No : ov::MessageAnswer::Ok;
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
