// The conduit detail dialog: one conduit of the conduit list with its title, and its action
// chosen from four radio buttons. It works on the conduit record itself and changes only the
// record's action, and only when the user confirms with OK.
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

struct CONDUIT_REC;

class TfmCondDetail : public QDialog {
  Q_OBJECT

 public:
  // Builds the controls (no radio button checked) and runs FormCreate.
  explicit TfmCondDetail(QWidget* owner = nullptr);

  // Binds the dialog to pData (not owned; must not be null) and fills the controls from it.
  void SetData(CONDUIT_REC* pData);
  // bSave false: shows the record's title and checks the radio button of its action.
  // bSave true: writes the checked choice into the record's action: 1, 2 or 4, or for
  // "Do Nothing" the action switched off (OR 0x10000, the low 16 bits kept).
  // False, doing nothing, without a record.
  bool TransferData(bool bSave);

  CONDUIT_REC* GetData() const { return m_pData; }

 public Q_SLOTS:
  // OK: stores the choice and closes with the result OK; stays open without a record.
  void btnOKClick();

 private:
  void FormCreate();

  CONDUIT_REC* m_pData;

  QLabel* Label1;
  QLineEdit* edtName;
  QGroupBox* suiGroupBox1;
  QRadioButton* rbtnSync;
  QRadioButton* rbtnPC2HH;
  QRadioButton* rbtnHH2PC;
  QRadioButton* rbtnNothing;
  QPushButton* btnOK;
  QPushButton* btnCancel;
};
