// The history of changes and Undo through the session service: what an Apply records before it
// writes, "not set" kept and put back, an Apply stopped midway, an Undo taken back in turn, the
// HotSync gate, failing reads and writes, a damaged history file and the size bound.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "src/core/History.h"
#include "src/core/OVUtil.h"
#include "src/core/Session.h"
#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/palm/PalmLib.h"
#include "tests/support/PalmFixture.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kAlice = 1001, kBob = 1002, kCarol = 1003;
using Kind = HistValue::Kind;

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct CancelAfter : ProgressSink {
  int nCancelAt;
  explicit CancelAfter(int n) : nCancelAt(n) {}
  void ProgressBegin(const std::string&, int) override {}
  bool ProgressStep(int nDone, const std::string&) override { return nDone < nCancelAt; }
  void ProgressEnd() override {}
};

class History : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(os::GetCurrentDirectory(m_szStartDir, sizeof m_szStartDir)); }
  void TearDown() override {
    m_pSession.reset();
    os::SetCurrentDirectory(m_szStartDir);
    fixture::RemoveKestrowIni();
    for (const char* name : {"ovcond.dat", "ovcurr.dat", "ovprof.dat"}) fs::remove(testfiles::ExeDir() / name);
    m_pInst.reset();
  }

  // Alice, Bob and Carol with Date Book, Memo Pad and Address Book; every conduit set to "do
  // nothing" (code 3), so that whatever a user held before differs from what Apply writes.
  void Open(std::uint64_t maxBytes = kHistoryMaxBytes) {
    m_pInst = std::make_unique<fixture::Installation>();
    for (auto [id, name] : {std::pair{kAlice, "Alice"}, {kBob, "Bob"}, {kCarol, "Carol"}}) {
      m_pInst->AddUser({id, name, name, false, {}});
    }
    m_pInst->AddWindowConduits({{"date", "datebook.dll", "Date Book"},
                                {"memo", "memopad.dll", "Memo Pad"},
                                {"addr", "address.dll", "Address Book"}});
    m_pInst->SetHotSync("idle");
    m_pInst->Publish();
    m_pSession = std::make_unique<OVSession>();
    m_pSession->SetHistoryPath(HistoryPath(), maxBytes);
    m_pSession->Open();
    m_pSession->LoadConduits(false);
    m_conduits = m_pSession->Conduits();
    ASSERT_GE(m_conduits.size(), 3u);
    date = m_conduits[0]->dwCreatorID;
    memo = m_conduits[1]->dwCreatorID;
    addr = m_conduits[2]->dwCreatorID;
    for (CONDUIT_REC* p : m_conduits) p->dwAction = ACTION_NOTHING;
  }
  std::string HistoryPath() const { return m_dir.File("history.jsonl"); }
  void HotSyncNow(const char* state) { std::ofstream(m_pInst->dir() / "palmdesk.hotsync") << state << "\n"; }
  static std::vector<SessionUser> Users(const std::vector<std::uint32_t>& ids) {
    std::vector<SessionUser> users;
    for (std::uint32_t id : ids) users.push_back({id, id == kAlice ? "Alice" : id == kBob ? "Bob" : "Carol"});
    return users;
  }
  // What one user's preference holds now: the code, or -1 when not set.
  static std::int32_t Pref(bool bPermanent, std::uint32_t userId, std::uint32_t creator) {
    std::int32_t code = 0;
    const std::int32_t r = bPermanent ? palm::UmGetUserPermSyncPreferences(userId, creator, &code)
                                      : palm::UmGetUserTempSyncPreferences(userId, creator, &code);
    return r >= 0 ? code : -1;
  }
  HistoryFile Loaded() {
    HistoryFile h(HistoryPath());
    EXPECT_TRUE(h.Load());
    return h;
  }

  char m_szStartDir[4096] = {};
  fixture::TempDir m_dir;
  std::unique_ptr<fixture::Installation> m_pInst;
  std::unique_ptr<OVSession> m_pSession;
  std::vector<CONDUIT_REC*> m_conduits;
  std::uint32_t date = 0, memo = 0, addr = 0;
};

// A default Apply records the defaults it overwrites, a next-only Apply the one-time actions
// ("not set" where there is none); Undo puts each back: a one-time "not set" by deleting the
// one-time preference, a default "not set" is left and said to be left.
TEST_F(History, RecordsWhatApplyOverwritesAndUndoPutsItBack) {
  for (const bool bPermanent : {true, false}) {
    SCOPED_TRACE(bPermanent ? "default" : "next HotSync");
    Open();
    ASSERT_EQ(palm::UmSetUserPermSyncPreferences(kAlice, memo, 1), 0);
    ASSERT_EQ(palm::UmSetUserTempSyncPreferences(kAlice, memo, 2), 0);
    RunHooks hooks;
    hooks.what = "Office handhelds";
    const RunResult r = m_pSession->Apply(Users({kAlice, kBob}), bPermanent, hooks);
    ASSERT_EQ(r.written.size(), 2u);
    EXPECT_TRUE(r.historyNotices.empty());
    EXPECT_EQ(r.historyId, 1u);

    HistoryFile h = Loaded();
    ASSERT_EQ(h.Entries().size(), 1u);
    const HistEntry& e = h.Entries()[0];
    EXPECT_EQ(e.kind, HistKind::Apply);
    EXPECT_EQ(e.what, "Office handhelds");
    EXPECT_EQ(e.program, "window");
    EXPECT_EQ(e.bPermanent, bPermanent);
    EXPECT_TRUE(e.bEnded);
    EXPECT_EQ(e.end, "done");
    EXPECT_EQ(e.who, os::GetLoginName());
    EXPECT_EQ(e.time.size(), 20u) << e.time;  // 2026-12-10T17:40:00Z
    // The install and backup conduits are written too.
    ASSERT_EQ(e.conduits.size(), m_conduits.size());
    EXPECT_EQ(e.conduits[1].title, "Memo Pad");
    EXPECT_EQ(e.conduits[1].newValue, HistValue::Code(3));
    const std::vector<HistUser> users = h.UsersOf(e);
    ASSERT_EQ(users.size(), 2u);
    const HistValue aliceMemo = HistValue::Code(bPermanent ? 1 : 2);
    std::vector<HistValue> aliceOld(m_conduits.size(), HistValue::NotSet());
    aliceOld[1] = aliceMemo;
    EXPECT_EQ(users[0].oldValues, aliceOld);
    EXPECT_EQ(users[1].oldValues, std::vector<HistValue>(m_conduits.size(), HistValue::NotSet()));
    EXPECT_EQ(h.UndoTarget(), &e);

    const UndoResult u = m_pSession->Undo({});
    EXPECT_FALSE(u.bNothing);
    EXPECT_EQ(u.undoneId, 1u);
    EXPECT_EQ(Pref(bPermanent, kAlice, memo), bPermanent ? 1 : 2);
    if (bPermanent) {
      // Bob had no defaults at all: his and Alice's others stay as Apply wrote them.
      EXPECT_EQ(RunResult::Ids(u.run.written), std::vector<std::uint32_t>{kAlice});
      EXPECT_EQ(u.left.size(), 2 * m_conduits.size() - 1);
      EXPECT_EQ(Pref(true, kBob, date), 3);
      EXPECT_NE(UndoLeftText(u.left).find("Alice, Date Book (the default was not set; Palm's library cannot set it "
                                          "back to not set)"),
                std::string::npos)
          << UndoLeftText(u.left);
    } else {
      EXPECT_EQ(RunResult::Ids(u.run.written), (std::vector<std::uint32_t>{kAlice, kBob}));
      EXPECT_TRUE(u.left.empty());
      for (std::uint32_t c : {date, memo, addr}) EXPECT_EQ(Pref(false, kBob, c), -1) << "one-time action deleted";
      EXPECT_EQ(Pref(false, kAlice, date), -1);
    }
    m_pSession.reset();
    fs::remove(HistoryPath());
  }
}

// An Apply that Cancel stops records the users it reached, even when the process dies before
// the entry is closed (its end line missing, a user line cut in the middle): Undo puts back
// those users only.
TEST_F(History, UndoAfterAStoppedApplyRestoresOnlyTheUsersWritten) {
  Open();
  for (std::uint32_t id : {kAlice, kBob, kCarol}) ASSERT_EQ(palm::UmSetUserPermSyncPreferences(id, memo, 2), 0);
  CancelAfter cancel(1);
  RunHooks hooks;
  hooks.pProgress = &cancel;
  hooks.delay = hooks.interval = std::chrono::milliseconds(0);
  const RunResult r = m_pSession->Apply(Users({kAlice, kBob, kCarol}), true, hooks);
  ASSERT_EQ(r.stop, RunResult::Stop::Cancelled);
  ASSERT_EQ(RunResult::Ids(r.written), std::vector<std::uint32_t>{kAlice});
  {
    HistoryFile h = Loaded();
    ASSERT_EQ(h.Entries().size(), 1u);
    EXPECT_EQ(h.Entries()[0].end, "cancelled");
    EXPECT_EQ(h.Entries()[0].nUsers, 1u);
  }

  // As a crash leaves it: no end line, and the next user's line cut short.
  std::string text = ReadText(HistoryPath());
  text.erase(text.rfind("{\"id\":1,\"end\""));
  text += "{\"id\":1,\"user\":1002,\"na";
  std::ofstream(HistoryPath(), std::ios::binary | std::ios::trunc) << text;
  HistoryFile h = Loaded();
  ASSERT_EQ(h.Entries().size(), 1u);
  EXPECT_FALSE(h.Entries()[0].bEnded);
  EXPECT_TRUE(h.Notices().empty());

  const std::size_t nBefore = m_pInst->ReadJournal().size();
  const UndoResult u = m_pSession->Undo({});
  EXPECT_EQ(RunResult::Ids(u.run.written), std::vector<std::uint32_t>{kAlice});
  EXPECT_TRUE(u.run.historyNotices.empty());
  const std::vector<fixture::JournalEntry> journal = m_pInst->ReadJournal();
  for (std::size_t i = nBefore; i < journal.size(); ++i) EXPECT_EQ(journal[i].userId, kAlice);
  EXPECT_EQ(Pref(true, kAlice, memo), 2);
  EXPECT_EQ(Pref(true, kBob, memo), 2);
  // The cut line is gone, and the history reads whole.
  HistoryFile after = Loaded();
  EXPECT_EQ(after.Entries().size(), 2u);
  EXPECT_TRUE(after.Notices().empty());
}

// Undo is an entry of its own: undoing it writes the change again, and so on.
TEST_F(History, AnUndoCanBeUndone) {
  Open();
  ASSERT_EQ(palm::UmSetUserPermSyncPreferences(kAlice, memo, 1), 0);
  ASSERT_EQ(m_pSession->Apply(Users({kAlice}), true, {}).written.size(), 1u);
  EXPECT_EQ(Pref(true, kAlice, memo), 3);
  const std::int32_t expected[] = {1, 3, 1};
  for (int n = 0; n < 3; ++n) {
    const UndoResult u = m_pSession->Undo({});
    EXPECT_EQ(u.undoneId, static_cast<std::uint64_t>(n + 1));
    EXPECT_EQ(Pref(true, kAlice, memo), expected[n]) << "undo " << n + 1;
  }
  HistoryFile h = Loaded();
  ASSERT_EQ(h.Entries().size(), 4u);
  EXPECT_EQ(HistKindText(h.Entries()[2]), "Undo of #2");
  EXPECT_TRUE(h.Entries()[2].bUndone);
  EXPECT_FALSE(h.Entries()[3].bUndone);
}

// Ending one-time actions keeps the codes the search read; Undo sets them again.
TEST_F(History, EndingOneTimeActionsIsRecordedAndUndone) {
  Open();
  ASSERT_EQ(palm::UmSetUserTempSyncPreferences(kAlice, memo, 1), 0);
  ASSERT_EQ(palm::UmSetUserTempSyncPreferences(kCarol, addr, 2), 0);
  const OverrideSearch search = m_pSession->FindOneTimeOverrides({kAlice, kBob, kCarol}, {});
  ASSERT_EQ(search.overrides.size(), 2u);
  const EndResult ended = m_pSession->EndOneTimeActions(search.overrides, {});
  EXPECT_EQ(ended.nEnded, 2u);
  EXPECT_NE(ended.historyId, 0u);
  HistoryFile h = Loaded();
  ASSERT_EQ(h.Entries().size(), 1u);
  EXPECT_EQ(h.Entries()[0].kind, HistKind::EndOneTime);
  const std::vector<HistUser> users = h.UsersOf(h.Entries()[0]);
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(users[1].oldValues, (std::vector<HistValue>{HistValue{}, HistValue::Code(2)}));
  EXPECT_EQ(m_pSession->Undo({}).run.written.size(), 2u);
  EXPECT_EQ(Pref(false, kAlice, memo), 1);
  EXPECT_EQ(Pref(false, kCarol, addr), 2);
}

// Undo obeys HotSync as Apply does: during a HotSync it writes and records nothing.
TEST_F(History, UndoIsRefusedDuringAHotSync) {
  Open();
  ASSERT_EQ(palm::UmSetUserPermSyncPreferences(kAlice, memo, 1), 0);
  ASSERT_EQ(m_pSession->Apply(Users({kAlice, kBob}), true, {}).written.size(), 2u);
  const std::size_t nJournal = m_pInst->ReadJournal().size();
  HotSyncNow("syncing");
  const UndoResult u = m_pSession->Undo({});
  EXPECT_EQ(u.run.stop, RunResult::Stop::HotSync);
  EXPECT_TRUE(u.run.written.empty());
  EXPECT_EQ(RunResult::Ids(u.run.notWritten), std::vector<std::uint32_t>{kAlice}) << "Bob had no default to put back";
  EXPECT_EQ(m_pInst->ReadJournal().size(), nJournal);
  EXPECT_EQ(Loaded().Entries().size(), 1u);
  HotSyncNow("idle");
  EXPECT_EQ(m_pSession->Undo({}).run.written.size(), 1u);
  EXPECT_EQ(Pref(true, kAlice, memo), 1);
}

// A read that fails before a write is recorded as such and named; Undo leaves that value and
// names it. A write that fails during Undo names its user.
TEST_F(History, FailingReadsAndWritesAreNamed) {
  Open();
  for (std::uint32_t id : {kAlice, kBob}) ASSERT_EQ(palm::UmSetUserTempSyncPreferences(id, memo, 1), 0);
  ASSERT_EQ(m_pSession->Apply(Users({kBob}), false, {}).written.size(), 1u);
  m_pInst->SetFault("sync_write_fail", "-525");
  m_pInst->Commit();
  UndoResult u = m_pSession->Undo({});
  EXPECT_EQ(u.undoneId, 1u);
  EXPECT_EQ(RunResult::Ids(u.run.failed), std::vector<std::uint32_t>{kBob});
  EXPECT_EQ(Pref(false, kBob, memo), 3);

  m_pInst->SetFault("sync_read_fail", "-516");
  m_pInst->Commit();
  const RunResult r = m_pSession->Apply(Users({kAlice}), false, {});
  EXPECT_EQ(RunResult::Ids(r.unrecorded), std::vector<std::uint32_t>{kAlice});
  HistoryFile h = Loaded();
  ASSERT_EQ(h.Entries().size(), 3u);
  EXPECT_EQ(h.UsersOf(h.Entries()[2])[0].oldValues[1], HistValue::Failed(-516));
  u = m_pSession->Undo({});
  EXPECT_EQ(u.undoneId, 3u);
  EXPECT_TRUE(u.run.written.empty());
  ASSERT_EQ(u.left.size(), m_conduits.size());
  EXPECT_EQ(u.left[0].why, "its value before #3 could not be read");
}

// A file that is not a history (damaged, foreign) is renamed aside whole and a new history
// begun; the Apply writes every user all the same.
TEST_F(History, ADamagedHistoryIsSetAsideAndApplyGoesOn) {
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"text", "not a history\n"},
      {"foreign JSON Lines", "{\"event\":\"login\",\"id\":3}\n"},
      {"a header without its fields", "{\"id\":1,\"kind\":\"apply\"}\n"},
      {"a user line of no entry", "{\"id\":4,\"user\":1001,\"name\":\"A\",\"old\":[]}\n"},
      {"a line cut midway, then more", "{\"id\":1,\"time\"\n{\"id\":1,\"end\":\"done\",\"failed\":[]}\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Open();
    std::ofstream(HistoryPath(), std::ios::binary) << c.text;
    const RunResult r = m_pSession->Apply(Users({kAlice, kBob, kCarol}), true, {});
    EXPECT_EQ(r.written.size(), 3u);
    const std::vector<std::string>& notices = r.historyNotices;
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("set aside as " + HistoryPath() + ".damaged"), std::string::npos) << notices[0];
    EXPECT_EQ(ReadText(HistoryPath() + ".damaged"), c.text) << "never lost";
    HistoryFile h = Loaded();
    EXPECT_TRUE(h.Notices().empty());
    ASSERT_EQ(h.Entries().size(), 1u);
    EXPECT_EQ(h.Entries()[0].nUsers, 3u);
    m_pSession.reset();
    fs::remove(HistoryPath());
    fs::remove(HistoryPath() + ".damaged");
  }
}

// Past its bound the history drops its oldest entries, whole, and keeps numbering on.
TEST_F(History, StaysWithinItsSizeBound) {
  constexpr std::uint64_t kMax = 4096;
  Open(kMax);
  std::uintmax_t largest = 0;
  for (int n = 0; n < 30; ++n) {
    ASSERT_EQ(m_pSession->Apply(Users({kAlice, kBob, kCarol}), n % 2 == 0, {}).written.size(), 3u);
    largest = std::max(largest, fs::file_size(HistoryPath()));
  }
  const std::uintmax_t entry = ReadText(HistoryPath()).size() / Loaded().Entries().size();
  EXPECT_LE(largest, kMax + entry);
  HistoryFile h = Loaded();
  EXPECT_TRUE(h.Notices().empty());
  ASSERT_GT(h.Entries().size(), 2u);
  EXPECT_LT(h.Entries().size(), 30u);
  EXPECT_EQ(h.Entries().back().id, 30u);
  for (const HistEntry& e : h.Entries()) EXPECT_EQ(e.nUsers, 3u) << "entries are kept whole";
}

}  // namespace
