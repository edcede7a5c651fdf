// The main window's Qt view: draws the state of MainWindowLogic (src/Main.h) and forwards the
// user's events to its handlers. Every rule lives in the logic; this class only builds the
// controls, redraws what the logic says changed, and runs the dialogs it asks for.
#pragma once

#include <cstdint>

#include <QMainWindow>
#include <QVector>

#include "src/logic/Main.h"
#include "src/qt/Progress.h"

class QAction;
class QCheckBox;
class QCloseEvent;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QModelIndex;
class QPoint;
class QPushButton;
class QStandardItemModel;
class QTreeView;

class TfmMain : public QMainWindow, private MainView {
  Q_OBJECT

 public:
  // Builds the controls, then starts up (FormCreate). Sets fmMain.
  explicit TfmMain(QWidget* parent = nullptr);
  // FormDestroy: destroys the profiles and releases the Palm libraries and the user roster.
  ~TfmMain() override;
  TfmMain(const TfmMain&) = delete;
  TfmMain& operator=(const TfmMain&) = delete;

  MainWindowLogic& Logic() { return m_logic; }

  // For the profile dialogs and tests: the logic's operations of the same names.
  void ExchangeProfile(bool bStore, OVProfile* pProfile) { m_logic.ExchangeProfile(bStore, pProfile); }
  OVProfMgr* GetProfMgr() const { return m_logic.GetProfMgr(); }
  CONDUIT_REC* CondRecordAt(int nRow) const { return m_logic.CondRecordAt(nRow); }

 public Q_SLOTS:
  // Prepares pmCond for the selected conduit: runs every time the menu is about to open.
  void pmCondPopup();
  // The double clicks: the conduit detail dialog, the user information dialog.
  void sbtnDetailClick() { m_logic.sbtnDetailClick(); }
  void slvUserDblClick() { m_logic.slvUserDblClick(); }

 protected:
  // FormClose: the actions of the list go into the current-settings profile, which is saved.
  void closeEvent(QCloseEvent* event) override;

 private:
  // MainView
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override;
  void UserListChanged() override;
  void CondListChanged() override;
  void CondRowChanged(int nRow) override;
  void DetailEnabledChanged() override;
  void SetBusy(bool bBusy) override;
  bool RunCondDetail(CondDetailLogic& dialog) override;
  void RunUserInfo(UserInfoLogic& dialog) override;
  void RunProfiles(ProfileLogic& dialog) override;
  void RunSyncActions(SyncActionsLogic& dialog) override;
  void RunHistory(HistoryLogic& dialog) override;
  void RunOverview(OverviewLogic& dialog) override;
  void CloseWindow() override;
  void ProgressBegin(const std::string& caption, int nTotal) override;
  bool ProgressStep(int nDone, const std::string& text) override;
  void ProgressEnd() override;

  void BuildControls();
  void Connect();
  void OnCondDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QVector<int>& roles);
  void OnUserDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QVector<int>& roles);
  void OnCondCurrentChanged(const QModelIndex& current);
  void OnCondContextMenu(const QPoint& pos);
  // The user list's popup menu, for the user under the pointer.
  void OnUserContextMenu(const QPoint& pos);
  // A popup item was chosen: undo the check mark Qt toggled (the menu keeps the marks
  // pmCondPopup set) and run its handler.
  void OnMenuItem(QAction* pItem, bool bChecked, void (MainWindowLogic::*handler)());
  int SelectedRow(QTreeView* pList) const;

  MainWindowLogic m_logic;
  // Set while the view writes the logic's state into the lists, so that the list's own change
  // signals are not taken for the user's.
  bool m_bDrawing;

  QWidget* m_pClient;
  QFrame* spTop;
  QLabel* spImgTitle;
  QPushButton* sbtnOverview;
  QPushButton* sbtnHelp;
  QPushButton* sbtnExit;
  QGroupBox* suiSideChannel1;
  QTreeView* slvUser;
  QPushButton* sbtnAll;
  QPushButton* sbtnClear;
  QGroupBox* spClient;
  QTreeView* slvCond;
  QPushButton* sbtnDetail;
  QPushButton* sbtnEnable;
  QPushButton* sbtnDisable;
  QPushButton* sbtnProfile;
  QPushButton* sbtnLoadCond;
  QPushButton* sbtnHistory;
  QPushButton* sbtnHotSync;
  QPushButton* sbtnApply;
  QCheckBox* schkDefault;
  QMenu* pmCond;
  QAction* miSync;
  QAction* miHH2PC;
  QAction* miPC2HH;
  QAction* miNothing;
  QMenu* pmUser;
  QAction* miUserActions;
  QAction* miUserInfo;
  // The progress window of a long Apply, while it shows.
  ProgressWindow m_progress{this};

  QStandardItemModel* m_pUserModel;
  QStandardItemModel* m_pCondModel;
};

// The one main window, set while it exists (the profile dialogs reach the list through it).
extern TfmMain* fmMain;
