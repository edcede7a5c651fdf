#include "src/ProfDetail.h"

#include <cstring>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/misc/Assert.h"
#include "src/FormUtil.h"
#include "src/MessageBox.h"

#define OV_SOURCE_NAME "src\\ProfDetail"

namespace {

constexpr int kClientWidth = 433;
constexpr int kClientHeight = 187;
constexpr int kEditX = 89;
constexpr int kEditWidth = 307;
constexpr int kLabelGap = 6;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 27;

// A label as wide as its text, at x, y; moved left when a wide font would bring it closer than
// kLabelGap to the edit boxes.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
  QLabel* p = Named(new QLabel(text, parent), name);
  p->adjustSize();
  p->move(qMax(0, qMin(x, kEditX - kLabelGap - p->width())), y);
  return p;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int y) {
  QLineEdit* p = Named(new QLineEdit(parent), name);
  p->setGeometry(kEditX, y, kEditWidth, p->sizeHint().height());
  return p;
}

}  // namespace

QByteArray LocalTextPrefix(const QString& text, std::size_t nMaxBytes) {
  // Every character takes at least one byte, so no more than nMaxBytes characters can fit.
  qsizetype n = text.size();
  if (static_cast<std::size_t>(n) > nMaxBytes) {
    n = static_cast<qsizetype>(nMaxBytes);
    if (n > 0 && text.at(n - 1).isHighSurrogate()) --n;
  }
  for (;;) {
    QByteArray bytes = text.left(n).toLocal8Bit();
    if (static_cast<std::size_t>(bytes.size()) <= nMaxBytes) return bytes;
    // Drop the last code point, both halves of a surrogate pair together.
    --n;
    if (n > 0 && text.at(n).isLowSurrogate() && text.at(n - 1).isHighSurrogate()) --n;
  }
}

TfmProfDetail::TfmProfDetail(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      m_szDescription{},
      m_szFileName{} {
  setObjectName(QStringLiteral("fmProfDetail"));
  setWindowTitle(QStringLiteral("Profile Details"));

  edtDesc = MakeEdit(this, "edtDesc", 60);
  edtFile = MakeEdit(this, "edtFile", 102);
  edtFile->setReadOnly(true);
  Label1 = MakeLabel(this, "Label1", QStringLiteral("Description:"), 18, 62);
  Label2 = MakeLabel(this, "Label2", QStringLiteral("File Name:"), 21, 105);
  Label1->setBuddy(edtDesc);
  Label2->setBuddy(edtFile);
  // The labels sit on the edit boxes' text line.
  Label1->move(Label1->x(), edtDesc->y() + (edtDesc->height() - Label1->height()) / 2);
  Label2->move(Label2->x(), edtFile->y() + (edtFile->height() - Label2->height()) / 2);

  btnOK = Named(new QPushButton(QStringLiteral("&OK"), this), "btnOK");
  btnOK->setGeometry(217, 141, kButtonWidth, kButtonHeight);
  btnOK->setDefault(true);
  btnCancel = Named(new QPushButton(QStringLiteral("&Cancel"), this), "btnCancel");
  btnCancel->setGeometry(320, 142, kButtonWidth, kButtonHeight);

  setTabOrder(edtDesc, edtFile);
  setTabOrder(edtFile, btnOK);
  setTabOrder(btnOK, btnCancel);
  edtDesc->setFocus();

  connect(btnOK, &QPushButton::clicked, this, &TfmProfDetail::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  FixAndCentre(this, kClientWidth, kClientHeight, owner);
}

void TfmProfDetail::SetFileName(const char* szFileName) {
  if (!szFileName || !szFileName[0]) {
    OV_ASSERT(0);
    return;
  }
  std::size_t n = 0;
  while (n < PROFDETAIL_PATH_MAX && szFileName[n] != '\0') ++n;
  std::memcpy(m_szFileName, szFileName, n);
  m_szFileName[n] = '\0';
  edtFile->setText(QString::fromLocal8Bit(m_szFileName));
}

void TfmProfDetail::btnOKClick() {
  const QString text = edtDesc->text();
  // Blanks are a description; only no character at all is refused.
  if (text.isEmpty()) {
    ShowMessageBox(this, QStringLiteral("Invalid Orvane Profile Description."),
                   QStringLiteral("Orvane Error"), ov::MessageIcon::Error);
    return;
  }
  const QByteArray bytes = LocalTextPrefix(text, PROFDETAIL_DESC_MAX);
  std::memcpy(m_szDescription, bytes.constData(), static_cast<std::size_t>(bytes.size()));
  m_szDescription[bytes.size()] = '\0';
  accept();
}
