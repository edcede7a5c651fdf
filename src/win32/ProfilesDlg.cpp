// The profiles dialog: the named profiles, Load, and Save Current Settings as Profile.
#include <windows.h>

#include <commctrl.h>

#include "src/logic/profile.h"
#include "src/win32/Dialogs.h"
#include "src/win32/Ids.h"

namespace {
namespace pr = profiles;
namespace id = win32::id;
}  // namespace

ProfilesDlg::ProfilesDlg(ProfileLogic& logic) : m_logic(logic) { m_logic.SetView(this); }

ProfilesDlg::~ProfilesDlg() { m_logic.SetView(nullptr); }

void ProfilesDlg::OnInit() {
  HWND hwnd = Hwnd();
  win32::SetControlText(hwnd, pr::kCaption);
  m_list = win32::MakeListView(hwnd, pr::kListX, pr::kListY, pr::kListWidth, pr::kListHeight, id::kProfList,
                               LVS_SHOWSELALWAYS, 0);
  win32::AddListColumn(m_list, 0, pr::kColumns[0], pr::kColumnWidth);
  win32::AddListColumn(m_list, 1, pr::kColumns[1], pr::kColumnWidth);
  win32::MakeButton(hwnd, pr::kLoad, pr::kLoadX, pr::kButtonY, pr::kLoadWidth, 27, id::kLoad, true);
  win32::MakeButton(hwnd, pr::kSave, pr::kSaveX, pr::kButtonY, pr::kSaveWidth, 27, id::kSave);
  win32::MakeButton(hwnd, pr::kCancel, pr::kCancelX, pr::kButtonY, pr::kCancelWidth, 27, IDCANCEL);
  // Enter loads the selected profile, on the list too: Load is the default button.
  SendMessageW(hwnd, DM_SETDEFID, id::kLoad, 0);
  ListChanged();
  win32::SizeAndCentre(hwnd, pr::kClientWidth, pr::kClientHeight);
}

void ProfilesDlg::OnShown() { m_logic.FormShow(); }

void ProfilesDlg::ListChanged() {
  if (!m_list) return;
  m_bUpdating = true;
  SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(m_list);
  int nRow = 0;
  for (const ProfileRow& row : m_logic.Rows()) {
    win32::InsertListRow(m_list, nRow++, {&row.description, &row.file});
  }
  const int sel = m_logic.SelectedRow();
  if (sel >= 0 && sel < nRow) {
    ListView_SetItemState(m_list, sel, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(m_list, sel, FALSE);
  }
  SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(m_list, nullptr, TRUE);
  m_bUpdating = false;
}

ov::MessageAnswer ProfilesDlg::ShowMessage(const ov::MessageRequest& request) {
  return win32::ShowMessageBox(Hwnd(), request);
}

bool ProfilesDlg::RunProfDetail(ProfDetailLogic& dialog) {
  ProfDetailDlg dlg(dialog);
  return dlg.RunModal(Hwnd()) == IDOK;
}

void ProfilesDlg::CloseWithOK() { End(IDOK); }

bool ProfilesDlg::OnCommand(int cmd, int /*code*/, HWND /*control*/) {
  switch (cmd) {
    case id::kLoad:
    case IDOK:
      m_logic.btnLoadClick();
      return true;
    case id::kSave:
      m_logic.btnSaveClick();
      return true;
    case IDCANCEL:
      End(IDCANCEL);
      return true;
    default:
      return false;
  }
}

LRESULT ProfilesDlg::OnNotify(NMHDR* header) {
  if (header->hwndFrom != m_list) return 0;
  if (header->code == LVN_ITEMCHANGED && !m_bUpdating) {
    const auto* nm = reinterpret_cast<const NMLISTVIEW*>(header);
    if ((nm->uChanged & LVIF_STATE) && ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED)) {
      m_logic.SelectRow(ListView_GetNextItem(m_list, -1, LVNI_SELECTED));
    }
  } else if (header->code == NM_DBLCLK) {
    m_logic.lvProfDblClick();
  }
  return 0;
}
