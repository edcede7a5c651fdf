#include "src/Userinfo.h"

#include <vector>

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

#include "src/OVUtil.h"
#include "src/FormUtil.h"

namespace {

constexpr int kClientWidth = 465;
constexpr int kClientHeight = 362;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 27;

// Every text the user data library gives: 256 bytes, terminator included.
constexpr int kTextLen = 256;
constexpr std::uint32_t kMediaWild = 0x77696C64;  // 'wild': no particular media

struct MediaType {
  std::uint32_t dwCode;
  const char* szName;
};
constexpr MediaType kMediaTypes[] = {
    {0x63667368, "Compact Flash"},          // 'cfsh'
    {0x6D73746B, "Memory Stick"},           // 'mstk'
    {0x6D6D6364, "Multimedia Card"},        // 'mmcd'
    {0x706E7073, "Plug & Play Connector"},  // 'pnps'
    {0x706F7365, "Palm OS Emulator"},       // 'pose'
    {0x72616D64, "RAM Disk"},               // 'ramd'
    {0x73646967, "Secure Digital"},         // 'sdig'
    {0x736D6564, "SmartMedia"},             // 'smed'
};
constexpr const char* kMediaUnknown = "Not Specified";

// A text buffer as the library left it, read only up to its last byte: a library that writes
// no terminator must not make us read past the buffer.
QString BufferText(char (&buf)[kTextLen]) {
  buf[kTextLen - 1] = '\0';
  return QString::fromLocal8Bit(buf);
}

}  // namespace

const char* MediaTypeName(std::uint32_t dwMediaType) {
  for (const MediaType& m : kMediaTypes) {
    if (m.dwCode == dwMediaType) return m.szName;
  }
  return kMediaUnknown;
}

TfmUserInfo::TfmUserInfo(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      m_dwUserId(0) {
  setObjectName(QStringLiteral("fmUserInfo"));
  setWindowTitle(QStringLiteral("User Information"));

  Label1 = Named(new QLabel(QStringLiteral("User Name:"), this), "Label1");
  pnlUserName = Named(new QLabel(this), "pnlUserName");
  pnlUserName->setFrameShape(QFrame::Panel);
  pnlUserName->setFrameShadow(QFrame::Sunken);
  pnlUserName->setFixedSize(164, 20);
  pnlUserName->setTextInteractionFlags(Qt::NoTextInteraction);
  cbProfile = Named(new QCheckBox(QStringLiteral("Is User Profile"), this), "cbProfile");
  cbProfile->setEnabled(false);

  GroupBox1 = Named(new QGroupBox(QStringLiteral(" Directory Information "), this), "GroupBox1");
  Label3 = Named(new QLabel(QStringLiteral("Root Directory:"), GroupBox1), "Label3");
  edtRootDir = Named(new QLineEdit(GroupBox1), "edtRootDir");
  edtRootDir->setEnabled(false);
  Label3->setBuddy(edtRootDir);
  Label2 = Named(new QLabel(QStringLiteral("Data Directory:"), GroupBox1), "Label2");
  edtDataDir = Named(new QLineEdit(GroupBox1), "edtDataDir");
  edtDataDir->setEnabled(false);
  Label2->setBuddy(edtDataDir);

  GroupBox2 = Named(new QGroupBox(QStringLiteral(" Expansion Information "), this), "GroupBox2");
  lvExp = Named(new QTreeWidget(GroupBox2), "lvExp");
  lvExp->setRootIsDecorated(false);
  lvExp->setItemsExpandable(false);
  lvExp->setUniformRowHeights(true);
  lvExp->setAllColumnsShowFocus(true);
  lvExp->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvExp->setSelectionMode(QAbstractItemView::SingleSelection);
  lvExp->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvExp->setHeaderLabels({QStringLiteral("No."), QStringLiteral("ID"), QStringLiteral("Type"),
                          QStringLiteral("Name")});
  lvExp->header()->setSectionsMovable(false);
  lvExp->header()->setStretchLastSection(false);
  const int anWidths[] = {40, 40, 150, 120};
  for (int i = 0; i < 4; ++i) lvExp->setColumnWidth(i, anWidths[i]);

  btnClose = Named(new QPushButton(QStringLiteral("&Close"), this), "btnClose");
  btnClose->setFixedSize(kButtonWidth, kButtonHeight);
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
  pButtons->addStretch(1);
  pButtons->addWidget(btnClose);
  pButtons->addStretch(1);

  QVBoxLayout* pMain = new QVBoxLayout(this);
  pMain->setContentsMargins(16, 16, 16, 12);
  pMain->setSpacing(10);
  pMain->addLayout(pNameRow);
  pMain->addWidget(GroupBox1);
  pMain->addWidget(GroupBox2, 1);
  pMain->addLayout(pButtons);

  FixAndCentre(this, kClientWidth, kClientHeight, owner);
}

void TfmUserInfo::LoadUserInfo(std::uint32_t userId) {
  m_dwUserId = userId;

  // Only a positive answer means a profile: the library's errors, and the binding's answer for
  // a missing entry point, are negative.
  if (palm::UmIsUserProfile(userId) > 0) cbProfile->setChecked(true);

  {
    char buf[kTextLen] = {};
    std::int16_t nSize = kTextLen;
    palm::UmGetUserName(userId, buf, &nSize);
    pnlUserName->setText(BufferText(buf));
  }
  {
    char buf[kTextLen] = {};
    std::int16_t nSize = kTextLen;
    palm::UmGetUserDirectory(userId, buf, &nSize);
    edtDataDir->setText(BufferText(buf));
  }
  {
    char buf[kTextLen] = {};
    std::int16_t nSize = kTextLen;
    palm::UmGetRootDirectory(buf, &nSize);
    edtRootDir->setText(BufferText(buf));
  }

  std::uint16_t nCount = 0;
  palm::UmSlotGetSlotCount(userId, &nCount);
  if (nCount == 0) return;

  // The array holds what the library said there are; the count it gives back is the number
  // filled and is never trusted beyond the array.
  std::vector<std::uint32_t> refs(nCount, 0);
  std::uint16_t nFilled = nCount;
  palm::UmSlotGetInfo(userId, refs.data(), &nFilled);
  if (nFilled > nCount) nFilled = nCount;

  for (std::uint16_t i = 0; i < nFilled; ++i) {
    const std::uint32_t ref = refs[i];

    std::uint32_t dwMediaType = kMediaWild;
    palm::UmSlotGetMediaType(userId, ref, &dwMediaType);

    char buf[kTextLen] = {};
    std::int32_t nSize = kTextLen;
    palm::UmSlotGetDisplayName(userId, ref, buf, &nSize);

    QTreeWidgetItem* pItem = new QTreeWidgetItem(lvExp);
    pItem->setText(0, QString::asprintf("%d", i + 1));
    pItem->setText(1, QString::asprintf("%d", static_cast<int>(static_cast<std::int32_t>(ref))));
    pItem->setText(2, QString::fromLatin1(MediaTypeName(dwMediaType)));
    pItem->setText(3, BufferText(buf));
  }
}
