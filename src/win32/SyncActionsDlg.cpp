// The HotSync actions dialog: what one user's next HotSync does for every listed conduit, with
// Copy to Conduit List and End One-Time Actions.
#include <windows.h>

#include <commctrl.h>

#include "src/logic/SyncActions.h"
#include "src/win32/Dialogs.h"
#include "src/win32/Ids.h"

namespace {
namespace sa = syncactions;
namespace id = win32::id;

constexpr int kMargin = 12;
constexpr int kButtonHeight = 27;
constexpr int kListY = 44;
constexpr int kSummaryY = 348;
constexpr int kButtonY = sa::kClientHeight - kMargin - kButtonHeight;
constexpr int kColumnCount = 3;
}  // namespace

SyncActionsDlg::SyncActionsDlg(SyncActionsLogic& logic) : m_logic(logic) { m_logic.SetView(this); }

SyncActionsDlg::~SyncActionsDlg() {
  m_logic.SetView(nullptr);
  if (m_bold) DeleteObject(m_bold);
}

void SyncActionsDlg::OnInit() {
  HWND hwnd = Hwnd();
  win32::SetControlText(hwnd, m_logic.Caption());

  LOGFONTW lf{};
  if (GetObjectW(win32::MessageFont(), sizeof lf, &lf)) {
    lf.lfWeight = FW_BOLD;
    m_bold = CreateFontIndirectW(&lf);
  }

  win32::MakeLabel(hwnd, sa::kUserLabel, kMargin, 15, 76, 16, id::kActionsUserLabel);
  win32::MakeControl(hwnd, WC_STATICW, m_logic.UserName(), SS_LEFT | SS_NOPREFIX | SS_SUNKEN | SS_CENTERIMAGE, 90, 12,
                     240, 20, id::kActionsUserName);

  const int width = sa::kClientWidth - 2 * kMargin;
  m_list = win32::MakeListView(hwnd, kMargin, kListY, width, kSummaryY - 10 - kListY, id::kActionsList,
                               LVS_SHOWSELALWAYS, 0);
  for (int i = 0; i < kColumnCount; ++i) win32::AddListColumn(m_list, i, sa::kColumns[i], sa::kColumnWidths[i]);
  win32::MakeLabel(hwnd, "", kMargin, kSummaryY, width, 16, id::kActionsSummary);

  win32::MakeButton(hwnd, sa::kCopy, kMargin, kButtonY, 150, kButtonHeight, id::kCopy);
  win32::MakeButton(hwnd, sa::kEndOneTime, kMargin + 158, kButtonY, 150, kButtonHeight, id::kEndOneTime);
  win32::MakeButton(hwnd, sa::kClose, sa::kClientWidth - kMargin - 80, kButtonY, 80, kButtonHeight, IDOK, true);

  // The logic read the rows before the dialog was there.
  RowsChanged();
  win32::SizeAndCentre(hwnd, sa::kClientWidth, sa::kClientHeight);
}

void SyncActionsDlg::RowsChanged() {
  if (!m_list) return;
  HWND hwnd = Hwnd();
  SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(m_list);
  int nRow = 0;
  for (const SyncActionRow& row : m_logic.Rows()) {
    win32::InsertListRow(m_list, nRow++, {&row.conduit, &row.defaultText, &row.nextText});
  }
  SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(m_list, nullptr, TRUE);

  win32::SetControlText(GetDlgItem(hwnd, id::kActionsSummary), m_logic.Summary());

  const struct {
    int id;
    bool bEnabled;
  } buttons[] = {{id::kCopy, m_logic.CanCopy()}, {id::kEndOneTime, m_logic.CanEndOneTime()}};
  for (const auto& b : buttons) {
    HWND button = GetDlgItem(hwnd, b.id);
    // A button that goes grey while it has the focus would leave the keyboard nowhere: the
    // focus moves on to the list.
    if (!b.bEnabled && GetFocus() == button) SendMessageW(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_list), TRUE);
    EnableWindow(button, b.bEnabled ? TRUE : FALSE);
  }
}

ov::MessageAnswer SyncActionsDlg::ShowMessage(const ov::MessageRequest& request) {
  return win32::ShowMessageBox(Hwnd(), request);
}

bool SyncActionsDlg::OnCommand(int cmd, int /*code*/, HWND /*control*/) {
  switch (cmd) {
    case id::kCopy: m_logic.btnCopyClick(); return true;
    case id::kEndOneTime: m_logic.btnEndOneTimeClick(); return true;
    case IDOK:
    case IDCANCEL: End(cmd); return true;
    default: return false;
  }
}

LRESULT SyncActionsDlg::OnNotify(NMHDR* header) {
  if (header->hwndFrom != m_list || header->code != NM_CUSTOMDRAW) return 0;
  auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      // A row that a one-time action decides stands out in bold.
      const auto& rows = m_logic.Rows();
      const std::size_t nRow = static_cast<std::size_t>(draw->nmcd.dwItemSpec);
      if (m_bold && nRow < rows.size() && rows[nRow].action.next.bOneTime) {
        SelectObject(draw->nmcd.hdc, m_bold);
        return CDRF_NEWFONT;
      }
      return CDRF_DODEFAULT;
    }
    default: return CDRF_DODEFAULT;
  }
}
