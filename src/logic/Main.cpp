#include "src/logic/Main.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

#include "src/core/misc/CxList.h"
#include "src/core/DataFiles.h"
#include "src/core/misc/ModuleDir.h"
#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "src/logic/CondDetail.h"
#include "src/core/HotSync.h"
#include "src/core/OVProfile.h"
#include "src/core/OVUtil.h"
#include "src/logic/SyncActions.h"
#include "src/core/UserActions.h"
#include "src/logic/Userinfo.h"
#include "src/logic/profile.h"

CCondMgr* g_pCondMgr = nullptr;

namespace {

// Failed users named in the error message; the rest are counted.
constexpr std::size_t kMaxNamedUsers = 10;

const char* const kDataFileCond = "ovcond.dat";
const char* const kDataFileCurr = "ovcurr.dat";

}  // namespace

// The first names are listed and the rest counted, so that the box stays on the screen however
// many users there are.
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

namespace {

std::string Count(std::size_t n, const char* szOne, const char* szMany) {
  return std::to_string(n) + " " + (n == 1 ? szOne : szMany);
}

}  // namespace

std::string ApplyFailureText(const std::vector<std::string>& names) {
  return "The settings of " + Count(names.size(), "user", "users") + " could not be updated: " + NameList(names) + ".";
}

std::string StoppedApplyText(const ApplyResult& result) {
  std::string text;
  if (result.written.empty()) {
    text = "The settings were written for no user.";
  } else {
    text = "The settings were written for " + Count(result.written.size(), "user", "users") + ": " +
           NameList(result.written) + ".";
  }
  if (!result.notWritten.empty()) {
    text += "\nThey were not written for " + Count(result.notWritten.size(), "user", "users") + ": " +
            NameList(result.notWritten) + ".";
  }
  return text;
}

HotSyncGate AskHotSync(ov::WindowView& view, const char* szGoOn, bool* pbGoOnUnknown) {
  switch (CheckHotSync()) {
    case HotSyncState::NotRunning: return HotSyncGate::Go;
    case HotSyncState::Syncing: return HotSyncGate::Syncing;
    case HotSyncState::Unknown: break;
  }
  if (pbGoOnUnknown && *pbGoOnUnknown) return HotSyncGate::Go;
  ov::MessageRequest request;
  request.text = std::string(kHotSyncUnknownText) + "\n\n" + szGoOn;
  request.caption = "HotSync Manager";
  request.icon = ov::MessageIcon::Warning;
  request.buttons = ov::MessageButtons::YesNo;
  request.defaultAnswer = ov::MessageAnswer::No;
  if (view.ShowMessage(request) != ov::MessageAnswer::Yes) return HotSyncGate::Declined;
  if (pbGoOnUnknown) *pbGoOnUnknown = true;
  return HotSyncGate::Go;
}

bool MayEndOneTimeActions(ov::WindowView& view) {
  bool bGoOnUnknown = false;
  switch (AskHotSync(view, "End the one-time actions anyway?", &bGoOnUnknown)) {
    case HotSyncGate::Go: return true;
    case HotSyncGate::Syncing: break;
    case HotSyncGate::Declined: return false;
  }
  ov::MessageRequest request;
  request.text = "A HotSync is in progress. No one-time action was ended.";
  request.caption = "HotSync in Progress";
  request.icon = ov::MessageIcon::Warning;
  view.ShowMessage(request);
  return false;
}

namespace {

// The progress window of a long run of nTotal steps: opened once the time so far, projected
// over every step, passes the delay (so a short run never shows it), and closed at the end.
class Progress {
 public:
  using Clock = std::chrono::steady_clock;

  Progress(MainView& view, std::size_t nTotal, std::chrono::milliseconds delay)
      : m_view(view), m_nTotal(nTotal), m_delay(delay), m_start(Clock::now()) {}
  ~Progress() {
    if (m_bShown) m_view.ProgressEnd();
  }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // After nDone steps: false once Cancel was pressed. The text is made only when shown.
  template <class MakeText>
  bool Step(std::size_t nDone, MakeText makeText) {
    if (!m_bShown) {
      // Nothing to show once the last step is done.
      if (nDone == 0 || nDone >= m_nTotal) return true;
      const auto elapsed = Clock::now() - m_start;
      if (elapsed < m_delay && elapsed * static_cast<long long>(m_nTotal) / static_cast<long long>(nDone) < m_delay) {
        return true;
      }
      m_view.ProgressBegin(mainwnd::kProgressCaption, static_cast<int>(m_nTotal));
      m_bShown = true;
    }
    return m_view.ProgressStep(static_cast<int>(nDone), makeText());
  }

 private:
  MainView& m_view;
  std::size_t m_nTotal;
  std::chrono::milliseconds m_delay;
  Clock::time_point m_start;
  bool m_bShown = false;
};

}  // namespace

namespace {

// Percent-encodes a local path for a file address, keeping what a URL path may hold as it is.
std::string EncodeUrlPath(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : path) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
        std::strchr("-._~!$&'()*+,;=:@/", u) != nullptr) {
      out += c;
    } else {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    }
  }
  return out;
}

}  // namespace

// -------------------------------------------------------------------------------------------------
// Actions

void GetActionName(std::uint32_t dwAction, char* szText) {
  const char* szName;
  if (dwAction > ACTION_CODE_MASK) {
    szName = "Do Nothing";
  } else {
    switch (dwAction) {
      case ACTION_PC2HH: szName = "Desktop overwrites handheld"; break;
      case ACTION_HH2PC: szName = "Handheld overwrites Desktop"; break;
      case ACTION_NOTHING: szName = "Do Nothing"; break;
      default: szName = "Synchronize the files"; break;  // 1, and codes only a damaged file holds
    }
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

std::string HelpPagePath() {
  char szDir[260];
  if (!GetModuleDirectory(nullptr, szDir, sizeof szDir)) return {};
  const char sep = os::kPathSep;
  return std::string(szDir) + "help" + sep + "orvane" + sep + "index.htm";
}

std::string HelpAddress() {
  // file:///opt/orvane/help/orvane/index.htm?ref=app, file:///C:/Tools/help/... on Windows.
  std::string path = HelpPagePath();
  if (path.empty()) return {};
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  if (path.front() != '/') path.insert(0, "/");
  return "file://" + EncodeUrlPath(path) + "?ref=app";
}

// -------------------------------------------------------------------------------------------------
// Creation and destruction

MainWindowLogic::MainWindowLogic(MainView& view)
    : m_view(view),
      m_bRefilling(false),
      m_bCreated(false),
      m_pProfile(nullptr),
      m_pProfMgr(nullptr),
      m_nCondSelected(-1),
      m_nUserSelected(-1),
      m_bDetailEnabled(true),
      m_bDefaultAction(true) {}

MainWindowLogic::~MainWindowLogic() { FormDestroy(); }

void MainWindowLogic::FormCreate() {
  m_bCreated = true;
  // The executable's directory is found from the running executable wherever it is needed
  // (GetModuleDirectory), so no module handle is kept.
  PalmLibInit();
  g_pCondMgr = CCondMgr::GetInstance();
  FillUserList();
  // The data files are written in the data directory and read from where they are (beside a
  // read-only executable until the first save); "" when no directory is found or the path would
  // not fit, so that no data file is ever read from or written to the current directory.
  m_condFile = DataFileForWriting(kDataFileCond);
  FillConduitList(true);

  m_pProfMgr = new OVProfMgr;
  m_pProfile = new OVProfile;
  // A missing file leaves the profile empty; the conduits keep the actions the fill gave them.
  // An empty name (no directory) loads nothing.
  const std::string readFile = DataFileForReading(kDataFileCurr);
  if (!readFile.empty()) {
    m_pProfile->SetFileName(readFile.c_str());
    m_pProfile->Load();
  }
  m_pProfile->SetFileName(DataFileForWriting(kDataFileCurr).c_str());
  ExchangeProfile(false, m_pProfile);
}

void MainWindowLogic::FormClose() {
  if (!m_pProfile) return;
  ExchangeProfile(true, m_pProfile);
  // The next start would show older actions without a word: say so while the window is here.
  // The previous file stays whole when the new one cannot be written.
  if (!m_pProfile->Save()) {
    const char* szFile = m_pProfile->GetFileName();
    Tell(szFile[0] ? "The current settings could not be saved to " + std::string(szFile) + "."
                   : std::string("The current settings could not be saved: the tool's own directory was not found."),
         "Orvane Error", ov::MessageIcon::Error);
  }
}

void MainWindowLogic::FormDestroy() {
  if (!m_bCreated) return;
  m_bCreated = false;
  // The rows refer to records of the roster and the catalogue: they go first.
  m_users.clear();
  m_conds.clear();
  delete m_pProfile;
  m_pProfile = nullptr;
  delete m_pProfMgr;
  m_pProfMgr = nullptr;
  PalmLibExit();
}

void MainWindowLogic::Tell(const std::string& text, const char* caption, ov::MessageIcon icon) {
  ov::MessageRequest request;
  request.text = text;
  request.caption = caption;
  request.icon = icon;
  m_view.ShowMessage(request);
}

// -------------------------------------------------------------------------------------------------
// Rows

CONDUIT_REC* MainWindowLogic::CondRecordAt(int nRow) const {
  if (nRow < 0 || static_cast<std::size_t>(nRow) >= m_conds.size()) return nullptr;
  return m_conds[static_cast<std::size_t>(nRow)].pRec;
}

const UserRecord* MainWindowLogic::UserRecordAt(int nRow) const {
  if (nRow < 0 || static_cast<std::size_t>(nRow) >= m_users.size()) return nullptr;
  return m_users[static_cast<std::size_t>(nRow)].pUser;
}

void MainWindowLogic::ShowRowAction(int nRow) {
  CondRow& row = m_conds[static_cast<std::size_t>(nRow)];
  if (row.pRec) row.action = ActionName(row.pRec->dwAction);
  m_view.CondRowChanged(nRow);
}

void MainWindowLogic::SetCondTicked(int nRow, bool bTicked) { slvCondChange(nRow, bTicked); }

void MainWindowLogic::UpdateDetailButton() {
  const bool bEnabled = m_nCondSelected >= 0;
  if (bEnabled == m_bDetailEnabled) return;
  m_bDetailEnabled = bEnabled;
  m_view.DetailEnabledChanged();
}

void MainWindowLogic::SelectCondRow(int nRow) {
  m_nCondSelected = (nRow >= 0 && static_cast<std::size_t>(nRow) < m_conds.size()) ? nRow : -1;
  UpdateDetailButton();
}

void MainWindowLogic::SelectUserRow(int nRow) {
  m_nUserSelected = (nRow >= 0 && static_cast<std::size_t>(nRow) < m_users.size()) ? nRow : -1;
}

void MainWindowLogic::SetUserTicked(int nRow, bool bTicked) {
  if (nRow < 0 || static_cast<std::size_t>(nRow) >= m_users.size()) return;
  m_users[static_cast<std::size_t>(nRow)].ticked = bTicked;
}

// -------------------------------------------------------------------------------------------------
// Filling the lists

void MainWindowLogic::FillUserList() {
  m_users.clear();
  m_nUserSelected = -1;
  if (CxList* pRoster = GetUserRoster()) {
    m_users.reserve(pRoster->GetCount());
    for (void* p = pRoster->GetFirst(); p; p = pRoster->GetNext()) {
      const UserRecord* pUser = static_cast<const UserRecord*>(p);
      m_users.push_back({pUser, UserNameOf(*pUser), true});
    }
  }
  m_view.UserListChanged();
}

void MainWindowLogic::FillConduitList(bool bFromCache) {
  m_bRefilling = true;
  const std::string cacheFile = bFromCache ? DataFileForReading(kDataFileCond) : std::string();
  const bool bLoaded = !cacheFile.empty() && g_pCondMgr->LoadFromFile(cacheFile.c_str());
  if (!bLoaded) {
    m_view.SetBusy(true);
    g_pCondMgr->LoadConduits(COND_SRC_DEFAULT);
    SetDefaultActions();
    m_view.SetBusy(false);
  }

  // The old rows refer to records the load has just destroyed: they go before anything else.
  m_conds.clear();
  for (CONDUIT_REC* pRec = g_pCondMgr->GetFirst(); pRec; pRec = g_pCondMgr->GetNext()) {
    m_conds.push_back({pRec, ConduitTitleOf(*pRec), ActionName(pRec->dwAction), IsActionTicked(pRec->dwAction)});
  }
  const bool bHadSelection = m_nCondSelected >= 0;
  m_nCondSelected = -1;
  m_view.CondListChanged();
  if (bHadSelection) UpdateDetailButton();

  // A fresh enumeration is always written, with the default actions.
  if (!bLoaded) g_pCondMgr->SaveToFile(m_condFile.c_str());
  m_bRefilling = false;
}

void MainWindowLogic::SetDefaultActions() {
  for (CONDUIT_REC* pRec = g_pCondMgr->GetFirst(); pRec; pRec = g_pCondMgr->GetNext()) {
    pRec->dwAction = DefaultActionForKind(pRec->dwKind, pRec->dwAction);
  }
}

// -------------------------------------------------------------------------------------------------
// Editing the actions

void MainWindowLogic::slvCondChange(int nRow, bool bTicked) {
  if (nRow < 0 || static_cast<std::size_t>(nRow) >= m_conds.size()) return;
  CondRow& row = m_conds[static_cast<std::size_t>(nRow)];
  // Setting a tick to the value it has raises nothing.
  if (row.ticked == bTicked) return;
  row.ticked = bTicked;
  if (m_bRefilling || !row.pRec) {
    m_view.CondRowChanged(nRow);
    return;
  }
  if (bTicked) {
    row.pRec->dwAction &= ACTION_CODE_MASK;
  } else {
    row.pRec->dwAction |= ACTION_DISABLED;
  }
  ShowRowAction(nRow);
  UpdateDetailButton();
}

void MainWindowLogic::pmCondPopup() {
  const CONDUIT_REC* pRec = CondRecordAt(m_nCondSelected);
  // Without a selected conduit the menu opens as it was last set.
  if (!pRec) return;

  PopupState popup;
  if (pRec->dwKind & COND_KIND_INSTALL) {
    popup.visible[static_cast<int>(PopupItem::Sync)] = false;
    popup.visible[static_cast<int>(PopupItem::HH2PC)] = false;
    popup.pc2hhCaption = mainwnd::kMiInstall;
  } else if (pRec->dwKind & COND_KIND_BACKUP) {
    popup.visible[static_cast<int>(PopupItem::Sync)] = false;
  }

  const std::uint32_t dwAction = pRec->dwAction;
  if (dwAction > ACTION_CODE_MASK || dwAction == ACTION_NOTHING) {
    popup.checked = PopupItem::Nothing;
  } else if (dwAction == ACTION_PC2HH) {
    popup.checked = PopupItem::PC2HH;
  } else if (dwAction == ACTION_HH2PC) {
    popup.checked = PopupItem::HH2PC;
  } else {
    popup.checked = PopupItem::Sync;
  }
  m_popup = popup;
}

void MainWindowLogic::miSyncClick() { SetSelectedAction(ACTION_SYNC); }
void MainWindowLogic::miHH2PCClick() { SetSelectedAction(ACTION_HH2PC); }
void MainWindowLogic::miPC2HHClick() { SetSelectedAction(ACTION_PC2HH); }
void MainWindowLogic::miNothingClick() { SetSelectedAction(ACTION_NOTHING); }

void MainWindowLogic::SetSelectedAction(std::uint32_t dwAction) {
  const int nRow = m_nCondSelected;
  CONDUIT_REC* pRec = CondRecordAt(nRow);
  if (!pRec) return;
  if (dwAction == ACTION_NOTHING) {
    pRec->dwAction |= ACTION_DISABLED;
    SetCondTicked(nRow, false);
  } else {
    pRec->dwAction = dwAction;
    SetCondTicked(nRow, true);
  }
  ShowRowAction(nRow);
}

void MainWindowLogic::SetAllCondTicks(bool bTicked) {
  const int nRows = static_cast<int>(m_conds.size());
  for (int i = 0; i < nRows; ++i) SetCondTicked(i, bTicked);
}

void MainWindowLogic::SetAllUserTicks(bool bTicked) {
  for (UserRow& row : m_users) row.ticked = bTicked;
  m_view.UserListChanged();
}

void MainWindowLogic::sbtnEnableClick() { SetAllCondTicks(true); }
void MainWindowLogic::sbtnDisableClick() { SetAllCondTicks(false); }
void MainWindowLogic::sbtnAllClick() { SetAllUserTicks(true); }
void MainWindowLogic::sbtnClearClick() { SetAllUserTicks(false); }

void MainWindowLogic::sbtnLoadCondClick() { FillConduitList(false); }

void MainWindowLogic::ExchangeProfile(bool bStore, OVProfile* pProfile) {
  if (!pProfile) return;
  const int nRows = static_cast<int>(m_conds.size());
  for (int i = 0; i < nRows; ++i) {
    CONDUIT_REC* pRec = CondRecordAt(i);
    if (!pRec) continue;
    ProfileRec* pEntry = pProfile->FindRec(pRec->dwCreatorID);
    if (pEntry) {
      if (bStore) {
        pEntry->dwAction = pRec->dwAction;
      } else {
        pRec->dwAction = pEntry->dwAction;
        ShowRowAction(i);
        SetCondTicked(i, IsActionTicked(pRec->dwAction));
      }
    } else if (bStore) {
      const ProfileRec entry{pRec->dwCreatorID, pRec->dwAction};
      pProfile->AddRec(&entry);
    }
  }
}

// -------------------------------------------------------------------------------------------------
// Apply

bool MainWindowLogic::ApplyToUser(std::uint32_t userId) {
  bool bAllDone = true;
  for (const CondRow& row : m_conds) {
    if (!row.pRec) continue;
    const std::uint32_t dwCreatorID = row.pRec->dwCreatorID;
    const std::int32_t nCode = SyncPrefCode(row.pRec->dwAction);
    const std::int32_t nResult = m_bDefaultAction ? palm::UmSetUserPermSyncPreferences(userId, dwCreatorID, nCode)
                                                  : palm::UmSetUserTempSyncPreferences(userId, dwCreatorID, nCode);
    if (nResult < 0) bAllDone = false;
  }
  return bAllDone;
}

ApplyResult MainWindowLogic::ApplyToTickedUsers() {
  ApplyResult result;
  std::vector<const UserRow*> users;
  for (const UserRow& row : m_users) {
    if (row.ticked && row.pUser) users.push_back(&row);
  }
  const auto nameOf = [](const UserRow& row) {
    return !row.name.empty() ? row.name : "user " + std::to_string(row.pUser->userId);
  };
  // Thousands of users take seconds: the wait cursor shows that the tool is busy, and the
  // progress window lets the user follow and stop a run that takes longer.
  m_view.SetBusy(true);
  {
    Progress progress(m_view, users.size(), m_progressDelay);
    bool bGoOnUnknown = false;
    std::size_t i = 0;
    for (; i < users.size(); ++i) {
      // HotSync may have started since the last user.
      const HotSyncGate gate = AskHotSync(m_view, "Apply anyway?", &bGoOnUnknown);
      if (gate != HotSyncGate::Go) {
        result.stop = ApplyResult::Stop::HotSync;
        break;
      }
      const UserRow& row = *users[i];
      ++result.nApplied;
      result.written.push_back(nameOf(row));
      result.writtenIds.push_back(row.pUser->userId);
      if (!ApplyToUser(row.pUser->userId)) result.failed.push_back(nameOf(row));
      if (!progress.Step(i + 1, [&] {
            return std::to_string(i + 1) + " of " + std::to_string(users.size()) + " users written.";
          })) {
        ++i;
        result.stop = ApplyResult::Stop::Cancelled;
        break;
      }
    }
    if (result.stop != ApplyResult::Stop::None) {
      for (; i < users.size(); ++i) result.notWritten.push_back(nameOf(*users[i]));
    }
  }
  m_view.SetBusy(false);
  return result;
}

std::vector<OneTimeOverride> MainWindowLogic::FindOneTimeOverrides(const std::vector<std::uint32_t>& userIds,
                                                                   bool* pbCancelled) {
  std::vector<OneTimeOverride> found;
  if (pbCancelled) *pbCancelled = false;
  m_view.SetBusy(true);
  {
    Progress progress(m_view, userIds.size(), m_progressDelay);
    for (std::size_t i = 0; i < userIds.size(); ++i) {
      for (const CondRow& row : m_conds) {
        if (!row.pRec) continue;
        std::int32_t nCode = 0;
        // Only a one-time action that is there and says something else counts; a read that
        // fails is no reason to end anything.
        if (palm::UmGetUserTempSyncPreferences(userIds[i], row.pRec->dwCreatorID, &nCode) >= 0 &&
            nCode != SyncPrefCode(row.pRec->dwAction)) {
          found.push_back({userIds[i], row.pRec->dwCreatorID});
        }
      }
      if (!progress.Step(i + 1, [&] {
            return "Looking for one-time actions: " + std::to_string(i + 1) + " of " + std::to_string(userIds.size()) +
                   " users read.";
          })) {
        if (pbCancelled) *pbCancelled = true;
        break;
      }
    }
  }
  m_view.SetBusy(false);
  return found;
}

std::size_t MainWindowLogic::EndOneTimeActions(const std::vector<OneTimeOverride>& overrides) {
  std::size_t nFailed = 0;
  std::size_t nUsers = 0;
  for (std::size_t i = 0; i < overrides.size(); ++i) {
    if (i == 0 || overrides[i].userId != overrides[i - 1].userId) ++nUsers;
  }
  m_view.SetBusy(true);
  {
    Progress progress(m_view, nUsers, m_progressDelay);
    std::size_t nUserDone = 0;
    for (std::size_t i = 0; i < overrides.size(); ++i) {
      const OneTimeOverride& o = overrides[i];
      if (palm::UmDeleteUserTempSyncPreferences(o.userId, o.dwCreatorID) < 0) ++nFailed;
      const bool bLastOfUser = i + 1 == overrides.size() || overrides[i + 1].userId != o.userId;
      if (bLastOfUser && !progress.Step(++nUserDone, [&] {
            return "Ending one-time actions: " + std::to_string(nUserDone) + " of " + std::to_string(nUsers) +
                   " users done.";
          })) {
        nFailed += overrides.size() - i - 1;
        break;
      }
    }
  }
  m_view.SetBusy(false);
  return nFailed;
}

void MainWindowLogic::OfferToEndOverrides(const std::vector<std::uint32_t>& userIds, const std::string& before) {
  bool bCancelled = false;
  const std::vector<OneTimeOverride> overrides = FindOneTimeOverrides(userIds, &bCancelled);
  if (overrides.empty()) {
    if (!before.empty()) Tell(before, "Information", ov::MessageIcon::Information);
    return;
  }
  std::set<std::uint32_t> users, conduits;
  for (const OneTimeOverride& o : overrides) {
    users.insert(o.userId);
    conduits.insert(o.dwCreatorID);
  }
  ov::MessageRequest request;
  request.text = (before.empty() ? std::string() : before + "\n\n") + Count(users.size(), "user has", "users have") +
                 " one-time actions for " + Count(conduits.size(), "conduit", "conduits") +
                 " that differ from the default just written (" + Count(overrides.size(), "action", "actions") +
                 " in all). The next HotSync would do these one-time actions instead of the new default.\n\n"
                 "End these one-time actions? (No keeps them.)";
  request.caption = "One-Time Actions";
  request.icon = ov::MessageIcon::Question;
  request.buttons = ov::MessageButtons::YesNo;
  request.defaultAnswer = ov::MessageAnswer::No;
  if (m_view.ShowMessage(request) != ov::MessageAnswer::Yes) return;

  if (!MayEndOneTimeActions(m_view)) return;
  const std::size_t nFailed = EndOneTimeActions(overrides);
  if (nFailed == 0) {
    Tell(Count(overrides.size(), "one-time action was", "one-time actions were") + " ended.", "Information",
         ov::MessageIcon::Information);
  } else {
    Tell(Count(nFailed, "one-time action", "one-time actions") + " of " + std::to_string(overrides.size()) +
             " could not be ended.",
         "Error", ov::MessageIcon::Error);
  }
}

void MainWindowLogic::sbtnApplyClick() {
  const ApplyResult result = ApplyToTickedUsers();
  if (result.nApplied == 0 && result.stop == ApplyResult::Stop::None) {
    Tell("No user is selected.", "Information", ov::MessageIcon::Information);
    return;
  }
  if (result.nApplied > 0) g_pCondMgr->SaveToFile(m_condFile.c_str());
  const std::string failures = result.failed.empty() ? std::string() : "\n\n" + ApplyFailureText(result.failed);
  switch (result.stop) {
    case ApplyResult::Stop::None: break;
    case ApplyResult::Stop::HotSync:
      // Said whenever a HotSync stopped the run, also after "No" to an unknown state, so that
      // the user knows who is left.
      Tell("A HotSync is in progress. " + StoppedApplyText(result) +
               " Apply again for the users not written to when the HotSync has ended." + failures,
           "HotSync in Progress", ov::MessageIcon::Warning);
      return;
    case ApplyResult::Stop::Cancelled:
      Tell("Apply was cancelled. " + StoppedApplyText(result) + failures, "Apply Cancelled", ov::MessageIcon::Warning);
      return;
  }
  if (!result.failed.empty()) Tell(ApplyFailureText(result.failed), "Error", ov::MessageIcon::Error);
  const std::string success = result.failed.empty() ? "User settings updated successfully." : "";
  // A default is overridden at the next HotSync by a one-time action of the same conduit: ask
  // whether to end those that say something else.
  if (m_bDefaultAction) {
    OfferToEndOverrides(result.writtenIds, success);
  } else if (!success.empty()) {
    Tell(success, "Information", ov::MessageIcon::Information);
  }
}

bool MainWindowLogic::SetRowFromSyncPref(int nRow, std::int32_t nCode) {
  CONDUIT_REC* pRec = CondRecordAt(nRow);
  if (!pRec) return false;
  switch (nCode) {
    case palm::SYNC_PREF_SYNCHRONIZE: pRec->dwAction = ACTION_SYNC; break;
    case palm::SYNC_PREF_PC_TO_HH: pRec->dwAction = ACTION_PC2HH; break;
    case palm::SYNC_PREF_HH_TO_PC: pRec->dwAction = ACTION_HH2PC; break;
    case palm::SYNC_PREF_DO_NOTHING:
      // Switched off: the list keeps the action it had for when it is switched on again.
      pRec->dwAction |= ACTION_DISABLED;
      break;
    default: return false;
  }
  SetCondTicked(nRow, IsActionTicked(pRec->dwAction));
  ShowRowAction(nRow);
  return true;
}

// -------------------------------------------------------------------------------------------------
// The simple commands and the dialogs

void MainWindowLogic::sbtnHelpClick() {
  // Help always answers: a page that is missing, or that nothing can show, is said, with the
  // page's path so that the user can open it by hand.
  const std::string page = HelpPagePath();
  if (page.empty() || !os::FileExists(page.c_str())) {
    Tell("The help page " + page + " was not found.", "Orvane Error", ov::MessageIcon::Error);
  } else if (!os::ShellOpen(HelpAddress().c_str())) {
    Tell("The help page could not be opened: no program to show it was found. It is the file " + page + ".",
         "Orvane Error", ov::MessageIcon::Error);
  }
}

void MainWindowLogic::sbtnExitClick() { m_view.CloseWindow(); }

void MainWindowLogic::sbtnHotSyncClick() {
  // Found in the current directory, the Palm Desktop core directory since start-up.
  OpenWithShell("hotsync.exe");
}

void MainWindowLogic::sbtnProfileClick() {
  // The dialog changes the conduit list itself (through ExchangeProfile); its result is not
  // used.
  ProfileLogic dialog(this);
  dialog.SetProfMgr(m_pProfMgr);
  m_view.RunProfiles(dialog);
}

void MainWindowLogic::slvUserDblClick() {
  const UserRecord* pUser = UserRecordAt(m_nUserSelected);
  if (!pUser) return;
  // Filled once, shown modally and destroyed; its result is not used.
  UserInfoLogic dialog;
  dialog.LoadUserInfo(pUser->userId);
  dialog.SetMain(this);
  m_view.RunUserInfo(dialog);
}

void MainWindowLogic::miUserActionsClick() {
  const UserRow* pRow = m_nUserSelected >= 0 ? &m_users[static_cast<std::size_t>(m_nUserSelected)] : nullptr;
  if (!pRow || !pRow->pUser) return;
  OpenSyncActions(pRow->pUser->userId, pRow->name);
}

void MainWindowLogic::OpenSyncActions(std::uint32_t userId, const std::string& userName) {
  SyncActionsLogic dialog(*this, userId, userName);
  m_view.RunSyncActions(dialog);
}

void MainWindowLogic::sbtnDetailClick() {
  const int nRow = m_nCondSelected;
  CONDUIT_REC* pRec = CondRecordAt(nRow);
  if (!pRec) return;
  // Bound to pRec, shown modally and destroyed whatever its result; after OK the row shows the
  // record's new action and its tick follows.
  CondDetailLogic dialog;
  dialog.SetData(pRec);
  if (m_view.RunCondDetail(dialog)) {
    ShowRowAction(nRow);
    SetCondTicked(nRow, IsActionTicked(pRec->dwAction));
  }
}
