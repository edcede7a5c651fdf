// The overview window's Qt view: every user's next HotSync in a table whose row and column
// headers stay in view (OverviewLogic, src/logic/Overview.h). The table is a model over the
// logic, so 2,000 users by 300 conduits cost no widget per cell; a row is read when first drawn
// and the rest while the window is idle.
#pragma once

#include <QDialog>

#include "src/logic/Overview.h"
#include "src/qt/Progress.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;
class QTimer;
class OverviewModel;

class TfmOverview : public QDialog, private OverviewView {
  Q_OBJECT

 public:
  TfmOverview(QWidget* owner, OverviewLogic& logic);
  ~TfmOverview() override;
  TfmOverview(const TfmOverview&) = delete;
  TfmOverview& operator=(const TfmOverview&) = delete;

 private:
  // OverviewView
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override;
  void TableChanged() override;
  void StatusChanged() override;
  void ProgressBegin(const std::string& caption, int nTotal) override { m_progress.Begin(caption, nTotal); }
  bool ProgressStep(int nDone, const std::string& text) override { return m_progress.Step(nDone, text); }
  void ProgressEnd() override { m_progress.End(); }

  QWidget* MakeLegend();
  void SizeColumns();
  int CurrentRow() const;

  OverviewLogic& m_logic;
  ProgressWindow m_progress{this};
  OverviewModel* m_pModel;
  QTimer* m_pReader;

  QCheckBox* chkDiffers;
  QCheckBox* chkSort;
  QTableView* tvOverview;
  QLabel* lblStatus;
  QPushButton* btnTick;
  QPushButton* btnActions;
  QPushButton* btnClose;
};
