#include "src/win32/MainWnd.h"

#include <commctrl.h>
#include <windowsx.h>

#include <string>

#include "src/logic/CondDetail.h"
#include "src/logic/SyncActions.h"
#include "src/logic/Userinfo.h"
#include "src/logic/profile.h"
#include "src/win32/Dialogs.h"
#include "src/win32/HistoryDlg.h"
#include "src/win32/Ids.h"
#include "src/win32/OverviewDlg.h"

using win32::MakeButton;
using win32::MakeControl;
using win32::Scale;
using win32::WithMnemonic;

namespace {

constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 27;
// The white banner panel along the top.
constexpr int kTopHeight = 82;
// The two panels below it, and the lists and bottom rows inside them.
constexpr int kPanelY = 94;
constexpr int kPanelHeight = 407;
constexpr int kUserPanelX = 6, kUserPanelWidth = 193;
constexpr int kCondPanelX = 205, kCondPanelWidth = 479;
constexpr int kListY = kPanelY + 32;
constexpr int kListHeight = 322;
constexpr int kBottomRowY = kListY + kListHeight + 12;

// The state image of a ticked row in a list with check boxes (1 is unticked, 0 none yet).
constexpr UINT kTickedImage = 2;
constexpr UINT kUntickedImage = 1;

// What Windows shows beside the program while a refused session end waits for it.
constexpr const wchar_t* kBlockReason = L"Orvane is writing HotSync settings for the selected users.";

// ShutdownBlockReasonCreate and ShutdownBlockReasonDestroy, which Windows XP lacks.
using BlockReasonCreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
using BlockReasonDestroyFn = BOOL(WINAPI*)(HWND);
template <class Fn>
Fn User32Entry(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

MainWnd::MainWnd() : m_logic(*this) {}

MainWnd::~MainWnd() {
  m_progress.End();
  if (Hwnd()) DestroyWindow(Hwnd());  // runs FormDestroy
  if (m_banner) DeleteObject(m_banner);
  if (m_iconBig) DestroyIcon(m_iconBig);
  if (m_iconSmall) DestroyIcon(m_iconSmall);
}

bool MainWnd::Create(bool bQuitOnDestroy) {
  m_bQuitOnDestroy = bQuitOnDestroy;
  // A fixed dialog-style window: system menu, minimise and close, no maximise, no resizing.
  if (!Dialog::Create(nullptr, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFOREGROUND)) return false;
  {
    // Start-up may say something, and a close during that waits for it.
    CommandScope command(*this);
    m_logic.FormCreate();
    m_bCreated = true;
  }
  SendMessageW(GetDlgItem(Hwnd(), win32::id::kDefaultAction), BM_SETCHECK,
               m_logic.IsDefaultAction() ? BST_CHECKED : BST_UNCHECKED, 0);
  DetailEnabledChanged();
  return true;
}

void MainWnd::OnInit() {
  namespace mw = mainwnd;
  HWND hwnd = Hwnd();
  win32::SetControlText(hwnd, mw::kCaption);
  HINSTANCE inst = GetModuleHandleW(nullptr);
  m_iconBig = static_cast<HICON>(LoadImageW(inst, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                            GetSystemMetrics(SM_CYICON), 0));
  m_iconSmall = static_cast<HICON>(LoadImageW(inst, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0));
  if (m_iconBig) SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_iconBig));
  if (m_iconSmall) SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_iconSmall));
  BuildControls();
  win32::SizeAndCentre(hwnd, mw::kClientWidth, mw::kClientHeight);
}

void MainWnd::BuildControls() {
  namespace mw = mainwnd;
  namespace id = win32::id;
  HWND hwnd = Hwnd();

  // The banner image at the left of the white panel; its text names it for screen readers.
  m_banner = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), L"BANNER", IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  HWND banner = MakeControl(hwnd, WC_STATICW, "Orvane", SS_BITMAP | SS_REALSIZECONTROL, 16, 11, 220, 60, id::kBanner);
  if (banner && m_banner) {
    SendMessageW(banner, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_banner));
    SetWindowPos(banner, nullptr, 0, 0, Scale(220), Scale(60), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // Keyboard order is creation order: the users, the conduits with their buttons, the bottom
  // row, then Help and Exit.
  MakeControl(hwnd, WC_BUTTONW, mw::kUserPanel, BS_GROUPBOX, kUserPanelX, kPanelY, kUserPanelWidth, kPanelHeight,
              id::kUserGroup);
  m_users = win32::MakeListView(hwnd, kUserPanelX + 14, kListY, 164, kListHeight, id::kUserList, LVS_SHOWSELALWAYS,
                                LVS_EX_CHECKBOXES);
  win32::AddListColumn(m_users, 0, mw::kUserColumn, mw::kUserColumnWidth);
  // Every button has its own Alt key in this window (Help is H, Exit x).
  MakeButton(hwnd, WithMnemonic(mw::kSelectAll, 'S'), kUserPanelX + 14, kBottomRowY, kButtonWidth, kButtonHeight,
             id::kSelectAll);
  MakeButton(hwnd, WithMnemonic(mw::kClearAll, 'l'), kUserPanelX + 98, kBottomRowY, kButtonWidth, kButtonHeight,
             id::kClearAll);

  MakeControl(hwnd, WC_BUTTONW, mw::kCondPanel, BS_GROUPBOX, kCondPanelX, kPanelY, kCondPanelWidth, kPanelHeight,
              id::kCondGroup);
  const int condX = kCondPanelX + 12;
  m_conds = win32::MakeListView(hwnd, condX, kListY, 369, kListHeight, id::kCondList, LVS_SHOWSELALWAYS,
                                LVS_EX_CHECKBOXES);
  win32::AddListColumn(m_conds, 0, mw::kCondColumn, mw::kCondColumnWidth);
  win32::AddListColumn(m_conds, 1, mw::kActionColumn, mw::kActionColumnWidth);
  const int columnX = kCondPanelX + 389;
  const struct {
    const char* text;
    char key;
    int id;
  } column[] = {{mw::kDetail, 'D', id::kDetail},
                {mw::kEnableAll, 'E', id::kEnableAll},
                {mw::kDisableAll, 'i', id::kDisableAll},
                {mw::kProfiles, 'P', id::kProfiles},
                {mw::kRefresh, 'R', id::kRefresh},
                // In the free place below Refresh: nothing above it moves.
                {mw::kHistory, 'o', id::kHistory}};
  for (int i = 0; i < 6; ++i) {
    MakeButton(hwnd, WithMnemonic(column[i].text, column[i].key), columnX, kListY + 33 * i, kButtonWidth, kButtonHeight,
               column[i].id);
  }
  MakeButton(hwnd, WithMnemonic(mw::kHotSync, 'M'), condX, kBottomRowY, 157, kButtonHeight, id::kHotSync);
  MakeButton(hwnd, WithMnemonic(mw::kApply, 'A'), condX + 165, kBottomRowY, 162, kButtonHeight, id::kApply);
  MakeControl(hwnd, WC_BUTTONW, WithMnemonic(mw::kDefaultAction, 't'), BS_AUTOCHECKBOX | WS_TABSTOP, condX + 343,
              kBottomRowY, 114, kButtonHeight, id::kDefaultAction);

  // Beside Help in the banner: the overview is about every user at once, not one list.
  MakeButton(hwnd, overview::kOpenButton, 406, 28, kButtonWidth, kButtonHeight, id::kOverview);
  MakeButton(hwnd, mw::kHelp, 498, 28, kButtonWidth, kButtonHeight, id::kHelp);
  MakeButton(hwnd, mw::kExit, 590, 28, kButtonWidth, kButtonHeight, id::kExit);
}

// -------------------------------------------------------------------------------------------------
// Drawing the logic's state

void MainWnd::SetRow(HWND list, int nRow, const std::string& text, const std::string* action, bool bTicked,
                     bool bInsert) {
  std::wstring w = win32::Wide(text);
  LVITEMW item{};
  item.iItem = nRow;
  item.mask = LVIF_TEXT;
  item.pszText = w.data();
  SendMessageW(list, bInsert ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  if (action) {
    std::wstring a = win32::Wide(*action);
    LVITEMW sub{};
    sub.iSubItem = 1;
    sub.pszText = a.data();
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&sub));
  }
  ListView_SetCheckState(list, nRow, bTicked ? TRUE : FALSE);
}

void MainWnd::UserListChanged() {
  const auto& rows = m_logic.UserRows();
  const int n = static_cast<int>(rows.size());
  m_bUpdating = true;
  // Ticks of the same rows are set in place; new rows replace the old ones.
  const bool bSameRows = ListView_GetItemCount(m_users) == n;
  SendMessageW(m_users, WM_SETREDRAW, FALSE, 0);
  if (!bSameRows) {
    ListView_DeleteAllItems(m_users);
    ListView_SetItemCount(m_users, n);
  }
  for (int i = 0; i < n; ++i) {
    const UserRow& row = rows[static_cast<std::size_t>(i)];
    if (bSameRows) {
      ListView_SetCheckState(m_users, i, row.ticked ? TRUE : FALSE);
    } else {
      SetRow(m_users, i, row.name, nullptr, row.ticked, true);
    }
  }
  const int sel = m_logic.SelectedUserRow();
  if (sel >= 0) ListView_SetItemState(m_users, sel, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SendMessageW(m_users, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(m_users, nullptr, TRUE);
  m_bUpdating = false;
}

void MainWnd::CondListChanged() {
  const auto& rows = m_logic.CondRows();
  const int n = static_cast<int>(rows.size());
  m_bUpdating = true;
  SendMessageW(m_conds, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(m_conds);
  ListView_SetItemCount(m_conds, n);
  for (int i = 0; i < n; ++i) {
    const CondRow& row = rows[static_cast<std::size_t>(i)];
    SetRow(m_conds, i, row.title, &row.action, row.ticked, true);
  }
  SendMessageW(m_conds, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(m_conds, nullptr, TRUE);
  m_bUpdating = false;
}

void MainWnd::CondRowChanged(int nRow) {
  const auto& rows = m_logic.CondRows();
  if (nRow < 0 || static_cast<std::size_t>(nRow) >= rows.size() || nRow >= ListView_GetItemCount(m_conds)) return;
  const CondRow& row = rows[static_cast<std::size_t>(nRow)];
  m_bUpdating = true;
  std::wstring a = win32::Wide(row.action);
  LVITEMW sub{};
  sub.iSubItem = 1;
  sub.pszText = a.data();
  SendMessageW(m_conds, LVM_SETITEMTEXTW, static_cast<WPARAM>(nRow), reinterpret_cast<LPARAM>(&sub));
  ListView_SetCheckState(m_conds, nRow, row.ticked ? TRUE : FALSE);
  m_bUpdating = false;
}

void MainWnd::DetailEnabledChanged() {
  HWND detail = GetDlgItem(Hwnd(), win32::id::kDetail);
  const bool bEnabled = m_logic.IsDetailEnabled();
  // A button that goes grey while it has the focus would leave the keyboard nowhere.
  if (!bEnabled && GetFocus() == detail) SendMessageW(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_conds), TRUE);
  EnableWindow(detail, bEnabled ? TRUE : FALSE);
}

void MainWnd::SetBusy(bool bBusy) {
  m_bBusy = bBusy;
  if (!bBusy && !m_logic.IsWriting()) SetShutdownBlockReason(false);
  SetCursor(LoadCursorW(nullptr, bBusy ? IDC_WAIT : IDC_ARROW));
}

ov::MessageAnswer MainWnd::ShowMessage(const ov::MessageRequest& request) {
  // Once the session ends nobody answers: Windows may end the process with the box open.
  if (m_logic.IsSessionEnding()) return request.defaultAnswer;
  return win32::ShowMessageBox(Hwnd(), request);
}

bool MainWnd::RunCondDetail(CondDetailLogic& dialog) {
  CondDetailDlg dlg(dialog);
  return dlg.RunModal(Hwnd()) == IDOK;
}

void MainWnd::RunUserInfo(UserInfoLogic& dialog) {
  UserInfoDlg dlg(dialog);
  dlg.RunModal(Hwnd());
}

void MainWnd::RunProfiles(ProfileLogic& dialog) {
  ProfilesDlg dlg(dialog);
  dlg.RunModal(Hwnd());
}

void MainWnd::RunHistory(HistoryLogic& dialog) {
  HistoryDlg dlg(dialog);
  dlg.RunModal(Hwnd());
}

void MainWnd::RunSyncActions(SyncActionsLogic& dialog) {
  // Over the dialog it was opened from (the user information), else over this window.
  SyncActionsDlg dlg(dialog);
  dlg.RunModal(win32::TopModal(Hwnd()));
}

void MainWnd::RunOverview(OverviewLogic& dialog) {
  OverviewDlg dlg(dialog);
  dlg.RunModal(Hwnd());
}

void MainWnd::ProgressBegin(const std::string& caption, int nTotal) { m_progress.Begin(Hwnd(), caption, nTotal); }
bool MainWnd::ProgressStep(int nDone, const std::string& text) { return m_progress.Step(nDone, text); }
void MainWnd::ProgressEnd() { m_progress.End(); }

void MainWnd::CloseWindow() {
  // After the command that asked for it has returned.
  PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
}

// -------------------------------------------------------------------------------------------------
// Events

MainWnd::CommandScope::~CommandScope() {
  if (--m_wnd.m_nCommands > 0 || !m_wnd.m_bCloseDeferred) return;
  m_wnd.m_bCloseDeferred = false;
  // From the message loop, as any close: the command's frames are gone by then.
  if (m_wnd.Hwnd()) PostMessageW(m_wnd.Hwnd(), WM_CLOSE, 0, 0);
}

void MainWnd::OnClose() {
  // While a long run shows its progress this window is disabled, but a close can still arrive
  // (from the taskbar): it cancels the run, which is on the stack below this message, and the
  // window stays.
  if (m_progress.Cancel()) return;
  // A dialog or message box of a command is open (the taskbar, End task and taskkill reach
  // this window all the same): the command still uses the rows, records and profiles that the
  // close would free. The close waits for the command, and the box that stands in its way
  // comes forward.
  if (m_nCommands > 0) {
    m_bCloseDeferred = true;
    HWND top = GetLastActivePopup(win32::TopModal(Hwnd()));
    if (top && top != Hwnd()) {
      SetForegroundWindow(top);
      FlashWindow(top, TRUE);
    }
    return;
  }
  if (m_bCreated) {
    // Its message box, if the save fails, holds off another close as well.
    CommandScope command(*this);
    m_logic.FormClose();
  }
  DestroyWindow(Hwnd());
}

BOOL MainWnd::OnQueryEndSession() {
  // A session that ends during Apply would cut it off between two users: refused, with the
  // reason, while users are written. Windows may end it anyway (WM_ENDSESSION).
  if (!m_bCreated || !m_logic.IsWriting()) return TRUE;
  SetShutdownBlockReason(true);
  return FALSE;
}

void MainWnd::OnEndSession(bool bEnding) {
  if (!bEnding || !m_bCreated) return;
  // Windows may end the process as soon as this returns, whatever is on the stack: the running
  // command is told to stop after its user, and the settings and who was written are saved
  // now (the logic's SessionEnding).
  m_logic.SessionEnding();
}

void MainWnd::SetShutdownBlockReason(bool bBlock) {
  if (bBlock == m_bBlockReason || !Hwnd()) return;
  if (bBlock) {
    static const auto create = User32Entry<BlockReasonCreateFn>("ShutdownBlockReasonCreate");
    m_bBlockReason = create && create(Hwnd(), kBlockReason);
  } else {
    static const auto destroy = User32Entry<BlockReasonDestroyFn>("ShutdownBlockReasonDestroy");
    if (destroy) destroy(Hwnd());
    m_bBlockReason = false;
  }
}

bool MainWnd::OnCommand(int id, int code, HWND /*control*/) {
  namespace i = win32::id;
  if (!m_bCreated) return false;
  if (code != BN_CLICKED) return false;  // menu items and Enter come with 0 too
  CommandScope command(*this);
  switch (id) {
    case i::kOverview: m_logic.sbtnOverviewClick(); return true;
    case i::kHelp: m_logic.sbtnHelpClick(); return true;
    case i::kExit: m_logic.sbtnExitClick(); return true;
    case i::kSelectAll: m_logic.sbtnAllClick(); return true;
    case i::kClearAll: m_logic.sbtnClearClick(); return true;
    case i::kDetail: m_logic.sbtnDetailClick(); return true;
    case i::kEnableAll: m_logic.sbtnEnableClick(); return true;
    case i::kDisableAll: m_logic.sbtnDisableClick(); return true;
    case i::kProfiles: m_logic.sbtnProfileClick(); return true;
    case i::kRefresh: m_logic.sbtnLoadCondClick(); return true;
    case i::kHistory: m_logic.sbtnHistoryClick(); return true;
    case i::kHotSync: m_logic.sbtnHotSyncClick(); return true;
    case i::kApply: m_logic.sbtnApplyClick(); return true;
    case i::kDefaultAction:
      m_logic.SetDefaultAction(SendMessageW(GetDlgItem(Hwnd(), i::kDefaultAction), BM_GETCHECK, 0, 0) == BST_CHECKED);
      return true;
    case i::kMiSync: m_logic.miSyncClick(); return true;
    case i::kMiHH2PC: m_logic.miHH2PCClick(); return true;
    case i::kMiPC2HH: m_logic.miPC2HHClick(); return true;
    case i::kMiNothing: m_logic.miNothingClick(); return true;
    case i::kMiUserActions: m_logic.miUserActionsClick(); return true;
    case i::kMiUserInfo: m_logic.miUserInfoClick(); return true;
    case IDOK: {
      // Enter, through the dialog manager: on a list it opens the row.
      HWND focus = GetFocus();
      if (focus == m_conds) m_logic.slvCondKeyEnter();
      if (focus == m_users) m_logic.slvUserKeyEnter();
      return true;
    }
    case IDCANCEL:
      return true;  // Escape does not close the main window
    default:
      return false;
  }
}

LRESULT MainWnd::OnNotify(NMHDR* header) {
  if (!m_bCreated || (header->hwndFrom != m_users && header->hwndFrom != m_conds)) return 0;
  CommandScope command(*this);
  const bool bConds = header->hwndFrom == m_conds;
  switch (header->code) {
    case LVN_ITEMCHANGED: {
      if (m_bUpdating) return 0;
      const auto* nm = reinterpret_cast<const NMLISTVIEW*>(header);
      if (nm->iItem < 0 || !(nm->uChanged & LVIF_STATE)) return 0;
      const UINT oldImage = (nm->uOldState & LVIS_STATEIMAGEMASK) >> 12;
      const UINT newImage = (nm->uNewState & LVIS_STATEIMAGEMASK) >> 12;
      // A tick the user set (the list's own first image, 0 to 1, is no change).
      if (oldImage != newImage && oldImage != 0 && newImage != 0) {
        const bool bTicked = newImage == kTickedImage;
        if (bConds) {
          m_logic.slvCondChange(nm->iItem, bTicked);
        } else {
          m_logic.SetUserTicked(nm->iItem, bTicked);
        }
      }
      if ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED) {
        const int sel = ListView_GetNextItem(header->hwndFrom, -1, LVNI_SELECTED);
        if (bConds) {
          m_logic.SelectCondRow(sel);
        } else {
          m_logic.SelectUserRow(sel);
        }
      }
      return 0;
    }
    case NM_DBLCLK:
      if (bConds) {
        m_logic.sbtnDetailClick();
      } else {
        m_logic.slvUserDblClick();
      }
      return 0;
    default:
      return 0;
  }
}

POINT MainWnd::PopupPoint(HWND list, LPARAM lp) const {
  POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
  if (pt.x == -1 && pt.y == -1) {
    // From the keyboard (the context-menu key, Shift+F10): under the selected row, or at the
    // list's corner without one. Only the low 32 bits carry the point.
    pt = {Scale(8), Scale(24)};
    const int sel = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    RECT rc;
    if (sel >= 0 && ListView_GetItemRect(list, sel, &rc, LVIR_LABEL)) pt = {rc.left + Scale(8), rc.bottom};
    ClientToScreen(list, &pt);
  }
  return pt;
}

void MainWnd::OpenPopup(LPARAM lp) {
  namespace i = win32::id;
  const POINT pt = PopupPoint(m_conds, lp);
  m_logic.pmCondPopup();
  const PopupState& popup = m_logic.Popup();
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  const struct {
    PopupItem item;
    UINT id;
    std::string text;
  } items[] = {{PopupItem::Sync, i::kMiSync, mainwnd::kMiSync},
               {PopupItem::HH2PC, i::kMiHH2PC, mainwnd::kMiHH2PC},
               {PopupItem::PC2HH, i::kMiPC2HH, popup.pc2hhCaption},
               {PopupItem::Nothing, i::kMiNothing, mainwnd::kMiNothing}};
  for (const auto& it : items) {
    if (!popup.IsVisible(it.item)) continue;
    const UINT flags = MF_STRING | (popup.checked == it.item ? MF_CHECKED : MF_UNCHECKED);
    AppendMenuW(menu, flags, it.id, win32::Wide(it.text).c_str());
  }
  const UINT cmd = win32::ShowPopupMenu(menu, pt.x, pt.y, Hwnd());
  DestroyMenu(menu);
  if (cmd != 0) OnCommand(static_cast<int>(cmd), 0, nullptr);
}

void MainWnd::OpenUserPopup(LPARAM lp) {
  namespace i = win32::id;
  // Both items are about the selected user: without one (a click beside the rows) no menu.
  if (m_logic.SelectedUserRow() < 0) return;
  const POINT pt = PopupPoint(m_users, lp);
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuW(menu, MF_STRING, i::kMiUserActions, win32::Wide(mainwnd::kMiUserActions).c_str());
  AppendMenuW(menu, MF_STRING, i::kMiUserInfo, win32::Wide(mainwnd::kMiUserInfo).c_str());
  const UINT cmd = win32::ShowPopupMenu(menu, pt.x, pt.y, Hwnd());
  DestroyMenu(menu);
  if (cmd != 0) OnCommand(static_cast<int>(cmd), 0, nullptr);
}

HBRUSH MainWnd::BannerBrush() {
  // White, the banner's own background; the window's colour under High Contrast.
  return win32::HighContrast() ? GetSysColorBrush(COLOR_WINDOW) : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

void MainWnd::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Hwnd(), &ps);
  RECT client;
  GetClientRect(Hwnd(), &client);
  RECT top{0, 0, client.right, Scale(kTopHeight)};
  FillRect(dc, &top, BannerBrush());
  RECT line{0, top.bottom, client.right, top.bottom + 1};
  FillRect(dc, &line, GetSysColorBrush(COLOR_3DSHADOW));
  EndPaint(Hwnd(), &ps);
}

bool MainWnd::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_PAINT:
      Paint();
      *result = 0;
      return true;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      // The banner and the buttons on the banner panel stand on its colour.
      HWND control = reinterpret_cast<HWND>(lp);
      const int id = GetDlgCtrlID(control);
      if (id == win32::id::kBanner || id == win32::id::kHelp || id == win32::id::kExit) {
        HDC dc = reinterpret_cast<HDC>(wp);
        if (win32::HighContrast()) {
          SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
          SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        } else {
          SetBkColor(dc, RGB(255, 255, 255));
        }
        *result = reinterpret_cast<LRESULT>(BannerBrush());
        return true;
      }
      return false;
    }
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
      // High Contrast on or off, or another colour scheme: the panel is drawn again.
      InvalidateRect(Hwnd(), nullptr, TRUE);
      return false;
    case WM_HELP: {
      // F1, here or in any dialog over this window.
      if (!m_bCreated) return false;
      CommandScope command(*this);
      m_logic.sbtnHelpClick();
      *result = TRUE;
      return true;
    }
    case WM_CONTEXTMENU: {
      if (!m_bCreated) return false;
      CommandScope command(*this);
      if (reinterpret_cast<HWND>(wp) == m_conds) {
        OpenPopup(lp);
      } else if (reinterpret_cast<HWND>(wp) == m_users) {
        OpenUserPopup(lp);
      } else {
        return false;
      }
      *result = 0;
      return true;
    }
    case WM_SETCURSOR:
      if (!m_bBusy) return false;
      SetCursor(LoadCursorW(nullptr, IDC_WAIT));
      *result = TRUE;
      return true;
    case WM_CLOSE:
      // Exit, the close button and the system menu all come here; the close is never refused,
      // though it may wait for a command (OnClose).
      OnClose();
      *result = 0;
      return true;
    case WM_QUERYENDSESSION:
      *result = OnQueryEndSession();
      return true;
    case WM_ENDSESSION:
      OnEndSession(wp != FALSE);
      *result = 0;
      return true;
    case WM_DESTROY:
      SetShutdownBlockReason(false);
      if (m_bCreated) m_logic.FormDestroy();
      m_bCreated = false;
      if (m_bQuitOnDestroy) PostQuitMessage(0);
      *result = 0;
      return true;
    default:
      return false;
  }
}
