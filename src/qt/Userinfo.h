// The user information dialog: what UserData.dll knows about one handheld user (name, root and
// data directories, whether the user is a profile, the expansion slots with their media types),
// read once before the dialog is shown. Nothing in it can be changed.
#pragma once

#include <cstdint>

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The name of a slot's media type, a four-character code with its first character in the most
// significant byte: "Compact Flash" for 'cfsh' and so on; "Not Specified" for 'wild' and for
// every code the table does not know.
const char* MediaTypeName(std::uint32_t dwMediaType);

class TfmUserInfo : public QDialog {
  Q_OBJECT

 public:
  explicit TfmUserInfo(QWidget* owner = nullptr);

  // Remembers userId and fills every control from UserData.dll. A call that fails leaves its
  // control empty (the type "Not Specified"); nothing is reported.
  void LoadUserInfo(std::uint32_t userId);

  std::uint32_t GetUserId() const { return m_dwUserId; }

 private:
  std::uint32_t m_dwUserId;

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
  QPushButton* btnClose;
};
