#include "src/qt/profile.h"

#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QTreeWidget>

#include "src/qt/FormUtil.h"
#include "src/qt/Main.h"
#include "src/qt/MessageBox.h"
#include "src/qt/ProfDetail.h"

TfmProfile::TfmProfile(QWidget* owner, ProfileLogic* pLogic)
    : QDialog(owner, kFixedDialogFlags),
      m_pOwnLogic(pLogic ? nullptr : std::make_unique<ProfileLogic>(fmMain ? &fmMain->Logic() : nullptr)),
      m_pLogic(pLogic ? pLogic : m_pOwnLogic.get()),
      m_bDrawing(false) {
  setObjectName(QStringLiteral("fmProfile"));
  setWindowTitle(Local(profiles::kCaption));

  const int widths[] = {profiles::kColumnWidth, profiles::kColumnWidth};
  lvProf = MakeReportList(this, "lvProf", profiles::kColumns, widths, true);
  lvProf->setGeometry(profiles::kListX, profiles::kListY, profiles::kListWidth, profiles::kListHeight);
  KeepSelectionVisible(lvProf);

  btnLoad = MakeButton(this, "btnLoad", profiles::kLoad, profiles::kLoadX, profiles::kButtonY, profiles::kLoadWidth);
  btnSave = MakeButton(this, "btnSave", profiles::kSave, profiles::kSaveX, profiles::kButtonY, profiles::kSaveWidth);
  btnCancel =
      MakeButton(this, "btnCancel", profiles::kCancel, profiles::kCancelX, profiles::kButtonY, profiles::kCancelWidth);

  setTabOrder(lvProf, btnLoad);
  setTabOrder(btnLoad, btnSave);
  setTabOrder(btnSave, btnCancel);
  lvProf->setFocus();

  connect(btnLoad, &QPushButton::clicked, this, &TfmProfile::btnLoadClick);
  connect(btnSave, &QPushButton::clicked, this, &TfmProfile::btnSaveClick);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(lvProf, &QTreeWidget::doubleClicked, this, [this] { m_pLogic->lvProfDblClick(); });
  OnEnterKey(lvProf, [this] { m_pLogic->btnLoadClick(); });
  connect(lvProf, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (m_bDrawing) return;
    const QList<QTreeWidgetItem*> items = lvProf->selectedItems();
    m_pLogic->SelectRow(items.isEmpty() ? -1 : lvProf->indexOfTopLevelItem(items.first()));
  });

  FixAndCentre(this, profiles::kClientWidth, profiles::kClientHeight, owner);
  m_pLogic->SetView(this);
  ListChanged();
}

TfmProfile::~TfmProfile() { m_pLogic->SetView(nullptr); }

void TfmProfile::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // What the logic has to tell about the catalogue is told over the dialog once it is drawn.
  QTimer::singleShot(0, this, [this] { m_pLogic->FormShow(); });
}

ov::MessageAnswer TfmProfile::ShowMessage(const ov::MessageRequest& request) { return ShowRequest(this, request); }

void TfmProfile::ListChanged() {
  m_bDrawing = true;
  lvProf->setUpdatesEnabled(false);
  lvProf->clear();
  for (const ProfileRow& row : m_pLogic->Rows()) new QTreeWidgetItem(lvProf, {Local(row.description), Local(row.file)});
  const int nSelected = m_pLogic->SelectedRow();
  if (nSelected >= 0) lvProf->setCurrentItem(lvProf->topLevelItem(nSelected));
  lvProf->setUpdatesEnabled(true);
  m_bDrawing = false;
}

bool TfmProfile::RunProfDetail(ProfDetailLogic& dialog) {
  TfmProfDetail form(this, &dialog);
  return form.exec() == QDialog::Accepted;
}
