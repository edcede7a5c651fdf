// The history dialog: the changes newest first, what the selected one wrote, and Undo.
#include "src/win32/HistoryDlg.h"

#include <commctrl.h>

#include <string>

#include "src/win32/Ids.h"

namespace {
namespace hd = historydlg;
namespace id = win32::id;

constexpr int kMargin = 12;
constexpr int kButtonHeight = 27;
constexpr int kEntriesY = 32;
constexpr int kEntriesHeight = 150;
constexpr int kChangesLabelY = kEntriesY + kEntriesHeight + 10;
constexpr int kChangesY = kChangesLabelY + 20;
constexpr int kButtonY = hd::kClientHeight - kMargin - kButtonHeight;
constexpr int kNoticeY = kButtonY - 40;
constexpr int kEntryColumns = 5;
constexpr int kChangeColumns = 4;

// The history keeps its texts in UTF-8; the controls take the ANSI text of Win32Util.
std::string FromUtf8(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int len = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), len, nullptr, 0);
  if (n <= 0) return utf8;
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), len, wide.data(), n);
  return win32::Narrow(wide);
}
}  // namespace

HistoryDlg::HistoryDlg(HistoryLogic& logic) : m_logic(logic) { m_logic.SetView(this); }

HistoryDlg::~HistoryDlg() { m_logic.SetView(nullptr); }

void HistoryDlg::OnInit() {
  HWND hwnd = Hwnd();
  win32::SetControlText(hwnd, hd::kCaption);
  const int width = hd::kClientWidth - 2 * kMargin;
  win32::MakeLabel(hwnd, hd::kEntriesLabel, kMargin, 12, width, 16, id::kHistEntriesLabel);
  m_entries = win32::MakeListView(hwnd, kMargin, kEntriesY, width, kEntriesHeight, id::kHistEntries, LVS_SHOWSELALWAYS, 0);
  for (int i = 0; i < kEntryColumns; ++i) win32::AddListColumn(m_entries, i, hd::kEntryColumns[i], hd::kEntryColumnWidths[i]);
  win32::MakeLabel(hwnd, hd::kChangesLabel, kMargin, kChangesLabelY, width, 16, id::kHistChangesLabel);
  m_changes = win32::MakeListView(hwnd, kMargin, kChangesY, width, kNoticeY - 6 - kChangesY, id::kHistChanges, 0, 0);
  for (int i = 0; i < kChangeColumns; ++i) win32::AddListColumn(m_changes, i, hd::kChangeColumns[i], hd::kChangeColumnWidths[i]);
  win32::MakeLabel(hwnd, "", kMargin, kNoticeY, width, 32, id::kHistNotice);
  win32::MakeLabel(hwnd, "", kMargin, kButtonY + 6, width - 2 * 88, 16, id::kHistUndoText);
  win32::MakeButton(hwnd, hd::kUndo, hd::kClientWidth - kMargin - 168, kButtonY, 80, kButtonHeight, id::kHistUndo);
  win32::MakeButton(hwnd, hd::kClose, hd::kClientWidth - kMargin - 80, kButtonY, 80, kButtonHeight, IDOK, true);

  // The logic read the history before the dialog was there.
  HistoryChanged();
  win32::SizeAndCentre(hwnd, hd::kClientWidth, hd::kClientHeight);
}

void HistoryDlg::HistoryChanged() {
  if (!m_entries) return;
  HWND hwnd = Hwnd();
  m_bUpdating = true;
  SendMessageW(m_entries, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(m_entries);
  int nRow = 0;
  for (const HistoryEntryRow& row : m_logic.Entries()) {
    const std::string time = FromUtf8(row.time), who = FromUtf8(row.who), change = FromUtf8(row.change);
    win32::InsertListRow(m_entries, nRow++, {&row.number, &time, &who, &change, &row.users});
  }
  if (m_logic.SelectedEntry() >= 0) {
    ListView_SetItemState(m_entries, m_logic.SelectedEntry(), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
  SendMessageW(m_entries, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(m_entries, nullptr, TRUE);

  SendMessageW(m_changes, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(m_changes);
  nRow = 0;
  for (const HistoryChangeRow& row : m_logic.Changes()) {
    const std::string user = FromUtf8(row.user), conduit = FromUtf8(row.conduit);
    win32::InsertListRow(m_changes, nRow++, {&user, &conduit, &row.before, &row.after});
  }
  SendMessageW(m_changes, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(m_changes, nullptr, TRUE);
  m_bUpdating = false;

  win32::SetControlText(GetDlgItem(hwnd, id::kHistNotice), FromUtf8(m_logic.Notice()));
  win32::SetControlText(GetDlgItem(hwnd, id::kHistUndoText), FromUtf8(m_logic.UndoText()));
  HWND undo = GetDlgItem(hwnd, id::kHistUndo);
  // A button that goes grey while it has the focus would leave the keyboard nowhere.
  if (!m_logic.CanUndo() && GetFocus() == undo) SendMessageW(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_entries), TRUE);
  EnableWindow(undo, m_logic.CanUndo() ? TRUE : FALSE);
}

ov::MessageAnswer HistoryDlg::ShowMessage(const ov::MessageRequest& request) {
  return win32::ShowMessageBox(Hwnd(), request);
}

bool HistoryDlg::OnCommand(int cmd, int /*code*/, HWND /*control*/) {
  switch (cmd) {
    case id::kHistUndo: m_logic.btnUndoClick(); return true;
    case IDOK:
    case IDCANCEL: End(cmd); return true;
    default: return false;
  }
}

LRESULT HistoryDlg::OnNotify(NMHDR* header) {
  if (header->hwndFrom == m_entries && header->code == LVN_ITEMCHANGED && !m_bUpdating) {
    const auto* nm = reinterpret_cast<const NMLISTVIEW*>(header);
    if ((nm->uChanged & LVIF_STATE) && ((nm->uOldState ^ nm->uNewState) & LVIS_SELECTED)) {
      m_logic.SelectEntry(ListView_GetNextItem(m_entries, -1, LVNI_SELECTED));
    }
  }
  return 0;
}
