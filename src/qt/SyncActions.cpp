#include "src/qt/SyncActions.h"

#include <iterator>

#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "src/qt/FormUtil.h"
#include "src/qt/MessageBox.h"

TfmSyncActions::TfmSyncActions(QWidget* owner, SyncActionsLogic& logic)
    : QDialog(owner, kFixedDialogFlags), m_logic(logic) {
  setObjectName(QStringLiteral("fmSyncActions"));
  setWindowTitle(Local(m_logic.Caption()));

  lblUser = Named(new QLabel(Local(syncactions::kUserLabel), this), "lblUser");
  pnlUserName = Named(new QLabel(Local(m_logic.UserName()), this), "pnlUserName");
  pnlUserName->setFrameShape(QFrame::Panel);
  pnlUserName->setFrameShadow(QFrame::Sunken);
  pnlUserName->setMinimumWidth(164);
  pnlUserName->setFixedHeight(20);

  lvActions = MakeReportList(this, "lvActions", syncactions::kColumns, syncactions::kColumnWidths, true);
  lblUser->setBuddy(lvActions);

  lblSummary = Named(new QLabel(this), "lblSummary");
  lblSummary->setWordWrap(true);

  btnCopy = Named(new QPushButton(Local(syncactions::kCopy), this), "btnCopy");
  btnEndOneTime = Named(new QPushButton(Local(syncactions::kEndOneTime), this), "btnEndOneTime");
  btnClose = Named(new QPushButton(Local(syncactions::kClose), this), "btnClose");
  for (QPushButton* p : {btnCopy, btnEndOneTime}) p->setFixedHeight(kButtonHeight);
  btnClose->setFixedSize(80, kButtonHeight);
  btnClose->setDefault(true);
  connect(btnCopy, &QPushButton::clicked, this, [this] { m_logic.btnCopyClick(); });
  connect(btnEndOneTime, &QPushButton::clicked, this, [this] { m_logic.btnEndOneTimeClick(); });
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

  QHBoxLayout* pNameRow = new QHBoxLayout;
  pNameRow->addWidget(lblUser);
  pNameRow->addSpacing(8);
  pNameRow->addWidget(pnlUserName);
  pNameRow->addStretch(1);

  QHBoxLayout* pButtons = new QHBoxLayout;
  pButtons->addWidget(btnCopy);
  pButtons->addWidget(btnEndOneTime);
  pButtons->addStretch(1);
  pButtons->addWidget(btnClose);

  QVBoxLayout* pMain = new QVBoxLayout(this);
  pMain->setContentsMargins(16, 16, 16, 12);
  pMain->setSpacing(10);
  pMain->addLayout(pNameRow);
  pMain->addWidget(lvActions, 1);
  pMain->addWidget(lblSummary);
  pMain->addLayout(pButtons);

  FixAndCentre(this, syncactions::kClientWidth, syncactions::kClientHeight, owner);
  m_logic.SetView(this);
  RowsChanged();
}

TfmSyncActions::~TfmSyncActions() { m_logic.SetView(nullptr); }

ov::MessageAnswer TfmSyncActions::ShowMessage(const ov::MessageRequest& request) { return ShowRequest(this, request); }

void TfmSyncActions::RowsChanged() {
  lvActions->clear();
  QList<QTreeWidgetItem*> items;
  for (const SyncActionRow& row : m_logic.Rows()) {
    QTreeWidgetItem* pItem = new QTreeWidgetItem({Local(row.conduit), Local(row.defaultText), Local(row.nextText)});
    // A one-time action decides the next HotSync: it stands out.
    if (row.action.next.bOneTime) {
      QFont font = pItem->font(2);
      font.setBold(true);
      pItem->setFont(2, font);
    }
    items.append(pItem);
  }
  lvActions->addTopLevelItems(items);
  lblSummary->setText(Local(m_logic.Summary()));
  btnCopy->setEnabled(m_logic.CanCopy());
  btnEndOneTime->setEnabled(m_logic.CanEndOneTime());
}
