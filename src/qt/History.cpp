#include "src/qt/History.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "src/qt/FormUtil.h"
#include "src/qt/MessageBox.h"

namespace {

// The history keeps its texts in UTF-8.
QString Utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

}  // namespace

TfmHistory::TfmHistory(QWidget* owner, HistoryLogic& logic) : QDialog(owner, kFixedDialogFlags), m_logic(logic) {
  setObjectName(QStringLiteral("fmHistory"));
  setWindowTitle(Local(historydlg::kCaption));

  lblEntries = Named(new QLabel(Local(historydlg::kEntriesLabel), this), "lblEntries");
  lvEntries = MakeReportList(this, "lvEntries", historydlg::kEntryColumns, historydlg::kEntryColumnWidths, false);
  lblEntries->setBuddy(lvEntries);
  lblChanges = Named(new QLabel(Local(historydlg::kChangesLabel), this), "lblChanges");
  lvChanges = MakeReportList(this, "lvChanges", historydlg::kChangeColumns, historydlg::kChangeColumnWidths, false);
  lblChanges->setBuddy(lvChanges);
  lblNotice = Named(new QLabel(this), "lblNotice");
  lblNotice->setWordWrap(true);
  lblUndo = Named(new QLabel(this), "lblUndo");
  lblUndo->setWordWrap(true);

  btnUndo = Named(new QPushButton(Local(historydlg::kUndo), this), "btnUndo");
  btnClose = Named(new QPushButton(Local(historydlg::kClose), this), "btnClose");
  btnUndo->setFixedSize(80, kButtonHeight);
  btnClose->setFixedSize(80, kButtonHeight);
  btnClose->setDefault(true);
  connect(btnUndo, &QPushButton::clicked, this, [this] { m_logic.btnUndoClick(); });
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
  connect(lvEntries, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* pItem) {
    if (!m_bFilling) m_logic.SelectEntry(pItem ? lvEntries->indexOfTopLevelItem(pItem) : -1);
  });

  QHBoxLayout* pButtons = new QHBoxLayout;
  pButtons->addWidget(lblUndo, 1);
  pButtons->addWidget(btnUndo);
  pButtons->addWidget(btnClose);

  QVBoxLayout* pMain = new QVBoxLayout(this);
  pMain->setContentsMargins(16, 16, 16, 12);
  pMain->setSpacing(8);
  pMain->addWidget(lblEntries);
  pMain->addWidget(lvEntries, 2);
  pMain->addWidget(lblChanges);
  pMain->addWidget(lvChanges, 3);
  pMain->addWidget(lblNotice);
  pMain->addLayout(pButtons);

  FixAndCentre(this, historydlg::kClientWidth, historydlg::kClientHeight, owner);
  m_logic.SetView(this);
  HistoryChanged();
}

TfmHistory::~TfmHistory() { m_logic.SetView(nullptr); }

ov::MessageAnswer TfmHistory::ShowMessage(const ov::MessageRequest& request) { return ShowRequest(this, request); }

void TfmHistory::HistoryChanged() {
  m_bFilling = true;
  // The list of changes is rebuilt only when it changed (a selection keeps it).
  if (lvEntries->topLevelItemCount() != static_cast<int>(m_logic.Entries().size()) ||
      (lvEntries->topLevelItemCount() > 0 &&
       lvEntries->topLevelItem(0)->text(3) != Utf8(m_logic.Entries().front().change))) {
    lvEntries->clear();
    QList<QTreeWidgetItem*> items;
    for (const HistoryEntryRow& row : m_logic.Entries()) {
      items.append(new QTreeWidgetItem({Utf8(row.number), Utf8(row.time), Utf8(row.who), Utf8(row.change), Utf8(row.users)}));
    }
    lvEntries->addTopLevelItems(items);
  }
  const int nSelected = m_logic.SelectedEntry();
  if (nSelected >= 0 && lvEntries->currentItem() != lvEntries->topLevelItem(nSelected)) {
    lvEntries->setCurrentItem(lvEntries->topLevelItem(nSelected));
  }
  lvChanges->clear();
  QList<QTreeWidgetItem*> changes;
  for (const HistoryChangeRow& row : m_logic.Changes()) {
    changes.append(new QTreeWidgetItem({Utf8(row.user), Utf8(row.conduit), Utf8(row.before), Utf8(row.after)}));
  }
  lvChanges->addTopLevelItems(changes);
  lblNotice->setText(Utf8(m_logic.Notice()));
  lblNotice->setVisible(!m_logic.Notice().empty());
  lblUndo->setText(Utf8(m_logic.UndoText()));
  btnUndo->setEnabled(m_logic.CanUndo());
  m_bFilling = false;
}
