#include "src/CondDetail.h"

#include <QByteArray>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/misc/Assert.h"
#include "src/FormUtil.h"
#include "common/palm/CondMgr.h"
#include "src/Main.h"

#define OV_SOURCE_NAME "src\\CondDetail"

namespace {

constexpr int kClientWidth = 368;
constexpr int kClientHeight = 288;
constexpr int kNameWidth = 247;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 27;

}  // namespace

TfmCondDetail::TfmCondDetail(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      m_pData(nullptr) {
  setObjectName(QStringLiteral("fmCondDetail"));
  setWindowTitle(QStringLiteral("Orvane Conduit Detail Information"));

  Label1 = Named(new QLabel(QStringLiteral("Conduit Title:"), this), "Label1");
  edtName = Named(new QLineEdit(this), "edtName");
  edtName->setFixedWidth(kNameWidth);
  Label1->setBuddy(edtName);

  // The caption keeps the spaces around it: the title reads the same to a screen reader and
  // the spaces only widen the gap in the frame line.
  suiGroupBox1 = Named(new QGroupBox(QStringLiteral(" Synchronization Settings "), this), "suiGroupBox1");
  // One group: the radio buttons share the group box as parent and are auto-exclusive, so
  // checking one unchecks the others. None is checked until SetData.
  rbtnSync = Named(new QRadioButton(QStringLiteral("Synchronizes the Files"), suiGroupBox1), "rbtnSync");
  rbtnPC2HH = Named(new QRadioButton(QStringLiteral("Desktop Overwrites Handheld"), suiGroupBox1), "rbtnPC2HH");
  rbtnHH2PC = Named(new QRadioButton(QStringLiteral("Handheld Overwrites Desktop"), suiGroupBox1), "rbtnHH2PC");
  rbtnNothing = Named(new QRadioButton(QStringLiteral("Do Nothing"), suiGroupBox1), "rbtnNothing");

  btnOK = Named(new QPushButton(QStringLiteral("&OK"), this), "btnOK");
  btnCancel = Named(new QPushButton(QStringLiteral("&Cancel"), this), "btnCancel");
  for (QPushButton* p : {btnOK, btnCancel}) p->setFixedSize(kButtonWidth, kButtonHeight);
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

  connect(btnOK, &QPushButton::clicked, this, &TfmCondDetail::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  FixAndCentre(this, kClientWidth, kClientHeight, owner);

  FormCreate();
}

void TfmCondDetail::FormCreate() { m_pData = nullptr; }

void TfmCondDetail::SetData(CONDUIT_REC* pData) {
  OV_ASSERT(pData!=NULL);
  m_pData = pData;
  TransferData(false);
}

bool TfmCondDetail::TransferData(bool bSave) {
  if (!m_pData) return false;
  const std::uint32_t dwAction = m_pData->dwAction;
  if (!bSave) {
    edtName->setText(QString::fromLocal8Bit(m_pData->szTitle, static_cast<int>(qstrnlen(m_pData->szTitle, COND_TITLE_LEN))));
    // The tests run in this order: switched off or "do nothing", then 2, then 4; every other
    // action is shown as synchronize, as everywhere else in the tool.
    if (dwAction > ACTION_CODE_MASK || dwAction == ACTION_NOTHING) {
      rbtnNothing->setChecked(true);
    } else if (dwAction == ACTION_PC2HH) {
      rbtnPC2HH->setChecked(true);
    } else if (dwAction == ACTION_HH2PC) {
      rbtnHH2PC->setChecked(true);
    } else {
      rbtnSync->setChecked(true);
    }
    return true;
  }
  if (rbtnSync->isChecked()) {
    m_pData->dwAction = ACTION_SYNC;
  } else if (rbtnPC2HH->isChecked()) {
    m_pData->dwAction = ACTION_PC2HH;
  } else if (rbtnHH2PC->isChecked()) {
    m_pData->dwAction = ACTION_HH2PC;
  } else {
    // Switched off: the low 16 bits keep the earlier action for when it is switched on again.
    m_pData->dwAction = dwAction | ACTION_DISABLED;
  }
  return true;
}

void TfmCondDetail::btnOKClick() {
  if (TransferData(true)) accept();
}
