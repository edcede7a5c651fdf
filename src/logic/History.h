// The history dialog: the changes Orvane made to users' settings (every Apply, end of one-time
// actions and Undo, from the window and the console), newest first; the selected change user by
// user and conduit by conduit; and Undo, which takes back the newest change not undone yet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "src/core/History.h"
#include "src/core/Session.h"
#include "src/logic/View.h"

class MainWindowLogic;

// The texts and sizes of the dialog, shared by every view.
namespace historydlg {
inline constexpr int kClientWidth = 820;
inline constexpr int kClientHeight = 500;
inline constexpr const char* kCaption = "History of Changes";
inline constexpr const char* kEntriesLabel = "Changes (newest first):";
inline constexpr const char* kEntryColumns[] = {"#", "Time (UTC)", "Who", "Change", "Users"};
inline constexpr int kEntryColumnWidths[] = {40, 160, 120, 380, 60};
inline constexpr const char* kChangesLabel = "What the selected change wrote:";
inline constexpr const char* kChangeColumns[] = {"User", "Conduit", "Before", "After"};
inline constexpr int kChangeColumnWidths[] = {150, 170, 190, 190};
inline constexpr const char* kUndo = "&Undo";
inline constexpr const char* kClose = "&Close";
// The main window's button that opens the dialog.
inline constexpr const char* kOpenButton = "History...";
// At most this many rows of one change are listed (2,000 users x 300 conduits would be 600,000);
// the console's "orvanectl history show ID" lists them all.
inline constexpr std::size_t kMaxChangeRows = 5000;
}  // namespace historydlg

// One change in the list.
struct HistoryEntryRow {
  std::uint64_t id;
  std::string number;  // "7"
  std::string time;
  std::string who;     // "alice (console)"
  std::string change;  // "Apply of conduit list, default actions (undone)"
  std::string users;   // "3"
};

// One user's conduit in a change.
struct HistoryChangeRow {
  std::string user, conduit, before, after;
};

class HistoryView : public ov::WindowView {
 public:
  // The list of changes, the selected change's rows, the summary or Undo's state changed.
  virtual void HistoryChanged() = 0;
};

class HistoryLogic {
 public:
  // Reads the history at once (Load). Texts from the history file are UTF-8; the view shows
  // them as such.
  explicit HistoryLogic(MainWindowLogic& main);
  void SetView(HistoryView* pView) { m_pView = pView; }

  // Reads the history file again; the newest change is selected. A file that was set aside is
  // said in Notice.
  void Load();

  const std::vector<HistoryEntryRow>& Entries() const { return m_entries; }
  int SelectedEntry() const { return m_nSelected; }
  // The view's selection changed (-1: none): the change rows follow.
  void SelectEntry(int nRow);
  const std::vector<HistoryChangeRow>& Changes() const { return m_changes; }
  // What the file said (set aside, could not be read); "" when nothing.
  const std::string& Notice() const { return m_notice; }
  // "Undo takes back #7: Apply of conduit list, default actions, 3 users." or "Nothing to undo."
  std::string UndoText() const;
  bool CanUndo() const { return m_undoId != 0; }

  // Undo: after Yes to the question (default No), takes back the newest change (the main
  // window's Undo: HotSync asked, progress and Cancel), reads the history again and says what
  // was put back, left or not reached.
  void btnUndoClick();

 private:
  void Tell(const std::string& text, const char* caption, ov::MessageIcon icon);

  MainWindowLogic& m_main;
  HistoryView* m_pView = nullptr;
  HistoryFile m_history;
  std::vector<HistoryEntryRow> m_entries;
  std::vector<HistoryChangeRow> m_changes;
  int m_nSelected = -1;
  std::uint64_t m_undoId = 0;
  std::string m_undoWhat;
  std::string m_notice;
};

// "Apply of conduit list, default actions", "Undo of #7 (Apply of ...), next HotSync actions".
std::string HistoryChangeText(const HistEntry& e);
// What an Undo did, for a message box.
std::string UndoResultText(const UndoResult& result);
