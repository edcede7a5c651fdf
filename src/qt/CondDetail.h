// The conduit detail dialog's Qt view: draws CondDetailLogic (src/CondDetail.h) and forwards the
// radio buttons and OK to it.
#pragma once

#include <memory>

#include <QDialog>

#include "src/logic/CondDetail.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TfmCondDetail : public QDialog {
  Q_OBJECT

 public:
  // Builds the controls (no radio button checked) and shows pLogic, or a logic of its own.
  explicit TfmCondDetail(QWidget* owner = nullptr, CondDetailLogic* pLogic = nullptr);
  ~TfmCondDetail() override;

  // The logic's operations of the same names, with the controls redrawn.
  void SetData(CONDUIT_REC* pData);
  bool TransferData(bool bSave);
  CONDUIT_REC* GetData() const { return m_pLogic->GetData(); }

 public Q_SLOTS:
  // OK: stores the choice and closes with the result OK; stays open without a record.
  void btnOKClick();

 private:
  void Draw();

  std::unique_ptr<CondDetailLogic> m_pOwnLogic;
  CondDetailLogic* m_pLogic;

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
