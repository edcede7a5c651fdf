// The four modal dialogs on Windows. Each draws its logic's state with Win32 controls and hands
// the user's choices to it; the rules stay in the logic.
#pragma once

#include <windows.h>

#include "src/View.h"
#include "src/profile.h"
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
