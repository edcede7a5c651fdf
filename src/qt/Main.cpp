#include "src/qt/Main.h"

#include <iterator>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>

#include "src/qt/CondDetail.h"
#include "src/qt/FormUtil.h"
#include "src/qt/MessageBox.h"
#include "src/qt/History.h"
#include "src/qt/Overview.h"
#include "src/qt/SyncActions.h"
#include "src/qt/Userinfo.h"
#include "src/qt/profile.h"

TfmMain* fmMain = nullptr;

// The banner and the icon live in a resource of this library; a static library's resources
// must be registered by name, outside any namespace.
static void InitFormResources() { Q_INIT_RESOURCE(orvane); }

namespace {

// Inside the two panels: the lists, and the row of buttons below them.
constexpr int kListY = 32;
constexpr int kBottomRowY = kListY + 322 + 12;
// The item role that holds a row's index in the logic's rows.
constexpr int kRowRole = Qt::UserRole + 1;

// A list in report style: whole-row selection, one selected row at most, no editing, a check
// box per row in the first column.
QTreeView* MakeList(QWidget* parent, const char* name, QStandardItemModel* model, int x, int y, int width, int height) {
  QTreeView* p = Named(new QTreeView(parent), name);
  p->setGeometry(x, y, width, height);
  p->setModel(model);
  SetReportStyle(p);
  p->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  p->header()->setStretchLastSection(true);
  return p;
}

QStandardItem* MakeCheckItem(const std::string& text, bool bTicked) {
  QStandardItem* p = new QStandardItem(Local(text));
  p->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  p->setCheckState(bTicked ? Qt::Checked : Qt::Unchecked);
  return p;
}

QStandardItem* MakeTextItem(const std::string& text) {
  QStandardItem* p = new QStandardItem(Local(text));
  p->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return p;
}

Qt::CheckState CheckState(bool bTicked) { return bTicked ? Qt::Checked : Qt::Unchecked; }

}  // namespace

// -------------------------------------------------------------------------------------------------
// Creation and destruction

TfmMain::TfmMain(QWidget* parent) : QMainWindow(parent), m_logic(*this), m_bDrawing(false) {
  // The profile dialogs reach the window through fmMain, from start-up on.
  fmMain = this;
  BuildControls();
  Connect();
  m_logic.FormCreate();
}

TfmMain::~TfmMain() {
  // The controls outlive this destructor (QWidget deletes them): keep their signals away from
  // a window that is going.
  m_pUserModel->blockSignals(true);
  m_pCondModel->blockSignals(true);
  slvUser->selectionModel()->blockSignals(true);
  slvCond->selectionModel()->blockSignals(true);
  m_logic.FormDestroy();
  if (fmMain == this) fmMain = nullptr;
}

void TfmMain::BuildControls() {
  InitFormResources();

  setObjectName(QStringLiteral("fmMain"));
  setWindowTitle(Local(mainwnd::kCaption));
  setWindowIcon(QIcon(QStringLiteral(":/orvane/orvane.png")));
  // A fixed dialog-style window: system menu, minimise and close; no maximise.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

  // The controls lie on one client widget of the window's client size.
  m_pClient = new QWidget(this);
  setCentralWidget(m_pClient);
  QWidget* const pClient = m_pClient;

  // The white banner panel along the top.
  spTop = Named(new QFrame(pClient), "spTop");
  spTop->setGeometry(0, 0, mainwnd::kClientWidth, 82);
  spTop->setFrameShape(QFrame::NoFrame);
  spTop->setAutoFillBackground(true);
  QPalette top = spTop->palette();
  top.setColor(QPalette::Window, Qt::white);
  spTop->setPalette(top);

  spImgTitle = Named(new QLabel(spTop), "spImgTitle");
  spImgTitle->setGeometry(16, 11, 220, 60);
  spImgTitle->setPixmap(QPixmap(QStringLiteral(":/orvane/banner.png")));
  spImgTitle->setAccessibleName(QStringLiteral("Orvane"));

  // Beside Help in the banner: the overview is about every user at once, not one list.
  sbtnOverview = MakeButton(spTop, "sbtnOverview", overview::kOpenButton, 406, 28);
  sbtnHelp = MakeButton(spTop, "sbtnHelp", mainwnd::kHelp, 498, 28);
  sbtnExit = MakeButton(spTop, "sbtnExit", mainwnd::kExit, 590, 28);

  // The side panel: the users.
  suiSideChannel1 = Named(new QGroupBox(Local(mainwnd::kUserPanel), pClient), "suiSideChannel1");
  suiSideChannel1->setGeometry(6, 94, 193, 407);

  m_pUserModel = new QStandardItemModel(0, 1, this);
  m_pUserModel->setHorizontalHeaderLabels({Local(mainwnd::kUserColumn)});
  slvUser = MakeList(suiSideChannel1, "slvUser", m_pUserModel, 14, kListY, 164, 322);
  slvUser->setColumnWidth(0, mainwnd::kUserColumnWidth);
  sbtnAll = MakeButton(suiSideChannel1, "sbtnAll", mainwnd::kSelectAll, 14, kBottomRowY);
  sbtnClear = MakeButton(suiSideChannel1, "sbtnClear", mainwnd::kClearAll, 98, kBottomRowY);

  // The client panel: the conduits. The caption's leading spaces only push it to the right of
  // the frame line, which a group box title does not need.
  spClient = Named(new QGroupBox(Local(mainwnd::kCondPanel).trimmed(), pClient), "spClient");
  spClient->setGeometry(205, 94, 479, 407);

  m_pCondModel = new QStandardItemModel(0, 2, this);
  m_pCondModel->setHorizontalHeaderLabels({Local(mainwnd::kCondColumn), Local(mainwnd::kActionColumn)});
  slvCond = MakeList(spClient, "slvCond", m_pCondModel, 12, kListY, 369, 322);
  slvCond->setColumnWidth(0, mainwnd::kCondColumnWidth);
  slvCond->setColumnWidth(1, mainwnd::kActionColumnWidth);
  slvCond->setContextMenuPolicy(Qt::CustomContextMenu);
  KeepSelectionVisible(slvCond);

  constexpr int kColumnX = 389;
  sbtnDetail = MakeButton(spClient, "sbtnDetail", mainwnd::kDetail, kColumnX, kListY);
  sbtnEnable = MakeButton(spClient, "sbtnEnable", mainwnd::kEnableAll, kColumnX, kListY + 33);
  sbtnDisable = MakeButton(spClient, "sbtnDisable", mainwnd::kDisableAll, kColumnX, kListY + 66);
  sbtnProfile = MakeButton(spClient, "sbtnProfile", mainwnd::kProfiles, kColumnX, kListY + 99);
  sbtnLoadCond = MakeButton(spClient, "sbtnLoadCond", mainwnd::kRefresh, kColumnX, kListY + 132);
  // History... goes in the free place below Refresh: with Profiles and Refresh it acts on what
  // the conduit list has done, and nothing above it moves.
  sbtnHistory = MakeButton(spClient, "sbtnHistory", mainwnd::kHistory, kColumnX, kListY + 165);

  sbtnHotSync = MakeButton(spClient, "sbtnHotSync", mainwnd::kHotSync, 12, kBottomRowY, 157);
  sbtnApply = MakeButton(spClient, "sbtnApply", mainwnd::kApply, 177, kBottomRowY, 162);
  schkDefault = Named(new QCheckBox(Local(mainwnd::kDefaultAction), spClient), "schkDefault");
  schkDefault->setGeometry(355, kBottomRowY, 114, kButtonHeight);
  schkDefault->setChecked(m_logic.IsDefaultAction());

  // The popup menu of the conduit list.
  pmCond = Named(new QMenu(this), "pmCond");
  miSync = Named(pmCond->addAction(Local(mainwnd::kMiSync)), "miSync");
  miHH2PC = Named(pmCond->addAction(Local(mainwnd::kMiHH2PC)), "miHH2PC");
  miPC2HH = Named(pmCond->addAction(Local(mainwnd::kMiPC2HH)), "miPC2HH");
  miNothing = Named(pmCond->addAction(Local(mainwnd::kMiNothing)), "miNothing");
  for (QAction* p : {miSync, miHH2PC, miPC2HH, miNothing}) p->setCheckable(true);

  // The popup menu of the user list.
  slvUser->setContextMenuPolicy(Qt::CustomContextMenu);
  pmUser = Named(new QMenu(this), "pmUser");
  miUserActions = Named(pmUser->addAction(Local(mainwnd::kMiUserActions)), "miUserActions");
  miUserInfo = Named(pmUser->addAction(Local(mainwnd::kMiUserInfo)), "miUserInfo");

  // Keyboard order: top to bottom, left to right.
  QWidget* order[] = {slvUser,     sbtnAll,      sbtnClear,   slvCond,   sbtnDetail,  sbtnEnable, sbtnDisable,
                      sbtnProfile, sbtnLoadCond, sbtnHistory, sbtnHotSync, sbtnApply, schkDefault, sbtnOverview, sbtnHelp, sbtnExit};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  slvUser->setFocus();

  // The window's client area is the controls' client widget; centred on the screen.
  FixAndCentre(this, mainwnd::kClientWidth, mainwnd::kClientHeight, nullptr);
}

void TfmMain::Connect() {
  connect(sbtnOverview, &QPushButton::clicked, this, [this] { m_logic.sbtnOverviewClick(); });
  connect(sbtnHelp, &QPushButton::clicked, this, [this] { m_logic.sbtnHelpClick(); });
  connect(sbtnExit, &QPushButton::clicked, this, [this] { m_logic.sbtnExitClick(); });
  connect(sbtnAll, &QPushButton::clicked, this, [this] { m_logic.sbtnAllClick(); });
  connect(sbtnClear, &QPushButton::clicked, this, [this] { m_logic.sbtnClearClick(); });
  connect(sbtnDetail, &QPushButton::clicked, this, [this] { m_logic.sbtnDetailClick(); });
  connect(sbtnEnable, &QPushButton::clicked, this, [this] { m_logic.sbtnEnableClick(); });
  connect(sbtnDisable, &QPushButton::clicked, this, [this] { m_logic.sbtnDisableClick(); });
  connect(sbtnProfile, &QPushButton::clicked, this, [this] { m_logic.sbtnProfileClick(); });
  connect(sbtnLoadCond, &QPushButton::clicked, this, [this] { m_logic.sbtnLoadCondClick(); });
  connect(sbtnHistory, &QPushButton::clicked, this, [this] { m_logic.sbtnHistoryClick(); });
  connect(sbtnHotSync, &QPushButton::clicked, this, [this] { m_logic.sbtnHotSyncClick(); });
  connect(sbtnApply, &QPushButton::clicked, this, [this] { m_logic.sbtnApplyClick(); });
  connect(schkDefault, &QCheckBox::toggled, this, [this](bool b) { m_logic.SetDefaultAction(b); });
  connect(slvUser, &QTreeView::doubleClicked, this, [this] { m_logic.slvUserDblClick(); });
  connect(slvCond, &QTreeView::doubleClicked, this, [this] { m_logic.sbtnDetailClick(); });
  OnEnterKey(slvUser, [this] { m_logic.slvUserKeyEnter(); });
  OnEnterKey(slvCond, [this] { m_logic.slvCondKeyEnter(); });
  connect(slvCond, &QWidget::customContextMenuRequested, this, &TfmMain::OnCondContextMenu);
  connect(slvUser, &QWidget::customContextMenuRequested, this, &TfmMain::OnUserContextMenu);
  connect(miUserActions, &QAction::triggered, this, [this] { m_logic.miUserActionsClick(); });
  connect(miUserInfo, &QAction::triggered, this, [this] { m_logic.miUserInfoClick(); });
  connect(m_pCondModel, &QStandardItemModel::dataChanged, this, &TfmMain::OnCondDataChanged);
  connect(m_pUserModel, &QStandardItemModel::dataChanged, this, &TfmMain::OnUserDataChanged);
  connect(slvCond->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { m_logic.SelectCondRow(SelectedRow(slvCond)); });
  connect(slvUser->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { m_logic.SelectUserRow(SelectedRow(slvUser)); });
  connect(slvCond->selectionModel(), &QItemSelectionModel::currentChanged, this, &TfmMain::OnCondCurrentChanged);
  connect(miSync, &QAction::triggered, this, [this](bool b) { OnMenuItem(miSync, b, &MainWindowLogic::miSyncClick); });
  connect(miHH2PC, &QAction::triggered, this,
          [this](bool b) { OnMenuItem(miHH2PC, b, &MainWindowLogic::miHH2PCClick); });
  connect(miPC2HH, &QAction::triggered, this,
          [this](bool b) { OnMenuItem(miPC2HH, b, &MainWindowLogic::miPC2HHClick); });
  connect(miNothing, &QAction::triggered, this,
          [this](bool b) { OnMenuItem(miNothing, b, &MainWindowLogic::miNothingClick); });
}

void TfmMain::closeEvent(QCloseEvent* event) {
  m_logic.FormClose();
  event->accept();
}

// -------------------------------------------------------------------------------------------------
// Drawing the logic's state

int TfmMain::SelectedRow(QTreeView* pList) const {
  const QModelIndexList rows = pList->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void TfmMain::UserListChanged() {
  const std::vector<UserRow>& rows = m_logic.UserRows();
  m_bDrawing = true;
  if (m_pUserModel->rowCount() == static_cast<int>(rows.size())) {
    for (int i = 0; i < m_pUserModel->rowCount(); ++i) {
      m_pUserModel->item(i, 0)->setCheckState(CheckState(rows[static_cast<std::size_t>(i)].ticked));
    }
  } else {
    slvUser->setUpdatesEnabled(false);
    m_pUserModel->removeRows(0, m_pUserModel->rowCount());
    QList<QStandardItem*> items;
    items.reserve(static_cast<int>(rows.size()));
    for (const UserRow& row : rows) items.append(MakeCheckItem(row.name, row.ticked));
    m_pUserModel->invisibleRootItem()->appendRows(items);
    slvUser->setUpdatesEnabled(true);
  }
  m_bDrawing = false;
}

void TfmMain::CondListChanged() {
  m_bDrawing = true;
  slvCond->setUpdatesEnabled(false);
  m_pCondModel->removeRows(0, m_pCondModel->rowCount());
  for (const CondRow& row : m_logic.CondRows()) {
    m_pCondModel->appendRow({MakeCheckItem(row.title, row.ticked), MakeTextItem(row.action)});
  }
  slvCond->setUpdatesEnabled(true);
  m_bDrawing = false;
}

void TfmMain::CondRowChanged(int nRow) {
  const CondRow& row = m_logic.CondRows()[static_cast<std::size_t>(nRow)];
  m_bDrawing = true;
  if (QStandardItem* p = m_pCondModel->item(nRow, 0)) p->setCheckState(CheckState(row.ticked));
  if (QStandardItem* p = m_pCondModel->item(nRow, 1)) p->setText(Local(row.action));
  m_bDrawing = false;
}

void TfmMain::DetailEnabledChanged() { sbtnDetail->setEnabled(m_logic.IsDetailEnabled()); }

void TfmMain::SetBusy(bool bBusy) {
  if (bBusy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

ov::MessageAnswer TfmMain::ShowMessage(const ov::MessageRequest& request) { return ShowRequest(this, request); }

// -------------------------------------------------------------------------------------------------
// Events

void TfmMain::OnCondDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QVector<int>& roles) {
  // Text changes carry other roles; only a tick is a change of state.
  if (m_bDrawing || !roles.contains(Qt::CheckStateRole) || topLeft.column() != 0) return;
  for (int nRow = topLeft.row(); nRow <= bottomRight.row(); ++nRow) {
    m_logic.slvCondChange(nRow, m_pCondModel->item(nRow, 0)->checkState() == Qt::Checked);
  }
}

void TfmMain::OnUserDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QVector<int>& roles) {
  if (m_bDrawing || !roles.contains(Qt::CheckStateRole) || topLeft.column() != 0) return;
  for (int nRow = topLeft.row(); nRow <= bottomRight.row(); ++nRow) {
    m_logic.SetUserTicked(nRow, m_pUserModel->item(nRow, 0)->checkState() == Qt::Checked);
  }
}

void TfmMain::OnCondCurrentChanged(const QModelIndex& current) {
  // Space ticks the row: the check box is in the first column, so the current cell stays there.
  if (current.isValid() && current.column() != 0) {
    slvCond->selectionModel()->setCurrentIndex(current.siblingAtColumn(0), QItemSelectionModel::NoUpdate);
  }
}

void TfmMain::OnCondContextMenu(const QPoint& pos) {
  pmCondPopup();
  pmCond->exec(slvCond->viewport()->mapToGlobal(pos));
}

void TfmMain::OnUserContextMenu(const QPoint& pos) {
  // The menu is about the user under the pointer (or the selected one, from the keyboard).
  const QModelIndex index = slvUser->indexAt(pos);
  if (index.isValid()) {
    slvUser->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  if (m_logic.SelectedUserRow() < 0) return;
  const QRect rect = slvUser->visualRect(slvUser->currentIndex());
  pmUser->exec(slvUser->viewport()->mapToGlobal(index.isValid() ? pos : rect.center()));
}

void TfmMain::pmCondPopup() {
  m_logic.pmCondPopup();
  const PopupState& popup = m_logic.Popup();
  QAction* const items[kPopupItemCount] = {miSync, miHH2PC, miPC2HH, miNothing};
  for (int i = 0; i < kPopupItemCount; ++i) {
    items[i]->setVisible(popup.visible[i]);
    items[i]->setChecked(static_cast<int>(popup.checked) == i);
  }
  miPC2HH->setText(Local(popup.pc2hhCaption));
}

void TfmMain::OnMenuItem(QAction* pItem, bool bChecked, void (MainWindowLogic::*handler)()) {
  pItem->setChecked(!bChecked);
  (m_logic.*handler)();
}

// -------------------------------------------------------------------------------------------------
// The dialogs

bool TfmMain::RunCondDetail(CondDetailLogic& dialog) {
  TfmCondDetail form(this, &dialog);
  return form.exec() == QDialog::Accepted;
}

void TfmMain::RunUserInfo(UserInfoLogic& dialog) {
  TfmUserInfo form(this, &dialog);
  form.exec();
}

void TfmMain::RunProfiles(ProfileLogic& dialog) {
  TfmProfile form(this, &dialog);
  form.exec();
}

void TfmMain::RunHistory(HistoryLogic& dialog) {
  TfmHistory form(this, dialog);
  form.exec();
}

void TfmMain::RunSyncActions(SyncActionsLogic& dialog) {
  // Over the dialog it was opened from (the user information), else over this window.
  QWidget* pOwner = QApplication::activeModalWidget();
  TfmSyncActions form(pOwner ? pOwner : this, dialog);
  form.exec();
}

// -------------------------------------------------------------------------------------------------
// The progress window

void TfmMain::RunOverview(OverviewLogic& dialog) {
  TfmOverview form(this, dialog);
  form.exec();
}

void TfmMain::ProgressBegin(const std::string& caption, int nTotal) { m_progress.Begin(caption, nTotal); }
bool TfmMain::ProgressStep(int nDone, const std::string& text) { return m_progress.Step(nDone, text); }
void TfmMain::ProgressEnd() { m_progress.End(); }

void TfmMain::CloseWindow() { close(); }
