#include "src/core/Session.h"

#include <unordered_map>
#include <unordered_set>

#include "src/core/DataFiles.h"
#include "src/core/History.h"
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

// How a history entry ends.
const char* EndOf(RunResult::Stop stop) {
  switch (stop) {
    case RunResult::Stop::None: break;
    case RunResult::Stop::HotSync: return "hotsync";
    case RunResult::Stop::HotSyncUnknown: return "hotsync-unknown";
    case RunResult::Stop::Cancelled: return "cancelled";
  }
  return "done";
}

// One read of a preference as the history keeps it: the default, or the one-time preference
// for the next HotSync ("not set" there: no one-time action).
HistValue ReadForHistory(std::uint32_t userId, std::uint32_t dwCreatorID, bool bPermanent) {
  std::int32_t nCode = 0;
  const std::int32_t nResult = bPermanent ? palm::UmGetUserPermSyncPreferences(userId, dwCreatorID, &nCode)
                                          : palm::UmGetUserTempSyncPreferences(userId, dwCreatorID, &nCode);
  if (nResult >= 0) return HistValue::Code(nCode);
  if (nResult == palm::USERDATA_ERR_NOT_FOUND) return HistValue::NotSet();
  return HistValue::Failed(nResult);
}

std::vector<std::uint32_t> IdsOf(const std::vector<SessionUser>& users) { return RunResult::Ids(users); }

void TakeNotices(const HistoryFile& history, std::vector<std::string>* pNotices) {
  pNotices->insert(pNotices->end(), history.Notices().begin(), history.Notices().end());
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

bool OVSession::LibrariesLoaded() const {
  return m_bOpen && PalmLibLoaded(PLIB_CONDMGR) && PalmLibLoaded(PLIB_USERDATA);
}

void OVSession::Open() {
  if (m_bOpen) return;
  m_bOpen = true;
  // Data files that an older build wrote into the virtualized copy of its directory come home
  // before anything reads them.
  MoveVirtualStoreDataFiles();
  PalmLibInit();
  // The data files are written in the data directory and read from where they are (beside a
  // read-only executable until the first save); "" when no directory is found, so that no data
  // file is ever read from or written to the current directory.
  m_condFile = DataFileForWriting(kDataFileCond);
  if (m_historyPath.empty()) m_historyPath = DataFileForWriting(kDataFileHistory);
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
  if (!PalmLibLoaded(PLIB_CONDMGR)) {
    pMgr->RemoveAll();
    return false;
  }
  const std::string cacheFile = bFromCache ? DataFileForReading(kDataFileCond) : std::string();
  if (!cacheFile.empty() && pMgr->LoadFromFile(cacheFile.c_str())) return true;
  pMgr->LoadConduits(COND_SRC_DEFAULT);
  SetDefaultActions();
  return false;
}

void OVSession::SetDefaultActions() {
  for (CONDUIT_REC* pRec : Conduits()) pRec->dwAction = DefaultActionForKind(pRec->dwKind, pRec->dwAction);
}

bool OVSession::SaveConduitCache() {
  if (!PalmLibLoaded(PLIB_CONDMGR)) return false;
  return CCondMgr::GetInstance()->SaveToFile(m_condFile.c_str());
}

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
  const std::vector<CONDUIT_REC*> conduits = Conduits();
  const std::vector<ConduitWrite> writes = WritesOf(conduits);
  Progress progress(hooks, users.size());
  HotSyncWatch hotSync(hooks);
  // The history: the header before the first user is written, each user's values before that
  // user is (each read once), the end once the command ends.
  HistoryFile history(m_historyPath, m_historyMax);
  HistHeader header;
  header.kind = HistKind::Apply;
  header.program = m_program;
  header.what = hooks.what.empty() ? std::string("conduit list") : LocalToUtf8(hooks.what);
  header.bPermanent = bPermanent;
  header.conduits.reserve(conduits.size());
  for (std::size_t k = 0; k < conduits.size(); ++k) {
    header.conduits.push_back({writes[k].dwCreatorID, LocalToUtf8(ConduitTitleOf(*conduits[k])), HistValue::Code(writes[k].nCode)});
  }
  bool bBegun = false;
  std::vector<HistValue> old(writes.size());
  std::size_t i = 0;
  for (; i < users.size(); ++i) {
    // HotSync may have started since it was last asked.
    const HotSyncGate gate = hotSync.BeforeUser();
    if (gate != HotSyncGate::Go) {
      result.stop = StopOf(gate);
      break;
    }
    const SessionUser& user = users[i];
    if (!bBegun) {
      bBegun = true;
      if (history.Begin(header)) result.historyId = history.CurrentId();
    }
    bool bAllRead = true;
    for (std::size_t k = 0; k < writes.size(); ++k) {
      old[k] = ReadForHistory(user.userId, writes[k].dwCreatorID, bPermanent);
      bAllRead = bAllRead && old[k].kind != HistValue::Kind::Failed;
    }
    if (!bAllRead) result.unrecorded.push_back(user);
    history.User(user.userId, LocalToUtf8(user.name), old);
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
  if (bBegun) history.End(EndOf(result.stop), IdsOf(result.failed));
  TakeNotices(history, &result.historyNotices);
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
        search.overrides.push_back({userIds[i], w.dwCreatorID, true, nCode});
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

  // The history: the conduits in the order first met, each user's one-time actions before they
  // are ended (as the search read them).
  HistoryFile history(m_historyPath, m_historyMax);
  HistHeader header;
  header.kind = HistKind::EndOneTime;
  header.program = m_program;
  header.what = "one-time actions";
  header.bPermanent = false;
  std::unordered_map<std::uint32_t, std::size_t> column;
  {
    std::unordered_map<std::uint32_t, std::string> titles;
    for (const CONDUIT_REC* pRec : Conduits()) titles.emplace(pRec->dwCreatorID, ConduitTitleOf(*pRec));
    for (const OneTimeOverride& o : overrides) {
      if (column.emplace(o.dwCreatorID, header.conduits.size()).second) {
        const auto it = titles.find(o.dwCreatorID);
        header.conduits.push_back({o.dwCreatorID, it != titles.end() ? LocalToUtf8(it->second) : std::string(),
                                   HistValue::NotSet()});
      }
    }
  }
  std::unordered_map<std::uint32_t, std::string> names;
  for (const UserRecord* pUser : RosterUsers()) names.emplace(pUser->userId, LocalToUtf8(SessionUserOf(*pUser).name));
  bool bBegun = false;
  std::vector<std::uint32_t> failedUsers;
  bool bUserFailed = false;

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
      if (!bBegun) {
        bBegun = true;
        if (history.Begin(header)) result.historyId = history.CurrentId();
      }
      std::vector<HistValue> old(header.conduits.size());
      for (std::size_t k = i; k < overrides.size() && overrides[k].userId == o.userId; ++k) {
        const OneTimeOverride& ok = overrides[k];
        old[column[ok.dwCreatorID]] = ok.bCodeRead ? HistValue::Code(ok.nCode) : ReadForHistory(o.userId, ok.dwCreatorID, false);
      }
      const auto itName = names.find(o.userId);
      history.User(o.userId, itName != names.end() ? itName->second : "user " + std::to_string(o.userId), old);
      bUserFailed = false;
    }
    if (palm::UmDeleteUserTempSyncPreferences(o.userId, o.dwCreatorID) < 0) {
      ++result.nFailed;
      if (!bUserFailed) failedUsers.push_back(o.userId);
      bUserFailed = true;
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
  if (bBegun) history.End(EndOf(result.stop), failedUsers);
  TakeNotices(history, &result.historyNotices);
  return result;
}

// -------------------------------------------------------------------------------------------------
// Undo

std::string UndoLeftText(const std::vector<UndoLeft>& left) {
  if (left.empty()) return {};
  std::string text = "Undo left " + CountText(left.size(), "preference", "preferences") + " as " +
                     (left.size() == 1 ? "it is" : "they are") + ": ";
  for (std::size_t i = 0; i < left.size() && i < kMaxNamedUsers; ++i) {
    if (i) text += "; ";
    text += left[i].user.name + ", " + (left[i].title.empty() ? CreatorIdText(left[i].dwCreatorID) : left[i].title) +
            " (" + left[i].why + ")";
  }
  if (left.size() > kMaxNamedUsers) text += " and " + std::to_string(left.size() - kMaxNamedUsers) + " more";
  return text + ".";
}

UndoResult OVSession::Undo(const RunHooks& hooks, bool bDryRun) const {
  UndoResult result;
  HistoryFile history(m_historyPath, m_historyMax);
  history.Load();
  const HistEntry* pTarget = history.UndoTarget();
  if (!pTarget) {
    result.bNothing = true;
    TakeNotices(history, &result.run.historyNotices);
    return result;
  }
  const HistEntry target = *pTarget;
  result.undoneId = target.id;
  const bool bPermanent = target.bPermanent;

  // What goes back for each user: the conduits with a value recorded before the change; a
  // default that was "not set", and a value that could not be read, stay as they are.
  struct Restore {
    SessionUser user;
    std::vector<std::size_t> columns;
  };
  std::vector<Restore> plan;
  std::vector<HistUser> users = history.UsersOf(*pTarget);
  for (const HistUser& u : users) {
    Restore r{{u.userId, u.name}, {}};
    for (std::size_t k = 0; k < u.oldValues.size(); ++k) {
      const HistValue& v = u.oldValues[k];
      if (v.kind == HistValue::Kind::Untouched) continue;
      if (v.kind == HistValue::Kind::Failed) {
        result.left.push_back({r.user, target.conduits[k].dwCreatorID, target.conduits[k].title,
                               "its value before #" + std::to_string(target.id) + " could not be read"});
      } else if (v.kind == HistValue::Kind::NotSet && bPermanent) {
        result.left.push_back({r.user, target.conduits[k].dwCreatorID, target.conduits[k].title,
                               "the default was not set; Palm's library cannot set it back to not set"});
      } else {
        r.columns.push_back(k);
      }
    }
    if (!r.columns.empty()) plan.push_back(std::move(r));
  }
  if (bDryRun) {
    for (const Restore& r : plan) result.run.written.push_back(r.user);
    TakeNotices(history, &result.run.historyNotices);
    return result;
  }

  HistHeader header;
  header.kind = HistKind::Undo;
  header.program = m_program;
  // What was taken back, as the original change names it ("Apply of profile Sales"), however
  // many Undos lie between.
  header.what = target.kind == HistKind::Undo ? target.what : HistKindText(target) + " of " + target.what;
  header.bPermanent = bPermanent;
  header.undoes = target.id;
  header.conduits = target.conduits;
  for (HistConduit& c : header.conduits) c.newValue = HistValue{};
  // The users by position in the record, so a restore finds its recorded values.
  std::unordered_map<std::uint32_t, std::size_t> userIndex;
  for (std::size_t k = 0; k < users.size(); ++k) userIndex.emplace(users[k].userId, k);

  Progress progress(hooks, plan.size());
  HotSyncWatch hotSync(hooks);
  bool bBegun = false;
  std::vector<HistValue> old(target.conduits.size()), now(target.conduits.size());
  std::size_t i = 0;
  for (; i < plan.size(); ++i) {
    const HotSyncGate gate = hotSync.BeforeUser();
    if (gate != HotSyncGate::Go) {
      result.run.stop = StopOf(gate);
      break;
    }
    if (!bBegun) {
      bBegun = true;
      if (history.Begin(header)) result.run.historyId = history.CurrentId();
    }
    const Restore& r = plan[i];
    const HistUser& recorded = users[userIndex[r.user.userId]];
    std::fill(old.begin(), old.end(), HistValue{});
    std::fill(now.begin(), now.end(), HistValue{});
    for (std::size_t k : r.columns) {
      old[k] = ReadForHistory(r.user.userId, target.conduits[k].dwCreatorID, bPermanent);
      now[k] = recorded.oldValues[k];
    }
    history.User(r.user.userId, r.user.name, old, &now);
    bool bAllDone = true;
    for (std::size_t k : r.columns) {
      const std::uint32_t dwCreatorID = target.conduits[k].dwCreatorID;
      std::int32_t nResult;
      if (now[k].kind == HistValue::Kind::NotSet) {
        nResult = palm::UmDeleteUserTempSyncPreferences(r.user.userId, dwCreatorID);
        // Nothing to delete is what "not set" means.
        if (nResult == palm::USERDATA_ERR_NOT_FOUND) nResult = 0;
      } else {
        nResult = bPermanent ? palm::UmSetUserPermSyncPreferences(r.user.userId, dwCreatorID, now[k].n)
                             : palm::UmSetUserTempSyncPreferences(r.user.userId, dwCreatorID, now[k].n);
      }
      if (nResult < 0) bAllDone = false;
    }
    (bAllDone ? result.run.written : result.run.failed).push_back(r.user);
    if (!progress.Step(i + 1, [&] {
          return "Undo: " + std::to_string(i + 1) + " of " + std::to_string(plan.size()) + " users restored.";
        })) {
      ++i;
      result.run.stop = RunResult::Stop::Cancelled;
      break;
    }
  }
  if (result.run.stop != RunResult::Stop::None) {
    for (; i < plan.size(); ++i) result.run.notWritten.push_back(plan[i].user);
  }
  if (bBegun) history.End(EndOf(result.run.stop), IdsOf(result.run.failed));
  TakeNotices(history, &result.run.historyNotices);
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
