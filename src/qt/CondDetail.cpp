#include "src/qt/CondDetail.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "src/qt/FormUtil.h"

TfmCondDetail::TfmCondDetail(QWidget* owner, CondDetailLogic* pLogic)
    : QDialog(owner, kFixedDialogFlags),
      m_pOwnLogic(pLogic ? nullptr : std::make_unique<CondDetailLogic>()),
      m_pLogic(pLogic ? pLogic : m_pOwnLogic.get()) {
  setObjectName(QStringLiteral("fmCondDetail"));
  setWindowTitle(Local(conddetail::kCaption));

  Label1 = Named(new QLabel(Local(conddetail::kTitleLabel), this), "Label1");
  edtName = Named(new QLineEdit(this), "edtName");
  edtName->setFixedWidth(conddetail::kNameWidth);
  Label1->setBuddy(edtName);

  // The caption keeps the spaces around it: the title reads the same to a screen reader and
  // the spaces only widen the gap in the frame line.
  suiGroupBox1 = Named(new QGroupBox(Local(conddetail::kGroup), this), "suiGroupBox1");
  // One group: the radio buttons share the group box as parent and are auto-exclusive, so
  // checking one unchecks the others. None is checked until the logic has a record.
  rbtnSync = Named(new QRadioButton(Local(conddetail::kSync), suiGroupBox1), "rbtnSync");
  rbtnPC2HH = Named(new QRadioButton(Local(conddetail::kPC2HH), suiGroupBox1), "rbtnPC2HH");
  rbtnHH2PC = Named(new QRadioButton(Local(conddetail::kHH2PC), suiGroupBox1), "rbtnHH2PC");
  rbtnNothing = Named(new QRadioButton(Local(conddetail::kNothing), suiGroupBox1), "rbtnNothing");

  btnOK = Named(new QPushButton(Local(conddetail::kOK), this), "btnOK");
  btnCancel = Named(new QPushButton(Local(conddetail::kCancel), this), "btnCancel");
  for (QPushButton* p : {btnOK, btnCancel}) p->setFixedSize(80, kButtonHeight);
  btnOK->setDefault(true);

  QHBoxLayout* pTitleRow = new QHBoxLayout;
  pTitleRow->addWidget(Label1);
  pTitleRow->addStretch(1);
  pTitleRow->addWidget(edtName);

  QVBoxLayout* pGroup = new QVBoxLayout(suiGroupBox1);
  pGroup->setContentsMargins(24, 12, 12, 12);
  pGroup->setSpacing(10);
  // Each as wide as its caption, so that a click beside the caption does not choose it.
  for (QRadioButton* p : {rbtnSync, rbtnPC2HH, rbtnHH2PC, rbtnNothing}) pGroup->addWidget(p, 0, Qt::AlignLeft);

  QHBoxLayout* pButtons = new QHBoxLayout;
  pButtons->addStretch(1);
  pButtons->addWidget(btnOK);
  pButtons->addSpacing(16);
  pButtons->addWidget(btnCancel);
  pButtons->addStretch(1);

  QVBoxLayout* pMain = new QVBoxLayout(this);
  pMain->setContentsMargins(20, 20, 20, 16);
  pMain->setSpacing(14);
  pMain->addLayout(pTitleRow);
  pMain->addWidget(suiGroupBox1, 1);
  pMain->addLayout(pButtons);

  const std::pair<QRadioButton*, CondChoice> radios[] = {{rbtnSync, CondChoice::Sync},
                                                         {rbtnPC2HH, CondChoice::PC2HH},
                                                         {rbtnHH2PC, CondChoice::HH2PC},
                                                         {rbtnNothing, CondChoice::Nothing}};
  for (const auto& [pRadio, choice] : radios) {
    connect(pRadio, &QRadioButton::toggled, this, [this, choice = choice](bool bChecked) {
      if (bChecked) m_pLogic->SetChoice(choice);
    });
  }
  connect(btnOK, &QPushButton::clicked, this, &TfmCondDetail::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  FixAndCentre(this, conddetail::kClientWidth, conddetail::kClientHeight, owner);
  Draw();
}

TfmCondDetail::~TfmCondDetail() = default;

void TfmCondDetail::Draw() {
  edtName->setText(Local(m_pLogic->Title()));
  switch (m_pLogic->Choice()) {
    case CondChoice::Sync: rbtnSync->setChecked(true); break;
    case CondChoice::PC2HH: rbtnPC2HH->setChecked(true); break;
    case CondChoice::HH2PC: rbtnHH2PC->setChecked(true); break;
    case CondChoice::Nothing: rbtnNothing->setChecked(true); break;
    case CondChoice::None: break;
  }
}

void TfmCondDetail::SetData(CONDUIT_REC* pData) {
  m_pLogic->SetData(pData);
  Draw();
}

bool TfmCondDetail::TransferData(bool bSave) {
  const bool bDone = m_pLogic->TransferData(bSave);
  if (!bSave) Draw();
  return bDone;
}

void TfmCondDetail::btnOKClick() {
  if (m_pLogic->btnOKClick()) accept();
}
