#include "src/qt/ProfDetail.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "src/qt/FormUtil.h"
#include "src/qt/MessageBox.h"

namespace {

constexpr int kLabelGap = 6;

// A label as wide as its text, at x, y; moved left when a wide font would bring it closer than
// kLabelGap to the edit boxes.
QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int x, int y) {
  QLabel* p = Named(new QLabel(Local(text), parent), name);
  p->adjustSize();
  p->move(qMax(0, qMin(x, profdetail::kEditX - kLabelGap - p->width())), y);
  return p;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int y) {
  QLineEdit* p = Named(new QLineEdit(parent), name);
  p->setGeometry(profdetail::kEditX, y, profdetail::kEditWidth, p->sizeHint().height());
  return p;
}

}  // namespace

TfmProfDetail::TfmProfDetail(QWidget* owner, ProfDetailLogic* pLogic)
    : QDialog(owner, kFixedDialogFlags),
      m_pOwnLogic(pLogic ? nullptr : std::make_unique<ProfDetailLogic>()),
      m_pLogic(pLogic ? pLogic : m_pOwnLogic.get()) {
  using namespace profdetail;
  setObjectName(QStringLiteral("fmProfDetail"));
  setWindowTitle(Local(kCaption));

  edtDesc = MakeEdit(this, "edtDesc", kDescY);
  edtFile = MakeEdit(this, "edtFile", kFileY);
  edtFile->setReadOnly(true);
  Label1 = MakeLabel(this, "Label1", kDescLabel, kDescLabelX, kDescLabelY);
  Label2 = MakeLabel(this, "Label2", kFileLabel, kFileLabelX, kFileLabelY);
  Label1->setBuddy(edtDesc);
  Label2->setBuddy(edtFile);
  // The labels sit on the edit boxes' text line.
  Label1->move(Label1->x(), edtDesc->y() + (edtDesc->height() - Label1->height()) / 2);
  Label2->move(Label2->x(), edtFile->y() + (edtFile->height() - Label2->height()) / 2);

  btnOK = MakeButton(this, "btnOK", kOK, kOKX, kOKY);
  btnOK->setDefault(true);
  btnCancel = MakeButton(this, "btnCancel", kCancel, kCancelX, kCancelY);

  setTabOrder(edtDesc, edtFile);
  setTabOrder(edtFile, btnOK);
  setTabOrder(btnOK, btnCancel);
  edtDesc->setFocus();

  connect(btnOK, &QPushButton::clicked, this, &TfmProfDetail::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  FixAndCentre(this, kClientWidth, kClientHeight, owner);
  m_pLogic->SetView(this);
  edtFile->setText(Local(m_pLogic->GetFileName()));
}

TfmProfDetail::~TfmProfDetail() { m_pLogic->SetView(nullptr); }

void TfmProfDetail::SetFileName(const char* szFileName) {
  m_pLogic->SetFileName(szFileName);
  edtFile->setText(Local(m_pLogic->GetFileName()));
}

void TfmProfDetail::btnOKClick() {
  if (m_pLogic->btnOKClick(ToLocal(edtDesc->text()))) accept();
}

ov::MessageAnswer TfmProfDetail::ShowMessage(const ov::MessageRequest& request) { return ShowRequest(this, request); }
