// The profile details dialog's Qt view: draws ProfDetailLogic (src/ProfDetail.h) and forwards OK
// with the description typed.
#pragma once

#include <memory>

#include <QDialog>

#include "src/logic/ProfDetail.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TfmProfDetail : public QDialog, private ov::WindowView {
  Q_OBJECT

 public:
  // Builds the controls (an empty description, no file name) and shows pLogic, or a logic of
  // its own.
  explicit TfmProfDetail(QWidget* owner = nullptr, ProfDetailLogic* pLogic = nullptr);
  ~TfmProfDetail() override;

  // The logic's operations of the same names, with the file name shown.
  void SetFileName(const char* szFileName);
  const char* GetDescription() const { return m_pLogic->GetDescription(); }
  const char* GetFileName() const { return m_pLogic->GetFileName(); }

 public Q_SLOTS:
  // Hands the description typed to the logic, which refuses an empty one with a message and
  // keeps the dialog open, or accepts it: the dialog closes with OK.
  void btnOKClick();

 private:
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override;

  std::unique_ptr<ProfDetailLogic> m_pOwnLogic;
  ProfDetailLogic* m_pLogic;

  QLabel* Label1;
  QLineEdit* edtDesc;
  QLabel* Label2;
  QLineEdit* edtFile;
  QPushButton* btnOK;
  QPushButton* btnCancel;
};
