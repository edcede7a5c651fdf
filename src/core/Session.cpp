#include "src/core/Session.h"

#include <unordered_map>

#include "src/core/DataFiles.h"
#include "src/core/Overview.h"
#include "src/core/OVProfile.h"
#include "src/core/OVUtil.h"
#include "src/core/misc/CxList.h"
#include "src/core/palm/CondMgr.h"

namespace {

// Users named in a message; the rest are counted, so that a box stays on the screen however
// many users there are.
constexpr std::size_t kMaxNamedUsers = 10;

// The progress of a long run of nTotal steps: opened once the time so far, projected over every
// step, passes the delay (so a short run never shows it), drawn and asked for Cancel at most
// every kProgressInterval, and closed at the end.
class Progress {
 public:
  using Clock = std::chrono::steady_clock;

  Progress(const RunHooks& hooks, std::size_t nTotal, const char* szCaption = kProgressCaption)
      : m_hooks(hooks), m_nTotal(nTotal), m_start(Clock::now()), m_szCaption(szCaption) {}
  ~Progress() {
    if (m_bShown) m_hooks.pProgress->ProgressEnd();
  }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // After nDone steps: false once the run is to stop (Cancel, a stop request). The text is made
  // only when drawn.
  template <class MakeText>
  bool Step(std::size_t nDone, MakeText makeText) {
    if (m_hooks.stopRequested && m_hooks.stopRequested()) return false;
    if (!m_hooks.pProgress || nDone == 0) return true;
    const Clock::time_point now = Clock::now();
    if (!m_bShown) {
      // Nothing to show once the last step is done.
      if (nDone >= m_nTotal) return true;
      const auto elapsed = now - m_start;
      if (elapsed < m_hooks.delay &&
          elapsed * static_cast<long long>(m_nTotal) / static_cast<long long>(nDone) < m_hooks.delay) {
        return true;
      }
      m_hooks.pProgress->ProgressBegin(m_szCaption, static_cast<int>(m_nTotal));
      m_bShown = true;
    } else if (now - m_lastDrawn < m_hooks.interval && nDone < m_nTotal) {
      return true;
    }
    m_lastDrawn = now;
    return m_hooks.pProgress->ProgressStep(static_cast<int>(nDone), makeText());
  }

 private:
  const RunHooks& m_hooks;
  std::size_t m_nTotal;
  Clock::time_point m_start;
  Clock::time_point m_lastDrawn{};
  const char* m_szCaption;
  bool m_bShown = false;
};

// What a conduit writes: its creator ID and its sync preference code, taken once per command.
struct ConduitWrite {
  std::uint32_t dwCreatorID;
  std::int32_t nCode;
};

std::vector<ConduitWrite> WritesOf(const std::vector<CONDUIT_REC*>& conduits) {
  std::vector<ConduitWrite> writes;
  writes.reserve(conduits.size());
  for (const CONDUIT_REC* pRec : conduits) writes.push_back({pRec->dwCreatorID, SyncPrefCode(pRec->dwAction)});
  return writes;
}

bool WriteUser(std::uint32_t userId, const std::vector<ConduitWrite>& writes, bool bPermanent) {
  bool bAllDone = true;
  for (const ConduitWrite& w : writes) {
    const std::int32_t nResult = bPermanent ? palm::UmSetUserPermSyncPreferences(userId, w.dwCreatorID, w.nCode)
                                            : palm::UmSetUserTempSyncPreferences(userId, w.dwCreatorID, w.nCode);
    if (nResult < 0) bAllDone = false;
  }
  return bAllDone;
}

// Asks HotSync before the first user and then whenever hotSyncInterval has passed.
class HotSyncWatch {
 public:
  using Clock = std::chrono::steady_clock;
  explicit HotSyncWatch(const RunHooks& hooks) : m_hooks(hooks) {}
  HotSyncGate BeforeUser() {
    const Clock::time_point now = Clock::now();
    if (m_bAsked && now - m_lastAsked < m_hooks.hotSyncInterval) return HotSyncGate::Go;
    m_bAsked = true;
    m_lastAsked = now;
    return GateBeforeWrite(m_hooks, &m_bGoOnUnknown);
  }

 private:
  const RunHooks& m_hooks;
  bool m_bAsked = false;
  bool m_bGoOnUnknown = false;
  Clock::time_point m_lastAsked{};
};

RunResult::Stop StopOf(HotSyncGate gate) {
  return gate == HotSyncGate::Syncing ? RunResult::Stop::HotSync : RunResult::Stop::HotSyncUnknown;
}

}  // namespace

// -------------------------------------------------------------------------------------------------
// Texts

SessionUser SessionUserOf(const UserRecord& user) {
  std::string name = UserNameOf(user);
  if (name.empty()) name = "user " + std::to_string(user.userId);
  return {user.userId, name};
}

std::vector<std::string> RunResult::Names(const std::vector<SessionUser>& users) {
  std::vector<std::string> names;
  names.reserve(users.size());
  for (const SessionUser& u : users) names.push_back(u.name);
  return names;
}

std::vector<std::uint32_t> RunResult::Ids(const std::vector<SessionUser>& users) {
  std::vector<std::uint32_t> ids;
  ids.reserve(users.size());
  for (const SessionUser& u : users) ids.push_back(u.userId);
  return ids;
}

std::string NameList(const std::vector<std::string>& names) {
  const std::size_t n = names.size();
  std::string list;
  for (std::size_t i = 0; i < n && i < kMaxNamedUsers; ++i) {
    if (i) list += ", ";
    list += names[i];
  }
  if (n > kMaxNamedUsers) list += " and " + std::to_string(n - kMaxNamedUsers) + " more";
  return list;
}

std::string CountText(std::size_t n, const char* szOne, const char* szMany) {
  return std::to_string(n) + " " + (n == 1 ? szOne : szMany);
}

std::string ApplyFailureText(const std::vector<std::string>& names) {
  return "The settings of " + CountText(names.size(), "user", "users") + " could not be updated: " +
         NameList(names) + ".";
}

std::string StoppedRunText(const RunResult& result) {
  std::string text;
  if (result.written.empty()) {
    text = "The settings were written for no user.";
  } else {
    text = "The settings were written for " + CountText(result.written.size(), "user", "users") + ": " +
           NameList(RunResult::Names(result.written)) + ".";
  }
  if (!result.failed.empty()) {
    text += "\nThey could not be written for " + CountText(result.failed.size(), "user", "users") + ": " +
            NameList(RunResult::Names(result.failed)) + ".";
  }
  if (!result.notWritten.empty()) {
    text += "\nThey were not written for " + CountText(result.notWritten.size(), "user", "users") + ": " +
            NameList(RunResult::Names(result.notWritten)) + ".";
  }
  return text;
}

std::string StopReasonText(RunResult::Stop stop) {
  switch (stop) {
    case RunResult::Stop::None: break;
    case RunResult::Stop::HotSync: return "A HotSync is in progress.";
    case RunResult::Stop::HotSyncUnknown:
      return "HotSync Manager did not say whether a HotSync is in progress (its state is unknown).";
    case RunResult::Stop::Cancelled: return "Apply was cancelled.";
  }
  return {};
}

std::string OverrideSummaryText(const std::vector<OneTimeOverride>& overrides) {
  std::size_t nUsers = 0;
  std::unordered_map<std::uint32_t, bool> conduits;
  for (std::size_t i = 0; i < overrides.size(); ++i) {
    if (i == 0 || overrides[i].userId != overrides[i - 1].userId) ++nUsers;
    conduits.emplace(overrides[i].dwCreatorID, true);
  }
  return CountText(nUsers, "user has", "users have") + " one-time actions for " +
         CountText(conduits.size(), "conduit", "conduits") + " that differ from the default just written (" +
         CountText(overrides.size(), "action", "actions") + " in all).";
}

HotSyncGate GateBeforeWrite(const RunHooks& hooks, bool* pbGoOnUnknown) {
  switch (CheckHotSync()) {
    case HotSyncState::NotRunning: return HotSyncGate::Go;
    case HotSyncState::Syncing: return HotSyncGate::Syncing;
    case HotSyncState::Unknown: break;
  }
  if (pbGoOnUnknown && *pbGoOnUnknown) return HotSyncGate::Go;
  if (!hooks.goOnUnknown || !hooks.goOnUnknown()) return HotSyncGate::Unknown;
  if (pbGoOnUnknown) *pbGoOnUnknown = true;
  return HotSyncGate::Go;
}

// -------------------------------------------------------------------------------------------------
// Opening and closing

OVSession::OVSession() = default;

OVSession::~OVSession() { Close(); }

bool OVSession::PalmLibrariesLoad() {
  const bool bBound = LoadPalmLibs(PLIB_CONDMGR | PLIB_USERDATA);
  FreePalmLibs(PLIB_ALL);
  return bBound;
}

void OVSession::Open() {
  if (m_bOpen) return;
  m_bOpen = true;
  PalmLibInit();
  // The data files are written in the data directory and read from where they are (beside a
  // read-only executable until the first save); "" when no directory is found, so that no data
  // file is ever read from or written to the current directory.
  m_condFile = DataFileForWriting(kDataFileCond);
  m_pProfiles = std::make_unique<OVProfMgr>();
  m_pCurrent = std::make_unique<OVProfile>();
}

void OVSession::Close() {
  if (!m_bOpen) return;
  m_bOpen = false;
  m_pCurrent.reset();
  m_pProfiles.reset();
  PalmLibExit();
  // The records hold conduit modules of the installation just released.
  CCondMgr::GetInstance()->RemoveAll();
}

std::vector<const UserRecord*> OVSession::Users() const {
  std::vector<const UserRecord*> users;
  for (const UserRecord* pUser : RosterUsers()) users.push_back(pUser);
  return users;
}

std::vector<CONDUIT_REC*> OVSession::Conduits() const {
  std::vector<CONDUIT_REC*> conduits;
  for (CONDUIT_REC* pRec : CCondMgr::GetInstance()->Records()) conduits.push_back(pRec);
  return conduits;
}

// -------------------------------------------------------------------------------------------------
// Conduits and profiles

bool OVSession::LoadConduits(bool bFromCache) {
  CCondMgr* pMgr = CCondMgr::GetInstance();
  const std::string cacheFile = bFromCache ? DataFileForReading(kDataFileCond) : std::string();
  if (!cacheFile.empty() && pMgr->LoadFromFile(cacheFile.c_str())) return true;
  pMgr->LoadConduits(COND_SRC_DEFAULT);
  SetDefaultActions();
  return false;
}

void OVSession::SetDefaultActions() {
  for (CONDUIT_REC* pRec : Conduits()) pRec->dwAction = DefaultActionForKind(pRec->dwKind, pRec->dwAction);
}

bool OVSession::SaveConduitCache() { return CCondMgr::GetInstance()->SaveToFile(m_condFile.c_str()); }

void OVSession::LoadCurrentSettings() {
  if (!m_pCurrent) return;
  // A missing file leaves the profile empty; an empty name (no directory) loads nothing.
  const std::string readFile = DataFileForReading(kDataFileCurr);
  if (!readFile.empty()) {
    m_pCurrent->SetFileName(readFile.c_str());
    m_pCurrent->Load();
  }
  m_pCurrent->SetFileName(DataFileForWriting(kDataFileCurr).c_str());
}

std::vector<const ProfileRec*> OVSession::ProfileRecordsFor(const std::vector<ProfileRec>& recs,
                                                            const std::vector<CONDUIT_REC*>& conduits) {
  // The first record of a creator ID counts, as a look-up from the front finds it.
  std::unordered_map<std::uint32_t, const ProfileRec*> first;
  first.reserve(recs.size());
  for (const ProfileRec& rec : recs) first.emplace(rec.dwCreatorID, &rec);
  std::vector<const ProfileRec*> found;
  found.reserve(conduits.size());
  for (const CONDUIT_REC* pRec : conduits) {
    const auto it = first.find(pRec->dwCreatorID);
    found.push_back(it != first.end() ? it->second : nullptr);
  }
  return found;
}

std::vector<std::size_t> OVSession::PutActions(const std::vector<ProfileRec>& recs,
                                               const std::vector<CONDUIT_REC*>& conduits) {
  const std::vector<const ProfileRec*> found = ProfileRecordsFor(recs, conduits);
  std::vector<std::size_t> set;
  for (std::size_t i = 0; i < conduits.size(); ++i) {
    if (!found[i]) continue;
    conduits[i]->dwAction = found[i]->dwAction;
    set.push_back(i);
  }
  return set;
}

void OVSession::StoreActions(const std::vector<CONDUIT_REC*>& conduits, OVProfile* pProfile) {
  if (!pProfile) return;
  std::unordered_map<std::uint32_t, ProfileRec*> first;
  for (ProfileRec* pEntry : pProfile->Records()) first.emplace(pEntry->dwCreatorID, pEntry);
  for (const CONDUIT_REC* pRec : conduits) {
    const auto it = first.find(pRec->dwCreatorID);
    if (it != first.end()) {
      it->second->dwAction = pRec->dwAction;
    } else {
      const ProfileRec entry{pRec->dwCreatorID, pRec->dwAction};
      if (ProfileRec* pAdded = pProfile->AddRec(&entry)) first.emplace(pRec->dwCreatorID, pAdded);
    }
  }
}

// -------------------------------------------------------------------------------------------------
// Writing users' preferences

bool OVSession::ApplyToUser(std::uint32_t userId, bool bPermanent) const {
  return WriteUser(userId, WritesOf(Conduits()), bPermanent);
}

RunResult OVSession::Apply(const std::vector<SessionUser>& users, bool bPermanent, const RunHooks& hooks) const {
  RunResult result;
  const std::vector<ConduitWrite> writes = WritesOf(Conduits());
  Progress progress(hooks, users.size());
  HotSyncWatch hotSync(hooks);
  std::size_t i = 0;
  for (; i < users.size(); ++i) {
    // HotSync may have started since it was last asked.
    const HotSyncGate gate = hotSync.BeforeUser();
    if (gate != HotSyncGate::Go) {
      result.stop = StopOf(gate);
      break;
    }
    const SessionUser& user = users[i];
    (WriteUser(user.userId, writes, bPermanent) ? result.written : result.failed).push_back(user);
    if (!progress.Step(i + 1, [&] {
          return std::to_string(i + 1) + " of " + std::to_string(users.size()) + " users written.";
        })) {
      ++i;
      result.stop = RunResult::Stop::Cancelled;
      break;
    }
  }
  if (result.stop != RunResult::Stop::None) {
    for (; i < users.size(); ++i) result.notWritten.push_back(users[i]);
  }
  return result;
}

std::vector<UserConduitAction> OVSession::ReadUserActions(std::uint32_t userId) const {
  const std::vector<CONDUIT_REC*> conduits = Conduits();
  return ::ReadUserActions(userId, std::vector<const CONDUIT_REC*>(conduits.begin(), conduits.end()));
}

OverrideSearch OVSession::FindOneTimeOverrides(const std::vector<std::uint32_t>& userIds,
                                               const RunHooks& hooks) const {
  OverrideSearch search;
  const std::vector<ConduitWrite> writes = WritesOf(Conduits());
  Progress progress(hooks, userIds.size());
  for (std::size_t i = 0; i < userIds.size(); ++i) {
    for (const ConduitWrite& w : writes) {
      std::int32_t nCode = 0;
      // Only a one-time action that is there and says something else counts; a read that fails
      // is no reason to end anything.
      if (palm::UmGetUserTempSyncPreferences(userIds[i], w.dwCreatorID, &nCode) >= 0 && nCode != w.nCode) {
        search.overrides.push_back({userIds[i], w.dwCreatorID});
      }
    }
    if (!progress.Step(i + 1, [&] {
          return "Looking for one-time actions: " + std::to_string(i + 1) + " of " + std::to_string(userIds.size()) +
                 " users read.";
        })) {
      search.bCancelled = i + 1 < userIds.size();
      break;
    }
  }
  return search;
}

EndResult OVSession::EndOneTimeActions(const std::vector<OneTimeOverride>& overrides, const RunHooks& hooks) const {
  EndResult result;
  std::size_t nUsers = 0;
  for (std::size_t i = 0; i < overrides.size(); ++i) {
    if (i == 0 || overrides[i].userId != overrides[i - 1].userId) ++nUsers;
  }
  Progress progress(hooks, nUsers);
  HotSyncWatch hotSync(hooks);
  std::size_t nUserDone = 0;
  for (std::size_t i = 0; i < overrides.size(); ++i) {
    const OneTimeOverride& o = overrides[i];
    if (i == 0 || overrides[i - 1].userId != o.userId) {
      const HotSyncGate gate = hotSync.BeforeUser();
      if (gate != HotSyncGate::Go) {
        result.stop = StopOf(gate);
        result.nNotReached = overrides.size() - i;
        break;
      }
    }
    if (palm::UmDeleteUserTempSyncPreferences(o.userId, o.dwCreatorID) < 0) {
      ++result.nFailed;
    } else {
      ++result.nEnded;
    }
    const bool bLastOfUser = i + 1 == overrides.size() || overrides[i + 1].userId != o.userId;
    if (bLastOfUser && !progress.Step(++nUserDone, [&] {
          return "Ending one-time actions: " + std::to_string(nUserDone) + " of " + std::to_string(nUsers) +
                 " users done.";
        })) {
      result.nNotReached = overrides.size() - i - 1;
      if (result.nNotReached) result.stop = RunResult::Stop::Cancelled;
      break;
    }
  }
  return result;
}

bool OVSession::ReadOverview(OverviewTable& table, const std::vector<std::size_t>& order, const RunHooks& hooks) {
  std::size_t nLeft = 0;
  for (std::size_t row : order) {
    if (row < table.UserCount() && !table.IsRead(row)) ++nLeft;
  }
  Progress progress(hooks, nLeft, kReadingCaption);
  std::size_t nDone = 0;
  for (std::size_t row : order) {
    if (row >= table.UserCount() || table.IsRead(row)) continue;
    table.ReadRow(row);
    ++nDone;
    if (!progress.Step(nDone, [&] {
          return "Reading HotSync actions: " + std::to_string(nDone) + " of " + std::to_string(nLeft) + " users read.";
        })) {
      return nDone == nLeft;
    }
  }
  return true;
}
