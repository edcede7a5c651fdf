// The HotSync actions dialog's Qt view: one user's default and next-HotSync action for every
// conduit of the main window's list (SyncActionsLogic, src/SyncActions.h), with the commands
// that copy the defaults into the list and end the one-time actions.
#pragma once

#include <QDialog>

#include "src/logic/SyncActions.h"

class QLabel;
class QPushButton;
class QTreeWidget;

class TfmSyncActions : public QDialog, private SyncActionsView {
  Q_OBJECT

 public:
  TfmSyncActions(QWidget* owner, SyncActionsLogic& logic);
  ~TfmSyncActions() override;
  TfmSyncActions(const TfmSyncActions&) = delete;
  TfmSyncActions& operator=(const TfmSyncActions&) = delete;

 private:
  // SyncActionsView
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override;
  void RowsChanged() override;

  SyncActionsLogic& m_logic;

  QLabel* lblUser;
  QLabel* pnlUserName;
  QTreeWidget* lvActions;
  QLabel* lblSummary;
  QPushButton* btnCopy;
  QPushButton* btnEndOneTime;
  QPushButton* btnClose;
};
