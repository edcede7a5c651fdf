// The profiles dialog's Qt view: draws ProfileLogic (src/profile.h) and forwards Load, Save and
// the selection to it; the details dialog it asks for is TfmProfDetail.
#pragma once

#include <cstddef>
#include <memory>

#include <QDialog>

#include "src/logic/profile.h"

class QPushButton;
class QShowEvent;
class QTreeWidget;

class TfmProfile : public QDialog, private ProfilesView {
  Q_OBJECT

 public:
  // Builds the controls and shows pLogic, or a logic of its own that works on the main window
  // fmMain.
  explicit TfmProfile(QWidget* owner = nullptr, ProfileLogic* pLogic = nullptr);
  ~TfmProfile() override;

  // The logic's operations of the same names.
  bool SetProfMgr(OVProfMgr* pMgr) { return m_pLogic->SetProfMgr(pMgr); }
  bool FillList() { return m_pLogic->FillList(); }
  OVProfMgr* GetProfMgr() const { return m_pLogic->GetProfMgr(); }
  OVProfile* SelectedProfile() const { return m_pLogic->SelectedProfile(); }
  bool IsCatalogueUnreadable() const { return m_pLogic->IsCatalogueUnreadable(); }
  bool NewProfilePath(char* buf, std::size_t cap) { return m_pLogic->NewProfilePath(buf, cap); }

 public Q_SLOTS:
  void btnLoadClick() { m_pLogic->btnLoadClick(); }
  void btnSaveClick() { m_pLogic->btnSaveClick(); }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // ProfilesView
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override;
  void ListChanged() override;
  bool RunProfDetail(ProfDetailLogic& dialog) override;
  void CloseWithOK() override { accept(); }

  std::unique_ptr<ProfileLogic> m_pOwnLogic;
  ProfileLogic* m_pLogic;
  bool m_bDrawing;

  QTreeWidget* lvProf;
  QPushButton* btnLoad;
  QPushButton* btnSave;
  QPushButton* btnCancel;
};
