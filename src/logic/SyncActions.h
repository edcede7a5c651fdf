// The HotSync actions dialog: what one user's handheld will do at its next HotSync, for every
// conduit of the main window's conduit list, as Palm's user data library holds it. For each
// conduit the user's default action (the permanent preference) and the action of the next
// HotSync (the one-time preference when one is set, marked, else the default). Two commands:
// copy the user's default actions into the conduit list (Apply then gives them to other users),
// and end the user's one-time actions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "src/core/UserActions.h"
#include "src/logic/View.h"

class MainWindowLogic;

// The texts and sizes of the dialog, shared by every view.
namespace syncactions {
inline constexpr int kClientWidth = 720;
inline constexpr int kClientHeight = 420;
inline constexpr const char* kCaption = "HotSync Actions";
inline constexpr const char* kUserLabel = "User Name:";
inline constexpr const char* kColumns[] = {"Conduit", "Default", "Next HotSync"};
// Wide enough for the longest action in bold (a row a one-time action decides), such as
// "Handheld overwrites Desktop (this time only)", with the list's margins and scroll bar.
inline constexpr int kColumnWidths[] = {170, 200, 300};
inline constexpr const char* kCopy = "Copy to Conduit &List";
inline constexpr const char* kEndOneTime = "&End One-Time Actions";
inline constexpr const char* kClose = "&Close";
// The user information dialog's button that opens this dialog.
inline constexpr const char* kOpenButton = "HotSync &Actions...";
}  // namespace syncactions

// One row: a conduit of the list with the user's two actions as read.
struct SyncActionRow {
  int nCondRow;  // the row of the main window's conduit list
  std::string conduit;
  std::string defaultText;
  std::string nextText;
  UserConduitAction action;
};

class SyncActionsView : public ov::WindowView {
 public:
  // The rows, the summary or the enabled commands changed: redraw them.
  virtual void RowsChanged() = 0;
};

class SyncActionsLogic {
 public:
  // For one user (ID and name) over the main window's conduit list; reads the user's actions
  // at once (Load).
  SyncActionsLogic(MainWindowLogic& main, std::uint32_t userId, std::string userName);
  void SetView(SyncActionsView* pView) { m_pView = pView; }

  // Reads the user's default and one-time actions for every conduit of the list again.
  void Load();

  std::uint32_t UserId() const { return m_userId; }
  const std::string& UserName() const { return m_userName; }
  // "HotSync Actions - Alice".
  std::string Caption() const;
  const std::vector<SyncActionRow>& Rows() const { return m_rows; }
  // "2 one-time actions decide the next HotSync." / "No one-time action is set." and reads
  // that failed.
  std::string Summary() const;
  int OneTimeCount() const;
  bool CanCopy() const;
  bool CanEndOneTime() const { return OneTimeCount() > 0; }

  // Copy to Conduit List: every conduit whose default is one the tool writes (codes 0 to 3)
  // gets it as its action in the list; the others keep theirs. Says what was copied.
  void btnCopyClick();
  // End One-Time Actions: after Yes to the question (default No) and when no HotSync is in
  // progress, ends every one-time action of the user, reads again and says what failed.
  void btnEndOneTimeClick();

 private:
  void Tell(const std::string& text, const char* caption, ov::MessageIcon icon);

  MainWindowLogic& m_main;
  SyncActionsView* m_pView = nullptr;
  std::uint32_t m_userId;
  std::string m_userName;
  std::vector<SyncActionRow> m_rows;
};
