// STAND-IN for the core's Session.cpp and Actions.cpp while they are not on this branch: the
// CMakeLists compiles this file only when src/core/Session.cpp does not exist, and it goes once
// the core's own is merged. It implements what orvanectl calls, the way the window logic does.
#include <algorithm>
#include <cstdio>
#include <set>
#include <unordered_map>

#include "src/core/Actions.h"
#include "src/core/DataFiles.h"
#include "src/core/HotSync.h"
#include "src/core/OVProfile.h"
#include "src/core/OVUtil.h"
#include "src/core/Session.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/palm/PalmLib.h"

void GetActionName(std::uint32_t dwAction, char* szText) {
  const char* szName = "Synchronize the files";
  if (dwAction > ACTION_CODE_MASK || dwAction == ACTION_NOTHING) {
    szName = "Do Nothing";
  } else if (dwAction == ACTION_PC2HH) {
    szName = "Desktop overwrites handheld";
  } else if (dwAction == ACTION_HH2PC) {
    szName = "Handheld overwrites Desktop";
  }
  std::snprintf(szText, ACTION_NAME_LEN, "%s", szName);
}
std::string ActionName(std::uint32_t dwAction) {
  char sz[ACTION_NAME_LEN];
  GetActionName(dwAction, sz);
  return sz;
}
bool IsActionTicked(std::uint32_t dwAction) { return dwAction <= ACTION_CODE_MASK && dwAction != ACTION_NOTHING; }
std::int32_t SyncPrefCode(std::uint32_t dwAction) {
  if (dwAction > ACTION_CODE_MASK || dwAction == ACTION_NOTHING) return 3;
  if (dwAction == ACTION_PC2HH) return 1;
  if (dwAction == ACTION_HH2PC) return 2;
  return 0;
}
std::uint32_t DefaultActionForKind(std::uint32_t dwKind, std::uint32_t dwAction) {
  const std::uint32_t dwLow = dwKind & 0xFF;
  if (dwLow & COND_KIND_REGISTERED) return ACTION_SYNC;
  if (dwLow & COND_KIND_BACKUP) return ACTION_HH2PC;
  if (dwLow & COND_KIND_INSTALL) return ACTION_PC2HH;
  return dwAction;
}

SessionUser SessionUserOf(const UserRecord& user) {
  const std::string name = UserNameOf(user);
  return {user.userId, name.empty() ? "user " + std::to_string(user.userId) : name};
}

std::string NameList(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t i = 0; i < names.size() && i < 10; ++i) list += (i ? ", " : "") + names[i];
  if (names.size() > 10) list += " and " + std::to_string(names.size() - 10) + " more";
  return list;
}
std::string CountText(std::size_t n, const char* szOne, const char* szMany) {
  return std::to_string(n) + " " + (n == 1 ? szOne : szMany);
}
std::string ApplyFailureText(const std::vector<std::string>& failed) {
  return "The settings of " + CountText(failed.size(), "user", "users") + " could not be updated: " + NameList(failed) + ".";
}
std::vector<std::string> RunResult::Names(const std::vector<SessionUser>& users) {
  std::vector<std::string> v;
  for (const SessionUser& u : users) v.push_back(u.name);
  return v;
}
std::vector<std::uint32_t> RunResult::Ids(const std::vector<SessionUser>& users) {
  std::vector<std::uint32_t> v;
  for (const SessionUser& u : users) v.push_back(u.userId);
  return v;
}
std::string StoppedRunText(const RunResult& r) {
  std::string text = r.written.empty() ? "The settings were written for no user."
                                       : "The settings were written for " + CountText(r.written.size(), "user", "users") +
                                             ": " + NameList(RunResult::Names(r.written)) + ".";
  if (!r.failed.empty()) {
    text += "\nThey could not be written for " + CountText(r.failed.size(), "user", "users") + ": " +
            NameList(RunResult::Names(r.failed)) + ".";
  }
  if (!r.notWritten.empty()) {
    text += "\nThey were not written for " + CountText(r.notWritten.size(), "user", "users") + ": " +
            NameList(RunResult::Names(r.notWritten)) + ".";
  }
  return text;
}
std::string StopReasonText(RunResult::Stop stop) {
  switch (stop) {
    case RunResult::Stop::None: return "";
    case RunResult::Stop::HotSync: return "A HotSync is in progress.";
    case RunResult::Stop::HotSyncUnknown: return "HotSync Manager did not say whether a HotSync is in progress.";
    case RunResult::Stop::Cancelled: return "Apply was cancelled.";
  }
  return "";
}
std::string OverrideSummaryText(const std::vector<OneTimeOverride>& overrides) {
  std::set<std::uint32_t> users, conduits;
  for (const OneTimeOverride& o : overrides) {
    users.insert(o.userId);
    conduits.insert(o.dwCreatorID);
  }
  return CountText(users.size(), "user has", "users have") + " one-time actions for " +
         CountText(conduits.size(), "conduit", "conduits") + " that differ from the default just written (" +
         CountText(overrides.size(), "action", "actions") + " in all).";
}

HotSyncGate GateBeforeWrite(const RunHooks& hooks, bool* pbGoOnUnknown) {
  switch (CheckHotSync()) {
    case HotSyncState::NotRunning: return HotSyncGate::Go;
    case HotSyncState::Syncing: return HotSyncGate::Syncing;
    case HotSyncState::Unknown: break;
  }
  if (!*pbGoOnUnknown && hooks.goOnUnknown) *pbGoOnUnknown = hooks.goOnUnknown();
  return *pbGoOnUnknown ? HotSyncGate::Go : HotSyncGate::Unknown;
}

OVSession::OVSession() = default;
OVSession::~OVSession() { Close(); }

bool OVSession::PalmLibrariesLoad() {
  const bool bBound = LoadPalmLibs(PLIB_CONDMGR | PLIB_USERDATA);
  FreePalmLibs(PLIB_ALL);
  return bBound;
}

void OVSession::Open() {
  Close();
  PalmLibInit();
  m_condFile = DataFileForWriting(kDataFileCond);
  m_pProfiles = std::make_unique<OVProfMgr>();
  m_pCurrent = std::make_unique<OVProfile>();
  m_bOpen = true;
}

void OVSession::Close() {
  if (!m_bOpen) return;
  m_pCurrent.reset();
  m_pProfiles.reset();
  CCondMgr::GetInstance()->RemoveAll();
  PalmLibExit();
  m_bOpen = false;
}

std::vector<const UserRecord*> OVSession::Users() const {
  std::vector<const UserRecord*> v;
  if (CxList* pRoster = GetUserRoster()) {
    for (void* p = pRoster->GetFirst(); p; p = pRoster->GetNext()) v.push_back(static_cast<const UserRecord*>(p));
  }
  return v;
}

std::vector<CONDUIT_REC*> OVSession::Conduits() const {
  std::vector<CONDUIT_REC*> v;
  CCondMgr* pMgr = CCondMgr::GetInstance();
  for (CONDUIT_REC* p = pMgr->GetFirst(); p; p = pMgr->GetNext()) v.push_back(p);
  return v;
}

bool OVSession::LoadConduits(bool bFromCache) {
  CCondMgr* pMgr = CCondMgr::GetInstance();
  const std::string cache = DataFileForReading(kDataFileCond);
  if (bFromCache && !cache.empty() && pMgr->LoadFromFile(cache.c_str())) return true;
  pMgr->LoadConduits(COND_SRC_DEFAULT);
  SetDefaultActions();
  return false;
}

void OVSession::SetDefaultActions() {
  for (CONDUIT_REC* p : Conduits()) p->dwAction = DefaultActionForKind(p->dwKind, p->dwAction);
}

bool OVSession::SaveConduitCache() { return CCondMgr::GetInstance()->SaveToFile(m_condFile.c_str()); }

void OVSession::LoadCurrentSettings() {
  const std::string readFile = DataFileForReading(kDataFileCurr);
  if (!readFile.empty()) {
    m_pCurrent->SetFileName(readFile.c_str());
    m_pCurrent->Load();
  }
  m_pCurrent->SetFileName(DataFileForWriting(kDataFileCurr).c_str());
}

std::vector<const ProfileRec*> OVSession::ProfileRecordsFor(const std::vector<ProfileRec>& recs,
                                                            const std::vector<CONDUIT_REC*>& conduits) {
  std::unordered_map<std::uint32_t, const ProfileRec*> first;
  for (const ProfileRec& r : recs) first.emplace(r.dwCreatorID, &r);
  std::vector<const ProfileRec*> v;
  for (const CONDUIT_REC* c : conduits) {
    const auto it = first.find(c->dwCreatorID);
    v.push_back(it != first.end() ? it->second : nullptr);
  }
  return v;
}

bool OVSession::ApplyToUser(std::uint32_t userId, bool bPermanent) const {
  bool bAll = true;
  for (const CONDUIT_REC* p : Conduits()) {
    const std::int32_t code = SyncPrefCode(p->dwAction);
    const std::int32_t r = bPermanent ? palm::UmSetUserPermSyncPreferences(userId, p->dwCreatorID, code)
                                      : palm::UmSetUserTempSyncPreferences(userId, p->dwCreatorID, code);
    if (r < 0) bAll = false;
  }
  return bAll;
}

RunResult OVSession::Apply(const std::vector<SessionUser>& users, bool bPermanent, const RunHooks& hooks) const {
  RunResult result;
  bool bGoOn = false;
  std::size_t i = 0;
  for (; i < users.size(); ++i) {
    const HotSyncGate gate = GateBeforeWrite(hooks, &bGoOn);
    if (gate != HotSyncGate::Go) {
      result.stop = gate == HotSyncGate::Syncing ? RunResult::Stop::HotSync : RunResult::Stop::HotSyncUnknown;
      break;
    }
    (ApplyToUser(users[i].userId, bPermanent) ? result.written : result.failed).push_back(users[i]);
  }
  for (; i < users.size(); ++i) result.notWritten.push_back(users[i]);
  return result;
}

OverrideSearch OVSession::FindOneTimeOverrides(const std::vector<std::uint32_t>& userIds, const RunHooks&) const {
  OverrideSearch s;
  for (std::uint32_t id : userIds) {
    for (const CONDUIT_REC* p : Conduits()) {
      std::int32_t code = 0;
      if (palm::UmGetUserTempSyncPreferences(id, p->dwCreatorID, &code) >= 0 && code != SyncPrefCode(p->dwAction)) {
        s.overrides.push_back({id, p->dwCreatorID});
      }
    }
  }
  return s;
}

EndResult OVSession::EndOneTimeActions(const std::vector<OneTimeOverride>& overrides, const RunHooks& hooks) const {
  EndResult r;
  bool bGoOn = false;
  for (std::size_t i = 0; i < overrides.size(); ++i) {
    if (i == 0 || overrides[i].userId != overrides[i - 1].userId) {
      const HotSyncGate gate = GateBeforeWrite(hooks, &bGoOn);
      if (gate != HotSyncGate::Go) {
        r.stop = gate == HotSyncGate::Syncing ? RunResult::Stop::HotSync : RunResult::Stop::HotSyncUnknown;
        r.nNotReached = overrides.size() - i;
        break;
      }
    }
    if (palm::UmDeleteUserTempSyncPreferences(overrides[i].userId, overrides[i].dwCreatorID) < 0) {
      ++r.nFailed;
    } else {
      ++r.nEnded;
    }
  }
  return r;
}
