// The modal windows on Windows: the five dialogs and the progress window of a long run. Each
// dialog draws its logic's state with Win32 controls and hands the user's choices to it; the
// rules stay in the logic.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "src/logic/SyncActions.h"
#include "src/logic/View.h"
#include "src/logic/profile.h"
#include "src/win32/Win32Util.h"

class CondDetailLogic;
class ProfDetailLogic;
class UserInfoLogic;

class CondDetailDlg final : public win32::Dialog {
 public:
  explicit CondDetailDlg(CondDetailLogic& logic) : m_logic(logic) {}

 private:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

  CondDetailLogic& m_logic;
};

class UserInfoDlg final : public win32::Dialog {
 public:
  explicit UserInfoDlg(UserInfoLogic& logic) : m_logic(logic) {}

 private:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

  UserInfoLogic& m_logic;
};

// A user's default and next-HotSync action of every listed conduit; the rows that a one-time
// action decides are drawn in bold.
class SyncActionsDlg final : public win32::Dialog, public SyncActionsView {
 public:
  explicit SyncActionsDlg(SyncActionsLogic& logic);
  ~SyncActionsDlg() override;

  // SyncActionsView
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override;
  void RowsChanged() override;

 private:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  LRESULT OnNotify(NMHDR* header) override;

  SyncActionsLogic& m_logic;
  HWND m_list = nullptr;
  HFONT m_bold = nullptr;
};

class ProfilesDlg final : public win32::Dialog, public ProfilesView {
 public:
  explicit ProfilesDlg(ProfileLogic& logic);
  ~ProfilesDlg() override;

  // ProfilesView
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override;
  void ListChanged() override;
  bool RunProfDetail(ProfDetailLogic& dialog) override;
  void CloseWithOK() override;

 private:
  void OnInit() override;
  void OnShown() override;
  bool OnCommand(int id, int code, HWND control) override;
  LRESULT OnNotify(NMHDR* header) override;

  ProfileLogic& m_logic;
  HWND m_list = nullptr;
  bool m_bUpdating = false;
};

class ProfDetailDlg final : public win32::Dialog, public ov::WindowView {
 public:
  explicit ProfDetailDlg(ProfDetailLogic& logic);
  ~ProfDetailDlg() override;

  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override;

 private:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

  ProfDetailLogic& m_logic;
};

// The progress window of a long run, modal over its owner while the work goes on in the caller:
// a line saying what is being done, a bar of the steps done, and Cancel (also Escape and the
// close box). Between steps it handles the messages waiting for every window, so that the
// windows repaint and Cancel answers.
class ProgressWnd final : public win32::Dialog {
 public:
  ProgressWnd() = default;
  // Enables the owner again (the window itself goes with the base).
  ~ProgressWnd() override;

  // Shows the window over owner, which is disabled until the window goes.
  bool Open(HWND owner, const std::string& caption, int nTotal);
  // nDone of the steps are done and text says what is being done; then the waiting messages.
  // A step that comes within 30 ms of the last one shown is passed over. False once Cancel was
  // pressed.
  bool Step(int nDone, const std::string& text);
  // Cancel, as if pressed: the work stops at its next step.
  void Cancel();
  bool IsCancelled() const { return m_bCancelled; }

 private:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

  HWND m_owner = nullptr;  // disabled while the window shows
  std::string m_caption;
  std::string m_text;
  int m_nTotal = 0;
  bool m_bCancelled = false;
  // When the window last showed a step and handled the waiting messages (GetTickCount64).
};

// The progress window of a view's long commands (what a view's ProgressSink calls do): opened
// over owner, stepped, closed; without its window the work runs to its end.
class ProgressHost {
 public:
  void Begin(HWND owner, const std::string& caption, int nTotal) {
    m_window = std::make_unique<ProgressWnd>();
    if (!m_window->Open(owner, caption, nTotal)) m_window.reset();
  }
  bool Step(int nDone, const std::string& text) { return m_window ? m_window->Step(nDone, text) : true; }
  void End() { m_window.reset(); }
  // Cancel, as if pressed; false when no progress window is open.
  bool Cancel() {
    if (!m_window) return false;
    m_window->Cancel();
    return true;
  }

 private:
  std::unique_ptr<ProgressWnd> m_window;
};
