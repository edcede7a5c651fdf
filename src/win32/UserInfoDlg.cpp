// The user information dialog: what UserData.dll knows about one user, read only, and the way to
// the user's HotSync actions.
#include <windows.h>

#include <commctrl.h>

#include "src/logic/SyncActions.h"  // the button's caption
#include "src/logic/Userinfo.h"
#include "src/win32/Dialogs.h"
#include "src/win32/Ids.h"

namespace {
namespace ui = userinfo;
namespace id = win32::id;
}  // namespace

void UserInfoDlg::OnInit() {
  HWND hwnd = Hwnd();
  win32::SetControlText(hwnd, ui::kCaption);

  win32::MakeLabel(hwnd, ui::kNameLabel, 20, 21, 76, 16, id::kNameLabel);
  win32::MakeControl(hwnd, WC_STATICW, m_logic.UserName(), SS_LEFT | SS_NOPREFIX | SS_SUNKEN | SS_CENTERIMAGE, 98, 18,
                     164, 20, id::kUserName);
  HWND profile = win32::MakeControl(hwnd, WC_BUTTONW, win32::WithMnemonic(ui::kProfile, 'P'), BS_CHECKBOX | WS_DISABLED, 282, 18, 160, 20,
                                    id::kProfile);
  SendMessageW(profile, BM_SETCHECK, m_logic.IsProfile() ? BST_CHECKED : BST_UNCHECKED, 0);

  win32::MakeControl(hwnd, WC_BUTTONW, ui::kDirGroup, BS_GROUPBOX, 12, 52, 441, 92, id::kDirGroup);
  win32::MakeLabel(hwnd, ui::kRootLabel, 26, 80, 96, 16, id::kRootLabel);
  win32::MakeControl(hwnd, WC_EDITW, m_logic.RootDirectory(), ES_AUTOHSCROLL | WS_DISABLED, 124, 76, 314, 23,
                     id::kRootDir, WS_EX_CLIENTEDGE);
  win32::MakeLabel(hwnd, ui::kDataLabel, 26, 112, 96, 16, id::kDataLabel);
  win32::MakeControl(hwnd, WC_EDITW, m_logic.DataDirectory(), ES_AUTOHSCROLL | WS_DISABLED, 124, 108, 314, 23,
                     id::kDataDir, WS_EX_CLIENTEDGE);

  win32::MakeControl(hwnd, WC_BUTTONW, ui::kExpGroup, BS_GROUPBOX, 12, 154, 441, 158, id::kExpGroup);
  HWND list = win32::MakeListView(hwnd, 24, 176, 417, 124, id::kExpList, LVS_SHOWSELALWAYS, 0);
  for (int i = 0; i < 4; ++i) win32::AddListColumn(list, i, ui::kColumns[i], ui::kColumnWidths[i]);
  int nRow = 0;
  for (const SlotRow& slot : m_logic.Slots()) {
    win32::InsertListRow(list, nRow++, {&slot.no, &slot.id, &slot.type, &slot.name});
  }

  // HotSync Actions at the left under the frames, Close at the right; the actions need the main
  // window's conduit list.
  HWND actions = win32::MakeButton(hwnd, syncactions::kOpenButton, 12, 324, 130, 27, id::kOpenActions);
  EnableWindow(actions, m_logic.IsActionsEnabled() ? TRUE : FALSE);
  win32::MakeButton(hwnd, ui::kClose, ui::kClientWidth - 12 - 80, 324, 80, 27, IDOK, true);
  win32::SizeAndCentre(hwnd, ui::kClientWidth, ui::kClientHeight);
}

bool UserInfoDlg::OnCommand(int cmd, int /*code*/, HWND /*control*/) {
  switch (cmd) {
    case id::kOpenActions: m_logic.btnActionsClick(); return true;
    case IDOK:
    case IDCANCEL: End(cmd); return true;
    default: return false;
  }
}
