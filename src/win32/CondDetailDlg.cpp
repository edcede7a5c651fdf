// The conduit detail dialog: the conduit's title and its action as four radio buttons.
#include <windows.h>

#include <commctrl.h>

#include "src/logic/CondDetail.h"
#include "src/win32/Dialogs.h"
#include "src/win32/Ids.h"

namespace {

namespace cd = conddetail;
namespace id = win32::id;

// The radio buttons in group order, with the choice each stands for.
constexpr struct {
  int id;
  CondChoice choice;
} kRadios[] = {{id::kRbtnSync, CondChoice::Sync},
               {id::kRbtnPC2HH, CondChoice::PC2HH},
               {id::kRbtnHH2PC, CondChoice::HH2PC},
               {id::kRbtnNothing, CondChoice::Nothing}};

}  // namespace

void CondDetailDlg::OnInit() {
  HWND hwnd = Hwnd();
  win32::SetControlText(hwnd, cd::kCaption);
  win32::MakeLabel(hwnd, cd::kTitleLabel, 20, 23, 78, 16, id::kTitleLabel);
  HWND name = win32::MakeControl(hwnd, WC_EDITW, m_logic.Title(), WS_TABSTOP | ES_AUTOHSCROLL, 101, 19, cd::kNameWidth,
                                 23, id::kName, WS_EX_CLIENTEDGE);
  SendMessageW(name, EM_SETSEL, 0, 0);

  win32::MakeControl(hwnd, WC_BUTTONW, cd::kGroup, BS_GROUPBOX, 20, 58, 328, 164, id::kSyncGroup);
  // Each choice has its own Alt key beside OK's O and Cancel's C.
  const std::string texts[] = {win32::WithMnemonic(cd::kSync, 'S'), win32::WithMnemonic(cd::kPC2HH, 'D'),
                               win32::WithMnemonic(cd::kHH2PC, 'H'), win32::WithMnemonic(cd::kNothing, 'N')};
  for (int i = 0; i < 4; ++i) {
    // One group: the arrow keys move between them, Tab reaches the checked one.
    const DWORD style = BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
    win32::MakeControl(hwnd, WC_BUTTONW, texts[i], style, 40, 84 + 32 * i, 290, 22, kRadios[i].id);
  }
  for (const auto& radio : kRadios) {
    if (radio.choice == m_logic.Choice()) CheckRadioButton(hwnd, id::kRbtnSync, id::kRbtnNothing, radio.id);
  }

  HWND ok = win32::MakeButton(hwnd, cd::kOK, 96, 240, 80, 27, IDOK, true);
  SetWindowLongPtrW(ok, GWL_STYLE, GetWindowLongPtrW(ok, GWL_STYLE) | WS_GROUP);
  win32::MakeButton(hwnd, cd::kCancel, 192, 240, 80, 27, IDCANCEL);
  win32::SizeAndCentre(hwnd, cd::kClientWidth, cd::kClientHeight);
}

bool CondDetailDlg::OnCommand(int cmd, int /*code*/, HWND /*control*/) {
  switch (cmd) {
    case IDOK:
      m_logic.SetChoice(CondChoice::None);
      for (const auto& radio : kRadios) {
        if (IsDlgButtonChecked(Hwnd(), radio.id) == BST_CHECKED) m_logic.SetChoice(radio.choice);
      }
      if (m_logic.btnOKClick()) End(IDOK);
      return true;
    case IDCANCEL:
      End(IDCANCEL);
      return true;
    default:
      return false;
  }
}
