#include "src/logic/SyncActions.h"

#include <utility>

#include "src/core/misc/Message.h"
#include "src/core/palm/CondMgr.h"
#include "src/logic/Main.h"

SyncActionsLogic::SyncActionsLogic(MainWindowLogic& main, std::uint32_t userId, std::string userName)
    : m_main(main), m_userId(userId), m_userName(std::move(userName)) {
  Load();
}

void SyncActionsLogic::Load() {
  const std::vector<CondRow>& conds = m_main.CondRows();
  std::vector<const CONDUIT_REC*> conduits;
  std::vector<int> condRows;
  for (std::size_t i = 0; i < conds.size(); ++i) {
    if (!conds[i].pRec) continue;
    conduits.push_back(conds[i].pRec);
    condRows.push_back(static_cast<int>(i));
  }
  std::vector<UserConduitAction> actions = ReadUserActions(m_userId, conduits);
  m_rows.clear();
  m_rows.reserve(actions.size());
  for (std::size_t i = 0; i < actions.size(); ++i) {
    const int nCondRow = condRows[i];
    m_rows.push_back({nCondRow, conds[static_cast<std::size_t>(nCondRow)].title, PrefReadText(actions[i].perm),
                      NextSyncText(actions[i].next), actions[i]});
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
  ov::MessageRequest request;
  request.text = "End the " +
                 (nOneTime == 1 ? std::string("one-time action") : std::to_string(nOneTime) + " one-time actions") +
                 " of " + m_userName + "? The next HotSync then does the default actions.";
  request.caption = syncactions::kCaption;
  request.icon = ov::MessageIcon::Question;
  request.buttons = ov::MessageButtons::YesNo;
  request.defaultAnswer = ov::MessageAnswer::No;
  bool bGoOn = false;
  if (m_pView->ShowMessage(request) != ov::MessageAnswer::Yes || !MayEndOneTimeActions(*m_pView, &bGoOn)) return;
  std::vector<OneTimeOverride> oneTime;
  for (const SyncActionRow& row : m_rows) {
    if (row.action.next.bOneTime) oneTime.push_back({m_userId, row.action.pRec->dwCreatorID, true, row.action.next.nCode});
  }
  const EndResult result = m_main.EndOneTimeActions(oneTime, &bGoOn);
  Load();
  if (result.nFailed || result.nNotReached) Tell(EndResultText(result), "Error", ov::MessageIcon::Error);
}
