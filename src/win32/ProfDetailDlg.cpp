// The profile details dialog: the new profile's description and the file it will be saved to.
#include <windows.h>

#include <commctrl.h>

#include "src/logic/ProfDetail.h"
#include "src/win32/Dialogs.h"
#include "src/win32/Ids.h"

namespace {
namespace pd = profdetail;
namespace id = win32::id;
constexpr int kEditHeight = 23;
}  // namespace

ProfDetailDlg::ProfDetailDlg(ProfDetailLogic& logic) : m_logic(logic) { m_logic.SetView(this); }

ProfDetailDlg::~ProfDetailDlg() { m_logic.SetView(nullptr); }

void ProfDetailDlg::OnInit() {
  HWND hwnd = Hwnd();
  win32::SetControlText(hwnd, pd::kCaption);
  // Each label runs up to its edit box. Tab order: the description, the file name, OK, Cancel.
  win32::MakeLabel(hwnd, pd::kDescLabel, pd::kDescLabelX, pd::kDescLabelY + 2, pd::kEditX - pd::kDescLabelX - 2, 16,
                   id::kDescLabel);
  HWND desc = win32::MakeControl(hwnd, WC_EDITW, "", WS_TABSTOP | ES_AUTOHSCROLL, pd::kEditX, pd::kDescY, pd::kEditWidth,
                                 kEditHeight, id::kDesc, WS_EX_CLIENTEDGE);
  // No limit of its own: the logic keeps what fits.
  SendMessageW(desc, EM_SETLIMITTEXT, 0, 0);
  win32::MakeLabel(hwnd, pd::kFileLabel, pd::kFileLabelX, pd::kFileLabelY + 2, pd::kEditX - pd::kFileLabelX - 2, 16,
                   id::kFileLabel);
  win32::MakeControl(hwnd, WC_EDITW, m_logic.GetFileName(), WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY, pd::kEditX,
                     pd::kFileY, pd::kEditWidth, kEditHeight, id::kFile, WS_EX_CLIENTEDGE);
  win32::MakeButton(hwnd, pd::kOK, pd::kOKX, pd::kOKY, 80, 27, IDOK, true);
  win32::MakeButton(hwnd, pd::kCancel, pd::kCancelX, pd::kCancelY, 80, 27, IDCANCEL);
  win32::SizeAndCentre(hwnd, pd::kClientWidth, pd::kClientHeight);
}

ov::MessageAnswer ProfDetailDlg::ShowMessage(const ov::MessageRequest& request) {
  return win32::ShowMessageBox(Hwnd(), request);
}

bool ProfDetailDlg::OnCommand(int cmd, int /*code*/, HWND /*control*/) {
  switch (cmd) {
    case IDOK: {
      // Palm Desktop and the catalogue keep the description in the ANSI code page: a character
      // that has no place there is refused with the description's other faults, never stored
      // as '?' or a look-alike.
      std::string description;
      const bool bExact = win32::NarrowExact(win32::ControlTextWide(Item(id::kDesc)), &description);
      if (m_logic.btnOKClick(description, !bExact)) End(IDOK);
      return true;
    }
    case IDCANCEL:
      End(IDCANCEL);
      return true;
    default:
      return false;
  }
}
