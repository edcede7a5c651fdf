#include "src/core/Overview.h"

#include <algorithm>

#include "src/core/Actions.h"
#include "src/core/palm/CondMgr.h"

OverviewCell CellOf(const PrefRead& next) {
  OverviewCell cell;
  switch (next.state) {
    case PrefRead::State::NotSet: cell.kind = CellKind::NotSet; return cell;
    case PrefRead::State::Failed:
      cell.kind = CellKind::Failed;
      cell.nValue = next.nResult;
      return cell;
    case PrefRead::State::Set: break;
  }
  cell.bOneTime = next.bOneTime;
  switch (next.nCode) {
    case palm::SYNC_PREF_SYNCHRONIZE: cell.kind = CellKind::Synchronize; break;
    case palm::SYNC_PREF_PC_TO_HH: cell.kind = CellKind::DesktopOverwrites; break;
    case palm::SYNC_PREF_HH_TO_PC: cell.kind = CellKind::HandheldOverwrites; break;
    case palm::SYNC_PREF_DO_NOTHING: cell.kind = CellKind::DoNothing; break;
    case palm::SYNC_PREF_CUSTOM: cell.kind = CellKind::Custom; break;
    default:
      cell.kind = CellKind::Unknown;
      cell.nValue = next.nCode;
      break;
  }
  return cell;
}

namespace {

// The library's code of a cell that holds one, else -1.
std::int32_t CodeOf(const OverviewCell& cell) {
  switch (cell.kind) {
    case CellKind::Synchronize: return palm::SYNC_PREF_SYNCHRONIZE;
    case CellKind::DesktopOverwrites: return palm::SYNC_PREF_PC_TO_HH;
    case CellKind::HandheldOverwrites: return palm::SYNC_PREF_HH_TO_PC;
    case CellKind::DoNothing: return palm::SYNC_PREF_DO_NOTHING;
    case CellKind::Custom: return palm::SYNC_PREF_CUSTOM;
    case CellKind::Unknown: return cell.nValue;
    default: return -1;
  }
}

}  // namespace

const std::vector<LegendEntry>& OverviewLegend() {
  static const std::vector<LegendEntry> legend{
      {CellKind::Synchronize, "Sync", "Synchronize the files"},
      {CellKind::DesktopOverwrites, "Desktop", "Desktop overwrites handheld"},
      {CellKind::HandheldOverwrites, "Handheld", "Handheld overwrites Desktop"},
      {CellKind::DoNothing, "Nothing", "Do Nothing"},
      {CellKind::Custom, "Custom", "Custom"},
      {CellKind::Unknown, "Code n", "Unknown action"},
      {CellKind::NotSet, "not set", "Never set"},
      {CellKind::Failed, "failed", "Could not be read"},
      {CellKind::Unread, kOneTimeCellMark, "One-time action (this time only)"},
  };
  return legend;
}

std::string CellLabel(const OverviewCell& cell) {
  switch (cell.kind) {
    case CellKind::Unread: return "";
    case CellKind::NotSet: return "not set";
    case CellKind::Failed: return "failed";
    case CellKind::Unknown: return "Code " + std::to_string(cell.nValue) + (cell.bOneTime ? kOneTimeCellMark : "");
    default: break;
  }
  for (const LegendEntry& e : OverviewLegend()) {
    if (e.kind == cell.kind) return std::string(e.szLabel) + (cell.bOneTime ? kOneTimeCellMark : "");
  }
  return "";
}

std::string CellText(const OverviewCell& cell) {
  PrefRead read;
  switch (cell.kind) {
    case CellKind::Unread: return "";
    case CellKind::NotSet: read.state = PrefRead::State::NotSet; break;
    case CellKind::Failed:
      read.state = PrefRead::State::Failed;
      read.nResult = cell.nValue;
      break;
    default:
      read.state = PrefRead::State::Set;
      read.nCode = CodeOf(cell);
      read.bOneTime = cell.bOneTime;
      break;
  }
  return NextSyncText(read);
}

bool CellDiffers(const OverviewCell& cell, std::uint32_t dwAction) {
  if (cell.kind == CellKind::Unread) return false;
  return CodeOf(cell) != SyncPrefCode(dwAction);
}

OverviewTable::OverviewTable(std::vector<std::uint32_t> userIds, const std::vector<const CONDUIT_REC*>& conduits)
    : m_userIds(std::move(userIds)) {
  m_creatorIds.reserve(conduits.size());
  m_actions.reserve(conduits.size());
  for (const CONDUIT_REC* pRec : conduits) {
    m_creatorIds.push_back(pRec ? pRec->dwCreatorID : 0);
    m_actions.push_back(pRec ? pRec->dwAction : ACTION_SYNC);
  }
  m_cells.resize(m_userIds.size() * m_creatorIds.size());
  m_rowDiffs.assign(m_userIds.size(), kUnreadRow);
  m_colDiffs.assign(m_creatorIds.size(), 0);
}

void OverviewTable::CountRow(std::size_t row, bool bAdd) {
  std::uint32_t n = 0;
  for (std::size_t col = 0; col < ConduitCount(); ++col) {
    if (!Differs(row, col)) continue;
    ++n;
    if (bAdd) {
      ++m_colDiffs[col];
    } else {
      --m_colDiffs[col];
    }
  }
  if (bAdd) {
    m_rowDiffs[row] = n;
    m_nDiffs += n;
  } else {
    m_nDiffs -= n;
  }
}

void OverviewTable::ReadRow(std::size_t row) {
  if (row >= UserCount()) return;
  if (IsRead(row)) {
    CountRow(row, false);
  } else {
    ++m_nRowsRead;
  }
  OverviewCell* pCells = m_cells.data() + row * ConduitCount();
  for (std::size_t col = 0; col < ConduitCount(); ++col) {
    pCells[col] = CellOf(ReadNextPref(m_userIds[row], m_creatorIds[col]));
  }
  CountRow(row, true);
}

std::size_t OverviewTable::ReadUnread(std::size_t first, std::size_t last) {
  std::size_t n = 0;
  for (std::size_t row = first; row < last && row < UserCount(); ++row) {
    if (IsRead(row)) continue;
    ReadRow(row);
    ++n;
  }
  return n;
}

std::size_t OverviewTable::NextUnread(std::size_t row) const {
  while (row < UserCount() && IsRead(row)) ++row;
  return row;
}

void OverviewTable::SetCompareActions(const std::vector<std::uint32_t>& actions) {
  if (actions.size() != m_actions.size()) return;
  m_actions = actions;
  Recount();
}

void OverviewTable::Recount() {
  m_colDiffs.assign(ConduitCount(), 0);
  m_nDiffs = 0;
  for (std::size_t row = 0; row < UserCount(); ++row) {
    if (IsRead(row)) CountRow(row, true);
  }
}

std::vector<std::size_t> OverviewTable::DifferingRows() const {
  std::vector<std::size_t> rows;
  for (std::size_t row = 0; row < UserCount(); ++row) {
    if (RowDifferences(row) != 0) rows.push_back(row);
  }
  return rows;
}

std::vector<std::size_t> OverviewTable::RowsByDifferences() const {
  std::vector<std::size_t> rows(UserCount());
  for (std::size_t row = 0; row < rows.size(); ++row) rows[row] = row;
  std::stable_sort(rows.begin(), rows.end(), [this](std::size_t a, std::size_t b) {
    if (IsRead(a) != IsRead(b)) return IsRead(a);
    return RowDifferences(a) > RowDifferences(b);
  });
  return rows;
}
