#include "src/logic/Main.h"

#include "src/logic/History.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <set>
#include <unordered_set>

#include "src/core/misc/CxList.h"
#include "src/core/DataFiles.h"
#include "src/core/misc/ModuleDir.h"
#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "src/logic/CondDetail.h"
#include "src/core/HotSync.h"
#include "src/core/OVProfile.h"
#include "src/core/OVUtil.h"
#include "src/logic/Overview.h"
#include "src/logic/SyncActions.h"
#include "src/core/UserActions.h"
#include "src/logic/Userinfo.h"
#include "src/logic/profile.h"

CCondMgr* g_pCondMgr = nullptr;

namespace {

// Asks the window whether to write while HotSync's state is unknown, once per *pbGoOn.
bool AskGoOnUnknown(ov::WindowView& view, const char* szGoOn, bool* pbGoOn) {
  if (*pbGoOn) return true;
  ov::MessageRequest request;
  request.text = std::string(kHotSyncUnknownText) + "\n\n" + szGoOn;
  request.caption = "HotSync Manager";
  request.icon = ov::MessageIcon::Warning;
  request.buttons = ov::MessageButtons::YesNo;
  request.defaultAnswer = ov::MessageAnswer::No;
  *pbGoOn = view.ShowMessage(request) == ov::MessageAnswer::Yes;
  return *pbGoOn;
}

}  // namespace

RunHooks MainWindowLogic::Hooks() const {
  RunHooks hooks;
  hooks.pProgress = &m_progressRelay;
  hooks.delay = m_progressDelay;
  hooks.interval = m_progressInterval;
  hooks.hotSyncInterval = m_hotSyncInterval;
  // Asked once after every user: counts them for SessionEnding, and stops at the session's end.
  hooks.stopRequested = [this] {
    ++m_nUsersPassed;
    return m_bSessionEnding;
  };
  return hooks;
}

void MainWindowLogic::ProgressRelay::ProgressBegin(const std::string& caption, int nTotal) {
  m_logic.m_view.ProgressBegin(caption, nTotal);
}

bool MainWindowLogic::ProgressRelay::ProgressStep(int nDone, const std::string& text) {
  return m_logic.m_view.ProgressStep(nDone, text) && !m_logic.m_bSessionEnding;
}

void MainWindowLogic::ProgressRelay::ProgressEnd() { m_logic.m_view.ProgressEnd(); }

RunHooks WindowHooks(MainView& view, const MainWindowLogic& logic, const char* szGoOn, bool* pbGoOn) {
  RunHooks hooks = logic.Hooks();
  // The session may have begun to end while the question was open: then nobody said yes.
  hooks.goOnUnknown = [&view, &logic, szGoOn, pbGoOn] {
    return AskGoOnUnknown(view, szGoOn, pbGoOn) && !logic.IsSessionEnding();
  };
  return hooks;
}

bool MayEndOneTimeActions(ov::WindowView& view, bool* pbGoOn) {
  RunHooks hooks;
  hooks.goOnUnknown = [&view, pbGoOn] { return AskGoOnUnknown(view, "End the one-time actions anyway?", pbGoOn); };
  bool bGoOnUnknown = false;
  switch (GateBeforeWrite(hooks, &bGoOnUnknown)) {
    case HotSyncGate::Go: return true;
    case HotSyncGate::Syncing: break;
    case HotSyncGate::Unknown: return false;
  }
  ov::MessageRequest request;
  request.text = "A HotSync is in progress. No one-time action was ended.";
  request.caption = "HotSync in Progress";
  request.icon = ov::MessageIcon::Warning;
  view.ShowMessage(request);
  return false;
}

namespace {

// The local time as "2026-12-10 18:05", for the file a session's end leaves.
std::string Now() {
  const std::time_t t = std::time(nullptr);
  char buf[32] = "";
  if (const std::tm* tm = std::localtime(&t)) std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", tm);
  return buf;
}

// Counts a writing command as running for as long as it is in scope (also when it throws), and
// holds *pbFlag true meanwhile when one is given.
class WritingScope {
 public:
  explicit WritingScope(int& nWriting, bool* pbFlag = nullptr) : m_nWriting(nWriting), m_pbFlag(pbFlag) {
    ++m_nWriting;
    if (m_pbFlag) *m_pbFlag = true;
  }
  ~WritingScope() {
    --m_nWriting;
    if (m_pbFlag) *m_pbFlag = false;
  }
  WritingScope(const WritingScope&) = delete;
  WritingScope& operator=(const WritingScope&) = delete;

 private:
  int& m_nWriting;
  bool* m_pbFlag;
};

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
  m_session.Open();
  TellWrongBuild();
  g_pCondMgr = CCondMgr::GetInstance();
  FillUserList();
  FillConduitList(true);

  m_pProfMgr = m_session.Profiles();
  m_pProfile = m_session.CurrentSettings();
  // A missing file leaves the profile empty; the conduits keep the actions the fill gave them.
  m_session.LoadCurrentSettings();
  ExchangeProfile(false, m_pProfile);
  TellWhatTheLastSessionEndStopped();
}

bool MainWindowLogic::SaveCurrentSettings() {
  if (!m_pProfile) return false;
  ExchangeProfile(true, m_pProfile);
  // The previous file stays whole when the new one cannot be written.
  return m_pProfile->Save();
}

void MainWindowLogic::FormClose() {
  if (!m_pProfile) return;
  // The next start would show older actions without a word: say so while the window is here.
  if (!SaveCurrentSettings()) {
    const char* szFile = m_pProfile->GetFileName();
    Tell(szFile[0] ? "The current settings could not be saved to " + std::string(szFile) + "."
                   : "The current settings could not be saved: " +
                         (os::UserDataDirectoryProblem().empty() ? std::string("the tool's own directory was not found")
                                                                 : os::UserDataDirectoryProblem()) + ".",
         "Orvane Error", ov::MessageIcon::Error);
  }
}

void MainWindowLogic::FormDestroy() {
  if (!m_bCreated) return;
  m_bCreated = false;
  // The rows refer to records of the roster and the catalogue: they go first.
  m_users.clear();
  m_conds.clear();
  m_pProfile = nullptr;
  m_pProfMgr = nullptr;
  m_session.Close();
}

std::string SessionEndApplyText(const RunResult& result, const std::string& when) {
  return "On " + when + " Windows ended the session while Orvane was applying settings, and Apply stopped. " +
         StoppedRunText(result);
}

void MainWindowLogic::SessionEnding() {
  m_bSessionEnding = true;
  if (!m_bCreated || !m_pProfile) return;
  // Windows may end the process as soon as the view returns: what the running command has done
  // so far is written now. It stands between two users (the session's end arrives from its
  // progress window or its HotSync question), so the users passed are the users reached.
  std::string text;
  if (m_bApplying) {
    RunResult sofar;
    sofar.stop = RunResult::Stop::Cancelled;
    const std::size_t nPassed = std::min(m_nUsersPassed, m_applyUsers.size());
    sofar.written.assign(m_applyUsers.begin(), m_applyUsers.begin() + static_cast<std::ptrdiff_t>(nPassed));
    sofar.notWritten.assign(m_applyUsers.begin() + static_cast<std::ptrdiff_t>(nPassed), m_applyUsers.end());
    text = SessionEndApplyText(sofar, Now());
  } else if (m_nWriting > 0) {
    text = "On " + Now() +
           " Windows ended the session while Orvane was ending one-time actions; the one-time actions it had not "
           "reached were not ended.";
  }
  if (!SaveCurrentSettings()) {
    if (!text.empty()) text += "\n";
    const char* szFile = m_pProfile->GetFileName();
    text += "On " + Now() + " Windows ended the session and the current settings could not be saved" +
            (szFile[0] ? " to " + std::string(szFile) : std::string()) + ".";
  }
  if (!text.empty()) KeepForNextStart(text);
}

void MainWindowLogic::KeepForNextStart(const std::string& text) {
  const std::string path = DataFileForWriting(kDataFileEnded);
  if (path.empty()) return;
  std::ofstream out(path, std::ios::trunc);
  out << text << '\n';
}

void MainWindowLogic::TellWhatTheLastSessionEndStopped() {
  const std::string path = DataFileForReading(kDataFileEnded);
  if (path.empty()) return;
  std::string text;
  {
    std::ifstream in(path);
    if (!in) return;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  // Said once: a file that cannot be removed would say it at every start, so it is emptied.
  if (std::remove(path.c_str()) != 0) std::ofstream(path, std::ios::trunc);
  if (!text.empty()) Tell(text, "Orvane", ov::MessageIcon::Warning);
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
  const std::vector<const UserRecord*> users = m_session.Users();
  m_users.reserve(users.size());
  for (const UserRecord* pUser : users) m_users.push_back({pUser, UserNameOf(*pUser), true});
  m_view.UserListChanged();
}

void MainWindowLogic::FillConduitList(bool bFromCache) {
  m_bRefilling = true;
  // An enumeration asks every conduit module for its name: that can take a while.
  m_view.SetBusy(true);
  const bool bLoaded = m_session.LoadConduits(bFromCache);
  m_view.SetBusy(false);

  // The old rows refer to records the load has just destroyed: they go before anything else.
  m_conds.clear();
  for (CONDUIT_REC* pRec : m_session.Conduits()) {
    m_conds.push_back({pRec, ConduitTitleOf(*pRec), ActionName(pRec->dwAction), IsActionTicked(pRec->dwAction)});
  }
  const bool bHadSelection = m_nCondSelected >= 0;
  m_nCondSelected = -1;
  m_view.CondListChanged();
  if (bHadSelection) UpdateDetailButton();

  // A fresh enumeration is always written, with the default actions.
  if (!bLoaded) m_session.SaveConduitCache();
  m_bRefilling = false;
}

void MainWindowLogic::SetDefaultActions() { m_session.SetDefaultActions(); }

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
  m_applyWhat.clear();
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
  m_applyWhat.clear();
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

void MainWindowLogic::sbtnLoadCondClick() {
  FillConduitList(false);
  m_applyWhat.clear();
}

void MainWindowLogic::ExchangeProfile(bool bStore, OVProfile* pProfile) {
  if (!pProfile) return;
  // The rows' conduits, and the row of each.
  std::vector<CONDUIT_REC*> conduits;
  std::vector<int> rowOf;
  for (int i = 0; i < static_cast<int>(m_conds.size()); ++i) {
    if (CONDUIT_REC* pRec = CondRecordAt(i)) {
      conduits.push_back(pRec);
      rowOf.push_back(i);
    }
  }
  if (bStore) {
    OVSession::StoreActions(conduits, pProfile);
    return;
  }
  for (const std::size_t k : OVSession::PutActions(pProfile->GetRecords(), conduits)) {
    const int nRow = rowOf[k];
    ShowRowAction(nRow);
    SetCondTicked(nRow, IsActionTicked(CondRecordAt(nRow)->dwAction));
  }
  // The ticks set above clear it; a saved profile (not the current settings) names the list.
  m_applyWhat = pProfile != m_pProfile ? "profile " + std::string(pProfile->GetDescription()) : std::string();
}

// -------------------------------------------------------------------------------------------------
// Apply

bool MainWindowLogic::ApplyToUser(std::uint32_t userId) { return m_session.ApplyToUser(userId, m_bDefaultAction); }

RunResult MainWindowLogic::ApplyToTickedUsers() {
  std::vector<SessionUser> users;
  for (const UserRow& row : m_users) {
    if (row.ticked && row.pUser) users.push_back(SessionUserOf(*row.pUser));
  }
  // Thousands of users take seconds: the wait cursor shows that the tool is busy, and the
  // progress window lets the user follow and stop a run that takes longer.
  m_view.SetBusy(true);
  bool bGoOn = false;
  RunResult result;
  {
    WritingScope writing(m_nWriting, &m_bApplying);
    m_applyUsers = users;
    m_nUsersPassed = 0;
    RunHooks hooks = WindowHooks(m_view, *this, "Apply anyway?", &bGoOn);
    hooks.what = m_applyWhat;
    result = m_session.Apply(users, m_bDefaultAction, hooks);
    m_applyUsers.clear();
  }
  m_view.SetBusy(false);
  return result;
}

UndoResult MainWindowLogic::UndoLatest(bool* pbGoOn) {
  m_view.SetBusy(true);
  const UndoResult result = m_session.Undo(WindowHooks(m_view, *this, "Undo anyway?", pbGoOn));
  m_view.SetBusy(false);
  return result;
}

void MainWindowLogic::sbtnHistoryClick() {
  HistoryLogic dialog(*this);
  m_view.RunHistory(dialog);
}

OverrideSearch MainWindowLogic::FindOneTimeOverrides(const std::vector<std::uint32_t>& userIds) {
  m_view.SetBusy(true);
  OverrideSearch search = m_session.FindOneTimeOverrides(userIds, Hooks());
  m_view.SetBusy(false);
  return search;
}

EndResult MainWindowLogic::EndOneTimeActions(const std::vector<OneTimeOverride>& overrides, bool* pbGoOn) {
  m_view.SetBusy(true);
  EndResult result;
  {
    WritingScope writing(m_nWriting);
    result = m_session.EndOneTimeActions(overrides, WindowHooks(m_view, *this, "End the one-time actions anyway?", pbGoOn));
  }
  m_view.SetBusy(false);
  return result;
}

std::string EndResultText(const EndResult& result) {
  const std::size_t nAll = result.nEnded + result.nFailed + result.nNotReached;
  if (result.nFailed == 0 && result.nNotReached == 0) {
    return CountText(result.nEnded, "one-time action was", "one-time actions were") + " ended.";
  }
  std::string text;
  if (result.nFailed) {
    text = CountText(result.nFailed, "one-time action", "one-time actions") + " of " + std::to_string(nAll) +
           " could not be ended.";
  }
  if (result.nNotReached) {
    if (!text.empty()) text += " ";
    text += CountText(result.nNotReached, "one-time action", "one-time actions") + " of " + std::to_string(nAll) +
            " were not ended: " +
            (result.stop == RunResult::Stop::Cancelled ? std::string("Cancel was pressed.") : StopReasonText(result.stop));
  }
  return text;
}

void MainWindowLogic::OfferToEndOverrides(const std::vector<std::uint32_t>& userIds, const std::string& before,
                                          const char* szBeforeCaption, ov::MessageIcon beforeIcon) {
  const OverrideSearch search = FindOneTimeOverrides(userIds);
  const std::string lead = before.empty() ? std::string() : before + "\n\n";
  if (search.bCancelled) {
    // Half a search is no ground for a question.
    Tell(lead + "The search for one-time actions that would override the new defaults was cancelled; none was ended.",
         szBeforeCaption, beforeIcon);
    return;
  }
  if (search.overrides.empty()) {
    if (!before.empty()) Tell(before, szBeforeCaption, beforeIcon);
    return;
  }
  ov::MessageRequest request;
  request.text = lead + OverrideSummaryText(search.overrides) +
                 " The next HotSync would do these one-time actions instead of the new default.\n\n"
                 "End these one-time actions? (No keeps them.)";
  request.caption = "One-Time Actions";
  request.icon = ov::MessageIcon::Question;
  request.buttons = ov::MessageButtons::YesNo;
  request.defaultAnswer = ov::MessageAnswer::No;
  if (m_view.ShowMessage(request) != ov::MessageAnswer::Yes) return;

  bool bGoOn = false;
  if (!MayEndOneTimeActions(m_view, &bGoOn)) return;
  const EndResult result = EndOneTimeActions(search.overrides, &bGoOn);
  const bool bAll = result.nFailed == 0 && result.nNotReached == 0;
  Tell(EndResultText(result), bAll ? "Information" : "Error", bAll ? ov::MessageIcon::Information : ov::MessageIcon::Error);
}

void MainWindowLogic::sbtnApplyClick() {
  const RunResult result = ApplyToTickedUsers();
  if (m_bSessionEnding) {
    // Nobody is there to read a message: the exact result replaces what the session's end wrote.
    if (result.Reached() > 0) m_session.SaveConduitCache();
    KeepForNextStart(SessionEndApplyText(result, Now()));
    return;
  }
  if (result.Reached() == 0 && result.stop == RunResult::Stop::None) {
    Tell("No user is selected.", "Information", ov::MessageIcon::Information);
    return;
  }
  if (result.Reached() > 0) m_session.SaveConduitCache();
  // A default is overridden at the next HotSync by a one-time action of the same conduit: after
  // a default Apply, the users written are asked about, also after a stop (the users that failed
  // are not: their defaults are not known to be what the list shows).
  const std::vector<std::uint32_t> writtenIds = RunResult::Ids(result.written);
  const bool bAskOneTime = m_bDefaultAction && !writtenIds.empty();
  std::string text;
  const char* szCaption = "Information";
  ov::MessageIcon icon = ov::MessageIcon::Information;
  switch (result.stop) {
    case RunResult::Stop::None:
      if (!result.failed.empty()) {
        text = ApplyFailureText(RunResult::Names(result.failed));
        szCaption = "Error";
        icon = ov::MessageIcon::Error;
      } else {
        text = "User settings updated successfully.";
      }
      break;
    case RunResult::Stop::HotSync:
    case RunResult::Stop::HotSyncUnknown:
      // Said whenever HotSync stopped the run, so that the user knows who is left.
      text = StopReasonText(result.stop) + " " + StoppedRunText(result) +
             " Apply again for the users not written to when the HotSync has ended.";
      szCaption = result.stop == RunResult::Stop::HotSync ? "HotSync in Progress" : "HotSync State Unknown";
      icon = ov::MessageIcon::Warning;
      break;
    case RunResult::Stop::Cancelled:
      text = StopReasonText(result.stop) + " " + StoppedRunText(result);
      szCaption = "Apply Cancelled";
      icon = ov::MessageIcon::Warning;
      break;
  }
  // What the history could not keep is said with the result.
  if (!result.unrecorded.empty()) {
    text += "\n\nThe settings of " + CountText(result.unrecorded.size(), "user", "users") +
            " could not be read before they were written, so Undo cannot put them back: " +
            NameList(RunResult::Names(result.unrecorded)) + ".";
  }
  for (const std::string& notice : result.historyNotices) text += "\n\n" + notice;
  if (!bAskOneTime) {
    Tell(text, szCaption, icon);
    return;
  }
  // The failure message stands alone, as an error; the one-time question follows it.
  if (result.stop == RunResult::Stop::None && !result.failed.empty()) {
    Tell(text, szCaption, icon);
    OfferToEndOverrides(writtenIds, "", "Information", ov::MessageIcon::Information);
    return;
  }
  OfferToEndOverrides(writtenIds, text, szCaption, icon);
}

bool MainWindowLogic::SetRowFromSyncPref(int nRow, std::int32_t nCode) {
  CONDUIT_REC* pRec = CondRecordAt(nRow);
  if (!pRec || !ActionFromSyncPref(nCode, &pRec->dwAction)) return false;
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
  // HotSync Manager lives in the Palm Desktop core directory, and is started by its full path
  // there (never from wherever the current directory happens to be).
  char core[PALM_MAX_PATH];
  if (GetPalmCorePath(core, sizeof core) != PALMPATH_OK) {
    Tell("HotSync Manager could not be started: Palm Desktop's directory was not found.", "Orvane Error",
         ov::MessageIcon::Error);
    return;
  }
  std::string exe = core;
  if (exe.back() != os::kPathSep) exe += os::kPathSep;
  exe += "hotsync.exe";
  if (!os::FileExists(exe.c_str())) {
    Tell("HotSync Manager could not be started: " + exe + " was not found.", "Orvane Error", ov::MessageIcon::Error);
  } else if (!OpenWithShell(exe.c_str())) {
    Tell("HotSync Manager could not be started from " + exe + ".", "Orvane Error", ov::MessageIcon::Error);
  }
}

namespace {

std::string WrongBuildText(const PalmLoadFailure& failure) {
  // A 64-bit Orvane meets Palm's 32-bit libraries (or the other way round): the system's error 193.
  return "Palm Desktop's library " + failure.path + " could not be loaded: it is not built for this " +
         std::to_string(sizeof(void*) * 8) +
         "-bit Orvane. Palm Desktop's libraries are 32-bit: start the 32-bit orvane.exe, the one the setup "
         "program installs. (A damaged library file is refused the same way.)";
}

}  // namespace

void MainWindowLogic::TellWrongBuild() {
  const PalmLoadFailure& failure = LastPalmLoadFailure();
  if (failure.why == PalmLoadFailure::Why::LoadFailed && failure.error.kind == os::LoadFailure::WrongArchitecture) {
    Tell(WrongBuildText(failure), "Orvane Error", ov::MessageIcon::Error);
  }
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

void MainWindowLogic::sbtnOverviewClick() {
  OverviewLogic dialog(*this);
  m_view.RunOverview(dialog);
}

void MainWindowLogic::TickUsersOnly(const std::vector<std::uint32_t>& userIds) {
  const std::unordered_set<std::uint32_t> chosen(userIds.begin(), userIds.end());
  for (UserRow& row : m_users) row.ticked = chosen.count(row.pUser->userId) != 0;
  m_view.UserListChanged();
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
