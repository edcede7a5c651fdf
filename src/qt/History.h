// The history dialog's Qt view: the changes made to users' settings, the selected change user by
// user and conduit by conduit, and Undo (HistoryLogic, src/logic/History.h).
#pragma once

#include <QDialog>

#include "src/logic/History.h"

class QLabel;
class QPushButton;
class QTreeWidget;

class TfmHistory : public QDialog, private HistoryView {
  Q_OBJECT

 public:
  TfmHistory(QWidget* owner, HistoryLogic& logic);
  ~TfmHistory() override;
  TfmHistory(const TfmHistory&) = delete;
  TfmHistory& operator=(const TfmHistory&) = delete;

 private:
  // HistoryView
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override;
  void HistoryChanged() override;

  HistoryLogic& m_logic;
  bool m_bFilling = false;

  QLabel* lblEntries;
  QTreeWidget* lvEntries;
  QLabel* lblChanges;
  QTreeWidget* lvChanges;
  QLabel* lblNotice;
  QLabel* lblUndo;
  QPushButton* btnUndo;
  QPushButton* btnClose;
};
