// The overview window: every user's next HotSync at a glance, users as rows and the conduits of
// the main window's list as columns, each cell the action as Palm's user data library holds it.
// A choice marks only the cells that differ from the conduit list (what Apply would write),
// with a count per user and per conduit, and sorts the users by their count. Two commands lead
// back to work: tick exactly the differing users in the main window, and open one user's HotSync
// actions dialog.
//
// Rows are read when first drawn (the view asks for a cell of a row not read yet) and the rest
// a slice at a time while the window is idle (ReadMore), so 2,000 users show at once.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "src/core/Overview.h"
#include "src/core/Session.h"
#include "src/logic/View.h"

class MainWindowLogic;

// The texts and sizes of the window, shared by every view.
namespace overview {
inline constexpr int kClientWidth = 900;
inline constexpr int kClientHeight = 560;
inline constexpr const char* kCaption = "Overview of HotSync Actions";
// The main window's button that opens it.
inline constexpr const char* kOpenButton = "O&verview...";
inline constexpr const char* kDiffersOnly = "Show only what &differs from the conduit list";
inline constexpr const char* kSortByDifferences = "&Sort users by differences";
inline constexpr const char* kTickDiffering = "&Tick Differing Users";
inline constexpr const char* kUserActions = "HotSync &Actions...";
inline constexpr const char* kClose = "&Close";
inline constexpr const char* kLegendTitle = "Legend:";
inline constexpr int kUserColumnWidth = 170;
inline constexpr int kCellWidth = 80;
}  // namespace overview

// A colour as red, green and blue.
struct Rgb {
  unsigned char r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// The background of a cell of each kind: light tints of a palette that people with any common
// colour-vision deficiency tell apart (Okabe and Ito), so black text stays readable. The label
// says the same in words, so nothing depends on colour alone; under High Contrast a view draws
// the system's colours instead.
Rgb CellBackground(CellKind kind);

// What a view draws in one cell.
struct CellShown {
  std::string text;   // CellLabel, or "" for a cell that agrees while only differences show
  CellKind kind;      // for the colour
  bool bMarked;       // drawn as a difference: only differences show, and this one differs
};

class OverviewView : public ov::WindowView, public ProgressSink {
 public:
  // The rows, their order, the counts or the cells changed: redraw the table and its headers.
  virtual void TableChanged() = 0;
  // The status line changed.
  virtual void StatusChanged() = 0;
};

class OverviewLogic {
 public:
  // Over the main window's users (in its list order) and conduit list (compared with its
  // actions as they are now). Nothing is read yet.
  explicit OverviewLogic(MainWindowLogic& main);
  void SetView(OverviewView* pView) { m_pView = pView; }

  std::size_t RowCount() const { return m_order.size(); }
  std::size_t ColumnCount() const { return m_table.ConduitCount(); }
  // The header of a display row: the user's name, with its count of differences while only
  // differences show ("Bob Jones (2)").
  std::string RowHeader(std::size_t row) const;
  // The header of a column: the conduit's title, with its count of differing users while only
  // differences show.
  std::string ColumnHeader(std::size_t col) const;
  // One cell of a display row; a row not read yet is read first, so what a view draws is read
  // before anything else.
  CellShown Cell(std::size_t row, std::size_t col);
  // The full text of a cell (CellText), for a tooltip; read first as Cell does.
  std::string CellTip(std::size_t row, std::size_t col) { return CellText(CellAt(row, col)); }
  // The user ID of a display row.
  std::uint32_t UserIdAt(std::size_t row) const { return m_table.UserId(m_order[row]); }

  // "Read 340 of 2,000 users..." while reading, then "5 users, 11 conduits: 3 users differ from
  // the conduit list in 7 cells." (the second half while only differences show).
  std::string StatusText() const;
  // Whether rows are left to read.
  bool IsReading() const { return m_table.RowsRead() < m_table.UserCount(); }
  // Reads rows not read yet, in display order, for about budget; true while rows are left.
  bool ReadMore(std::chrono::milliseconds budget);

  bool IsDiffersOnly() const { return m_bDiffersOnly; }
  bool IsSortedByDifferences() const { return m_bSorted; }
  // The choices. Sorting reads every row first (the progress window shows a long read; Cancel
  // leaves the order as it was and returns false).
  void SetDiffersOnly(bool bOn);
  bool SetSortByDifferences(bool bOn);

  // Tick Differing Users: reads every row (as sorting does), then ticks in the main window's user
  // list exactly the users with a differing cell, so that the next Apply reaches just them, and
  // says how many.
  void btnTickDifferingClick();
  // HotSync Actions...: the actions dialog of the user of a display row (-1: none), over this
  // window; the user's row is read again afterwards, and the cells are compared with the conduit
  // list as it is then (the dialog may have copied actions into it).
  void btnUserActionsClick(int nRow);

 private:
  // The cell of a display row, its row read first when it is not yet.
  const OverviewCell& CellAt(std::size_t row, std::size_t col);
  // Reads every row left, with progress; false when cancelled.
  bool ReadAll();
  void Sort();
  void Changed();

  MainWindowLogic& m_main;
  OverviewView* m_pView = nullptr;
  OverviewTable m_table;
  std::vector<std::string> m_userNames;   // by table row
  std::vector<std::string> m_titles;      // by column
  std::vector<std::size_t> m_order;       // display row -> table row
  std::size_t m_nNextToRead = 0;          // display row from which ReadMore goes on
  bool m_bDiffersOnly = false;
  bool m_bSorted = false;
};
