// One session with a Palm Desktop installation: the service that every front end calls (the
// windows through their logic, orvanectl directly).
//
// A session binds Palm's libraries and builds the user roster (PalmLibInit), holds the conduit
// catalogue with its cache file, the current-settings profile and the profile catalogue in the
// data directory, and runs the long commands that write users' sync preferences: Apply, the
// search for one-time actions that override a new default, and their end. A long command asks
// HotSync before every user, reports its progress and looks for Cancel through RunHooks, and
// says in its result who was written, who failed and who was not reached.
//
// The binding and the roster are process-wide (Palm's libraries are); one session at a time.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "src/core/Actions.h"
#include "src/core/History.h"
#include "src/core/HotSync.h"
#include "src/core/UserActions.h"

class OVProfile;
class OVProfMgr;
class OverviewTable;
struct CONDUIT_REC;
struct ProfileRec;
struct UserRecord;

// The data files of the tool, in the data directory (DataFiles.h).
inline constexpr const char* kDataFileCond = "ovcond.dat";
inline constexpr const char* kDataFileCurr = "ovcurr.dat";

// A user as a long command names it: "Alice Smith", or "user 271828" for a user without a name.
struct SessionUser {
  std::uint32_t userId = 0;
  std::string name;
};
SessionUser SessionUserOf(const UserRecord& user);

// The progress of a long command: Begin opens it with a caption and the count of steps, Step
// shows how many are done and what is being done and returns false once the user cancelled, End
// closes it. The window's view draws a progress window; the console may print or ignore it.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void ProgressBegin(const std::string& caption, int nTotal) = 0;
  virtual bool ProgressStep(int nDone, const std::string& text) = 0;
  virtual void ProgressEnd() = 0;
};

// The caption of the progress of the long commands.
inline constexpr const char* kProgressCaption = "Applying Settings";
// Progress is drawn, and Cancel looked at, no more often than this: drawing every one of
// thousands of users costs more than writing them.
inline constexpr std::chrono::milliseconds kProgressInterval{30};

// HotSync is asked again before a user once this much time has passed since it was last asked
// (and always before the first user): no user is written later than this after HotSync Manager
// began to report a HotSync, and asking before every one of thousands of users costs more than
// writing them.
inline constexpr std::chrono::milliseconds kHotSyncCheckInterval{100};

// The caption of the progress while many users' actions are read.
inline constexpr const char* kReadingCaption = "Reading HotSync Actions";

// How a long command reports and is stopped.
struct RunHooks {
  // Null: nothing shown and never cancelled.
  ProgressSink* pProgress = nullptr;
  // Progress opens once the time so far, projected over every step, passes this (so a short
  // run never shows it).
  std::chrono::milliseconds delay{1000};
  // Once open, progress is drawn and Cancel looked at no more often than this.
  std::chrono::milliseconds interval{kProgressInterval};
  // HotSync is asked again no more often than this (0: before every user).
  std::chrono::milliseconds hotSyncInterval{kHotSyncCheckInterval};
  // HotSync Manager runs but does not say whether it synchronizes: true to write anyway. Asked
  // at the first user that meets that state; a true holds for the rest of the command. Null
  // answers false.
  std::function<bool()> goOnUnknown;
  // Polled between users besides Cancel in the progress (a console's Ctrl+C); null: never.
  std::function<bool()> stopRequested;
  // What an Apply writes, as its history entry names it: a profile's name, or "" for the
  // conduit list as it stands.
  std::string what;
};

// What HotSync allows before a user's preferences are written.
enum class HotSyncGate {
  Go,       // no HotSync Manager, an idle one, no HotSync API to ask, or unknown and told to go on
  Syncing,  // a HotSync is in progress: write nothing
  Unknown,  // HotSync Manager did not say, and nobody said to go on
};
// The gate for one write, from CheckHotSync: an unknown state asks hooks.goOnUnknown once
// (*pbGoOnUnknown remembers a yes for the rest of the command).
HotSyncGate GateBeforeWrite(const RunHooks& hooks, bool* pbGoOnUnknown);

// What a long command over users did.
struct RunResult {
  enum class Stop {
    None,           // every user was reached
    HotSync,        // a HotSync was in progress
    HotSyncUnknown, // HotSync Manager did not say whether it synchronizes, and nobody went on
    Cancelled,      // Cancel in the progress, or a stop request
  };
  Stop stop = Stop::None;
  // Users whose every write succeeded, users with at least one failed write, users not
  // reached (after a stop), each in the order of the command.
  std::vector<SessionUser> written;
  std::vector<SessionUser> failed;
  std::vector<SessionUser> notWritten;
  // The history entry that records the command (0: none was written), and what a person should
  // be told about the history file (set aside, could not be written).
  std::uint64_t historyId = 0;
  std::vector<std::string> historyNotices;
  // Users with a preference whose value before the command could not be read (Undo cannot put
  // those back).
  std::vector<SessionUser> unrecorded;

  // Users reached: written and failed.
  std::size_t Reached() const { return written.size() + failed.size(); }
  static std::vector<std::string> Names(const std::vector<SessionUser>& users);
  static std::vector<std::uint32_t> Ids(const std::vector<SessionUser>& users);
};

// "Alice, Bob and Carol" for a list of names: the first ten named, the rest counted
// ("..., Jill and 5 more").
std::string NameList(const std::vector<std::string>& names);
// "1 user", "3 users".
std::string CountText(std::size_t n, const char* szOne, const char* szMany);
// The message of a command that could not write every user: "The settings of 2 users could not
// be updated: Alice, Bob." (the first ten named, the rest counted).
std::string ApplyFailureText(const std::vector<std::string>& failed);
// Who was written, who failed and who was not reached, for a command that stopped: "The
// settings were written for 2 users: Alice, Bob.\nThey could not be written for 1 user: Carol.
// \nThey were not written for 3 users: Dave, Eve, Fay." (lines without users left out).
std::string StoppedRunText(const RunResult& result);
// Why a command stopped, as its first sentence: "A HotSync is in progress.", "HotSync Manager
// did not say whether a HotSync is in progress.", "Apply was cancelled." (empty for None).
std::string StopReasonText(RunResult::Stop stop);

// A one-time action that the next HotSync would do instead of the default just written.
struct OneTimeOverride {
  std::uint32_t userId;
  std::uint32_t dwCreatorID;
  // The one-time action's code as the search read it (the history keeps it); without it, ending
  // reads it first.
  bool bCodeRead = false;
  std::int32_t nCode = 0;
};

// What a search for one-time overrides found.
struct OverrideSearch {
  std::vector<OneTimeOverride> overrides;  // grouped by user, in the order of the users
  bool bCancelled = false;                 // stopped before the last user: overrides is partial
};
// "2 users have one-time actions for 3 conduits that differ from the default just written
// (4 actions in all)."
std::string OverrideSummaryText(const std::vector<OneTimeOverride>& overrides);

// What ending one-time actions did.
struct EndResult {
  std::size_t nEnded = 0;
  std::size_t nFailed = 0;      // the library refused
  std::size_t nNotReached = 0;  // a stop came first
  RunResult::Stop stop = RunResult::Stop::None;
  std::uint64_t historyId = 0;
  std::vector<std::string> historyNotices;
};

// A preference an Undo leaves as it is, and why.
struct UndoLeft {
  SessionUser user;
  std::uint32_t dwCreatorID = 0;
  std::string title;  // UTF-8, as the history keeps it
  std::string why;
};

// What an Undo did (or, dry, would do).
struct UndoResult {
  // No entry to take back.
  bool bNothing = false;
  // The entry taken back.
  std::uint64_t undoneId = 0;
  // The users restored (written), those with a write that failed, those a stop left (with the
  // history entry of the Undo itself in historyId).
  RunResult run;
  // Preferences that cannot be put back: a default that was "not set" (Palm's user data library
  // has no call that removes one), or a value that could not be read before the change.
  std::vector<UndoLeft> left;
  // The history's own notices (set aside, could not be read) are in run.historyNotices.
};
// "Undo left 3 preferences as they are: Alice: Memo Pad (the default was not set; Palm's library
// cannot set it back to not set), ..." (the first ten named); "" when none.
std::string UndoLeftText(const std::vector<UndoLeft>& left);

class OVSession {
 public:
  OVSession();
  // Runs Close.
  ~OVSession();
  OVSession(const OVSession&) = delete;
  OVSession& operator=(const OVSession&) = delete;

  // After Open: whether the conduit manager and the user data library were bound. Without them
  // nothing is enumerated and no cache file is written (LoadConduits, SaveConduitCache); the
  // reason is LastPalmLoadFailure (PalmLib.h).
  bool LibrariesLoaded() const;

  // Start-up: data files that an older build left in Windows' VirtualStore are moved into the
  // data directory (MoveVirtualStoreDataFiles), the Palm Desktop core directory becomes the
  // current directory, the four libraries are bound and the roster built (PalmLibInit), the
  // conduit catalogue is fetched, the data files are named and the profile catalogue and
  // current-settings profile are created (not read). The conduits are not read yet: LoadConduits.
  void Open();
  // Releases the profiles, the roster and the libraries and empties the catalogue; nothing
  // without Open. The current directory is left where Open put it.
  void Close();
  bool IsOpen() const { return m_bOpen; }

  // The roster's users in the library's order (valid until Close).
  std::vector<const UserRecord*> Users() const;
  // The catalogue's conduits in list order (valid until the next LoadConduits or Close).
  std::vector<CONDUIT_REC*> Conduits() const;

  // Fills the catalogue: with bFromCache from the cache file when it gives a record; otherwise
  // (or when it gives none) the conduits are enumerated from Palm Desktop and get the default
  // action of their kind. True when the catalogue came from the cache file. An enumeration must
  // be written with SaveConduitCache, which the caller does once its list is built. Without the
  // conduit manager the catalogue stays empty: neither the cache nor an enumeration without
  // Palm Desktop says what it holds.
  bool LoadConduits(bool bFromCache);
  // Every conduit gets the default action of its kind: registered 1, backup 4, install 2.
  void SetDefaultActions();
  // Writes the catalogue to the cache file; false when it could not be written, and false,
  // writing nothing, when the conduit manager was not bound (a list made without Palm Desktop
  // would be shown at every later start).
  bool SaveConduitCache();
  // The cache file written ("ovcond.dat" in the data directory; empty when there is none).
  const std::string& CondFile() const { return m_condFile; }

  // The current-settings profile ("ovcurr.dat") and the profile catalogue ("ovprof.dat"), owned
  // by the session from Open to Close.
  OVProfile* CurrentSettings() const { return m_pCurrent.get(); }
  OVProfMgr* Profiles() const { return m_pProfiles.get(); }
  // Reads the current-settings profile from the data directory (or beside the executable, where
  // an older installation kept it); a missing file leaves it empty. It is saved to the data
  // directory.
  void LoadCurrentSettings();

  // The action that records give each conduit: the action of the first record with the
  // conduit's creator ID, or none. One pass over each, whatever their sizes.
  static std::vector<const ProfileRec*> ProfileRecordsFor(const std::vector<ProfileRec>& recs,
                                                          const std::vector<CONDUIT_REC*>& conduits);
  // Lays recs over the conduits: each conduit that recs name (ProfileRecordsFor) gets that
  // action. The positions of the conduits whose action was set, in order.
  static std::vector<std::size_t> PutActions(const std::vector<ProfileRec>& recs, const std::vector<CONDUIT_REC*>& conduits);
  // Every conduit's action into pProfile: the first record of its creator ID changes, a conduit
  // without one is appended.
  static void StoreActions(const std::vector<CONDUIT_REC*>& conduits, OVProfile* pProfile);

  // Writes the sync preference code of every conduit for one user: permanent preferences with
  // bPermanent, temporary ones otherwise. True when every call succeeded.
  bool ApplyToUser(std::uint32_t userId, bool bPermanent) const;
  // Apply: every conduit for every user, in order. HotSync is asked before the first user and
  // again every hooks.hotSyncInterval (GateBeforeWrite); a HotSync in progress, or an unknown
  // state nobody went on with, stops before the next user. Neither tells nor saves anything.
  RunResult Apply(const std::vector<SessionUser>& users, bool bPermanent, const RunHooks& hooks) const;

  // The default and next-HotSync action of every conduit for one user.
  std::vector<UserConduitAction> ReadUserActions(std::uint32_t userId) const;
  // The one-time actions of these users that differ from the action of the same conduit in the
  // catalogue (what a default Apply has just written); a read that fails counts as none.
  OverrideSearch FindOneTimeOverrides(const std::vector<std::uint32_t>& userIds, const RunHooks& hooks) const;
  // Ends those one-time actions (grouped by user as FindOneTimeOverrides gives them), asking
  // HotSync as Apply does.
  EndResult EndOneTimeActions(const std::vector<OneTimeOverride>& overrides, const RunHooks& hooks) const;
  // Reads the rows of table not read yet, in the order given (rows of the table), with progress
  // (kReadingCaption) and Cancel; false when stopped before the last one.
  static bool ReadOverview(OverviewTable& table, const std::vector<std::size_t>& order, const RunHooks& hooks);

  // The history of changes. Open names the file (kDataFileHistory in the data directory); a
  // program names itself ("window", the default, or "console") for the entries it records.
  const std::string& HistoryPath() const { return m_historyPath; }
  void SetHistoryPath(const std::string& path, std::uint64_t maxBytes = kHistoryMaxBytes) {
    m_historyPath = path;
    m_historyMax = maxBytes;
  }
  std::uint64_t HistoryMaxBytes() const { return m_historyMax; }
  void SetProgramName(const std::string& program) { m_program = program; }
  // Takes back the newest change of the history that is not taken back yet (HistoryFile::
  // UndoTarget): every user it reached gets the value recorded before it, a next-HotSync "not
  // set" by deleting the one-time preference. Asks HotSync, shows progress and stops as Apply
  // does, and is recorded as an entry of its own. With bDryRun nothing is written or recorded.
  UndoResult Undo(const RunHooks& hooks, bool bDryRun = false) const;

 private:
  bool m_bOpen = false;
  std::string m_condFile;
  std::unique_ptr<OVProfile> m_pCurrent;
  std::unique_ptr<OVProfMgr> m_pProfiles;
  std::string m_historyPath;
  std::uint64_t m_historyMax = kHistoryMaxBytes;
  std::string m_program = "window";
};
