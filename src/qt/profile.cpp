#include "src/profile.h"

#include <climits>
#include <cstdint>
#include <cstdio>

#include <QHeaderView>
#include <QPalette>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QTreeWidget>

#include "common/misc/Assert.h"
#include "common/misc/WinUtil.h"
#include "common/os/os.h"
#include "src/Main.h"
#include "src/MessageBox.h"
#include "src/OVProfile.h"
#include "src/ProfDetail.h"
#include "src/FormUtil.h"

#define OV_SOURCE_NAME "src\\profile"

namespace {

constexpr int kClientWidth = 553;
constexpr int kClientHeight = 310;
constexpr int kButtonHeight = 27;
// The role of a row's first cell that holds its profile (owned by the catalogue).
constexpr int kProfileRole = Qt::UserRole + 1;
// How many numbers past the first candidate a new profile's file name may look at.
constexpr long long kMaxNameTries = 10000;

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int x, int y, int width) {
  QPushButton* p = new QPushButton(caption, parent);
  p->setObjectName(QString::fromLatin1(name));
  p->setGeometry(x, y, width, kButtonHeight);
  return p;
}

QString Local(const char* sz) { return QString::fromLocal8Bit(sz); }

bool SameNameIgnoringCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char ca = static_cast<unsigned char>(*a), cb = static_cast<unsigned char>(*b);
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca - 'A' + 'a');
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb - 'A' + 'a');
    if (ca != cb) return false;
    if (ca == '\0') return true;
  }
}

void ShowError(QWidget* owner, const QString& text) {
  ShowMessageBox(owner, text, QStringLiteral("Orvane Error"), ov::MessageIcon::Error);
}

}  // namespace

TfmProfile::TfmProfile(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      m_pMgr(nullptr),
      m_bUnreadable(false),
      m_bTellOnShow(false) {
  setObjectName(QStringLiteral("fmProfile"));
  setWindowTitle(QStringLiteral("Orvane Profiles"));

  lvProf = new QTreeWidget(this);
  lvProf->setObjectName(QStringLiteral("lvProf"));
  lvProf->setGeometry(24, 57, 503, 193);
  lvProf->setColumnCount(2);
  lvProf->setHeaderLabels({QStringLiteral("Profile Description"), QStringLiteral("File Name")});
  lvProf->setColumnWidth(0, 240);
  lvProf->setColumnWidth(1, 240);
  lvProf->setRootIsDecorated(false);
  lvProf->setItemsExpandable(false);
  lvProf->setUniformRowHeights(true);
  lvProf->setAllColumnsShowFocus(true);
  lvProf->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvProf->setSelectionMode(QAbstractItemView::SingleSelection);
  lvProf->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvProf->header()->setSectionsMovable(false);
  // The selected row stays plain to see when the list loses the focus to a button.
  QPalette palette = lvProf->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Active, QPalette::HighlightedText));
  lvProf->setPalette(palette);

  btnLoad = MakeButton(this, "btnLoad", QStringLiteral("&Load"), 24, 267, 80);
  btnSave = MakeButton(this, "btnSave", QStringLiteral("&Save Current Settings as Profile"), 120, 267, 200);
  btnCancel = MakeButton(this, "btnCancel", QStringLiteral("&Cancel"), 447, 267, 80);

  setTabOrder(lvProf, btnLoad);
  setTabOrder(btnLoad, btnSave);
  setTabOrder(btnSave, btnCancel);
  lvProf->setFocus();

  connect(btnLoad, &QPushButton::clicked, this, &TfmProfile::btnLoadClick);
  connect(btnSave, &QPushButton::clicked, this, &TfmProfile::btnSaveClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  FixAndCentre(this, kClientWidth, kClientHeight, owner);
}

bool TfmProfile::SetProfMgr(OVProfMgr* pMgr) {
  OV_ASSERT(pMgr!=NULL);
  m_pMgr = pMgr;
  return FillList();
}

bool TfmProfile::FillList() {
  if (!m_pMgr) return false;
  // Read again at every opening; the old profile objects are gone, so the rows go at once.
  const bool bRead = m_pMgr->Load();
  const char* szFile = m_pMgr->GetFileName();
  // A missing file means that no profile was saved yet; one that is there but cannot be read
  // must not be overwritten.
  m_bUnreadable = !bRead && szFile[0] != '\0' && os::FileExists(szFile);

  lvProf->setUpdatesEnabled(false);
  lvProf->clear();
  for (OVProfile* p = m_pMgr->GetFirst(); p; p = m_pMgr->GetNext()) AddRow(p);
  if (lvProf->topLevelItemCount() > 0) lvProf->setCurrentItem(lvProf->topLevelItem(0));
  lvProf->setUpdatesEnabled(true);

  if (m_bUnreadable) {
    // Told over the dialog once it is on the screen.
    if (isVisible()) {
      TellUnreadable();
    } else {
      m_bTellOnShow = true;
    }
  }
  return true;
}

void TfmProfile::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (m_bTellOnShow) {
    m_bTellOnShow = false;
    QTimer::singleShot(0, this, &TfmProfile::TellUnreadable);
  }
}

void TfmProfile::TellUnreadable() {
  ShowError(this, QStringLiteral("The profile list %1 could not be read and was not changed. No profile can be "
                                 "saved until that file is removed or replaced.")
                      .arg(Local(m_pMgr ? m_pMgr->GetFileName() : "")));
}

QTreeWidgetItem* TfmProfile::AddRow(OVProfile* pProfile) {
  QTreeWidgetItem* pItem = new QTreeWidgetItem(lvProf, {Local(pProfile->GetDescription()), Local(pProfile->GetFileName())});
  pItem->setData(0, kProfileRole, QVariant::fromValue(static_cast<void*>(pProfile)));
  return pItem;
}

OVProfile* TfmProfile::SelectedProfile() const {
  const QList<QTreeWidgetItem*> items = lvProf->selectedItems();
  if (items.isEmpty()) return nullptr;
  return static_cast<OVProfile*>(items.first()->data(0, kProfileRole).value<void*>());
}

void TfmProfile::ReloadFromDisk() {
  if (!m_pMgr) return;
  m_pMgr->Clear();
  FillList();
}

bool TfmProfile::NewProfilePath(char* buf, std::size_t cap) {
  if (!buf || cap == 0) return false;
  buf[0] = '\0';
  char szDir[OVPROF_PATH_SIZE];
  if (!GetModuleDirectory(nullptr, szDir, sizeof szDir)) return false;
  const long long first = static_cast<long long>(m_pMgr ? m_pMgr->GetCount() : 0) + 1;
  for (long long n = first; n < first + kMaxNameTries && n <= INT_MAX; ++n) {
    const int len = std::snprintf(buf, cap, "%sovprof%lld.dat", szDir, n);
    // A longer number does not fit either. The details dialog keeps 258 bytes of a path.
    if (len < 0 || static_cast<std::size_t>(len) >= cap || static_cast<std::size_t>(len) > PROFDETAIL_PATH_MAX) break;
    if (os::FileExists(buf)) continue;
    bool bUsed = false;
    if (m_pMgr) {
      for (OVProfile* p = m_pMgr->GetFirst(); p && !bUsed; p = m_pMgr->GetNext()) {
        bUsed = SameNameIgnoringCase(p->GetFileName(), buf);
      }
    }
    if (!bUsed) return true;
  }
  buf[0] = '\0';
  return false;
}

void TfmProfile::btnLoadClick() {
  OVProfile* pProfile = SelectedProfile();
  if (!pProfile) return;
  if (!pProfile->Load()) {
    // Half a profile is never put onto the list. A missing file restores nothing, as an empty
    // profile does; a file that is there but cannot be read is worth a word.
    pProfile->Clear();
    if (os::FileExists(pProfile->GetFileName())) {
      ShowError(this, QStringLiteral("The profile file %1 could not be read. No action was changed.")
                          .arg(Local(pProfile->GetFileName())));
      return;
    }
  }
  if (fmMain) fmMain->ExchangeProfile(false, pProfile);
  accept();
}

void TfmProfile::btnSaveClick() {
  if (!m_pMgr) return;
  if (m_bUnreadable) {
    ShowError(this, QStringLiteral("The profile list %1 could not be read. The current settings were not saved as "
                                   "a profile, so that the list is not overwritten; remove or replace that file first.")
                        .arg(Local(m_pMgr->GetFileName())));
    return;
  }
  char szPath[OVPROF_PATH_SIZE];
  if (!NewProfilePath(szPath, sizeof szPath)) {
    ShowError(this, QStringLiteral("No file name could be found for a new profile beside the executable."));
    return;
  }

  TfmProfDetail detail(this);
  detail.SetFileName(szPath);
  if (detail.exec() == QDialog::Accepted) {
    if (OVProfile* pProfile = m_pMgr->NewProfile()) {
      pProfile->SetDescription(detail.GetDescription());
      pProfile->SetFileName(detail.GetFileName());
      if (fmMain) fmMain->ExchangeProfile(true, pProfile);
      // The row appears only for a profile whose file was written; the catalogue is then
      // written with it, and a catalogue that cannot be written takes the profile back.
      if (!pProfile->Save()) {
        ShowError(this, QStringLiteral("The profile could not be saved to %1.").arg(Local(detail.GetFileName())));
        ReloadFromDisk();
        return;
      }
      lvProf->setCurrentItem(AddRow(pProfile));
      if (!m_pMgr->Save()) {
        // The file name was free before: removing it leaves the disk as it was.
        os::RemoveFile(detail.GetFileName());
        ShowError(this, QStringLiteral("The profile list could not be saved to %1. The profile \"%2\" was not kept.")
                            .arg(Local(m_pMgr->GetFileName()), Local(detail.GetDescription())));
        ReloadFromDisk();
      }
      return;
    }
  }
  // Cancelled: the unchanged catalogue is written again (the previous file stays whole if not).
  m_pMgr->Save();
}
