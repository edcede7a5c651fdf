#include "src/qt/Userinfo.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "src/logic/SyncActions.h"  // the button's caption
#include "src/qt/FormUtil.h"

TfmUserInfo::TfmUserInfo(QWidget* owner, UserInfoLogic* pLogic)
    : QDialog(owner, kFixedDialogFlags),
      m_pOwnLogic(pLogic ? nullptr : std::make_unique<UserInfoLogic>()),
      m_pLogic(pLogic ? pLogic : m_pOwnLogic.get()) {
  setObjectName(QStringLiteral("fmUserInfo"));
  setWindowTitle(Local(userinfo::kCaption));

  Label1 = Named(new QLabel(Local(userinfo::kNameLabel), this), "Label1");
  pnlUserName = Named(new QLabel(this), "pnlUserName");
  pnlUserName->setFrameShape(QFrame::Panel);
  pnlUserName->setFrameShadow(QFrame::Sunken);
  pnlUserName->setFixedSize(164, 20);
  pnlUserName->setTextInteractionFlags(Qt::NoTextInteraction);
  cbProfile = Named(new QCheckBox(Local(userinfo::kProfile), this), "cbProfile");
  cbProfile->setEnabled(false);

  GroupBox1 = Named(new QGroupBox(Local(userinfo::kDirGroup), this), "GroupBox1");
  Label3 = Named(new QLabel(Local(userinfo::kRootLabel), GroupBox1), "Label3");
  edtRootDir = Named(new QLineEdit(GroupBox1), "edtRootDir");
  edtRootDir->setEnabled(false);
  Label3->setBuddy(edtRootDir);
  Label2 = Named(new QLabel(Local(userinfo::kDataLabel), GroupBox1), "Label2");
  edtDataDir = Named(new QLineEdit(GroupBox1), "edtDataDir");
  edtDataDir->setEnabled(false);
  Label2->setBuddy(edtDataDir);

  GroupBox2 = Named(new QGroupBox(Local(userinfo::kExpGroup), this), "GroupBox2");
  lvExp = MakeReportList(GroupBox2, "lvExp", userinfo::kColumns, userinfo::kColumnWidths, false);

  btnActions = Named(new QPushButton(Local(syncactions::kOpenButton), this), "btnActions");
  btnActions->setFixedHeight(kButtonHeight);
  connect(btnActions, &QPushButton::clicked, this, &TfmUserInfo::btnActionsClick);
  btnClose = Named(new QPushButton(Local(userinfo::kClose), this), "btnClose");
  btnClose->setFixedSize(80, kButtonHeight);
  btnClose->setDefault(true);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

  QHBoxLayout* pNameRow = new QHBoxLayout;
  pNameRow->addWidget(Label1);
  pNameRow->addSpacing(8);
  pNameRow->addWidget(pnlUserName);
  pNameRow->addSpacing(24);
  pNameRow->addWidget(cbProfile);
  pNameRow->addStretch(1);

  QGridLayout* pDirs = new QGridLayout(GroupBox1);
  pDirs->setContentsMargins(12, 10, 12, 12);
  pDirs->setHorizontalSpacing(10);
  pDirs->setVerticalSpacing(8);
  pDirs->addWidget(Label3, 0, 0);
  pDirs->addWidget(edtRootDir, 0, 1);
  pDirs->addWidget(Label2, 1, 0);
  pDirs->addWidget(edtDataDir, 1, 1);

  QVBoxLayout* pExp = new QVBoxLayout(GroupBox2);
  pExp->setContentsMargins(12, 10, 12, 12);
  pExp->addWidget(lvExp);

  QHBoxLayout* pButtons = new QHBoxLayout;
  pButtons->addWidget(btnActions);
  pButtons->addStretch(1);
  pButtons->addWidget(btnClose);

  QVBoxLayout* pMain = new QVBoxLayout(this);
  pMain->setContentsMargins(16, 16, 16, 12);
  pMain->setSpacing(10);
  pMain->addLayout(pNameRow);
  pMain->addWidget(GroupBox1);
  pMain->addWidget(GroupBox2, 1);
  pMain->addLayout(pButtons);

  FixAndCentre(this, userinfo::kClientWidth, userinfo::kClientHeight, owner);
  Draw();
}

TfmUserInfo::~TfmUserInfo() = default;

void TfmUserInfo::LoadUserInfo(std::uint32_t userId) {
  m_pLogic->LoadUserInfo(userId);
  Draw();
}

void TfmUserInfo::btnActionsClick() { m_pLogic->btnActionsClick(); }

void TfmUserInfo::Draw() {
  btnActions->setEnabled(m_pLogic->IsActionsEnabled());
  cbProfile->setChecked(m_pLogic->IsProfile());
  pnlUserName->setText(Local(m_pLogic->UserName()));
  edtDataDir->setText(Local(m_pLogic->DataDirectory()));
  edtRootDir->setText(Local(m_pLogic->RootDirectory()));
  lvExp->clear();
  for (const SlotRow& slot : m_pLogic->Slots()) {
    QTreeWidgetItem* pItem = new QTreeWidgetItem(lvExp);
    pItem->setText(0, Local(slot.no));
    pItem->setText(1, Local(slot.id));
    pItem->setText(2, Local(slot.type));
    pItem->setText(3, Local(slot.name));
  }
}
