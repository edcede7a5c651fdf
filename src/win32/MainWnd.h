// The main window on Windows: draws MainWindowLogic's state with Win32 controls and forwards
// the user's events to it. It holds no rule of its own.
#pragma once

#include <windows.h>

#include <memory>

#include "src/logic/Main.h"
#include "src/win32/Dialogs.h"
#include "src/win32/Win32Util.h"

class MainWnd final : public win32::Dialog, public MainView {
 public:
  MainWnd();
  ~MainWnd() override;

  // Builds the window (hidden) with its controls and runs the logic's start-up. bQuitOnDestroy:
  // the window's end ends the message loop (the program's window; tests say false).
  bool Create(bool bQuitOnDestroy);

  MainWindowLogic& Logic() { return m_logic; }

  // MainView
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override;
  void UserListChanged() override;
  void CondListChanged() override;
  void CondRowChanged(int nRow) override;
  void DetailEnabledChanged() override;
  void SetBusy(bool bBusy) override;
  bool RunCondDetail(CondDetailLogic& dialog) override;
  void RunUserInfo(UserInfoLogic& dialog) override;
  void RunProfiles(ProfileLogic& dialog) override;
  void RunSyncActions(SyncActionsLogic& dialog) override;
  void RunHistory(HistoryLogic& dialog) override;
  void RunOverview(OverviewLogic& dialog) override;
  void CloseWindow() override;
  void ProgressBegin(const std::string& caption, int nTotal) override;
  bool ProgressStep(int nDone, const std::string& text) override;
  void ProgressEnd() override;

 private:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  LRESULT OnNotify(NMHDR* header) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

  void BuildControls();
  void SetRow(HWND list, int nRow, const std::string& text, const std::string* action, bool bTicked, bool bInsert);
  // The popup menus, at the point of a WM_CONTEXTMENU (-1, -1 from the keyboard: under the
  // selected row of list).
  POINT PopupPoint(HWND list, LPARAM lp) const;
  void OpenPopup(LPARAM lp);
  void OpenUserPopup(LPARAM lp);
  void Paint();
  // The banner panel's background: white, or the window colour under High Contrast.
  static HBRUSH BannerBrush();
  // The close, the session's end: see OnMessage.
  void OnClose();
  BOOL OnQueryEndSession();
  void OnEndSession(bool bEnding);
  // Shows Windows why the session should not end now (Vista and later; nothing on XP), or takes
  // the reason back.
  void SetShutdownBlockReason(bool bBlock);

  // Counts the commands of this window while they run: a dialog, message box, popup menu or
  // progress window opened by one runs its own message loop inside it, and the rows and records
  // it uses must outlive it. A close that arrives meanwhile waits for the outermost to end.
  class CommandScope {
   public:
    explicit CommandScope(MainWnd& wnd) : m_wnd(wnd) { ++m_wnd.m_nCommands; }
    ~CommandScope();
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

   private:
    MainWnd& m_wnd;
  };

  MainWindowLogic m_logic;
  HWND m_users = nullptr;
  HWND m_conds = nullptr;
  HBITMAP m_banner = nullptr;
  HICON m_iconBig = nullptr;
  HICON m_iconSmall = nullptr;
  // The progress window while a long run shows it.
  ProgressHost m_progress;
  // Set while the view itself puts rows and ticks into the lists: their notifications are not
  // the user's and do not go to the logic.
  bool m_bUpdating = false;
  bool m_bBusy = false;
  bool m_bQuitOnDestroy = false;
  bool m_bCreated = false;
  int m_nCommands = 0;
  // A close arrived while a command ran: it runs (saves and ends) once the command is over.
  bool m_bCloseDeferred = false;
  bool m_bBlockReason = false;
};
