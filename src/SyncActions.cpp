#include "src/SyncActions.h"

#include "common/misc/Message.h"
#include "common/palm/CondMgr.h"
#include "src/Main.h"
#include "src/OVUtil.h"

SyncActionsLogic::SyncActionsLogic(MainWindowLogic& main, std::uint32_t userId, std::string userName)
    : m_main(main), m_userId(userId), m_userName(std::move(userName)) {
  Load();
}

void SyncActionsLogic::Load() {
  m_rows.clear();
  const std::vector<CondRow>& conds = m_main.CondRows();
  m_rows.reserve(conds.size());
  for (std::size_t i = 0; i < conds.size(); ++i) {
    const CONDUIT_REC* pRec = conds[i].pRec;
    if (!pRec) continue;
    SyncActionRow row;
    row.nCondRow = static_cast<int>(i);
    row.conduit = conds[i].title;
    row.action.pRec = pRec;
    row.action.perm = ReadPermPref(m_userId, pRec->dwCreatorID);
    row.action.next = ReadNextPref(m_userId, pRec->dwCreatorID, row.action.perm);
    row.defaultText = PrefReadText(row.action.perm);
    row.nextText = NextSyncText(row.action.next);
    m_rows.push_back(std::move(row));
  }
  if (m_pView) m_pView->RowsChanged();
}

std::string SyncActionsLogic::Caption() const { return std::string(syncactions::kCaption) + " - " + m_userName; }

int SyncActionsLogic::OneTimeCount() const {
  int n = 0;
  for (const SyncActionRow& row : m_rows) n += row.action.next.bOneTime ? 1 : 0;
  return n;
}

bool SyncActionsLogic::CanCopy() const {
  for (const SyncActionRow& row : m_rows) {
    const PrefRead& perm = row.action.perm;
    if (perm.state == PrefRead::State::Set && perm.nCode >= 0 && perm.nCode <= palm::SYNC_PREF_DO_NOTHING) return true;
  }
  return false;
}

std::string SyncActionsLogic::Summary() const {
  const int nOneTime = OneTimeCount();
  int nFailed = 0;
  for (const SyncActionRow& row : m_rows) {
    if (row.action.perm.state == PrefRead::State::Failed || row.action.next.state == PrefRead::State::Failed) ++nFailed;
  }
  std::string text = nOneTime == 0   ? std::string("No one-time action is set: the next HotSync does the defaults.")
                     : nOneTime == 1 ? std::string("1 one-time action decides the next HotSync.")
                                     : std::to_string(nOneTime) + " one-time actions decide the next HotSync.";
  if (nFailed) {
    text += nFailed == 1 ? " The actions of 1 conduit could not be read."
                         : " The actions of " + std::to_string(nFailed) + " conduits could not be read.";
  }
  return text;
}

void SyncActionsLogic::Tell(const std::string& text, const char* caption, ov::MessageIcon icon) {
  if (!m_pView) {
    ov::ShowMessage(text.c_str(), caption, icon);
    return;
  }
  ov::MessageRequest request;
  request.text = text;
  request.caption = caption;
  request.icon = icon;
  m_pView->ShowMessage(request);
}

void SyncActionsLogic::btnCopyClick() {
  int nCopied = 0, nKept = 0;
  for (const SyncActionRow& row : m_rows) {
    const PrefRead& perm = row.action.perm;
    // Only a default that is there and one the tool writes is copied; Apply gives it back as it was.
    if (perm.state == PrefRead::State::Set && m_main.SetRowFromSyncPref(row.nCondRow, perm.nCode)) {
      ++nCopied;
    } else {
      ++nKept;
    }
  }
  std::string text = "The default actions of " + m_userName + " were copied into the conduit list for " +
                     std::to_string(nCopied) + (nCopied == 1 ? " conduit." : " conduits.");
  if (nKept) {
    text += " " + std::to_string(nKept) + (nKept == 1 ? " conduit keeps its action" : " conduits keep their action") +
            ": the default is not set, could not be read, or is one this tool does not write.";
  }
  Tell(text, "Information", ov::MessageIcon::Information);
}

void SyncActionsLogic::btnEndOneTimeClick() {
  const int nOneTime = OneTimeCount();
  // Ending needs the user's Yes, asked in the window.
  if (nOneTime == 0 || !m_pView) return;
  {
    ov::MessageRequest request;
    request.text = "End the " +
                   (nOneTime == 1 ? std::string("one-time action") : std::to_string(nOneTime) + " one-time actions") +
                   " of " + m_userName + "? The next HotSync then does the default actions.";
    request.caption = syncactions::kCaption;
    request.icon = ov::MessageIcon::Question;
    request.buttons = ov::MessageButtons::YesNo;
    request.defaultAnswer = ov::MessageAnswer::No;
    if (m_pView->ShowMessage(request) != ov::MessageAnswer::Yes) return;
    bool bGoOnUnknown = false;
    switch (AskHotSync(*m_pView, "End the one-time actions anyway?", &bGoOnUnknown)) {
      case HotSyncGate::Go: break;
      case HotSyncGate::Syncing:
        Tell("A HotSync is in progress. No one-time action was ended.", "HotSync in Progress",
             ov::MessageIcon::Warning);
        return;
      case HotSyncGate::Declined: return;
    }
  }
  int nFailed = 0;
  for (const SyncActionRow& row : m_rows) {
    if (!row.action.next.bOneTime) continue;
    if (palm::UmDeleteUserTempSyncPreferences(m_userId, row.action.pRec->dwCreatorID) < 0) ++nFailed;
  }
  Load();
  if (nFailed) {
    Tell(std::to_string(nFailed) + " of " + std::to_string(nOneTime) + " one-time actions could not be ended.", "Error",
         ov::MessageIcon::Error);
  }
}
