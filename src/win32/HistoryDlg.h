// The history dialog on Windows: the changes made to users' settings, the selected change user
// by user and conduit by conduit, and Undo (HistoryLogic, src/logic/History.h).
#pragma once

#include <windows.h>

#include "src/logic/History.h"
#include "src/win32/Win32Util.h"

class HistoryDlg final : public win32::Dialog, public HistoryView {
 public:
  explicit HistoryDlg(HistoryLogic& logic);
  ~HistoryDlg() override;

  // HistoryView
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override;
  void HistoryChanged() override;

 private:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  LRESULT OnNotify(NMHDR* header) override;

  HistoryLogic& m_logic;
  HWND m_entries = nullptr;
  HWND m_changes = nullptr;
  bool m_bUpdating = false;
};
