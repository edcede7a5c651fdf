#include "src/qt/Overview.h"

#include <algorithm>

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include "src/qt/FormUtil.h"
#include "src/qt/MessageBox.h"

namespace {

// A tinted cell keeps black text readable only on a light scheme; on a dark or high-contrast
// one the cells take the scheme's own colours and the labels alone tell the kinds apart.
bool UseTints() { return QApplication::palette().color(QPalette::Base).lightness() >= 160; }

QColor ColourOf(CellKind kind) {
  const Rgb c = CellBackground(kind);
  return QColor(c.r, c.g, c.b);
}

}  // namespace

// The table as a model over the logic: nothing is stored here.
class OverviewModel : public QAbstractTableModel {
 public:
  OverviewModel(QObject* parent, OverviewLogic& logic) : QAbstractTableModel(parent), m_logic(logic) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(m_logic.RowCount());
  }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(m_logic.ColumnCount());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::BackgroundRole && role != Qt::FontRole &&
        role != Qt::TextAlignmentRole) {
      return {};
    }
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    if (role == Qt::ToolTipRole) {
      return Local(m_logic.CellTip(static_cast<std::size_t>(index.row()), static_cast<std::size_t>(index.column())));
    }
    const CellShown cell = m_logic.Cell(static_cast<std::size_t>(index.row()), static_cast<std::size_t>(index.column()));
    switch (role) {
      case Qt::DisplayRole: return Local(cell.text);
      case Qt::BackgroundRole:
        // While only differences show, the cells that agree stay plain.
        if (!UseTints() || (m_logic.IsDiffersOnly() && !cell.bMarked)) return {};
        return ColourOf(cell.kind);
      case Qt::FontRole:
        if (cell.bMarked || cell.kind == CellKind::Failed) {
          QFont font;
          font.setBold(true);
          return font;
        }
        return {};
      default: return {};
    }
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole || section < 0) return {};
    return Local(orientation == Qt::Horizontal ? m_logic.ColumnHeader(static_cast<std::size_t>(section))
                                               : m_logic.RowHeader(static_cast<std::size_t>(section)));
  }
  // Everything may have changed: the cells, their order, the headers.
  void Reset() {
    beginResetModel();
    endResetModel();
  }
  void Refresh() {
    if (rowCount({}) == 0 || columnCount({}) == 0) return;
    Q_EMIT dataChanged(index(0, 0), index(rowCount({}) - 1, columnCount({}) - 1));
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount({}) - 1);
    Q_EMIT headerDataChanged(Qt::Vertical, 0, rowCount({}) - 1);
  }

 private:
  OverviewLogic& m_logic;
};

TfmOverview::TfmOverview(QWidget* owner, OverviewLogic& logic)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::WindowMaximizeButtonHint),
      m_logic(logic) {
  setObjectName(QStringLiteral("fmOverview"));
  setWindowTitle(Local(overview::kCaption));

  chkDiffers = Named(new QCheckBox(Local(overview::kDiffersOnly), this), "chkDiffers");
  chkSort = Named(new QCheckBox(Local(overview::kSortByDifferences), this), "chkSort");

  m_pModel = new OverviewModel(this, m_logic);
  tvOverview = Named(new QTableView(this), "tvOverview");
  tvOverview->setModel(m_pModel);
  tvOverview->setSelectionBehavior(QAbstractItemView::SelectRows);
  tvOverview->setSelectionMode(QAbstractItemView::SingleSelection);
  tvOverview->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tvOverview->setCornerButtonEnabled(false);
  tvOverview->setWordWrap(false);
  // Fixed sizes: a size taken from the contents would read every row to measure it.
  tvOverview->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  tvOverview->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 6);
  tvOverview->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  tvOverview->verticalHeader()->setMinimumWidth(overview::kUserColumnWidth);
  tvOverview->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  KeepSelectionVisible(tvOverview);

  lblStatus = Named(new QLabel(this), "lblStatus");
  btnTick = Named(new QPushButton(Local(overview::kTickDiffering), this), "btnTick");
  btnActions = Named(new QPushButton(Local(overview::kUserActions), this), "btnActions");
  btnClose = Named(new QPushButton(Local(overview::kClose), this), "btnClose");
  for (QPushButton* p : {btnTick, btnActions}) p->setFixedHeight(kButtonHeight);
  btnClose->setFixedSize(80, kButtonHeight);
  btnClose->setDefault(true);

  connect(chkDiffers, &QCheckBox::toggled, this, [this](bool b) { m_logic.SetDiffersOnly(b); });
  connect(chkSort, &QCheckBox::toggled, this, [this](bool b) {
    if (!m_logic.SetSortByDifferences(b)) {
      // Cancelled while reading: the order stays as it was.
      const QSignalBlocker block(chkSort);
      chkSort->setChecked(m_logic.IsSortedByDifferences());
    }
  });
  connect(btnTick, &QPushButton::clicked, this, [this] { m_logic.btnTickDifferingClick(); });
  connect(btnActions, &QPushButton::clicked, this, [this] { m_logic.btnUserActionsClick(CurrentRow()); });
  connect(tvOverview, &QTableView::doubleClicked, this,
          [this](const QModelIndex& index) { m_logic.btnUserActionsClick(index.row()); });
  connect(tvOverview->verticalHeader(), &QHeaderView::sectionDoubleClicked, this,
          [this](int row) { m_logic.btnUserActionsClick(row); });
  OnEnterKey(tvOverview, [this] { m_logic.btnUserActionsClick(CurrentRow()); });
  connect(tvOverview->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this] { btnActions->setEnabled(CurrentRow() >= 0); });
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

  // The rows not drawn yet are read a slice at a time while the window is idle.
  m_pReader = new QTimer(this);
  m_pReader->setInterval(0);
  connect(m_pReader, &QTimer::timeout, this, [this] {
    if (!m_logic.ReadMore(std::chrono::milliseconds(20))) m_pReader->stop();
  });

  QHBoxLayout* pChoices = new QHBoxLayout;
  pChoices->addWidget(chkDiffers);
  pChoices->addSpacing(16);
  pChoices->addWidget(chkSort);
  pChoices->addStretch(1);

  QHBoxLayout* pButtons = new QHBoxLayout;
  pButtons->addWidget(btnTick);
  pButtons->addWidget(btnActions);
  pButtons->addStretch(1);
  pButtons->addWidget(btnClose);

  QVBoxLayout* pMain = new QVBoxLayout(this);
  pMain->setContentsMargins(12, 12, 12, 12);
  pMain->setSpacing(8);
  pMain->addLayout(pChoices);
  pMain->addWidget(tvOverview, 1);
  pMain->addWidget(MakeLegend());
  pMain->addWidget(lblStatus);
  pMain->addLayout(pButtons);

  resize(overview::kClientWidth, overview::kClientHeight);
  QScreen* pScreen = owner ? owner->screen() : QGuiApplication::primaryScreen();
  if (pScreen) move(pScreen->availableGeometry().center() - rect().center());

  m_logic.SetView(this);
  SizeColumns();
  btnActions->setEnabled(false);
  StatusChanged();
  m_pReader->start();
}

TfmOverview::~TfmOverview() { m_logic.SetView(nullptr); }

QWidget* TfmOverview::MakeLegend() {
  QWidget* pLegend = Named(new QWidget(this), "pnlLegend");
  QGridLayout* pGrid = new QGridLayout(pLegend);
  pGrid->setContentsMargins(0, 0, 0, 0);
  pGrid->setHorizontalSpacing(6);
  pGrid->setVerticalSpacing(2);
  pGrid->addWidget(new QLabel(Local(overview::kLegendTitle), pLegend), 0, 0);
  const int kPerRow = 3;
  int i = 0;
  const bool bTints = UseTints();
  for (const LegendEntry& e : OverviewLegend()) {
    QLabel* pSwatch = new QLabel(Local(e.szLabel), pLegend);
    pSwatch->setAlignment(Qt::AlignCenter);
    pSwatch->setMinimumWidth(overview::kCellWidth - 10);
    pSwatch->setFrameShape(QFrame::Box);
    if (bTints && e.kind != CellKind::Unread) {
      pSwatch->setAutoFillBackground(true);
      QPalette pal = pSwatch->palette();
      pal.setColor(QPalette::Window, ColourOf(e.kind));
      pal.setColor(QPalette::WindowText, Qt::black);
      pSwatch->setPalette(pal);
    }
    const int row = i / kPerRow, col = 1 + 2 * (i % kPerRow);
    pGrid->addWidget(pSwatch, row, col);
    pGrid->addWidget(new QLabel(Local(e.szMeaning), pLegend), row, col + 1);
    ++i;
  }
  pGrid->setColumnStretch(2 * kPerRow, 1);
  return pLegend;
}

void TfmOverview::SizeColumns() {
  // As wide as the header's title (the cells' labels are shorter), never narrower than a cell.
  const QFontMetrics fm(tvOverview->horizontalHeader()->font());
  for (std::size_t col = 0; col < m_logic.ColumnCount(); ++col) {
    const int width = fm.horizontalAdvance(Local(m_logic.ColumnHeader(col))) + 20;
    tvOverview->horizontalHeader()->resizeSection(static_cast<int>(col), std::max(overview::kCellWidth, width));
  }
}

int TfmOverview::CurrentRow() const {
  const QModelIndex current = tvOverview->selectionModel()->currentIndex();
  return current.isValid() ? current.row() : -1;
}

ov::MessageAnswer TfmOverview::ShowMessage(const ov::MessageRequest& request) { return ShowRequest(this, request); }

void TfmOverview::TableChanged() {
  m_pModel->Refresh();
  if (m_logic.IsDiffersOnly()) SizeColumns();
}

void TfmOverview::StatusChanged() {
  lblStatus->setText(Local(m_logic.StatusText()));
  btnTick->setEnabled(m_logic.ColumnCount() > 0 && m_logic.RowCount() > 0);
}
