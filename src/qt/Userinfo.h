// The user information dialog's Qt view: shows what UserInfoLogic (src/Userinfo.h) read about
// one handheld user. Nothing in it can be changed.
#pragma once

#include <cstdint>
#include <memory>

#include <QDialog>

#include "src/logic/Userinfo.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class TfmUserInfo : public QDialog {
  Q_OBJECT

 public:
  // Builds the controls and shows pLogic, or a logic of its own.
  explicit TfmUserInfo(QWidget* owner = nullptr, UserInfoLogic* pLogic = nullptr);
  ~TfmUserInfo() override;

  // Reads the user's information (the logic's LoadUserInfo) and shows it.
  void LoadUserInfo(std::uint32_t userId);
  std::uint32_t GetUserId() const { return m_pLogic->GetUserId(); }

 private:
  void Draw();
  // HotSync Actions: the logic asks the main window to show the user's actions.
  void btnActionsClick();

  std::unique_ptr<UserInfoLogic> m_pOwnLogic;
  UserInfoLogic* m_pLogic;

  QLabel* Label1;
  QLabel* pnlUserName;
  QCheckBox* cbProfile;
  QGroupBox* GroupBox1;
  QLabel* Label3;
  QLineEdit* edtRootDir;
  QLabel* Label2;
  QLineEdit* edtDataDir;
  QGroupBox* GroupBox2;
  QTreeWidget* lvExp;
  QPushButton* btnActions;
  QPushButton* btnClose;
};
