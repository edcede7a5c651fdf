// The main window against temporary Palm Desktop installations: Apply and what it writes, the
// rules that tie a row's tick to its conduit's action, the popup menu, the list commands, and
// what start-up and close read and write beside the executable.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "src/qt/Main.h"
#include "src/qt/MessageBox.h"
#include "src/core/OVProfile.h"
#include "src/core/OVUtil.h"
#include "tests/support/PalmFixture.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/WindowTest.h"

namespace fs = std::filesystem;

namespace {

using windowtest::CaptureMessage;
using windowtest::g_said;
using windowtest::Said;

using windowtest::DataFile;
using windowtest::ExeDir;

std::vector<CONDUIT_REC> ReadCache() {
  std::ifstream in(DataFile("ovcond.dat"), std::ios::binary);
  std::vector<CONDUIT_REC> recs;
  unsigned char bytes[COND_FILE_RECORD_SIZE];
  while (in.read(reinterpret_cast<char*>(bytes), sizeof bytes)) {
    recs.emplace_back();
    CondRecordFromBytes(bytes, &recs.back());
  }
  return recs;
}

void WriteCache(const std::vector<CONDUIT_REC>& recs) {
  std::ofstream out(DataFile("ovcond.dat"), std::ios::binary | std::ios::trunc);
  unsigned char bytes[COND_FILE_RECORD_SIZE];
  for (const CONDUIT_REC& rec : recs) {
    CondRecordToBytes(rec, bytes);
    out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
  }
}

std::vector<std::uint32_t> Actions(const std::vector<CONDUIT_REC>& recs) {
  std::vector<std::uint32_t> v;
  for (const CONDUIT_REC& rec : recs) v.push_back(rec.dwAction);
  return v;
}

// The conduit rows of the standard installation, in catalogue order.
enum Row { kDate, kMemo, kAddr, kInstall, kBackup, kRowCount };

constexpr std::uint32_t kFirstUserId = 1001;

class MainWindow : public windowtest::WindowTest {
 protected:
  MainWindow() : WindowTest(CaptureMessage) {}

  void SetUp() override {
    WindowTest::SetUp();
    g_said.clear();
    InstallMessageHooks();
  }

  // Users named by names (IDs from 1001), three registered conduits with their modules, an
  // install conduit and the backup conduit.
  fixture::Installation& Standard(std::vector<std::string> names = {"Alice", "Bob", "Carol"},
                                  unsigned libs = 15) {
    m_pInst = std::make_unique<fixture::Installation>(libs);
    fixture::Installation& inst = *m_pInst;
    for (std::size_t i = 0; i < names.size(); ++i) {
      const std::uint32_t id = kFirstUserId + static_cast<std::uint32_t>(i);
      fixture::User user;
      user.id = id;
      user.name = names[i];
      user.directory = "dir" + std::to_string(id);
      inst.AddUser(user);
    }
    return inst.AddWindowConduits(windowtest::kStandardConduits);
  }

  void Open() {
    m_pInst->Publish();
    m_pWin = std::make_unique<TfmMain>();
  }

  template <class T>
  T* Find(const char* name) const {
    T* p = m_pWin->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(p, nullptr) << name;
    return p;
  }
  QTreeView* Users() const { return Find<QTreeView>("slvUser"); }
  QTreeView* Conds() const { return Find<QTreeView>("slvCond"); }
  void Click(const char* button) const { Find<QPushButton>(button)->click(); }

  CONDUIT_REC* Rec(int row) const { return m_pWin->CondRecordAt(row); }
  std::uint32_t Action(int row) const { return Rec(row)->dwAction; }
  QString ActionText(int row) const { return Conds()->model()->index(row, 1).data().toString(); }
  bool Ticked(QTreeView* view, int row) const {
    return view->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
  }
  void Tick(QTreeView* view, int row, bool ticked) const {
    view->model()->setData(view->model()->index(row, 0), ticked ? Qt::Checked : Qt::Unchecked,
                           Qt::CheckStateRole);
  }
  void Select(int row) const {
    Conds()->selectionModel()->setCurrentIndex(Conds()->model()->index(row, 0),
                                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  // Puts one action onto a row the way a restored profile does (the tick follows the action).
  void Restore(int row, std::uint32_t action) const {
    OVProfile profile;
    const ProfileRec rec{Rec(row)->dwCreatorID, action};
    profile.AddRec(&rec);
    m_pWin->ExchangeProfile(false, &profile);
  }
  // Chooses an item of the popup menu for a row, as a right click and a choice do.
  void Choose(int row, const char* item) const {
    Select(row);
    m_pWin->pmCondPopup();
    Find<QAction>(item)->trigger();
  }

};

// -------------------------------------------------------------------------------------------------
// Apply

class MainWindowApply : public MainWindow, public testing::WithParamInterface<bool> {};

// Two ticked users of three, five conduits: ten calls, user by user and conduit by conduit, all
// permanent with "Default Action" ticked and all temporary without it. Switched off with an
// earlier "Desktop overwrites handheld" (0x10002) and exactly 8 on a ticked row both write 3.
TEST_P(MainWindowApply, WritesEveryConduitForEveryTickedUserInListOrder) {
  const bool permanent = GetParam();
  Standard();
  Open();

  Choose(kDate, "miPC2HH");
  Tick(Conds(), kDate, false);
  EXPECT_EQ(Action(kDate), 0x10002u);
  Tick(Conds(), kMemo, false);
  Restore(kMemo, 8);
  Tick(Conds(), kMemo, true);
  EXPECT_EQ(Action(kMemo), 8u) << "ticking a row whose action is 8 keeps the 8";
  EXPECT_TRUE(Ticked(Conds(), kMemo));
  EXPECT_EQ(ActionText(kMemo), "Do Nothing");
  Choose(kAddr, "miHH2PC");
  Tick(Users(), 1, false);  // Bob
  Find<QCheckBox>("schkDefault")->setChecked(permanent);
  Click("sbtnApply");

  std::vector<fixture::JournalEntry> expected;
  for (std::uint32_t user : {kFirstUserId, kFirstUserId + 2}) {
    const std::int32_t codes[kRowCount] = {3, 3, 2, 1, 2};
    for (int row = 0; row < kRowCount; ++row) {
      expected.push_back({permanent, user, Rec(row)->dwCreatorID, codes[row]});
    }
  }
  EXPECT_EQ(m_pInst->ReadJournal(), expected);
  EXPECT_EQ(Rec(kBackup)->dwCreatorID, 0xFFFFFFFFu);

  ASSERT_EQ(g_said.size(), 1u);
  EXPECT_EQ(g_said[0].text, "User settings updated successfully.");
  EXPECT_EQ(g_said[0].caption, "Information");
  EXPECT_EQ(g_said[0].icon, ov::MessageIcon::Information);
  // The cache holds the actions as shown, for a later start without "ovcurr.dat".
  EXPECT_EQ(Actions(ReadCache()), (std::vector<std::uint32_t>{0x10002, 8, 4, 2, 4}));
}

INSTANTIATE_TEST_SUITE_P(DefaultAction, MainWindowApply, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "Permanent" : "Temporary";
                         });

// Nobody to write to: no call, no cache file written, and the user is told.
TEST_F(MainWindow, ApplyWithoutATickedUserWritesNothing) {
  for (bool libraryMissing : {false, true}) {
    SCOPED_TRACE(libraryMissing ? "no user data library" : "every user unticked");
    Standard({"Alice", "Bob"}, libraryMissing ? 15u & ~2u : 15u);
    Open();
    if (libraryMissing) g_said.clear();  // the roster's own complaint
    Click("sbtnClear");
    const std::vector<std::uint32_t> before = Actions(ReadCache());
    Click("sbtnDisable");
    Click("sbtnApply");

    EXPECT_TRUE(m_pInst->ReadJournal().empty());
    EXPECT_EQ(Actions(ReadCache()), before);
    ASSERT_EQ(g_said.size(), 1u);
    EXPECT_EQ(g_said[0].text, "No user is selected.");
    EXPECT_EQ(g_said[0].caption, "Information");
    TearDown();
    SetUp();
  }
}

// A library that refuses the writes, or lacks the entry point (-100), is reported with the
// users it failed for, never as success; every call is still made and the cache still written.
TEST_F(MainWindow, ApplyReportsTheUsersWhoseSettingsFailed) {
  const struct {
    const char* what;
    int users;
    bool permanent;
    QString text;
  } cases[] = {
      {"temporary call missing", 1, false,
       "The settings of 1 user could not be updated: User 1."},
      {"library refuses", 2, true,
       "The settings of 2 users could not be updated: User 1, User 2."},
      {"many users", 13, true,
       "The settings of 13 users could not be updated: User 1, User 2, User 3, User 4, User 5, "
       "User 6, User 7, User 8, User 9, User 10 and 3 more."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> names;
    for (int i = 1; i <= c.users; ++i) names.push_back("User " + std::to_string(i));
    fixture::Installation& inst = Standard(names);
    if (c.permanent) {
      inst.SetFault("sync_write_fail", "-516");
    } else {
      inst.UseVariant("UserData_notemp.dll", "UserData.dll");
    }
    Open();
    Find<QCheckBox>("schkDefault")->setChecked(c.permanent);
    Click("sbtnDisable");
    Click("sbtnApply");

    ASSERT_EQ(g_said.size(), 1u);
    EXPECT_EQ(g_said[0].text, c.text);
    EXPECT_EQ(g_said[0].caption, "Error");
    EXPECT_EQ(g_said[0].icon, ov::MessageIcon::Error);
    EXPECT_EQ(Actions(ReadCache()), (std::vector<std::uint32_t>{0x10001, 0x10001, 0x10001, 0x10002, 0x10004}));
    TearDown();
    SetUp();
  }
}

// -------------------------------------------------------------------------------------------------
// Editing the actions

// Unticking switches a conduit off and keeps its action underneath; ticking brings it back.
// Space on the current row ticks it as a click does.
TEST_F(MainWindow, TickingSwitchesAConduitOnAndOffKeepingItsAction) {
  Standard();
  Open();
  const struct {
    std::uint32_t action;
    const char* item;
    const char* text;
  } cases[] = {{1, "miSync", "Synchronize the files"},
               {2, "miPC2HH", "Desktop overwrites handheld"},
               {4, "miHH2PC", "Handheld overwrites Desktop"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Choose(kDate, c.item);
    EXPECT_EQ(Action(kDate), c.action);
    EXPECT_TRUE(Ticked(Conds(), kDate));
    EXPECT_EQ(ActionText(kDate), c.text);

    Tick(Conds(), kDate, false);
    EXPECT_EQ(Action(kDate), c.action | 0x10000);
    EXPECT_EQ(ActionText(kDate), "Do Nothing");
    QTest::keyClick(Conds(), Qt::Key_Space);
    EXPECT_TRUE(Ticked(Conds(), kDate));
    EXPECT_EQ(Action(kDate), c.action);
    EXPECT_EQ(ActionText(kDate), c.text);
  }

  // "Do Nothing" from the popup switches off and keeps the 4 for later.
  Choose(kDate, "miHH2PC");
  Choose(kDate, "miNothing");
  EXPECT_EQ(Action(kDate), 0x10004u);
  EXPECT_FALSE(Ticked(Conds(), kDate));
  Tick(Conds(), kDate, true);
  EXPECT_EQ(Action(kDate), 4u);
  EXPECT_EQ(ActionText(kDate), "Handheld overwrites Desktop");
}

// The popup offers what the conduit's kind allows and marks the action in force.
TEST_F(MainWindow, PopupFollowsTheSelectedConduit) {
  Standard();
  Open();
  const struct {
    Row row;
    std::uint32_t action;
    bool sync, hh2pc;
    const char* pc2hhCaption;
    const char* checked;
  } cases[] = {
      {kDate, 1, true, true, "Desktop overwrite handhelds", "miSync"},
      {kInstall, 2, false, false, "Install to handhelds", "miPC2HH"},
      {kDate, 0x10004, true, true, "Desktop overwrite handhelds", "miNothing"},
      {kBackup, 4, false, true, "Desktop overwrite handhelds", "miHH2PC"},
      {kMemo, 8, true, true, "Desktop overwrite handhelds", "miNothing"},
      {kAddr, 7, true, true, "Desktop overwrite handhelds", "miSync"},  // only a damaged file holds 7
      {kBackup, 2, false, true, "Desktop overwrite handhelds", "miPC2HH"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Rec(c.row)->szTitle + std::string(" ") + std::to_string(c.action));
    Restore(c.row, c.action);
    Select(c.row);
    m_pWin->pmCondPopup();
    EXPECT_EQ(Find<QAction>("miSync")->isVisible(), c.sync);
    EXPECT_EQ(Find<QAction>("miHH2PC")->isVisible(), c.hh2pc);
    EXPECT_TRUE(Find<QAction>("miPC2HH")->isVisible());
    EXPECT_TRUE(Find<QAction>("miNothing")->isVisible());
    EXPECT_EQ(Find<QAction>("miPC2HH")->text(), c.pc2hhCaption);
    for (const char* item : {"miSync", "miHH2PC", "miPC2HH", "miNothing"}) {
      EXPECT_EQ(Find<QAction>(item)->isChecked(), std::string(item) == c.checked) << item;
    }
  }

  Choose(kInstall, "miPC2HH");
  EXPECT_EQ(Action(kInstall), 2u);
  Choose(kBackup, "miNothing");
  EXPECT_EQ(Action(kBackup), 0x10002u);
  EXPECT_FALSE(Ticked(Conds(), kBackup));

  // Without a selected row the menu stays as last set and its commands change nothing.
  Select(kInstall);
  m_pWin->pmCondPopup();
  Conds()->selectionModel()->clearSelection();
  std::vector<std::uint32_t> actions;
  for (int row = 0; row < kRowCount; ++row) actions.push_back(Action(row));
  for (const char* item : {"miSync", "miHH2PC", "miPC2HH", "miNothing"}) {
    m_pWin->pmCondPopup();
    EXPECT_EQ(Find<QAction>("miPC2HH")->text(), "Install to handhelds");
    EXPECT_FALSE(Find<QAction>("miSync")->isVisible());
    EXPECT_TRUE(Find<QAction>("miPC2HH")->isChecked());
    Find<QAction>(item)->trigger();
    EXPECT_TRUE(Find<QAction>("miPC2HH")->isChecked()) << item;
  }
  for (int row = 0; row < kRowCount; ++row) EXPECT_EQ(Action(row), actions[row]) << row;
}

// Enable All and Disable All go through the tick of every row; Select All and Clear All touch
// only the user ticks; Refresh brings back the defaults of every kind, all ticked.
TEST_F(MainWindow, ListCommands) {
  Standard();
  Open();
  for (int row = 0; row < 3; ++row) EXPECT_TRUE(Ticked(Users(), row)) << "every user ticked at start";
  Click("sbtnClear");
  for (int row = 0; row < 3; ++row) EXPECT_FALSE(Ticked(Users(), row));
  Click("sbtnAll");
  for (int row = 0; row < 3; ++row) EXPECT_TRUE(Ticked(Users(), row));

  Choose(kDate, "miPC2HH");
  Choose(kMemo, "miNothing");
  Choose(kAddr, "miHH2PC");
  const std::uint32_t low[kRowCount] = {2, 1, 4, 2, 4};
  Click("sbtnEnable");
  Click("sbtnDisable");
  for (int row = 0; row < kRowCount; ++row) {
    EXPECT_EQ(Action(row), low[row] | 0x10000) << row;
    EXPECT_FALSE(Ticked(Conds(), row));
    EXPECT_EQ(ActionText(row), "Do Nothing");
  }
  Click("sbtnEnable");
  for (int row = 0; row < kRowCount; ++row) {
    EXPECT_EQ(Action(row), low[row]) << row;
    EXPECT_TRUE(Ticked(Conds(), row));
  }

  Click("sbtnDisable");
  Click("sbtnLoadCond");
  const char* texts[kRowCount] = {"Synchronize the files", "Synchronize the files", "Synchronize the files",
                                  "Desktop overwrites handheld", "Handheld overwrites Desktop"};
  ASSERT_EQ(Conds()->model()->rowCount(), kRowCount);
  for (int row = 0; row < kRowCount; ++row) {
    EXPECT_TRUE(Ticked(Conds(), row));
    EXPECT_EQ(ActionText(row), texts[row]);
  }
  EXPECT_EQ(Actions(ReadCache()), (std::vector<std::uint32_t>{1, 1, 1, 2, 4}));
}

// "Detail" is enabled at start and then follows the selection of the conduit list.
TEST_F(MainWindow, DetailFollowsTheSelection) {
  Standard();
  Open();
  QPushButton* detail = Find<QPushButton>("sbtnDetail");
  EXPECT_TRUE(detail->isEnabled());
  Select(kMemo);
  EXPECT_TRUE(detail->isEnabled());
  Conds()->selectionModel()->clearSelection();
  EXPECT_FALSE(detail->isEnabled());
  Tick(Conds(), kMemo, false);
  EXPECT_FALSE(detail->isEnabled());
  Select(kAddr);
  EXPECT_TRUE(detail->isEnabled());
}

// -------------------------------------------------------------------------------------------------
// Start-up and close

// A first start enumerates and writes the cache; close writes the current settings; both beside
// the executable, though start-up made the Palm Desktop core directory the current directory.
// The next start takes the cached records as they are (titles, an action of 8 unticked) and
// then the actions of the current settings.
TEST_F(MainWindow, StartsFromTheCacheAndTheCurrentSettings) {
  Standard();
  Open();
  char cwd[4096];
  ASSERT_TRUE(os::GetCurrentDirectory(cwd, sizeof cwd));
  EXPECT_TRUE(fs::equivalent(cwd, m_pInst->dir()));
  std::vector<CONDUIT_REC> cache = ReadCache();
  ASSERT_EQ(cache.size(), static_cast<std::size_t>(kRowCount));
  EXPECT_EQ(Actions(cache), (std::vector<std::uint32_t>{1, 1, 1, 2, 4}));
  EXPECT_FALSE(fs::exists(DataFile("ovcurr.dat")));

  Choose(kAddr, "miPC2HH");
  Click("sbtnExit");
  EXPECT_TRUE(fs::exists(DataFile("ovcurr.dat")));
  EXPECT_FALSE(fs::exists(m_pInst->dir() / "ovcurr.dat"));
  EXPECT_FALSE(fs::exists(m_pInst->dir() / "ovcond.dat"));
  m_pWin.reset();

  // The current settings name date and addr only; the cache says what the rest show.
  OVProfile curr;
  curr.SetFileName(DataFile("ovcurr.dat").string().c_str());
  ASSERT_TRUE(curr.Load());
  EXPECT_EQ(curr.GetCount(), static_cast<std::uint32_t>(kRowCount));
  OVProfile kept;
  kept.SetFileName(DataFile("ovcurr.dat").string().c_str());
  for (int row : {kDate, kAddr}) kept.AddRec(curr.FindRec(cache[row].dwCreatorID));
  ASSERT_TRUE(kept.Save());
  std::snprintf(cache[kDate].szTitle, sizeof cache[kDate].szTitle, "Cached Date");
  cache[kMemo].dwAction = 8;
  WriteCache(cache);

  Open();
  EXPECT_EQ(Conds()->model()->index(kDate, 0).data().toString(), "Cached Date") << "not enumerated";
  EXPECT_EQ(Action(kMemo), 8u);
  EXPECT_FALSE(Ticked(Conds(), kMemo));
  EXPECT_EQ(Action(kAddr), 2u);
  EXPECT_EQ(ActionText(kAddr), "Desktop overwrites handheld");
  EXPECT_EQ(Action(kDate), 1u);
}

// A cache file of no bytes counts as missing: the conduits are enumerated and it is written.
TEST_F(MainWindow, EmptyCacheIsEnumeratedAgain) {
  Standard();
  std::ofstream(DataFile("ovcond.dat"), std::ios::binary).close();
  Open();
  EXPECT_EQ(Conds()->model()->rowCount(), kRowCount);
  EXPECT_EQ(fs::file_size(DataFile("ovcond.dat")), kRowCount * COND_FILE_RECORD_SIZE);
}

// Help opens the page that travels beside the executable, as a file address with the query.
TEST(MainWindowHelp, AddressIsThePageBesideTheExecutable) {
  const std::string dir = ExeDir().generic_string();
  EXPECT_EQ(HelpAddress(),
            "file://" + std::string(dir.front() == '/' ? "" : "/") + dir + "/help/orvane/index.htm?ref=app");
}

}  // namespace
