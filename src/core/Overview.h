// Every user's next HotSync at a glance: a table of users (rows) by conduits (columns), each cell
// what the conduit does for that user at the next HotSync, and which cells differ from the
// conduit list's action (what Apply would write). Rows are read from Palm's user data library
// on demand, so a window can show the first screen of 2,000 users before the rest is read.
// Toolkit-free: the windows and the console program show it each in their own way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "src/core/UserActions.h"

struct CONDUIT_REC;

// What one cell holds. The four actions and Custom are the library's codes 0 to 4.
enum class CellKind : std::uint8_t {
  Unread,              // not read yet
  Synchronize,         // 0
  DesktopOverwrites,   // 1
  HandheldOverwrites,  // 2
  DoNothing,           // 3
  Custom,              // 4
  Unknown,             // any other code (in nValue)
  NotSet,              // neither a one-time action nor a default was ever written
  Failed,              // the library answered an error (in nValue)
};

// One cell: eight bytes, so 2,000 users by 300 conduits take under 5 MB.
struct OverviewCell {
  std::int32_t nValue = 0;  // Unknown: the code; Failed: the library's answer
  CellKind kind = CellKind::Unread;
  bool bOneTime = false;  // a one-time action decides the next HotSync
};

// The cell for a read of the next HotSync (ReadNextPref).
OverviewCell CellOf(const PrefRead& next);

// The short text of a cell, as the overview's cells show it: "Sync", "Desktop", "Handheld",
// "Nothing", "Custom", "Code 7", "not set", "failed", "" for an unread cell; a one-time action
// is marked with a trailing "*". The legend (OverviewLegend) names each in full.
std::string CellLabel(const OverviewCell& cell);
// The full text of a cell, as the actions dialog and orvanectl show it: "Synchronize the files
// (this time only)", "not set", "read failed (error -505)"; "" for an unread cell.
std::string CellText(const OverviewCell& cell);

// The mark of a one-time action in CellLabel.
inline constexpr const char* kOneTimeCellMark = "*";

// One line of the legend: a kind, its short label and what it means.
struct LegendEntry {
  CellKind kind;
  const char* szLabel;
  const char* szMeaning;
};
// The legend in the order a window shows it, the one-time mark last (kind Unread).
const std::vector<LegendEntry>& OverviewLegend();

// Whether a cell differs from what Apply writes for a conduit whose action is dwAction: a read
// cell that is not the preference SyncPrefCode(dwAction). "not set" and a failed read differ (an
// Apply would write them); an unread cell does not (nothing is known yet).
bool CellDiffers(const OverviewCell& cell, std::uint32_t dwAction);

// The table. Built over the users and conduits of an open session; it keeps their user IDs and
// creator IDs, not the records, so it outlives a reload of the conduit list.
class OverviewTable {
 public:
  // The conduits' actions (dwAction) are what the cells are compared with.
  OverviewTable(std::vector<std::uint32_t> userIds, const std::vector<const CONDUIT_REC*>& conduits);

  std::size_t UserCount() const { return m_userIds.size(); }
  std::size_t ConduitCount() const { return m_creatorIds.size(); }
  std::uint32_t UserId(std::size_t row) const { return m_userIds[row]; }
  std::uint32_t CreatorId(std::size_t col) const { return m_creatorIds[col]; }
  std::uint32_t CompareAction(std::size_t col) const { return m_actions[col]; }

  // Reads one user's cells from the library (again when already read).
  void ReadRow(std::size_t row);
  // Reads the rows of [first, last) not read yet; the number read.
  std::size_t ReadUnread(std::size_t first, std::size_t last);
  bool IsRead(std::size_t row) const { return m_rowDiffs[row] != kUnreadRow; }
  std::size_t RowsRead() const { return m_nRowsRead; }
  // The first row not read yet at or after row, or UserCount().
  std::size_t NextUnread(std::size_t row) const;

  const OverviewCell& Cell(std::size_t row, std::size_t col) const { return m_cells[row * ConduitCount() + col]; }
  bool Differs(std::size_t row, std::size_t col) const { return CellDiffers(Cell(row, col), m_actions[col]); }

  // Compares with other actions from now on (the conduit list changed): one per conduit, in
  // column order; a list of another length is ignored.
  void SetCompareActions(const std::vector<std::uint32_t>& actions);

  // Differing cells of a row (0 for a row not read), of a column and of the whole table (over
  // the rows read).
  std::size_t RowDifferences(std::size_t row) const { return IsRead(row) ? m_rowDiffs[row] : 0; }
  std::size_t ColumnDifferences(std::size_t col) const { return m_colDiffs[col]; }
  std::size_t Differences() const { return m_nDiffs; }
  // The read rows with at least one differing cell, in row order.
  std::vector<std::size_t> DifferingRows() const;
  // Every row, those with the most differing cells first; rows of equal count (and the rows
  // not read, last) keep their order.
  std::vector<std::size_t> RowsByDifferences() const;

 private:
  static constexpr std::uint32_t kUnreadRow = 0xFFFFFFFFu;

  void CountRow(std::size_t row, bool bAdd);
  void Recount();

  std::vector<std::uint32_t> m_userIds;
  std::vector<std::uint32_t> m_creatorIds;
  std::vector<std::uint32_t> m_actions;
  std::vector<OverviewCell> m_cells;
  std::vector<std::uint32_t> m_rowDiffs;  // kUnreadRow until the row is read
  std::vector<std::size_t> m_colDiffs;
  std::size_t m_nDiffs = 0;
  std::size_t m_nRowsRead = 0;
};
