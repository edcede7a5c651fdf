#include "palmdesk/hotsync/HotSyncWindow.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QList>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "src/core/palm/SyncPrefNames.h"
#include "palmdesk/Description.h"

namespace palmdesk {
namespace {

constexpr int kUserIdRole = Qt::UserRole;

QString Text(const std::string& s) { return QString::fromLocal8Bit(s.data(), static_cast<int>(s.size())); }

const char* KindName(SyncConduitKind kind) {
  switch (kind) {
    case SyncConduitKind::Registered: return "Registered";
    case SyncConduitKind::Install: return "Install";
    case SyncConduitKind::Backup: return "Backup";
  }
  return "";
}

// The default action: the permanent preference, or "not set".
std::string DefaultText(const UserPreferences::Entry& e) {
  return e.hasPerm ? palm::SyncPrefName(e.perm) : std::string(palm::kSyncPrefNotSet);
}

// The next HotSync's action: the one-time (temporary) preference, marked, over the default.
std::string NextText(const UserPreferences::Entry& e) {
  return e.hasTemp ? palm::NextSyncText(e.temp, true) : DefaultText(e);
}

QTreeWidget* MakeList(QWidget* parent, const char* name, const QStringList& headers) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setAllColumnsShowFocus(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setHeaderLabels(headers);
  return list;
}

}  // namespace

HotSyncWindow::HotSyncWindow(const std::string& coreDir, QWidget* parent) : QWidget(parent), m_coreDir(coreDir) {
  setObjectName(QStringLiteral("fmHotSync"));
  setWindowTitle(QStringLiteral("HotSync Manager (Orvane stand-in)"));

  m_pCore = new QLabel(this);
  m_pCore->setObjectName(QStringLiteral("lblCore"));
  m_pCore->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // A long path must not widen the window; the whole path is in the tooltip.
  m_pCore->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  m_pUsers = MakeList(splitter, "lvUsers", {QStringLiteral("User"), QStringLiteral("User ID")});
  m_pConduits = MakeList(splitter, "lvConduits",
                         {QStringLiteral("Conduit"), QStringLiteral("Creator"), QStringLiteral("Kind"),
                          QStringLiteral("Default"), QStringLiteral("Next HotSync")});
  // Columns as wide as their longest text (a one-time action in bold, with its mark), the
  // conduit titles as wide as most are; the user names take what is left of their list.
  QFont bold = font();
  bold.setBold(true);
  const QFontMetrics plain(font()), strong(bold);
  const int pad = 3 * plain.averageCharWidth();
  m_pUsers->header()->setStretchLastSection(false);
  m_pUsers->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  m_pUsers->setColumnWidth(1, plain.horizontalAdvance(QStringLiteral("4294967295")) + pad);
  int defaultWidth = plain.horizontalAdvance(QString::fromLatin1(palm::kSyncPrefNotSet));
  int nextWidth = defaultWidth;
  for (std::int32_t code = palm::SYNC_PREF_SYNCHRONIZE; code <= palm::SYNC_PREF_CUSTOM; ++code) {
    defaultWidth = std::max(defaultWidth, plain.horizontalAdvance(Text(palm::SyncPrefName(code))));
    nextWidth = std::max(nextWidth, strong.horizontalAdvance(Text(palm::NextSyncText(code, true))));
  }
  const int widths[ConduitColumns] = {
      22 * plain.averageCharWidth() + pad,
      plain.horizontalAdvance(QStringLiteral("0xFFFFFFFF")) + pad,
      plain.horizontalAdvance(QStringLiteral("Registered")) + pad,
      defaultWidth + pad,
      nextWidth + pad,
  };
  int conduitsWidth = 0;
  for (int col = 0; col < ConduitColumns; ++col) {
    m_pConduits->setColumnWidth(col, widths[col]);
    conduitsWidth += widths[col];
  }
  // Wide enough for every column without scrolling (and the list's frame and scroll bar).
  conduitsWidth += 2 * m_pConduits->frameWidth() + m_pConduits->verticalScrollBar()->sizeHint().width();
  const int usersWidth = 250;
  splitter->addWidget(m_pUsers);
  splitter->addWidget(m_pConduits);
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({usersWidth, conduitsWidth});
  splitter->setChildrenCollapsible(false);

  m_pStatus = new QLabel(this);
  m_pStatus->setObjectName(QStringLiteral("lblStatus"));
  m_pStatus->setWordWrap(true);

  m_pSync = new QPushButton(QStringLiteral("Start &HotSync"), this);
  m_pSync->setObjectName(QStringLiteral("btnHotSync"));
  m_pRefresh = new QPushButton(QStringLiteral("&Refresh"), this);
  m_pRefresh->setObjectName(QStringLiteral("btnRefresh"));
  m_pClose = new QPushButton(QStringLiteral("&Close"), this);
  m_pClose->setObjectName(QStringLiteral("btnClose"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_pStatus, 1);
  buttons->addWidget(m_pSync);
  buttons->addWidget(m_pRefresh);
  buttons->addWidget(m_pClose);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_pCore);
  layout->addWidget(splitter, 1);
  layout->addLayout(buttons);

  connect(m_pUsers, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { FillConduits(current); });
  connect(m_pSync, &QPushButton::clicked, this, [this] { SetSyncing(!m_syncing); });
  connect(m_pRefresh, &QPushButton::clicked, this, &HotSyncWindow::Refresh);
  connect(m_pClose, &QPushButton::clicked, this, &QWidget::close);

  setTabOrder(m_pUsers, m_pConduits);
  setTabOrder(m_pConduits, m_pSync);
  setTabOrder(m_pSync, m_pRefresh);
  setTabOrder(m_pRefresh, m_pClose);
  // At first both lists show all their columns, unless the screen is narrower: then the window
  // takes the screen's width and the conduit list scrolls sideways.
  const QMargins margins = layout->contentsMargins();
  int width = std::max(960, margins.left() + usersWidth + splitter->handleWidth() + conduitsWidth + margins.right());
  if (const QScreen* pScreen = screen()) width = std::min(width, pScreen->availableGeometry().width());
  resize(width, 540);

  WriteState(false);  // HotSync Manager runs from now on
  Refresh();
}

HotSyncWindow::~HotSyncWindow() {
  std::error_code ec;
  std::filesystem::remove(std::filesystem::path(m_coreDir) / kHotSyncStateFile, ec);
}

bool HotSyncWindow::SetSyncing(bool syncing) {
  if (!WriteState(syncing)) return false;
  m_syncing = syncing;
  m_pSync->setText(syncing ? QStringLiteral("End &HotSync") : QStringLiteral("Start &HotSync"));
  m_pStatus->setText(StatusText());
  return true;
}

// Written beside and renamed into place, so a reader in another process sees the old word or
// the new one, never a part of one.
bool HotSyncWindow::WriteState(bool syncing) {
  namespace fs = std::filesystem;
  const fs::path target = fs::path(m_coreDir) / kHotSyncStateFile;
  fs::path temp = target;
  temp += ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << HotSyncName(syncing ? HotSync::Syncing : HotSync::Idle) << '\n';
    if (!out.flush()) return false;
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) fs::remove(temp, ec);
  return !ec;
}

void HotSyncWindow::Refresh() {
  bool haveSelection = false;
  std::uint32_t selected = 0;
  if (const QTreeWidgetItem* current = m_pUsers->currentItem()) {
    selected = current->data(0, kUserIdRole).toUInt();
    haveSelection = true;
  }
  m_state.Load(m_coreDir);

  const QString dir = Text(m_state.coreDir());
  m_pCore->setText(QStringLiteral("Core directory: %1").arg(dir));
  m_pCore->setToolTip(dir);
  m_pStatus->setText(StatusText());
  FillUsers(selected, haveSelection);
}

bool HotSyncWindow::SelectUser(std::uint32_t userId) {
  for (int i = 0; i < m_pUsers->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = m_pUsers->topLevelItem(i);
    if (item->data(0, kUserIdRole).toUInt() == userId) {
      m_pUsers->setCurrentItem(item);
      m_pUsers->scrollToItem(item);
      return true;
    }
  }
  return false;
}

void HotSyncWindow::FillUsers(std::uint32_t selectUserId, bool haveSelection) {
  // The conduit list follows the current user; it is rebuilt once, after the users are in.
  const QSignalBlocker block(m_pUsers);
  m_pUsers->clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<int>(m_state.users().size()));
  for (const SyncUser& u : m_state.users()) {
    auto* item = new QTreeWidgetItem({Text(u.name), QString::number(u.id)});
    item->setData(0, kUserIdRole, QVariant::fromValue<uint>(u.id));
    items.append(item);
  }
  m_pUsers->addTopLevelItems(items);

  QTreeWidgetItem* current = items.isEmpty() ? nullptr : items.front();
  if (haveSelection) {
    for (QTreeWidgetItem* item : items) {
      if (item->data(0, kUserIdRole).toUInt() == selectUserId) {
        current = item;
        break;
      }
    }
  }
  if (current) {
    m_pUsers->setCurrentItem(current);
    m_pUsers->scrollToItem(current);
  }
  FillConduits(current);
}

void HotSyncWindow::FillConduits(const QTreeWidgetItem* userItem) {
  m_pConduits->clear();
  if (userItem == nullptr) return;
  const UserPreferences prefs = m_state.PreferencesOf(userItem->data(0, kUserIdRole).toUInt());

  QFont bold = m_pConduits->font();
  bold.setBold(true);
  QList<QTreeWidgetItem*> rows;
  rows.reserve(static_cast<int>(m_state.conduits().size()));
  for (const SyncConduit& c : m_state.conduits()) {
    const UserPreferences::Entry e = prefs.Get(c.creatorId);
    auto* row = new QTreeWidgetItem({Text(c.title), Text(c.creator), QString::fromLatin1(KindName(c.kind)),
                                     Text(DefaultText(e)), Text(NextText(e))});
    if (e.hasTemp) {
      // A one-time action overrides the default for the next HotSync only.
      row->setFont(ColNext, bold);
    }
    rows.append(row);
  }
  m_pConduits->addTopLevelItems(rows);
}

QString HotSyncWindow::StatusText() const {
  QStringList parts;
  if (!m_state.descriptionFound()) {
    parts << QStringLiteral("No %1 in the core directory: no users, no conduits.")
                 .arg(QString::fromLatin1(kDescriptionFile));
  } else {
    parts << QStringLiteral("%1 users, %2 conduits. Bold: a one-time action, for the next HotSync only.")
                 .arg(m_state.users().size())
                 .arg(m_state.conduits().size());
    if (m_state.descriptionProblems() > 0) {
      parts << QStringLiteral("%1 lines of %2 could not be read.")
                   .arg(m_state.descriptionProblems())
                   .arg(QString::fromLatin1(kDescriptionFile));
    }
  }
  if (m_syncing) parts << QStringLiteral("A HotSync is in progress.");
  if (m_state.journal().skipped > 0) {
    parts << QStringLiteral("%1 damaged lines of %2 were skipped.")
                 .arg(m_state.journal().skipped)
                 .arg(QString::fromLatin1(kJournalFile));
  }
  return parts.join(QLatin1Char(' '));
}

}  // namespace palmdesk
