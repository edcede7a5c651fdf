// The overview window on Windows: every user's next HotSync in a grid of its own whose row and
// column headers stay in view (OverviewGrid draws only the visible cells, asking the logic for
// each, so 2,000 users by 300 conduits cost no control per cell), a legend, the two choices,
// Tick Differing Users and HotSync Actions... for the selected row.
#pragma once

#include <windows.h>

#include <memory>

#include "src/logic/Overview.h"
#include "src/win32/Dialogs.h"
#include "src/win32/Win32Util.h"

class OverviewGrid;

class OverviewDlg final : public win32::Dialog, public OverviewView {
 public:
  explicit OverviewDlg(OverviewLogic& logic);
  ~OverviewDlg() override;

  // OverviewView
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override;
  void TableChanged() override;
  void StatusChanged() override;
  void ProgressBegin(const std::string& caption, int nTotal) override;
  bool ProgressStep(int nDone, const std::string& text) override;
  void ProgressEnd() override;

 private:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

  OverviewLogic& m_logic;
  HWND m_grid = nullptr;
  std::unique_ptr<OverviewGrid> m_pGrid;  // the grid window's state, while the window lives
  ProgressHost m_progress;
};
