#include "src/logic/profile.h"

#include <cstdint>

#include "src/core/misc/Assert.h"
#include "src/core/os/os.h"
#include "src/logic/Main.h"
#include "src/core/OVProfile.h"
#include "src/core/ProfileStore.h"
#include "src/logic/ProfDetail.h"

#define OV_SOURCE_NAME "src\\profile"

ProfileLogic::ProfileLogic(MainWindowLogic* pMain)
    : m_pView(nullptr),
      m_pMain(pMain),
      m_pMgr(nullptr),
      m_bUnreadable(false),
      m_bShown(false),
      m_bTellOnShow(false),
      m_nSelected(-1) {}

void ProfileLogic::ShowError(const std::string& text) {
  if (!m_pView) return;
  ov::MessageRequest request;
  request.text = text;
  request.caption = "Orvane Error";
  request.icon = ov::MessageIcon::Error;
  m_pView->ShowMessage(request);
}

bool ProfileLogic::SetProfMgr(OVProfMgr* pMgr) {
  OV_ASSERT(pMgr!=NULL);
  m_pMgr = pMgr;
  return FillList();
}

bool ProfileLogic::FillList() {
  if (!m_pMgr) return false;
  // Read again at every opening; the old profile objects are gone, so the rows go at once.
  // A missing file means that no profile was saved yet; one that is there but cannot be read
  // must not be overwritten.
  m_bUnreadable = !LoadCatalogue(*m_pMgr, nullptr);

  m_rows.clear();
  for (OVProfile* p : m_pMgr->Profiles()) AddRow(p);
  m_nSelected = m_rows.empty() ? -1 : 0;
  if (m_pView) m_pView->ListChanged();

  if (m_bUnreadable) {
    // Told over the dialog once it is on the screen.
    if (m_bShown) {
      TellUnreadable();
    } else {
      m_bTellOnShow = true;
    }
  }
  return true;
}

void ProfileLogic::FormShow() {
  m_bShown = true;
  if (m_bTellOnShow) {
    m_bTellOnShow = false;
    TellUnreadable();
  }
}

void ProfileLogic::TellUnreadable() {
  ShowError("The profile list " + std::string(m_pMgr ? m_pMgr->GetLoadFileName() : "") +
            " could not be read and was not changed. No profile can be saved until that file is removed or replaced.");
}

void ProfileLogic::AddRow(OVProfile* pProfile) {
  m_rows.push_back({pProfile, pProfile->GetDescription(), pProfile->GetFileName()});
}

void ProfileLogic::SelectRow(int nRow) {
  m_nSelected = (nRow >= 0 && static_cast<std::size_t>(nRow) < m_rows.size()) ? nRow : -1;
}

OVProfile* ProfileLogic::SelectedProfile() const {
  return m_nSelected >= 0 ? m_rows[static_cast<std::size_t>(m_nSelected)].pProfile : nullptr;
}

bool ProfileLogic::NewProfilePath(char* buf, std::size_t cap) { return ::NewProfilePath(m_pMgr, buf, cap); }

void ProfileLogic::btnLoadClick() {
  OVProfile* pProfile = SelectedProfile();
  if (!pProfile) return;
  if (!pProfile->Load()) {
    // Half a profile is never put onto the list. A missing file restores nothing, as an empty
    // profile does; a file that is there but cannot be read is worth a word.
    pProfile->Clear();
    if (os::FileExists(pProfile->GetFileName())) {
      ShowError("The profile file " + std::string(pProfile->GetFileName()) +
                " could not be read. No action was changed.");
      return;
    }
  }
  if (m_pMain) m_pMain->ExchangeProfile(false, pProfile);
  if (m_pView) m_pView->CloseWithOK();
}

void ProfileLogic::btnSaveClick() {
  if (!m_pMgr) return;
  if (m_bUnreadable) {
    ShowError("The profile list " + std::string(m_pMgr->GetLoadFileName()) +
              " could not be read. The current settings were not saved as a profile, so that the list is not "
              "overwritten; remove or replace that file first.");
    return;
  }
  char szPath[OVPROF_PATH_SIZE];
  if (!NewProfilePath(szPath, sizeof szPath)) {
    ShowError("No file name could be found for a new profile in the data directory.");
    return;
  }

  ProfDetailLogic detail;
  detail.SetFileName(szPath);
  if (!m_pView || !m_pView->RunProfDetail(detail)) {
    // Cancelled: the unchanged catalogue is written again (the previous file stays whole if not).
    m_pMgr->Save();
    return;
  }
  // The main window's current actions, as the profile's records.
  OVProfile current;
  if (m_pMain) m_pMain->ExchangeProfile(true, &current);

  // The file shown in the details dialog, then the catalogue; a catalogue that cannot be written
  // takes the profile back. The catalogue is read again either way, so the rows go now.
  m_rows.clear();
  m_nSelected = -1;
  ImportReport report;
  const bool bSaved = ImportProfile(*m_pMgr, current.GetRecords(), detail.GetDescription(), false, &report,
                                    detail.GetFileName());
  FillList();
  if (bSaved) {
    SelectRow(static_cast<int>(report.nNumber) - 1);
    m_pView->ListChanged();
    return;
  }
  switch (report.failure) {
    case ImportReport::Failure::ProfileNotWritten:
      ShowError("The profile could not be saved to " + std::string(detail.GetFileName()) + ".");
      break;
    case ImportReport::Failure::CatalogueNotWritten:
      ShowError("The profile list could not be saved to " + std::string(m_pMgr->GetFileName()) + ". The profile \"" +
                detail.GetDescription() + "\" was not kept.");
      break;
    case ImportReport::Failure::DescriptionExists:
      ShowError(report.why + " Choose another description for the current settings.");
      break;
    case ImportReport::Failure::CatalogueUnreadable:
      // FillList has told it.
      break;
    default:
      ShowError(report.why);
      break;
  }
}
