#include "src/logic/Overview.h"

#include <algorithm>


#include "src/core/OVUtil.h"
#include "src/core/palm/CondMgr.h"
#include "src/logic/Main.h"

Rgb CellBackground(CellKind kind) {
  switch (kind) {
    case CellKind::Synchronize: return {0xBF, 0xE6, 0xD9};         // bluish green
    case CellKind::DesktopOverwrites: return {0xBC, 0xDD, 0xF4};   // sky blue
    case CellKind::HandheldOverwrites: return {0xF8, 0xDD, 0xA8};  // orange
    case CellKind::DoNothing: return {0xD6, 0xD6, 0xD6};           // grey
    case CellKind::Custom: return {0xEB, 0xCB, 0xDE};              // reddish purple
    case CellKind::Unknown: return {0xF7, 0xF1, 0xA6};             // yellow
    case CellKind::Failed: return {0xF0, 0xAE, 0x8C};              // vermilion
    case CellKind::NotSet:
    case CellKind::Unread: break;
  }
  return {0xFF, 0xFF, 0xFF};
}

OverviewLogic::OverviewLogic(MainWindowLogic& main)
    : m_main(main),
      m_table(
          [&main] {
            std::vector<std::uint32_t> ids;
            for (const UserRow& row : main.UserRows()) ids.push_back(row.pUser->userId);
            return ids;
          }(),
          [&main] {
            std::vector<const CONDUIT_REC*> recs;
            for (const CondRow& row : main.CondRows()) recs.push_back(row.pRec);
            return recs;
          }()) {
  for (const UserRow& row : main.UserRows()) m_userNames.push_back(row.name);
  for (const CondRow& row : main.CondRows()) m_titles.push_back(row.title);
  m_order.resize(m_table.UserCount());
  for (std::size_t i = 0; i < m_order.size(); ++i) m_order[i] = i;
}

std::string OverviewLogic::RowHeader(std::size_t row) const {
  const std::size_t tableRow = m_order[row];
  std::string text = m_userNames[tableRow];
  if (m_bDiffersOnly && m_table.IsRead(tableRow)) text += " (" + std::to_string(m_table.RowDifferences(tableRow)) + ")";
  return text;
}

std::string OverviewLogic::ColumnHeader(std::size_t col) const {
  std::string text = m_titles[col];
  if (m_bDiffersOnly) text += " (" + std::to_string(m_table.ColumnDifferences(col)) + ")";
  return text;
}

const OverviewCell& OverviewLogic::CellAt(std::size_t row, std::size_t col) {
  const std::size_t tableRow = m_order[row];
  if (!m_table.IsRead(tableRow)) {
    m_table.ReadRow(tableRow);
    // The counts in the headers and the status line include the row now.
    if (m_pView) m_pView->StatusChanged();
  }
  return m_table.Cell(tableRow, col);
}

CellShown OverviewLogic::Cell(std::size_t row, std::size_t col) {
  const OverviewCell& cell = CellAt(row, col);
  CellShown shown{CellLabel(cell), cell.kind, false};
  if (m_bDiffersOnly) {
    shown.bMarked = m_table.Differs(m_order[row], col);
    if (!shown.bMarked) shown.text.clear();
  }
  return shown;
}

std::string OverviewLogic::StatusText() const {
  const std::size_t nUsers = m_table.UserCount();
  if (IsReading()) {
    return "Read " + std::to_string(m_table.RowsRead()) + " of " + CountText(nUsers, "user", "users") + "...";
  }
  std::string text = CountText(nUsers, "user", "users") + ", " + CountText(ColumnCount(), "conduit", "conduits");
  if (!m_bDiffersOnly) return text + ".";
  const std::size_t nDiffering = m_table.DifferingRows().size();
  if (nDiffering == 0) return text + ": every user agrees with the conduit list.";
  return text + ": " + std::to_string(nDiffering) + (nDiffering == 1 ? " user differs" : " users differ") +
         " from the conduit list in " + CountText(m_table.Differences(), "cell", "cells") + ".";
}

bool OverviewLogic::ReadMore(std::chrono::milliseconds budget) {
  const auto end = std::chrono::steady_clock::now() + budget;
  bool bRead = false;
  while (m_nNextToRead < m_order.size()) {
    const std::size_t tableRow = m_order[m_nNextToRead];
    if (!m_table.IsRead(tableRow)) {
      m_table.ReadRow(tableRow);
      bRead = true;
    }
    ++m_nNextToRead;
    if (std::chrono::steady_clock::now() >= end) break;
  }
  if (bRead) Changed();
  return IsReading();
}

bool OverviewLogic::ReadAll() {
  if (!IsReading()) return true;
  RunHooks hooks = m_main.Hooks();
  hooks.pProgress = m_pView;
  const bool bDone = OVSession::ReadOverview(m_table, m_order, hooks);
  Changed();
  return bDone;
}

void OverviewLogic::SetDiffersOnly(bool bOn) {
  if (bOn == m_bDiffersOnly) return;
  m_bDiffersOnly = bOn;
  Changed();
}

bool OverviewLogic::SetSortByDifferences(bool bOn) {
  if (bOn && !ReadAll()) return false;
  m_bSorted = bOn;
  Sort();
  Changed();
  return true;
}

void OverviewLogic::Sort() {
  if (m_bSorted) {
    m_order = m_table.RowsByDifferences();
  } else {
    for (std::size_t i = 0; i < m_order.size(); ++i) m_order[i] = i;
  }
  m_nNextToRead = 0;
}

void OverviewLogic::btnTickDifferingClick() {
  if (!ReadAll()) return;
  std::vector<std::uint32_t> ids;
  for (std::size_t row : m_table.DifferingRows()) ids.push_back(m_table.UserId(row));
  m_main.TickUsersOnly(ids);
  ov::MessageRequest request;
  request.caption = overview::kCaption;
  request.text = ids.empty() ? "Every user agrees with the conduit list: no user is ticked."
                             : CountText(ids.size(), "user", "users") +
                                   (ids.size() == 1 ? " differs" : " differ") +
                                   " from the conduit list and " + (ids.size() == 1 ? "is" : "are") +
                                   " now ticked in the main window; the others are not. Apply to Selected Users "
                                   "gives " + (ids.size() == 1 ? "it" : "them") + " the conduit list's actions.";
  if (m_pView) m_pView->ShowMessage(request);
}

void OverviewLogic::btnUserActionsClick(int nRow) {
  if (nRow < 0 || static_cast<std::size_t>(nRow) >= m_order.size()) return;
  const std::size_t tableRow = m_order[static_cast<std::size_t>(nRow)];
  m_main.OpenSyncActions(m_table.UserId(tableRow), m_userNames[tableRow]);
  // The dialog may have ended one-time actions or copied defaults into the conduit list.
  std::vector<std::uint32_t> actions;
  for (const CondRow& row : m_main.CondRows()) actions.push_back(row.pRec->dwAction);
  m_table.SetCompareActions(actions);
  m_table.ReadRow(tableRow);
  Changed();
}

void OverviewLogic::Changed() {
  if (!m_pView) return;
  m_pView->TableChanged();
  m_pView->StatusChanged();
}
