// The main window's rules and commands, without a window: the user list, the conduit list with
// the action of every conduit, and the commands that edit the actions and apply them to the
// ticked users. A view (the Qt window, the Win32 window) draws MainWindowLogic's state and
// forwards the user's events to the handlers below; the logic tells the view what to redraw.
//
// The action of a conduit lives in its catalogue record (src/core/Actions.h). The conduit list
// only shows the records: every command changes the record first and the row's text and tick
// with it, and a change of a row's tick switches its record on (ticked) or off (unticked). The
// writing itself, and everything the console program does too, is the core's session service
// (src/core/Session.h), which the logic owns.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "src/core/Actions.h"
#include "src/core/Session.h"
#include "src/logic/View.h"

class CCondMgr;
class CondDetailLogic;
class HistoryLogic;
class MainWindowLogic;
class OVProfile;
class OVProfMgr;
class OverviewLogic;
class ProfileLogic;
class SyncActionsLogic;
class UserInfoLogic;
struct CONDUIT_REC;
struct UserRecord;

// The help page, which travels beside the executable: "<its directory>help/orvane/index.htm"
// with the system's separators; empty when the directory cannot be found.
std::string HelpPagePath();
// The address of the help page:
// "file:///<the executable's directory>/help/orvane/index.htm?ref=app" (percent-encoded;
// "file:///C:/..." on Windows). Empty when the directory cannot be found.
std::string HelpAddress();

// The texts and sizes of the main window, shared by every view.
namespace mainwnd {
inline constexpr int kClientWidth = 690;
inline constexpr int kClientHeight = 509;
inline constexpr const char* kCaption = "Orvane - Customize the HotSync Settings Quickly";
inline constexpr const char* kApplicationTitle = "Customize HotSync Settings Quickly";
inline constexpr const char* kUserPanel = "Select User";
inline constexpr const char* kUserColumn = "User Name";
inline constexpr int kUserColumnWidth = 160;
// The panel's caption starts with 44 spaces.
inline constexpr const char* kCondPanel = "                                            Conduit Information";
inline constexpr const char* kCondColumn = "Conduit ";
inline constexpr int kCondColumnWidth = 170;
inline constexpr const char* kActionColumn = "Action";
inline constexpr int kActionColumnWidth = 180;
inline constexpr const char* kHelp = "&Help";
inline constexpr const char* kExit = "E&xit";
inline constexpr const char* kSelectAll = "Select All";
inline constexpr const char* kClearAll = "Clear All";
inline constexpr const char* kDetail = "Detail";
inline constexpr const char* kEnableAll = "Enable All";
inline constexpr const char* kDisableAll = "Disable All";
inline constexpr const char* kProfiles = "Profiles";
inline constexpr const char* kRefresh = "Refresh";
inline constexpr const char* kHotSync = "Start HotSync Manager";
inline constexpr const char* kApply = "Apply to Selected Users";
inline constexpr const char* kHistory = "History...";
inline constexpr const char* kDefaultAction = "Default Action";
inline constexpr const char* kMiSync = "Synchronize the files";
inline constexpr const char* kMiHH2PC = "Handhelds overwrite Desktop";
inline constexpr const char* kMiPC2HH = "Desktop overwrite handhelds";
inline constexpr const char* kMiInstall = "Install to handhelds";
inline constexpr const char* kMiNothing = "Do Nothing";
// The popup menu of the user list.
inline constexpr const char* kMiUserActions = "HotSync Actions...";
inline constexpr const char* kMiUserInfo = "User Information...";
// The progress window of a long Apply.
inline constexpr const char* kProgressCaption = ::kProgressCaption;
inline constexpr const char* kProgressCancel = "Cancel";
inline constexpr int kProgressWidth = 380;
}  // namespace mainwnd

// One row of the conduit list: the record it shows (owned by the catalogue), its title, the
// name of its action and its tick.
struct CondRow {
  CONDUIT_REC* pRec;
  std::string title;
  std::string action;
  bool ticked;
};

// One row of the user list: the user (owned by the roster), the name and the tick.
struct UserRow {
  const UserRecord* pUser;
  std::string name;
  bool ticked;
};

// The items of the popup menu, in menu order.
enum class PopupItem { Sync, HH2PC, PC2HH, Nothing };
inline constexpr int kPopupItemCount = 4;

// What the popup menu shows: which items, the caption of the third, and the one checked item.
struct PopupState {
  bool visible[kPopupItemCount] = {true, true, true, true};
  std::string pc2hhCaption = mainwnd::kMiPC2HH;
  PopupItem checked = PopupItem::Sync;

  bool IsVisible(PopupItem item) const { return visible[static_cast<int>(item)]; }
};

// What the main window's logic asks of the window that shows it.
class MainView : public ov::WindowView, public ProgressSink {
 public:
  // The user rows were rebuilt, or several ticks changed: redraw the whole user list.
  virtual void UserListChanged() = 0;
  // The conduit rows were rebuilt: redraw the whole conduit list (no row selected).
  virtual void CondListChanged() = 0;
  // One conduit row's tick or action text changed.
  virtual void CondRowChanged(int nRow) = 0;
  // sbtnDetail is enabled or disabled.
  virtual void DetailEnabledChanged() = 0;
  // A long operation begins (true) or ends (false): the wait cursor.
  virtual void SetBusy(bool bBusy) = 0;
  // The dialogs: each shows its logic modally, owned by the main window (the view attaches
  // itself with the logic's SetView where it has one), and returns when it closed;
  // RunCondDetail returns true when it closed with OK.
  virtual bool RunCondDetail(CondDetailLogic& dialog) = 0;
  virtual void RunUserInfo(UserInfoLogic& dialog) = 0;
  virtual void RunProfiles(ProfileLogic& dialog) = 0;
  virtual void RunSyncActions(SyncActionsLogic& dialog) = 0;
  // The history dialog (a view without one shows nothing).
  virtual void RunHistory(HistoryLogic& dialog) { (void)dialog; }
  // The overview of every user's actions.
  virtual void RunOverview(OverviewLogic& dialog) = 0;
  // Exit: close the window (which runs FormClose).
  virtual void CloseWindow() = 0;

  // The progress window of a long Apply (ProgressSink), modal over the main window: it opens
  // with its caption and the count of steps, shows how many are done and what is being done,
  // lets the windows repaint and answer, and says when Cancel was pressed. The session opens it
  // only for work that takes more than about a second, and steps it at most every 30 ms.
};

// Whether one-time actions may be ended now: a HotSync in progress is said, an unknown state asked
// ("... End the one-time actions anyway?"). *pbGoOn remembers a yes for the run that follows.
bool MayEndOneTimeActions(ov::WindowView& view, bool* pbGoOn);
// "3 one-time actions were ended.", or how many of them were ended, could not be, or were not
// reached and why.
std::string EndResultText(const EndResult& result);
// The hooks of a long command run from a window: progress in view, and an unknown HotSync state
// asked as "<kHotSyncUnknownText>\n\n<szGoOn>" (No is the default) once per command; *pbGoOn
// remembers the answer across the commands that share it.
RunHooks WindowHooks(MainView& view, const MainWindowLogic& logic, const char* szGoOn, bool* pbGoOn);
// The file in the data directory that keeps what a long command had done when Windows ended the
// session under it; the next start shows it and removes it.
inline constexpr const char* kDataFileEnded = "ovended.txt";
// What that file says of an Apply the session's end stopped: when, and who was written, who
// failed and who was not reached (StoppedRunText).
std::string SessionEndApplyText(const RunResult& result, const std::string& when);

// The question's text before its last words ("Apply anyway?").
inline constexpr const char* kHotSyncUnknownText =
    "HotSync Manager is running but does not say whether a HotSync is in progress (its state is unknown). "
    "Settings written during a HotSync can be lost or overwritten by it.";

class MainWindowLogic {
 public:
  // The timings of the long commands (SetProgressDelay), as hooks for the session.
  RunHooks Hooks() const;
  // Nothing happens until FormCreate: the view may build its controls first.
  explicit MainWindowLogic(MainView& view);
  // Runs FormDestroy when it has not run.
  ~MainWindowLogic();
  MainWindowLogic(const MainWindowLogic&) = delete;
  MainWindowLogic& operator=(const MainWindowLogic&) = delete;

  // Start-up: binds the Palm libraries, fills the user list, fills the conduit list from the
  // cache file (or enumerates the conduits and writes it), and puts the actions of the
  // current-settings profile "ovcurr.dat" onto the list.
  void FormCreate();
  // Close: the actions of the list go into the current-settings profile, which is saved; a
  // save that fails is told.
  void FormClose();
  // Destroys the profiles and releases the Palm libraries and the user roster.
  void FormDestroy();
  // The actions of the list into the current-settings profile, saved; false when it could not
  // be written (nothing said). Nothing before FormCreate has put the saved actions on the list.
  bool SaveCurrentSettings();

  // Whether a long command that writes users (Apply, ending one-time actions) is running: its
  // progress window and its HotSync question run inside it.
  bool IsWriting() const { return m_nWriting > 0; }
  // The session ends (the user logs off, Windows shuts down): the running long command stops
  // after the user it is writing (no HotSync question is answered with yes any more), the
  // current settings are saved, and who the running Apply has written so far goes into
  // kDataFileEnded, with a save that failed. From here on nothing is asked or said: the view
  // answers every message box with its default, and a command that still returns writes its
  // exact result into the file instead of saying it.
  void SessionEnding();
  bool IsSessionEnding() const { return m_bSessionEnding; }

  // Rebuilds the user list from the roster, every user ticked.
  void FillUserList();
  // Rebuilds the catalogue when needed and the conduit list from it. With bFromCache the
  // catalogue is read from the cache file; when that gives no record (or without bFromCache)
  // the conduits are enumerated, get the default action of their kind, and the cache file is
  // written. m_bRefilling is set meanwhile, so row events touch no record.
  void FillConduitList(bool bFromCache);
  // Every record gets the default action of its kind: registered 1, backup 4, install 2.
  void SetDefaultActions();
  // Copies actions between the conduit list and pProfile (by creator ID, first entry): bStore
  // copies the list into the profile (adding entries for conduits it lacks), otherwise the
  // profile's actions go onto the list and the ticks follow. Nothing without a profile.
  void ExchangeProfile(bool bStore, OVProfile* pProfile);
  // The popup commands: 8 switches the selected conduit off and unticks it, any other value
  // becomes its action and ticks it. Nothing without a selected row.
  void SetSelectedAction(std::uint32_t dwAction);
  // Writes the sync preference code of every listed conduit for one user: permanent
  // preferences when "Default Action" is ticked, temporary ones otherwise. True when every
  // call succeeded.
  bool ApplyToUser(std::uint32_t userId);
  // Writes every listed conduit for every ticked user, in list order (OVSession::Apply), with
  // the wait cursor; neither tells nor saves anything. HotSync is asked before the first user and
  // again every 100 ms; a HotSync in progress, or an unknown state the user did not go on with,
  // stops the loop before the next user. When the users will take longer than the progress
  // delay, the progress window shows them and Cancel stops before the next user.
  RunResult ApplyToTickedUsers();
  // The one-time actions of these users that differ from the action of the same conduit in the
  // list (what a default Apply has just written); a read that fails counts as none. The progress
  // window shows a long read; Cancel ends the search (marked as cancelled).
  OverrideSearch FindOneTimeOverrides(const std::vector<std::uint32_t>& userIds);
  // Ends those one-time actions (the progress window shows a long run; Cancel stops before the
  // next user; HotSync is asked before each user, *pbGoOn carrying an earlier yes).
  EndResult EndOneTimeActions(const std::vector<OneTimeOverride>& overrides, bool* pbGoOn);
  // Takes back the newest change of the history (OVSession::Undo) with the wait cursor, the
  // progress window and the HotSync question ("Undo anyway?", *pbGoOn carrying an earlier yes).
  UndoResult UndoLatest(bool* pbGoOn);
  // The action of a conduit row, set from a user's sync preference code (0 to 3) as Apply
  // would write it back: the copy of a user's actions into the list. False for any other code
  // or row (nothing changes).
  bool SetRowFromSyncPref(int nRow, std::int32_t nCode);
  // Work that takes longer than this shows the progress window (1 second; tests set 0).
  // interval: how often, at most, progress is drawn, Cancel looked at (30 ms) and HotSync asked
  // again (100 ms); tests that follow every user set it to 0.
  void SetProgressDelay(std::chrono::milliseconds delay) { m_progressDelay = delay; }
  void SetProgressDelay(std::chrono::milliseconds delay, std::chrono::milliseconds interval) {
    m_progressDelay = delay;
    m_progressInterval = m_hotSyncInterval = interval;
  }

  // Event handlers.
  void sbtnHelpClick();
  void sbtnExitClick();
  void sbtnHotSyncClick();
  void sbtnProfileClick();
  void slvUserDblClick();
  void sbtnAllClick();
  void sbtnClearClick();
  void sbtnDetailClick();
  void sbtnEnableClick();
  void sbtnDisableClick();
  void sbtnLoadCondClick();
  void sbtnApplyClick();
  // History...: the history dialog over the session's history file.
  void sbtnHistoryClick();
  // Prepares the popup menu for the selected conduit (which items show, the install caption,
  // the check mark); without a selected conduit it stays as it was. Runs every time the menu
  // is about to open.
  void pmCondPopup();
  void miSyncClick();
  void miHH2PCClick();
  void miPC2HHClick();
  void miNothingClick();
  // The user list's popup menu: the HotSync actions of the selected user, its information.
  void miUserActionsClick();
  void miUserInfoClick() { slvUserDblClick(); }
  // Enter on a list opens its row, as a double click does.
  void slvUserKeyEnter() { slvUserDblClick(); }
  void slvCondKeyEnter() { sbtnDetailClick(); }
  // The overview of every user's actions (the view's RunOverview).
  void sbtnOverviewClick();
  // Ticks exactly these users in the user list (the others are unticked).
  void TickUsersOnly(const std::vector<std::uint32_t>& userIds);
  // The HotSync actions dialog of one user over the conduit list (the view's RunSyncActions).
  void OpenSyncActions(std::uint32_t userId, const std::string& userName);
  // A row of slvCond was ticked or unticked: switch its record on or off and show the new
  // action. Setting a tick to the value it has changes nothing.
  void slvCondChange(int nRow, bool bTicked);
  // The view's selection changed (-1: none); the Detail button follows the conduit selection.
  void SelectCondRow(int nRow);
  void SelectUserRow(int nRow);
  // The user ticked or unticked a user row.
  void SetUserTicked(int nRow, bool bTicked);
  // "Default Action" was ticked or unticked.
  void SetDefaultAction(bool bTicked) { m_bDefaultAction = bTicked; }

  // State for the view.
  const std::vector<UserRow>& UserRows() const { return m_users; }
  const std::vector<CondRow>& CondRows() const { return m_conds; }
  int SelectedCondRow() const { return m_nCondSelected; }
  int SelectedUserRow() const { return m_nUserSelected; }
  bool IsDetailEnabled() const { return m_bDetailEnabled; }
  bool IsDefaultAction() const { return m_bDefaultAction; }
  const PopupState& Popup() const { return m_popup; }

  // The profile catalogue, for the profiles dialog.
  OVProfMgr* GetProfMgr() const { return m_pProfMgr; }
  // The session with the Palm Desktop installation.
  OVSession& Session() { return m_session; }
  // The conduit record of a row of slvCond, the user record of a row of slvUser; null when
  // there is none.
  CONDUIT_REC* CondRecordAt(int nRow) const;
  const UserRecord* UserRecordAt(int nRow) const;

 private:
  // Sets a conduit row's tick as the tool does (a change runs slvCondChange).
  void SetCondTicked(int nRow, bool bTicked);
  void ShowRowAction(int nRow);
  void SetAllUserTicks(bool bTicked);
  void SetAllCondTicks(bool bTicked);
  // After a default Apply: the one-time actions that would override the new defaults, and the
  // question whether to end them.
  // before (when not empty) is said first, in the question or alone, with its caption and icon.
  void OfferToEndOverrides(const std::vector<std::uint32_t>& userIds, const std::string& before,
                           const char* szBeforeCaption, ov::MessageIcon beforeIcon);
  void UpdateDetailButton();
  // Writes text into kDataFileEnded (replacing an earlier one).
  void KeepForNextStart(const std::string& text);
  // At start-up: the text kept at the end of the last session is said once, and removed.
  void TellWhatTheLastSessionEndStopped();
  void Tell(const std::string& text, const char* caption, ov::MessageIcon icon);
  // Says that Palm's libraries are of the other word size when that is why they did not load.
  void TellWrongBuild();

  MainView& m_view;
  OVSession m_session;
  bool m_bRefilling;
  bool m_bCreated;
  OVProfile* m_pProfile;
  OVProfMgr* m_pProfMgr;

  std::vector<UserRow> m_users;
  std::vector<CondRow> m_conds;
  int m_nCondSelected;
  int m_nUserSelected;
  bool m_bDetailEnabled;
  bool m_bDefaultAction;
  PopupState m_popup;
  // What the history calls the next Apply: the profile last loaded into the list, until a row
  // is changed by hand or the list is read again ("" : the conduit list).
  std::string m_applyWhat;
  std::chrono::milliseconds m_progressDelay{1000};
  std::chrono::milliseconds m_progressInterval{kProgressInterval};
  std::chrono::milliseconds m_hotSyncInterval{kHotSyncCheckInterval};
  // The view's progress for the long commands: a session's end that arrives while a step is
  // drawn (its messages are handled then) stops the command at that step, before the next user.
  class ProgressRelay final : public ProgressSink {
   public:
    explicit ProgressRelay(MainWindowLogic& logic) : m_logic(logic) {}
    void ProgressBegin(const std::string& caption, int nTotal) override;
    bool ProgressStep(int nDone, const std::string& text) override;
    void ProgressEnd() override;

   private:
    MainWindowLogic& m_logic;
  };
  mutable ProgressRelay m_progressRelay{*this};
  // The running writing commands; the users of a running Apply and how many of them the
  // session has passed (its stop request is asked once after every user); the session's end.
  int m_nWriting = 0;
  std::vector<SessionUser> m_applyUsers;
  mutable std::size_t m_nUsersPassed = 0;
  bool m_bApplying = false;
  bool m_bSessionEnding = false;
};

// The conduit catalogue, fetched when the main window starts up.
extern CCondMgr* g_pCondMgr;
