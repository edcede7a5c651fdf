// The overview of every user's next HotSync: what each cell says, and which cells, users and
// conduits differ from what Apply would write, read lazily from the stand-in library.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "src/core/Actions.h"
#include "src/core/Overview.h"
#include "src/core/Session.h"
#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/palm/PalmLib.h"
#include "tests/support/PalmFixture.h"
#include "tests/support/TestFiles.h"

namespace {

namespace fs = std::filesystem;

PrefRead Set(std::int32_t nCode, bool bOneTime = false) {
  PrefRead r;
  r.state = PrefRead::State::Set;
  r.nCode = nCode;
  r.bOneTime = bOneTime;
  return r;
}

// Each kind of read as a cell: its label, its full text, and whether it differs from a conduit
// that synchronizes (code 0) and from one that is switched off (code 3).
TEST(OverviewCell, EachReadHasItsLabelTextAndDifference) {
  PrefRead notSet;
  notSet.state = PrefRead::State::NotSet;
  PrefRead failed;
  failed.state = PrefRead::State::Failed;
  failed.nResult = -505;
  const struct {
    PrefRead read;
    CellKind kind;
    const char* label;
    const char* text;
    bool differsFromSync, differsFromOff;
  } cases[] = {
      {Set(0), CellKind::Synchronize, "Sync", "Synchronize the files", false, true},
      {Set(1), CellKind::DesktopOverwrites, "Desktop", "Desktop overwrites handheld", true, true},
      {Set(2), CellKind::HandheldOverwrites, "Handheld", "Handheld overwrites Desktop", true, true},
      {Set(3), CellKind::DoNothing, "Nothing", "Do Nothing", true, false},
      {Set(4), CellKind::Custom, "Custom", "Custom", true, true},
      {Set(77), CellKind::Unknown, "Code 77", "Unknown (77)", true, true},
      {Set(0, true), CellKind::Synchronize, "Sync*", "Synchronize the files (this time only)", false, true},
      {Set(3, true), CellKind::DoNothing, "Nothing*", "Do Nothing (this time only)", true, false},
      {notSet, CellKind::NotSet, "not set", "not set", true, true},
      {failed, CellKind::Failed, "failed", "read failed (error -505)", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const OverviewCell cell = CellOf(c.read);
    EXPECT_EQ(cell.kind, c.kind);
    EXPECT_EQ(CellLabel(cell), c.label);
    EXPECT_EQ(CellText(cell), c.text);
    EXPECT_EQ(CellDiffers(cell, ACTION_SYNC), c.differsFromSync);
    EXPECT_EQ(CellDiffers(cell, ACTION_NOTHING), c.differsFromOff);
    // A conduit switched off writes "do nothing" whatever its low bits say.
    EXPECT_EQ(CellDiffers(cell, ACTION_DISABLED | ACTION_PC2HH), c.differsFromOff);
  }
  const OverviewCell unread;
  EXPECT_EQ(CellLabel(unread), "");
  EXPECT_FALSE(CellDiffers(unread, ACTION_SYNC)) << "nothing is known of a cell not read";
  // Every kind a cell can hold has a legend line.
  for (const auto& c : cases) {
    bool found = false;
    for (const LegendEntry& e : OverviewLegend()) found = found || e.kind == c.kind;
    EXPECT_TRUE(found) << c.label;
  }
}

constexpr std::uint32_t kAlice = 1001, kBob = 1002, kCarol = 1003, kDave = 1004;

class Overview : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(os::GetCurrentDirectory(m_szStartDir, sizeof m_szStartDir)); }
  void TearDown() override {
    m_pSession.reset();
    os::SetCurrentDirectory(m_szStartDir);
    fixture::RemoveKestrowIni();
    for (const char* name : {"ovcond.dat", "ovcurr.dat", "ovprof.dat"}) fs::remove(testfiles::ExeDir() / name);
    m_pInst.reset();
  }

  // Four users over the window conduits (Date Book, Memo Pad, Address Book, the install
  // conduit, the backup): Alice as the conduit list says, Bob without Memo Pad, Carol with a
  // one-time action on Address Book (and one on Date Book that agrees), Dave never written.
  void Open() {
    m_pInst = std::make_unique<fixture::Installation>(15);
    for (const auto& [id, name] : {std::pair{kAlice, "Alice"}, {kBob, "Bob"}, {kCarol, "Carol"}, {kDave, "Dave"}}) {
      m_pInst->AddUser({id, name, name, false, {}});
    }
    m_pInst->AddWindowConduits({{"date", "datebook.dll", "Date Book"},
                                {"memo", "memopad.dll", "Memo Pad"},
                                {"addr", "address.dll", "Address Book"}});
    m_pInst->Publish();
    m_pSession = std::make_unique<OVSession>();
    m_pSession->Open();
    m_pSession->LoadConduits(true);
    for (std::uint32_t id : {kAlice, kBob, kCarol}) ASSERT_TRUE(m_pSession->ApplyToUser(id, true));
    palm::UmSetUserPermSyncPreferences(kBob, Creator("memo"), palm::SYNC_PREF_DO_NOTHING);
    palm::UmSetUserTempSyncPreferences(kCarol, Creator("addr"), palm::SYNC_PREF_PC_TO_HH);
    palm::UmSetUserTempSyncPreferences(kCarol, Creator("date"), palm::SYNC_PREF_SYNCHRONIZE);
  }
  static std::uint32_t Creator(const char* four) {
    return static_cast<std::uint32_t>(four[0]) << 24 | static_cast<std::uint32_t>(four[1]) << 16 |
           static_cast<std::uint32_t>(four[2]) << 8 | static_cast<std::uint32_t>(four[3]);
  }
  OverviewTable Table() const {
    const std::vector<CONDUIT_REC*> conduits = m_pSession->Conduits();
    return OverviewTable({kAlice, kBob, kCarol, kDave}, std::vector<const CONDUIT_REC*>(conduits.begin(), conduits.end()));
  }
  static std::size_t Column(const OverviewTable& t, const char* four) {
    for (std::size_t col = 0; col < t.ConduitCount(); ++col) {
      if (t.CreatorId(col) == Creator(four)) return col;
    }
    ADD_FAILURE() << four;
    return 0;
  }

  char m_szStartDir[4096] = {};
  std::unique_ptr<fixture::Installation> m_pInst;
  std::unique_ptr<OVSession> m_pSession;
};

TEST_F(Overview, FindsTheUsersAndConduitsThatDiffer) {
  Open();
  OverviewTable t = Table();
  ASSERT_EQ(t.ConduitCount(), 5u);
  const std::size_t memo = Column(t, "memo"), addr = Column(t, "addr"), date = Column(t, "date");

  // Nothing is read, so nothing is known to differ.
  EXPECT_EQ(t.RowsRead(), 0u);
  EXPECT_EQ(t.Differences(), 0u);
  EXPECT_EQ(t.Cell(1, memo).kind, CellKind::Unread);

  // The rows asked for first (a window's first screen), then the rest.
  EXPECT_EQ(t.ReadUnread(1, 3), 2u);
  EXPECT_FALSE(t.IsRead(0));
  EXPECT_EQ(t.NextUnread(0), 0u);
  EXPECT_EQ(t.NextUnread(1), 3u);
  EXPECT_EQ(t.ReadUnread(0, 99), 2u);
  EXPECT_EQ(t.RowsRead(), 4u);

  EXPECT_EQ(CellLabel(t.Cell(1, memo)), "Nothing");
  EXPECT_EQ(CellLabel(t.Cell(2, addr)), "Desktop*");
  EXPECT_EQ(CellLabel(t.Cell(2, date)), "Sync*");
  EXPECT_EQ(CellLabel(t.Cell(3, date)), "not set");

  const std::vector<std::size_t> perUser{t.RowDifferences(0), t.RowDifferences(1), t.RowDifferences(2),
                                         t.RowDifferences(3)};
  EXPECT_EQ(perUser, (std::vector<std::size_t>{0, 1, 1, 5}));
  EXPECT_EQ(t.ColumnDifferences(memo), 2u);  // Bob, Dave
  EXPECT_EQ(t.ColumnDifferences(addr), 2u);  // Carol, Dave
  EXPECT_EQ(t.ColumnDifferences(date), 1u);  // Dave: Carol's one-time action agrees
  EXPECT_EQ(t.Differences(), 7u);
  EXPECT_EQ(t.DifferingRows(), (std::vector<std::size_t>{1, 2, 3}));
  EXPECT_EQ(t.RowsByDifferences(), (std::vector<std::size_t>{3, 1, 2, 0}));

  // The conduit list switches Memo Pad off: Bob agrees now, Alice and Carol differ.
  std::vector<std::uint32_t> actions;
  for (std::size_t col = 0; col < t.ConduitCount(); ++col) actions.push_back(t.CompareAction(col));
  actions[memo] = ACTION_DISABLED | ACTION_SYNC;
  t.SetCompareActions(actions);
  EXPECT_EQ(t.ColumnDifferences(memo), 3u);  // Alice, Carol, Dave
  EXPECT_EQ(t.DifferingRows(), (std::vector<std::size_t>{0, 2, 3}));
  EXPECT_EQ(t.Differences(), 8u);

  // A row read again after an Apply is counted once, with what it holds now.
  ASSERT_TRUE(m_pSession->ApplyToUser(kDave, true));
  t.ReadRow(3);
  EXPECT_EQ(t.RowDifferences(3), 1u);  // Memo Pad: the session's list still synchronizes it
  EXPECT_EQ(t.Differences(), 4u);
  EXPECT_EQ(t.RowsRead(), 4u);
}

// A read the library refuses is "failed", never a guess, and counts as a difference: an Apply
// would write it.
TEST_F(Overview, AFailedReadIsShownAndDiffers) {
  Open();
  m_pInst->SetFault("sync_read_fail", "-505");
  m_pInst->Commit();
  OverviewTable t = Table();
  t.ReadRow(0);
  for (std::size_t col = 0; col < t.ConduitCount(); ++col) {
    EXPECT_EQ(CellText(t.Cell(0, col)), "read failed (error -505)");
  }
  EXPECT_EQ(t.RowDifferences(0), t.ConduitCount());
}

}  // namespace
