// The session service without any front end: Apply against every HotSync state, users whose
// writes fail, stops and cancels midway with who was written, progress drawn at most every
// interval, the search for one-time overrides and their end, and profile records matched to
// conduits.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "src/core/OVProfile.h"
#include "src/core/OVUtil.h"
#include "src/core/Session.h"
#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "tests/support/PalmFixture.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;
using fixture::JournalEntry;

constexpr std::uint32_t kAlice = 1001, kBob = 1002, kCarol = 1003;
constexpr std::uint32_t kNobody = 4242;  // not a user of the installation: every write fails
constexpr unsigned kWithoutHotSyncApi = 15 & ~4u;

// A progress that records what was drawn and cancels when told.
struct RecordingProgress : ProgressSink {
  int nBegun = 0, nEnded = 0;
  std::vector<int> steps;
  std::function<bool(int)> onStep;
  void ProgressBegin(const std::string&, int) override { ++nBegun; }
  bool ProgressStep(int nDone, const std::string&) override {
    steps.push_back(nDone);
    return onStep ? onStep(nDone) : true;
  }
  void ProgressEnd() override { ++nEnded; }
};

class Session : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(os::GetCurrentDirectory(m_szStartDir, sizeof m_szStartDir));
    RemoveDataFiles();
  }
  void TearDown() override {
    m_pSession.reset();
    os::SetCurrentDirectory(m_szStartDir);
    fixture::RemoveKestrowIni();
    RemoveDataFiles();
    m_pInst.reset();
  }
  static void RemoveDataFiles() {
    for (const char* name : {"ovcond.dat", "ovcurr.dat", "ovprof.dat", "ovhist.jsonl"}) fs::remove(testfiles::ExeDir() / name);
  }

  // Alice, Bob and Carol with the three organizer conduits, the session open on them.
  void Open(unsigned libs = 15, const char* hotsync = nullptr, bool bStatusFails = false) {
    m_pInst = std::make_unique<fixture::Installation>(libs);
    m_pInst->AddUser({kAlice, "Alice", "alice", false, {}});
    m_pInst->AddUser({kBob, "Bob", "bob", false, {}});
    m_pInst->AddUser({kCarol, "Carol", "carol", false, {}});
    m_pInst->AddWindowConduits({{"date", "datebook.dll", "Date Book"},
                                {"memo", "memopad.dll", "Memo Pad"},
                                {"addr", "address.dll", "Address Book"}});
    if (hotsync) m_pInst->SetHotSync(hotsync);
    if (bStatusFails) m_pInst->SetFault("sync_status_fail", "268435459");
    m_pInst->Publish();
    m_pSession = std::make_unique<OVSession>();
    m_pSession->Open();
    m_pSession->LoadConduits(true);
  }
  // What the stand-in HotSync manager says now: "idle" or "syncing".
  void HotSyncNow(const char* state) { std::ofstream(m_pInst->dir() / "palmdesk.hotsync") << state << "\n"; }
  std::vector<std::uint32_t> UsersWritten() {
    std::vector<std::uint32_t> users;
    for (const JournalEntry& e : m_pInst->ReadJournal()) {
      if (!e.erase && (users.empty() || users.back() != e.userId)) users.push_back(e.userId);
    }
    return users;
  }
  static std::vector<SessionUser> Users(const std::vector<std::uint32_t>& ids) {
    std::vector<SessionUser> users;
    for (std::uint32_t id : ids) users.push_back({id, "user " + std::to_string(id)});
    return users;
  }

  char m_szStartDir[4096] = {};
  std::unique_ptr<fixture::Installation> m_pInst;
  std::unique_ptr<OVSession> m_pSession;
};

// Only HotSync Manager's "not found" (or no HotSync API at all) lets Apply write without asking;
// an unknown state asks once and, without a yes, stops as unknown, never as a HotSync.
TEST_F(Session, ApplyObeysTheHotSyncGate) {
  const struct {
    const char* name;
    unsigned libs;
    const char* state;
    bool statusFails;
    int answer;  // -1: no hook, 0: no, 1: yes
    std::size_t nWritten;
    int nAsked;
    RunResult::Stop stop;
  } cases[] = {
      {"no HotSync API", kWithoutHotSyncApi, "syncing", false, -1, 3, 0, RunResult::Stop::None},
      {"not running", 15, "absent", false, -1, 3, 0, RunResult::Stop::None},
      {"idle", 15, "idle", false, -1, 3, 0, RunResult::Stop::None},
      {"syncing", 15, "syncing", false, 1, 0, 0, RunResult::Stop::HotSync},
      {"unknown, nobody to ask", 15, "idle", true, -1, 0, 0, RunResult::Stop::HotSyncUnknown},
      {"unknown, no", 15, "idle", true, 0, 0, 1, RunResult::Stop::HotSyncUnknown},
      {"unknown, yes", 15, "idle", true, 1, 3, 1, RunResult::Stop::None},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Open(c.libs, c.state, c.statusFails);
    int nAsked = 0;
    RunHooks hooks;
    if (c.answer >= 0) hooks.goOnUnknown = [&] { return ++nAsked, c.answer == 1; };
    const RunResult r = m_pSession->Apply(Users({kAlice, kBob, kCarol}), true, hooks);
    EXPECT_EQ(r.stop, c.stop);
    EXPECT_EQ(r.written.size(), c.nWritten);
    EXPECT_EQ(UsersWritten().size(), c.nWritten);
    EXPECT_EQ(nAsked, c.nAsked);
    EXPECT_EQ(r.notWritten.size(), 3 - c.nWritten);
    TearDown();
    SetUp();
  }
}

// A user whose writes fail is counted as failed, never as written, and the others go on.
TEST_F(Session, AFailedUserIsCountedAsFailed) {
  Open();
  const RunResult r = m_pSession->Apply(Users({kAlice, kNobody, kBob}), true, {});
  EXPECT_EQ(r.stop, RunResult::Stop::None);
  EXPECT_EQ(RunResult::Ids(r.written), (std::vector<std::uint32_t>{kAlice, kBob}));
  EXPECT_EQ(RunResult::Ids(r.failed), std::vector<std::uint32_t>{kNobody});
  EXPECT_EQ(r.Reached(), 3u);
  EXPECT_EQ(UsersWritten(), (std::vector<std::uint32_t>{kAlice, kBob}));
}

// A stop names the three groups; a HotSync that starts midway stops before the next user, and a
// stop request (Cancel, Ctrl+C) stops after the user being written.
TEST_F(Session, StopsMidwayNameWhoWasWrittenFailedAndLeft) {
  Open(15, "idle");
  RecordingProgress progress;
  progress.onStep = [&](int nDone) {
    if (nDone == 2) HotSyncNow("syncing");
    return true;
  };
  RunHooks hooks;
  hooks.pProgress = &progress;
  hooks.delay = hooks.interval = hooks.hotSyncInterval = std::chrono::milliseconds(0);
  RunResult r = m_pSession->Apply(Users({kAlice, kNobody, kBob, kCarol}), true, hooks);
  EXPECT_EQ(r.stop, RunResult::Stop::HotSync);
  EXPECT_EQ(StopReasonText(r.stop) + " " + StoppedRunText(r),
            "A HotSync is in progress. The settings were written for 1 user: user 1001.\nThey could not be written "
            "for 1 user: user 4242.\nThey were not written for 2 users: user 1002, user 1003.");

  HotSyncNow("idle");
  int nPolled = 0;
  RunHooks stop;
  stop.stopRequested = [&] { return ++nPolled == 1; };
  r = m_pSession->Apply(Users({kAlice, kBob, kCarol}), false, stop);
  EXPECT_EQ(r.stop, RunResult::Stop::Cancelled);
  EXPECT_EQ(RunResult::Ids(r.written), std::vector<std::uint32_t>{kAlice});
  EXPECT_EQ(RunResult::Ids(r.notWritten), (std::vector<std::uint32_t>{kBob, kCarol}));
  // HotSync is asked again only once its interval has passed: within it, a HotSync that began
  // after the first user is not seen yet (100 ms by default).
  RecordingProgress late;
  late.onStep = [&](int) { return HotSyncNow("syncing"), true; };
  RunHooks slow;
  slow.pProgress = &late;
  slow.delay = slow.interval = std::chrono::milliseconds(0);
  slow.hotSyncInterval = std::chrono::hours(1);
  HotSyncNow("idle");
  EXPECT_EQ(m_pSession->Apply(Users({kAlice, kBob}), true, slow).written.size(), 2u);
  EXPECT_EQ(kHotSyncCheckInterval, std::chrono::milliseconds(100));

  EXPECT_EQ(StopReasonText(RunResult::Stop::HotSyncUnknown),
            "HotSync Manager did not say whether a HotSync is in progress (its state is unknown).");
}

// Drawing every one of thousands of users costs more than writing them: once open, the
// progress is drawn at most every interval, and always at the end.
TEST_F(Session, ProgressIsDrawnAtMostEveryInterval) {
  Open();
  std::vector<std::uint32_t> ids;
  for (int i = 0; i < 600; ++i) ids.push_back(i % 3 == 0 ? kAlice : i % 3 == 1 ? kBob : kCarol);
  RecordingProgress progress;
  RunHooks hooks;
  hooks.pProgress = &progress;
  hooks.delay = std::chrono::milliseconds(0);
  hooks.interval = std::chrono::hours(1);
  const RunResult r = m_pSession->Apply(Users(ids), true, hooks);
  EXPECT_EQ(r.written.size(), ids.size());
  EXPECT_EQ(progress.nBegun, 1);
  EXPECT_EQ(progress.nEnded, 1);
  EXPECT_EQ(progress.steps, (std::vector<int>{1, 600}));
}

// The search for one-time overrides finds those that differ from the catalogue's actions; a
// cancelled search says so, and ending them asks HotSync before each user.
TEST_F(Session, OneTimeOverridesAreFoundAndEnded) {
  Open(15, "idle");
  const std::vector<CONDUIT_REC*> conduits = m_pSession->Conduits();
  ASSERT_GE(conduits.size(), 3u);
  const std::uint32_t date = conduits[0]->dwCreatorID, memo = conduits[1]->dwCreatorID;
  // Date Book synchronizes in the catalogue: a one-time "synchronize" is no override.
  ASSERT_EQ(palm::UmSetUserTempSyncPreferences(kAlice, date, 0), 0);
  ASSERT_EQ(palm::UmSetUserTempSyncPreferences(kAlice, memo, 3), 0);
  ASSERT_EQ(palm::UmSetUserTempSyncPreferences(kCarol, memo, 1), 0);

  OverrideSearch search = m_pSession->FindOneTimeOverrides({kAlice, kBob, kCarol}, {});
  EXPECT_FALSE(search.bCancelled);
  ASSERT_EQ(search.overrides.size(), 2u);
  EXPECT_EQ(search.overrides[0].userId, kAlice);
  EXPECT_EQ(search.overrides[1].userId, kCarol);
  EXPECT_EQ(OverrideSummaryText(search.overrides),
            "2 users have one-time actions for 1 conduit that differ from the default just written (2 actions in all).");

  RecordingProgress cancel;
  cancel.onStep = [](int) { return false; };
  RunHooks hooks;
  hooks.pProgress = &cancel;
  hooks.delay = std::chrono::milliseconds(0);
  const OverrideSearch partial = m_pSession->FindOneTimeOverrides({kAlice, kBob, kCarol}, hooks);
  EXPECT_TRUE(partial.bCancelled);
  EXPECT_EQ(partial.overrides.size(), 1u);

  // A HotSync that starts after Alice's end leaves Carol's one-time action in place.
  RecordingProgress progress;
  progress.onStep = [&](int nDone) {
    if (nDone == 1) HotSyncNow("syncing");
    return true;
  };
  hooks.pProgress = &progress;
  hooks.interval = hooks.hotSyncInterval = std::chrono::milliseconds(0);
  const EndResult ended = m_pSession->EndOneTimeActions(search.overrides, hooks);
  EXPECT_EQ(ended.nEnded, 1u);
  EXPECT_EQ(ended.nNotReached, 1u);
  EXPECT_EQ(ended.stop, RunResult::Stop::HotSync);
  std::int32_t code = -1;
  EXPECT_LT(palm::UmGetUserTempSyncPreferences(kAlice, memo, &code), 0) << "ended";
  EXPECT_EQ(palm::UmGetUserTempSyncPreferences(kCarol, memo, &code), 0);
  EXPECT_EQ(code, 1);
}

// A profile gives each conduit the action of its first record with the conduit's creator ID.
TEST_F(Session, ProfileRecordsMatchConduitsByFirstRecord) {
  CONDUIT_REC a{}, b{}, c{};
  a.dwCreatorID = 1;
  b.dwCreatorID = 2;
  c.dwCreatorID = 3;
  const std::vector<ProfileRec> recs = {{2, 4}, {9, 1}, {2, 8}, {1, 2}};
  const std::vector<const ProfileRec*> found = OVSession::ProfileRecordsFor(recs, {&a, &b, &c});
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0], &recs[3]);
  EXPECT_EQ(found[1], &recs[0]);
  EXPECT_EQ(found[2], nullptr);
}

}  // namespace
