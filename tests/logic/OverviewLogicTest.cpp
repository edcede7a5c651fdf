// The overview window's logic without a window: cells read as they are drawn, the cells, users
// and conduits that differ from the conduit list, sorting by differences, ticking the differing
// users in the main window, and a user's actions dialog opened from a row.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "src/core/palm/CondMgr.h"
#include "src/core/palm/PalmLib.h"
#include "src/logic/Overview.h"
#include "src/logic/SyncActions.h"
#include "tests/logic/MainLogicFixture.h"

namespace {

using namespace logictest;

constexpr std::uint32_t kAlice = kFirstUserId, kBob = kFirstUserId + 1, kCarol = kFirstUserId + 2;

// An overview view that records and cancels the progress when told.
struct RecordingOverviewView : OverviewView {
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override {
    said.push_back(request.text);
    return ov::MessageAnswer::Ok;
  }
  void TableChanged() override { ++tableRedraws; }
  void StatusChanged() override {}
  void ProgressBegin(const std::string& caption, int) override { progressCaption = caption; }
  bool ProgressStep(int, const std::string&) override { return !bCancel; }
  void ProgressEnd() override {}

  std::vector<std::string> said;
  std::string progressCaption;
  bool bCancel = false;
  int tableRedraws = 0;
};

// Alice as the conduit list says, Bob without Memo Pad by default, Carol with a one-time action
// on Address Book; the overview opened over them.
class OverviewLogicTest : public MainLogic {
 protected:
  void SetUp() override {
    MainLogic::SetUp();
    Open();
    ASSERT_EQ(Logic().ApplyToTickedUsers().written.size(), 3u);
    ASSERT_EQ(palm::UmSetUserPermSyncPreferences(kBob, Row(kMemo).pRec->dwCreatorID, palm::SYNC_PREF_DO_NOTHING), 0);
    ASSERT_EQ(palm::UmSetUserTempSyncPreferences(kCarol, Row(kAddr).pRec->dwCreatorID, palm::SYNC_PREF_PC_TO_HH), 0);
  }
  // Runs test on the overview as the main window's button opens it.
  void WithOverview(const std::function<void(OverviewLogic&, RecordingOverviewView&)>& test) {
    bool bRan = false;
    View().onOverview = [&](OverviewLogic& dialog) {
      RecordingOverviewView view;
      dialog.SetView(&view);
      test(dialog, view);
      bRan = true;
    };
    Logic().sbtnOverviewClick();
    EXPECT_TRUE(bRan);
  }
  std::vector<bool> Ticks() {
    std::vector<bool> ticks;
    for (const UserRow& row : Logic().UserRows()) ticks.push_back(row.ticked);
    return ticks;
  }
};

TEST_F(OverviewLogicTest, ShowsEveryUserAndWhatDiffers) {
  WithOverview([&](OverviewLogic& o, RecordingOverviewView& view) {
    ASSERT_EQ(o.RowCount(), 3u);
    ASSERT_EQ(o.ColumnCount(), static_cast<std::size_t>(kRowCount));
    EXPECT_EQ(o.StatusText(), "Read 0 of 3 users...");
    // Drawing a cell reads its row, and only its row.
    EXPECT_EQ(o.Cell(1, kMemo).text, "Nothing");
    EXPECT_EQ(o.StatusText(), "Read 1 of 3 users...");
    EXPECT_EQ(o.Cell(2, kAddr).text, "Desktop*");
    EXPECT_EQ(o.CellTip(2, kAddr), "Desktop overwrites handheld (this time only)");
    EXPECT_FALSE(o.ReadMore(std::chrono::seconds(5)));
    EXPECT_EQ(o.StatusText(), "3 users, 5 conduits.");

    o.SetDiffersOnly(true);
    EXPECT_EQ(o.Cell(0, kMemo).text, "") << "a cell that agrees is left empty";
    EXPECT_FALSE(o.Cell(0, kMemo).bMarked);
    EXPECT_TRUE(o.Cell(1, kMemo).bMarked);
    EXPECT_EQ(o.Cell(1, kMemo).text, "Nothing");
    EXPECT_EQ(o.RowHeader(1), "Bob (1)");
    EXPECT_EQ(o.ColumnHeader(kMemo), "Memo Pad (1)");
    EXPECT_EQ(o.ColumnHeader(kDate), "Date Book (0)");
    EXPECT_EQ(o.StatusText(), "3 users, 5 conduits: 2 users differ from the conduit list in 2 cells.");

    // Sorted: the differing users first, in their order, then the others.
    ASSERT_TRUE(o.SetSortByDifferences(true));
    EXPECT_EQ(o.RowHeader(0), "Bob (1)");
    EXPECT_EQ(o.RowHeader(1), "Carol (1)");
    EXPECT_EQ(o.RowHeader(2), "Alice (0)");
    EXPECT_EQ(o.UserIdAt(2), kAlice);
    EXPECT_GT(view.tableRedraws, 0);
  });
}

// Ticking the differing users reads the users not read yet first (with progress); a cancelled
// read ticks nothing and sorts nothing.
TEST_F(OverviewLogicTest, TicksExactlyTheDifferingUsers) {
  Logic().SetProgressDelay(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
  WithOverview([&](OverviewLogic& o, RecordingOverviewView& view) {
    view.bCancel = true;
    o.btnTickDifferingClick();
    EXPECT_EQ(view.progressCaption, kReadingCaption);
    EXPECT_EQ(Ticks(), (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(view.said.empty());
    EXPECT_FALSE(o.SetSortByDifferences(true));
    EXPECT_FALSE(o.IsSortedByDifferences());

    view.bCancel = false;
    o.btnTickDifferingClick();
    EXPECT_EQ(Ticks(), (std::vector<bool>{false, true, true}));
    ASSERT_EQ(view.said.size(), 1u);
    EXPECT_NE(view.said[0].find("2 users differ"), std::string::npos) << view.said[0];
  });
  EXPECT_EQ(View().userRedraws, 2) << "the main window's user list is redrawn with the new ticks";
}

// The actions dialog opened from a row; copying Bob's defaults into the conduit list makes Bob
// agree and Alice and Carol differ on Memo Pad.
TEST_F(OverviewLogicTest, OpensAUsersActionsAndComparesWithTheListAfterwards) {
  WithOverview([&](OverviewLogic& o, RecordingOverviewView&) {
    o.SetDiffersOnly(true);
    o.ReadMore(std::chrono::seconds(5));
    std::vector<std::uint32_t> opened;
    View().onSyncActions = [&](SyncActionsLogic& dialog) {
      opened.push_back(dialog.UserId());
      dialog.btnCopyClick();
    };
    o.btnUserActionsClick(1);
    o.btnUserActionsClick(-1);
    EXPECT_EQ(opened, std::vector<std::uint32_t>{kBob});
    EXPECT_EQ(Action(kMemo), ACTION_DISABLED | ACTION_SYNC);
    EXPECT_FALSE(o.Cell(1, kMemo).bMarked);
    EXPECT_TRUE(o.Cell(0, kMemo).bMarked);
    EXPECT_TRUE(o.Cell(2, kMemo).bMarked);
    EXPECT_EQ(o.ColumnHeader(kMemo), "Memo Pad (2)");
  });
}

// Each kind of cell has a background of its own (the label says it in words too).
TEST(OverviewColours, EveryKindHasItsOwnBackground) {
  const CellKind kinds[] = {CellKind::Synchronize, CellKind::DesktopOverwrites, CellKind::HandheldOverwrites,
                            CellKind::DoNothing,   CellKind::Custom,            CellKind::Unknown,
                            CellKind::NotSet,      CellKind::Failed};
  std::set<std::tuple<int, int, int>> seen;
  for (CellKind kind : kinds) {
    const Rgb c = CellBackground(kind);
    EXPECT_TRUE(seen.insert({c.r, c.g, c.b}).second) << static_cast<int>(kind);
  }
}

}  // namespace
