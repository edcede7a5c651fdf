#include "src/Main.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QStringList>
#include <QTreeView>
#include <QUrl>

#include "common/misc/CxList.h"
#include "common/misc/WinUtil.h"
#include "common/palm/CondMgr.h"
#include "src/CondDetail.h"
#include "src/MessageBox.h"
#include "src/OVProfile.h"
#include "src/OVUtil.h"
#include "src/Userinfo.h"
#include "src/profile.h"

TfmMain* fmMain = nullptr;
CCondMgr* g_pCondMgr = nullptr;

// The banner and the icon live in a resource of this library; a static library's resources
// must be registered by name, outside any namespace.
static void InitFormResources() { Q_INIT_RESOURCE(orvane); }

namespace {

constexpr int kWindowWidth = 690;
constexpr int kWindowHeight = 509;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 27;
// Inside the two panels: the lists, and the row of buttons below them.
constexpr int kListY = 32;
constexpr int kBottomRowY = kListY + 322 + 12;
// The item role that holds a row's record (a pointer owned by the roster or the catalogue).
constexpr int kRecordRole = Qt::UserRole + 1;
// Failed users named in the error message; the rest are counted.
constexpr int kMaxNamedUsers = 10;

const char* const kDataFileCond = "ovcond.dat";
const char* const kDataFileCurr = "ovcurr.dat";

// Builds dir + name into buf (cap bytes); false, with "" in buf, when it does not fit.
bool JoinPath(char* buf, std::size_t cap, const char* dir, const char* name) {
  const int n = std::snprintf(buf, cap, "%s%s", dir, name);
  if (n < 0 || static_cast<std::size_t>(n) >= cap) {
    buf[0] = '\0';
    return false;
  }
  return true;
}

// The tool's own directory followed by name; "" when the directory is unknown or the path
// would not fit, so that no data file is ever read from or written to the current directory.
void DataFilePath(char* buf, std::size_t cap, const char* name) {
  char dir[260];
  if (!GetModuleDirectory(nullptr, dir, sizeof dir) || !JoinPath(buf, cap, dir, name)) buf[0] = '\0';
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int x, int y,
                        int width = kButtonWidth) {
  QPushButton* p = new QPushButton(caption, parent);
  p->setObjectName(QString::fromLatin1(name));
  p->setGeometry(x, y, width, kButtonHeight);
  p->setAutoDefault(false);
  return p;
}

// A list in report style: whole-row selection, one selected row at most, no editing, a check
// box per row in the first column.
QTreeView* MakeList(QWidget* parent, const char* name, QStandardItemModel* model, int x, int y,
                    int width, int height) {
  QTreeView* p = new QTreeView(parent);
  p->setObjectName(QString::fromLatin1(name));
  p->setGeometry(x, y, width, height);
  p->setModel(model);
  p->setRootIsDecorated(false);
  p->setItemsExpandable(false);
  p->setUniformRowHeights(true);
  p->setAllColumnsShowFocus(true);
  p->setSelectionBehavior(QAbstractItemView::SelectRows);
  p->setSelectionMode(QAbstractItemView::SingleSelection);
  p->setEditTriggers(QAbstractItemView::NoEditTriggers);
  p->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  p->header()->setSectionsMovable(false);
  p->header()->setStretchLastSection(true);
  return p;
}

QStandardItem* MakeCheckItem(const QString& text, void* pRecord, bool bTicked) {
  QStandardItem* p = new QStandardItem(text);
  p->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  p->setData(QVariant::fromValue(pRecord), kRecordRole);
  p->setCheckState(bTicked ? Qt::Checked : Qt::Unchecked);
  return p;
}

QStandardItem* MakeTextItem(const QString& text) {
  QStandardItem* p = new QStandardItem(text);
  p->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return p;
}

QString ActionText(std::uint32_t dwAction) {
  char sz[ACTION_NAME_LEN];
  GetActionName(dwAction, sz);
  return QString::fromLatin1(sz);
}

// "The settings of 2 users could not be updated: Alice, Bob." The first names are listed and
// the rest counted, so that the box stays on the screen however many users failed.
QString FailureText(const QStringList& names) {
  const qsizetype n = names.size();
  QString list = names.mid(0, kMaxNamedUsers).join(QStringLiteral(", "));
  if (n > kMaxNamedUsers) list += QStringLiteral(" and %1 more").arg(n - kMaxNamedUsers);
  return QStringLiteral("The settings of %1 %2 could not be updated: %3.")
      .arg(n)
      .arg(n == 1 ? QStringLiteral("user") : QStringLiteral("users"), list);
}

}  // namespace

// -------------------------------------------------------------------------------------------------
// Actions

void GetActionName(std::uint32_t dwAction, char* szText) {
  const char* szName;
  if (dwAction > ACTION_CODE_MASK) {
    szName = "Do Nothing";
  } else {
    switch (dwAction) {
      case ACTION_PC2HH: szName = "Desktop overwrites handheld"; break;
      case ACTION_HH2PC: szName = "Handheld overwrites Desktop"; break;
      case ACTION_NOTHING: szName = "Do Nothing"; break;
      default: szName = "Synchronize the files"; break;  // 1, and codes only a damaged file holds
    }
  }
  std::snprintf(szText, ACTION_NAME_LEN, "%s", szName);
}

bool IsActionTicked(std::uint32_t dwAction) {
  return dwAction <= ACTION_CODE_MASK && dwAction != ACTION_NOTHING;
}

std::int32_t SyncPrefCode(std::uint32_t dwAction) {
  if (dwAction > ACTION_CODE_MASK || dwAction == ACTION_NOTHING) return 3;
  if (dwAction == ACTION_PC2HH) return 1;
  if (dwAction == ACTION_HH2PC) return 2;
  return 0;
}

// -------------------------------------------------------------------------------------------------
// Creation and destruction

TfmMain::TfmMain(QWidget* parent)
    : QWidget(parent),
      m_szCondFile{},
      m_bRefilling(false),
      m_pProfile(nullptr),
      m_pProfMgr(nullptr) {
  // The profile dialogs reach the window through fmMain, from start-up on.
  fmMain = this;
  BuildControls();
  FormCreate();
}

TfmMain::~TfmMain() {
  // The controls outlive this destructor (QWidget deletes them): keep their signals away from
  // a window that is going.
  m_pUserModel->blockSignals(true);
  m_pCondModel->blockSignals(true);
  slvUser->selectionModel()->blockSignals(true);
  slvCond->selectionModel()->blockSignals(true);
  FormDestroy();
  if (fmMain == this) fmMain = nullptr;
}

void TfmMain::BuildControls() {
  InitFormResources();

  setObjectName(QStringLiteral("fmMain"));
  setWindowTitle(QStringLiteral("Orvane - Customize the HotSync Settings Quickly"));
  setWindowIcon(QIcon(QStringLiteral(":/orvane/orvane.png")));
  // A fixed dialog-style window: system menu, minimise and close; no maximise.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(kWindowWidth, kWindowHeight);

  // The white banner panel along the top.
  spTop = new QFrame(this);
  spTop->setObjectName(QStringLiteral("spTop"));
  spTop->setGeometry(0, 0, kWindowWidth, 82);
  spTop->setFrameShape(QFrame::NoFrame);
  spTop->setAutoFillBackground(true);
  QPalette top = spTop->palette();
  top.setColor(QPalette::Window, Qt::white);
  spTop->setPalette(top);

  spImgTitle = new QLabel(spTop);
  spImgTitle->setObjectName(QStringLiteral("spImgTitle"));
  spImgTitle->setGeometry(16, 11, 220, 60);
  spImgTitle->setPixmap(QPixmap(QStringLiteral(":/orvane/banner.png")));
  spImgTitle->setAccessibleName(QStringLiteral("Orvane"));

  sbtnHelp = MakeButton(spTop, "sbtnHelp", QStringLiteral("&Help"), 498, 28);
  sbtnExit = MakeButton(spTop, "sbtnExit", QStringLiteral("E&xit"), 590, 28);

  // The side panel: the users.
  suiSideChannel1 = new QGroupBox(QStringLiteral("Select User"), this);
  suiSideChannel1->setObjectName(QStringLiteral("suiSideChannel1"));
  suiSideChannel1->setGeometry(6, 94, 193, 407);

  m_pUserModel = new QStandardItemModel(0, 1, this);
  m_pUserModel->setHorizontalHeaderLabels({QStringLiteral("User Name")});
  slvUser = MakeList(suiSideChannel1, "slvUser", m_pUserModel, 14, kListY, 164, 322);
  slvUser->setColumnWidth(0, 160);
  sbtnAll = MakeButton(suiSideChannel1, "sbtnAll", QStringLiteral("Select All"), 14, kBottomRowY);
  sbtnClear = MakeButton(suiSideChannel1, "sbtnClear", QStringLiteral("Clear All"), 98, kBottomRowY);

  // The client panel: the conduits.
  spClient = new QGroupBox(QStringLiteral("Conduit Information"), this);
  spClient->setObjectName(QStringLiteral("spClient"));
  spClient->setGeometry(205, 94, 479, 407);

  m_pCondModel = new QStandardItemModel(0, 2, this);
  m_pCondModel->setHorizontalHeaderLabels({QStringLiteral("Conduit "), QStringLiteral("Action")});
  slvCond = MakeList(spClient, "slvCond", m_pCondModel, 12, kListY, 369, 322);
  slvCond->setColumnWidth(0, 170);
  slvCond->setColumnWidth(1, 180);
  slvCond->setContextMenuPolicy(Qt::CustomContextMenu);
  // The selected row stays plain to see when the list loses the focus.
  QPalette cond = slvCond->palette();
  cond.setColor(QPalette::Inactive, QPalette::Highlight, cond.color(QPalette::Active, QPalette::Highlight));
  cond.setColor(QPalette::Inactive, QPalette::HighlightedText,
                cond.color(QPalette::Active, QPalette::HighlightedText));
  slvCond->setPalette(cond);

  constexpr int kColumnX = 389;
  sbtnDetail = MakeButton(spClient, "sbtnDetail", QStringLiteral("Detail"), kColumnX, kListY);
  sbtnEnable = MakeButton(spClient, "sbtnEnable", QStringLiteral("Enable All"), kColumnX, kListY + 33);
  sbtnDisable = MakeButton(spClient, "sbtnDisable", QStringLiteral("Disable All"), kColumnX, kListY + 66);
  sbtnProfile = MakeButton(spClient, "sbtnProfile", QStringLiteral("Profiles"), kColumnX, kListY + 99);
  sbtnLoadCond = MakeButton(spClient, "sbtnLoadCond", QStringLiteral("Refresh"), kColumnX, kListY + 132);

  sbtnHotSync = MakeButton(spClient, "sbtnHotSync", QStringLiteral("Start HotSync Manager"), 12, kBottomRowY, 157);
  sbtnApply = MakeButton(spClient, "sbtnApply", QStringLiteral("Apply to Selected Users"), 177, kBottomRowY, 162);
  schkDefault = new QCheckBox(QStringLiteral("Default Action"), spClient);
  schkDefault->setObjectName(QStringLiteral("schkDefault"));
  schkDefault->setGeometry(355, kBottomRowY, 114, kButtonHeight);
  schkDefault->setChecked(true);

  // The popup menu of the conduit list.
  pmCond = new QMenu(this);
  pmCond->setObjectName(QStringLiteral("pmCond"));
  miSync = pmCond->addAction(QStringLiteral("Synchronize the files"));
  miHH2PC = pmCond->addAction(QStringLiteral("Handhelds overwrite Desktop"));
  miPC2HH = pmCond->addAction(QStringLiteral("Desktop overwrite handhelds"));
  miNothing = pmCond->addAction(QStringLiteral("Do Nothing"));
  miSync->setObjectName(QStringLiteral("miSync"));
  miHH2PC->setObjectName(QStringLiteral("miHH2PC"));
  miPC2HH->setObjectName(QStringLiteral("miPC2HH"));
  miNothing->setObjectName(QStringLiteral("miNothing"));
  for (QAction* p : {miSync, miHH2PC, miPC2HH, miNothing}) p->setCheckable(true);

  // Keyboard order: top to bottom, left to right.
  QWidget* order[] = {slvUser, sbtnAll, sbtnClear, slvCond, sbtnDetail, sbtnEnable, sbtnDisable,
                      sbtnProfile, sbtnLoadCond, sbtnHotSync, sbtnApply, schkDefault, sbtnHelp,
                      sbtnExit};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  slvUser->setFocus();

  connect(sbtnHelp, &QPushButton::clicked, this, &TfmMain::sbtnHelpClick);
  connect(sbtnExit, &QPushButton::clicked, this, &TfmMain::sbtnExitClick);
  connect(sbtnAll, &QPushButton::clicked, this, &TfmMain::sbtnAllClick);
  connect(sbtnClear, &QPushButton::clicked, this, &TfmMain::sbtnClearClick);
  connect(sbtnDetail, &QPushButton::clicked, this, &TfmMain::sbtnDetailClick);
  connect(sbtnEnable, &QPushButton::clicked, this, &TfmMain::sbtnEnableClick);
  connect(sbtnDisable, &QPushButton::clicked, this, &TfmMain::sbtnDisableClick);
  connect(sbtnProfile, &QPushButton::clicked, this, &TfmMain::sbtnProfileClick);
  connect(sbtnLoadCond, &QPushButton::clicked, this, &TfmMain::sbtnLoadCondClick);
  connect(sbtnHotSync, &QPushButton::clicked, this, &TfmMain::sbtnHotSyncClick);
  connect(sbtnApply, &QPushButton::clicked, this, &TfmMain::sbtnApplyClick);
  connect(slvUser, &QTreeView::doubleClicked, this, &TfmMain::slvUserDblClick);
  connect(slvCond, &QTreeView::doubleClicked, this, &TfmMain::sbtnDetailClick);
  connect(slvCond, &QWidget::customContextMenuRequested, this, &TfmMain::OnCondContextMenu);
  connect(m_pCondModel, &QStandardItemModel::dataChanged, this, &TfmMain::OnCondDataChanged);
  connect(slvCond->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TfmMain::UpdateDetailButton);
  connect(slvCond->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &TfmMain::OnCondCurrentChanged);
  connect(miSync, &QAction::triggered, this, [this](bool b) { OnMenuItem(miSync, b, ACTION_SYNC); });
  connect(miHH2PC, &QAction::triggered, this, [this](bool b) { OnMenuItem(miHH2PC, b, ACTION_HH2PC); });
  connect(miPC2HH, &QAction::triggered, this, [this](bool b) { OnMenuItem(miPC2HH, b, ACTION_PC2HH); });
  connect(miNothing, &QAction::triggered, this, [this](bool b) { OnMenuItem(miNothing, b, ACTION_NOTHING); });

  // Centred on the screen.
  if (QScreen* pScreen = QGuiApplication::primaryScreen()) {
    move(pScreen->availableGeometry().center() - rect().center());
  }
}

void TfmMain::FormCreate() {
  // The executable's directory is found from the running executable wherever it is needed
  // (GetModuleDirectory), so no module handle is kept.
  PalmLibInit();
  g_pCondMgr = CCondMgr::GetInstance();
  FillUserList();
  DataFilePath(m_szCondFile, sizeof m_szCondFile, kDataFileCond);
  FillConduitList(true);

  m_pProfMgr = new OVProfMgr;
  m_pProfile = new OVProfile;
  char szFile[260];
  DataFilePath(szFile, sizeof szFile, kDataFileCurr);
  m_pProfile->SetFileName(szFile);
  // A missing file leaves the profile empty; the conduits keep the actions the fill gave them.
  // An empty name (no directory) loads nothing.
  if (szFile[0] != '\0') m_pProfile->Load();
  ExchangeProfile(false, m_pProfile);
}

void TfmMain::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TfmMain::FormClose() {
  if (!m_pProfile) return;
  ExchangeProfile(true, m_pProfile);
  // The next start would show older actions without a word: say so while the window is here.
  // The previous file stays whole when the new one cannot be written.
  if (!m_pProfile->Save()) {
    const char* szFile = m_pProfile->GetFileName();
    ShowMessageBox(this,
                   szFile[0] ? QStringLiteral("The current settings could not be saved to %1.").arg(QString::fromLocal8Bit(szFile))
                             : QStringLiteral("The current settings could not be saved: the tool's own directory was not found."),
                   QStringLiteral("Orvane Error"), ov::MessageIcon::Error);
  }
}

void TfmMain::FormDestroy() {
  delete m_pProfile;
  m_pProfile = nullptr;
  delete m_pProfMgr;
  m_pProfMgr = nullptr;
  PalmLibExit();
}

// -------------------------------------------------------------------------------------------------
// Rows

CONDUIT_REC* TfmMain::CondRecordAt(int nRow) const {
  const QStandardItem* p = m_pCondModel->item(nRow, 0);
  return p ? static_cast<CONDUIT_REC*>(p->data(kRecordRole).value<void*>()) : nullptr;
}

const UserRecord* TfmMain::UserRecordAt(int nRow) const {
  const QStandardItem* p = m_pUserModel->item(nRow, 0);
  return p ? static_cast<const UserRecord*>(p->data(kRecordRole).value<void*>()) : nullptr;
}

int TfmMain::SelectedCondRow() const {
  const QModelIndexList rows = slvCond->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

int TfmMain::SelectedUserRow() const {
  const QModelIndexList rows = slvUser->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void TfmMain::ShowRowAction(int nRow, const CONDUIT_REC* pRec) {
  if (QStandardItem* p = m_pCondModel->item(nRow, 1)) p->setText(ActionText(pRec->dwAction));
}

void TfmMain::SetCondRowTicked(int nRow, bool bTicked) {
  if (QStandardItem* p = m_pCondModel->item(nRow, 0)) p->setCheckState(bTicked ? Qt::Checked : Qt::Unchecked);
}

void TfmMain::UpdateDetailButton() { sbtnDetail->setEnabled(SelectedCondRow() >= 0); }

// -------------------------------------------------------------------------------------------------
// Filling the lists

void TfmMain::FillUserList() {
  slvUser->setUpdatesEnabled(false);
  m_pUserModel->removeRows(0, m_pUserModel->rowCount());
  if (CxList* pRoster = GetUserRoster()) {
    QList<QStandardItem*> rows;
    rows.reserve(static_cast<qsizetype>(pRoster->GetCount()));
    for (void* p = pRoster->GetFirst(); p; p = pRoster->GetNext()) {
      const UserRecord* pUser = static_cast<const UserRecord*>(p);
      rows.append(MakeCheckItem(QString::fromLocal8Bit(pUser->szName), p, true));
    }
    m_pUserModel->invisibleRootItem()->appendRows(rows);
  }
  slvUser->setUpdatesEnabled(true);
}

void TfmMain::FillConduitList(bool bFromCache) {
  m_bRefilling = true;
  const bool bLoaded = bFromCache && g_pCondMgr->LoadFromFile(m_szCondFile);
  if (!bLoaded) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    g_pCondMgr->LoadConduits(COND_SRC_DEFAULT);
    SetDefaultActions();
    QApplication::restoreOverrideCursor();
  }

  // The old rows refer to records the load has just destroyed: they go before anything else.
  slvCond->setUpdatesEnabled(false);
  m_pCondModel->removeRows(0, m_pCondModel->rowCount());
  for (CONDUIT_REC* pRec = g_pCondMgr->GetFirst(); pRec; pRec = g_pCondMgr->GetNext()) {
    m_pCondModel->appendRow({MakeCheckItem(QString::fromLocal8Bit(pRec->szTitle), pRec,
                                           IsActionTicked(pRec->dwAction)),
                             MakeTextItem(ActionText(pRec->dwAction))});
  }
  slvCond->setUpdatesEnabled(true);

  // A fresh enumeration is always written, with the default actions.
  if (!bLoaded) g_pCondMgr->SaveToFile(m_szCondFile);
  m_bRefilling = false;
}

void TfmMain::SetDefaultActions() {
  for (CONDUIT_REC* pRec = g_pCondMgr->GetFirst(); pRec; pRec = g_pCondMgr->GetNext()) {
    const std::uint32_t dwKind = pRec->dwKind & 0xFF;
    if (dwKind & COND_KIND_REGISTERED) {
      pRec->dwAction = ACTION_SYNC;
    } else if (dwKind & COND_KIND_BACKUP) {
      pRec->dwAction = ACTION_HH2PC;
    } else if (dwKind & COND_KIND_INSTALL) {
      pRec->dwAction = ACTION_PC2HH;
    }
  }
}

// -------------------------------------------------------------------------------------------------
// Editing the actions

void TfmMain::OnCondDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                const QVector<int>& roles) {
  // Text changes carry other roles; only a tick is a change of state.
  if (!roles.contains(Qt::CheckStateRole) || topLeft.column() != 0) return;
  for (int nRow = topLeft.row(); nRow <= bottomRight.row(); ++nRow) slvCondChange(nRow);
}

void TfmMain::slvCondChange(int nRow) {
  if (m_bRefilling) return;
  CONDUIT_REC* pRec = CondRecordAt(nRow);
  if (!pRec) return;
  if (m_pCondModel->item(nRow, 0)->checkState() == Qt::Checked) {
    pRec->dwAction &= ACTION_CODE_MASK;
  } else {
    pRec->dwAction |= ACTION_DISABLED;
  }
  ShowRowAction(nRow, pRec);
  UpdateDetailButton();
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

void TfmMain::pmCondPopup() {
  const CONDUIT_REC* pRec = CondRecordAt(SelectedCondRow());
  // Without a selected conduit the menu opens as it was last set.
  if (!pRec) return;

  miSync->setVisible(true);
  miPC2HH->setVisible(true);
  miHH2PC->setVisible(true);
  miPC2HH->setText(QStringLiteral("Desktop overwrite handhelds"));
  if (pRec->dwKind & COND_KIND_INSTALL) {
    miSync->setVisible(false);
    miHH2PC->setVisible(false);
    miPC2HH->setText(QStringLiteral("Install to handhelds"));
  } else if (pRec->dwKind & COND_KIND_BACKUP) {
    miSync->setVisible(false);
  }
  miNothing->setVisible(true);

  const std::uint32_t dwAction = pRec->dwAction;
  QAction* pChecked = miSync;
  if (dwAction > ACTION_CODE_MASK || dwAction == ACTION_NOTHING) {
    pChecked = miNothing;
  } else if (dwAction == ACTION_PC2HH) {
    pChecked = miPC2HH;
  } else if (dwAction == ACTION_HH2PC) {
    pChecked = miHH2PC;
  }
  for (QAction* p : {miSync, miHH2PC, miPC2HH, miNothing}) p->setChecked(p == pChecked);
}

void TfmMain::OnMenuItem(QAction* pItem, bool bChecked, std::uint32_t dwAction) {
  pItem->setChecked(!bChecked);
  SetSelectedAction(dwAction);
}

void TfmMain::miSyncClick() { SetSelectedAction(ACTION_SYNC); }
void TfmMain::miHH2PCClick() { SetSelectedAction(ACTION_HH2PC); }
void TfmMain::miPC2HHClick() { SetSelectedAction(ACTION_PC2HH); }
void TfmMain::miNothingClick() { SetSelectedAction(ACTION_NOTHING); }

void TfmMain::SetSelectedAction(std::uint32_t dwAction) {
  const int nRow = SelectedCondRow();
  CONDUIT_REC* pRec = CondRecordAt(nRow);
  if (!pRec) return;
  if (dwAction == ACTION_NOTHING) {
    pRec->dwAction |= ACTION_DISABLED;
    SetCondRowTicked(nRow, false);
  } else {
    pRec->dwAction = dwAction;
    SetCondRowTicked(nRow, true);
  }
  ShowRowAction(nRow, pRec);
}

void TfmMain::SetAllCondTicks(bool bTicked) {
  const int nRows = m_pCondModel->rowCount();
  for (int i = 0; i < nRows; ++i) SetCondRowTicked(i, bTicked);
}

void TfmMain::SetAllUserTicks(bool bTicked) {
  const int nRows = m_pUserModel->rowCount();
  for (int i = 0; i < nRows; ++i) m_pUserModel->item(i, 0)->setCheckState(bTicked ? Qt::Checked : Qt::Unchecked);
}

void TfmMain::sbtnEnableClick() { SetAllCondTicks(true); }
void TfmMain::sbtnDisableClick() { SetAllCondTicks(false); }
void TfmMain::sbtnAllClick() { SetAllUserTicks(true); }
void TfmMain::sbtnClearClick() { SetAllUserTicks(false); }

void TfmMain::sbtnLoadCondClick() { FillConduitList(false); }

void TfmMain::ExchangeProfile(bool bStore, OVProfile* pProfile) {
  if (!pProfile) return;
  const int nRows = m_pCondModel->rowCount();
  for (int i = 0; i < nRows; ++i) {
    CONDUIT_REC* pRec = CondRecordAt(i);
    if (!pRec) continue;
    ProfileRec* pEntry = pProfile->FindRec(pRec->dwCreatorID);
    if (pEntry) {
      if (bStore) {
        pEntry->dwAction = pRec->dwAction;
      } else {
        pRec->dwAction = pEntry->dwAction;
        ShowRowAction(i, pRec);
        SetCondRowTicked(i, IsActionTicked(pRec->dwAction));
      }
    } else if (bStore) {
      const ProfileRec entry{pRec->dwCreatorID, pRec->dwAction};
      pProfile->AddRec(&entry);
    }
  }
}

// -------------------------------------------------------------------------------------------------
// Apply

std::vector<TfmMain::CondPref> TfmMain::CollectCondPrefs() const {
  std::vector<CondPref> prefs;
  const int nRows = m_pCondModel->rowCount();
  prefs.reserve(static_cast<std::size_t>(nRows));
  for (int i = 0; i < nRows; ++i) {
    if (const CONDUIT_REC* pRec = CondRecordAt(i)) prefs.push_back({pRec->dwCreatorID, SyncPrefCode(pRec->dwAction)});
  }
  return prefs;
}

bool TfmMain::WritePrefs(std::uint32_t userId, const std::vector<CondPref>& prefs, bool bPermanent) {
  bool bAllDone = true;
  for (const CondPref& pref : prefs) {
    const std::int32_t nResult =
        bPermanent ? palm::UmSetUserPermSyncPreferences(userId, pref.dwCreatorID, pref.nCode)
                   : palm::UmSetUserTempSyncPreferences(userId, pref.dwCreatorID, pref.nCode);
    if (nResult < 0) bAllDone = false;
  }
  return bAllDone;
}

bool TfmMain::ApplyToUser(std::uint32_t userId) {
  return WritePrefs(userId, CollectCondPrefs(), schkDefault->isChecked());
}

void TfmMain::sbtnApplyClick() {
  // Nothing inside the loops touches a widget or runs an event, so the conduit rows and
  // "Default Action" are read once for all users.
  const std::vector<CondPref> prefs = CollectCondPrefs();
  const bool bPermanent = schkDefault->isChecked();

  int nApplied = 0;
  QStringList failed;
  const int nRows = m_pUserModel->rowCount();
  // Thousands of users take seconds: the wait cursor shows that the tool is busy.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  for (int i = 0; i < nRows; ++i) {
    if (m_pUserModel->item(i, 0)->checkState() != Qt::Checked) continue;
    const UserRecord* pUser = UserRecordAt(i);
    if (!pUser) continue;
    ++nApplied;
    if (!WritePrefs(pUser->userId, prefs, bPermanent)) {
      failed.append(pUser->szName[0] ? QString::fromLocal8Bit(pUser->szName)
                                     : QStringLiteral("user %1").arg(pUser->userId));
    }
  }

  QApplication::restoreOverrideCursor();

  if (nApplied == 0) {
    ShowMessageBox(this, QStringLiteral("No user is selected."), QStringLiteral("Information"),
                   ov::MessageIcon::Information);
    return;
  }
  g_pCondMgr->SaveToFile(m_szCondFile);
  if (failed.isEmpty()) {
    ShowMessageBox(this, QStringLiteral("User settings updated successfully."),
                   QStringLiteral("Information"), ov::MessageIcon::Information);
  } else {
    ShowMessageBox(this, FailureText(failed), QStringLiteral("Error"), ov::MessageIcon::Error);
  }
}

// -------------------------------------------------------------------------------------------------
// The simple commands and the dialogs

QByteArray HelpAddress() {
  char szDir[260];
  if (!GetModuleDirectory(nullptr, szDir, sizeof szDir)) return {};
  // file:///opt/orvane/help/orvane/index.htm?ref=app, file:///C:/Tools/help/... on Windows.
  QUrl url = QUrl::fromLocalFile(QDir::fromNativeSeparators(QString::fromLocal8Bit(szDir)) +
                                 QStringLiteral("help/orvane/index.htm"));
  url.setQuery(QStringLiteral("ref=app"));
  return url.toEncoded();
}

void TfmMain::sbtnHelpClick() {
  const QByteArray address = HelpAddress();
  if (!address.isEmpty()) OpenWithShell(address.constData());
}

void TfmMain::sbtnExitClick() { close(); }

void TfmMain::sbtnHotSyncClick() {
  // Found in the current directory, the Palm Desktop core directory since start-up.
  OpenWithShell("hotsync.exe");
}

void TfmMain::sbtnProfileClick() { RunProfiles(); }

void TfmMain::slvUserDblClick() {
  const UserRecord* pUser = UserRecordAt(SelectedUserRow());
  if (pUser) RunUserInfo(pUser->userId);
}

void TfmMain::sbtnDetailClick() {
  const int nRow = SelectedCondRow();
  CONDUIT_REC* pRec = CondRecordAt(nRow);
  if (!pRec) return;
  if (RunCondDetail(pRec)) {
    ShowRowAction(nRow, pRec);
    SetCondRowTicked(nRow, IsActionTicked(pRec->dwAction));
  }
}

bool TfmMain::RunCondDetail(CONDUIT_REC* pRec) {
  // Owned by this window, bound to pRec, shown modally and destroyed whatever its result; true
  // when it closed with OK, so that the row shows the record's new action.
  TfmCondDetail dlg(this);
  dlg.SetData(pRec);
  return dlg.exec() == QDialog::Accepted;
}

void TfmMain::RunUserInfo(std::uint32_t userId) {
  // Owned by this window, filled once, shown modally and destroyed; its result is not used.
  TfmUserInfo dlg(this);
  dlg.LoadUserInfo(userId);
  dlg.exec();
}

void TfmMain::RunProfiles() {
  // The dialog changes the conduit list itself (through fmMain->ExchangeProfile); its result
  // is not used.
  TfmProfile dialog(this);
  dialog.SetProfMgr(m_pProfMgr);
  dialog.exec();
}
