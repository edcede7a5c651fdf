// The main window's commands without a window: start-up, the tick rule through the list, the
// popup menu of each kind, the list commands, Apply with its calls and its report, the dialogs it
// opens and the current settings at close, against temporary stand-in installations.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "src/core/palm/CondMgr.h"
#include "src/logic/Main.h"
#include "src/core/OVProfile.h"
#include "src/core/OVUtil.h"
#include "tests/logic/MainLogicFixture.h"

namespace fs = std::filesystem;

namespace {

using namespace logictest;
using windowtest::DataFile;

// A first start enumerates, gives each kind its default, ticks every row but the switched-off
// ones, ticks every user and writes the cache file; the rows show the records.
TEST_F(MainLogic, FirstStartShowsKindDefaults) {
  Open();
  ASSERT_EQ(Logic().CondRows().size(), static_cast<std::size_t>(kRowCount));
  const std::uint32_t expected[kRowCount] = {1, 1, 1, 2, 4};
  for (int row = 0; row < kRowCount; ++row) {
    EXPECT_EQ(Action(row), expected[row]) << row;
    EXPECT_EQ(Row(row).action, ActionName(expected[row]));
    EXPECT_TRUE(Row(row).ticked);
  }
  EXPECT_EQ(Row(kMemo).title, "Memo Pad");
  EXPECT_EQ(Row(kBackup).pRec->dwCreatorID, BACKUP_CREATOR_ID);
  ASSERT_EQ(Logic().UserRows().size(), 3u);
  for (const UserRow& u : Logic().UserRows()) EXPECT_TRUE(u.ticked);
  EXPECT_EQ(Logic().UserRows()[1].name, "Bob");
  EXPECT_TRUE(fs::exists(DataFile("ovcond.dat")));
  EXPECT_EQ(View().busy, (std::vector<bool>{true, false})) << "the wait cursor during the enumeration";
  EXPECT_TRUE(View().said.empty());
}

// Unticking switches off and keeps the low bits; ticking brings them back; a row whose action is 8
// stays 8 when ticked. Each change redraws its row, and the same tick twice changes nothing.
TEST_F(MainLogic, TickRuleThroughTheList) {
  Open();
  Choose(kDate, &MainWindowLogic::miPC2HHClick);
  View().changedRows.clear();
  Logic().slvCondChange(kDate, false);
  EXPECT_EQ(Action(kDate), 0x10002u);
  EXPECT_EQ(Row(kDate).action, "Do Nothing");
  EXPECT_FALSE(Row(kDate).ticked);
  EXPECT_EQ(View().changedRows, std::vector<int>{kDate});
  Logic().slvCondChange(kDate, false);
  EXPECT_EQ(View().changedRows.size(), 1u) << "an unchanged tick raises nothing";
  Logic().slvCondChange(kDate, true);
  EXPECT_EQ(Action(kDate), 2u);
  EXPECT_EQ(Row(kDate).action, "Desktop overwrites handheld");

  OVProfile eight;
  const ProfileRec rec{Row(kMemo).pRec->dwCreatorID, 8};
  eight.AddRec(&rec);
  Logic().ExchangeProfile(false, &eight);
  EXPECT_FALSE(Row(kMemo).ticked) << "8 is unticked by the tick rule";
  Logic().slvCondChange(kMemo, true);
  EXPECT_EQ(Action(kMemo), 8u);
  EXPECT_TRUE(Row(kMemo).ticked);
  EXPECT_EQ(Row(kMemo).action, "Do Nothing");
}

// The popup for each kind: which items show, the third item's caption and the check mark; with no
// selected row it stays as it was and its commands change nothing.
TEST_F(MainLogic, PopupOfEachKind) {
  Open();
  using P = PopupItem;
  const struct {
    int row;
    std::uint32_t action;  // restored first
    bool visible[kPopupItemCount];
    const char* caption;
    P checked;
  } cases[] = {
      {kDate, 1, {true, true, true, true}, "Desktop overwrite handhelds", P::Sync},
      {kDate, 4, {true, true, true, true}, "Desktop overwrite handhelds", P::HH2PC},
      {kDate, 0x10004, {true, true, true, true}, "Desktop overwrite handhelds", P::Nothing},
      {kDate, 8, {true, true, true, true}, "Desktop overwrite handhelds", P::Nothing},
      {kDate, 7, {true, true, true, true}, "Desktop overwrite handhelds", P::Sync},
      {kInstall, 2, {false, false, true, true}, "Install to handhelds", P::PC2HH},
      {kBackup, 4, {false, true, true, true}, "Desktop overwrite handhelds", P::HH2PC},
      {kBackup, 2, {false, true, true, true}, "Desktop overwrite handhelds", P::PC2HH},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << c.row << " action " << c.action);
    OVProfile profile;
    const ProfileRec rec{Row(c.row).pRec->dwCreatorID, c.action};
    profile.AddRec(&rec);
    Logic().ExchangeProfile(false, &profile);
    Logic().SelectCondRow(c.row);
    Logic().pmCondPopup();
    const PopupState& popup = Logic().Popup();
    for (int i = 0; i < kPopupItemCount; ++i) EXPECT_EQ(popup.visible[i], c.visible[i]) << i;
    EXPECT_EQ(popup.pc2hhCaption, c.caption);
    EXPECT_EQ(popup.checked, c.checked);
  }

  const PopupState before = Logic().Popup();
  const std::uint32_t actionBefore = Action(kBackup);
  Logic().SelectCondRow(-1);
  EXPECT_FALSE(Logic().IsDetailEnabled());
  Logic().pmCondPopup();
  EXPECT_EQ(Logic().Popup().pc2hhCaption, before.pc2hhCaption);
  EXPECT_EQ(Logic().Popup().checked, before.checked);
  Logic().miNothingClick();
  EXPECT_EQ(Action(kBackup), actionBefore) << "no selected row: the command changes nothing";
}

// The popup commands set the action and the tick; "Do Nothing" keeps the low bits.
TEST_F(MainLogic, PopupCommands) {
  Open();
  Choose(kAddr, &MainWindowLogic::miHH2PCClick);
  EXPECT_EQ(Action(kAddr), 4u);
  Choose(kAddr, &MainWindowLogic::miNothingClick);
  EXPECT_EQ(Action(kAddr), 0x10004u);
  EXPECT_FALSE(Row(kAddr).ticked);
  Logic().slvCondChange(kAddr, true);
  EXPECT_EQ(Row(kAddr).action, "Handheld overwrites Desktop");
  Choose(kInstall, &MainWindowLogic::miPC2HHClick);
  EXPECT_EQ(Action(kInstall), 2u);
  Choose(kDate, &MainWindowLogic::miNothingClick);
  Choose(kDate, &MainWindowLogic::miSyncClick);
  EXPECT_EQ(Action(kDate), 1u);
  EXPECT_TRUE(Row(kDate).ticked);
}

// Enable All after Disable All brings every action back; Refresh shows the kind defaults again;
// Select All and Clear All tick and untick every user.
TEST_F(MainLogic, ListCommands) {
  Open();
  Choose(kDate, &MainWindowLogic::miHH2PCClick);
  Logic().sbtnDisableClick();
  const std::uint32_t off[kRowCount] = {0x10004, 0x10001, 0x10001, 0x10002, 0x10004};
  for (int row = 0; row < kRowCount; ++row) EXPECT_EQ(Action(row), off[row]) << row;
  Logic().sbtnEnableClick();
  const std::uint32_t on[kRowCount] = {4, 1, 1, 2, 4};
  for (int row = 0; row < kRowCount; ++row) EXPECT_EQ(Action(row), on[row]) << row;

  Logic().SelectCondRow(kDate);
  Logic().sbtnLoadCondClick();
  const std::uint32_t defaults[kRowCount] = {1, 1, 1, 2, 4};
  for (int row = 0; row < kRowCount; ++row) EXPECT_EQ(Action(row), defaults[row]) << row;
  EXPECT_EQ(Logic().SelectedCondRow(), -1) << "the rebuilt list has no selection";
  EXPECT_FALSE(Logic().IsDetailEnabled());

  Logic().sbtnClearClick();
  for (const UserRow& u : Logic().UserRows()) EXPECT_FALSE(u.ticked);
  Logic().sbtnAllClick();
  for (const UserRow& u : Logic().UserRows()) EXPECT_TRUE(u.ticked);
}

// Apply writes every conduit for every ticked user, user by user and conduit by conduit, to the
// permanent or the temporary preferences, then rewrites the cache file and says so.
class MainLogicApply : public MainLogic, public testing::WithParamInterface<bool> {};

TEST_P(MainLogicApply, CallsAndReport) {
  const bool permanent = GetParam();
  {
    Open();
    Choose(kDate, &MainWindowLogic::miPC2HHClick);
    Logic().slvCondChange(kDate, false);
    Choose(kAddr, &MainWindowLogic::miHH2PCClick);
    Logic().SetUserTicked(1, false);
    Logic().SetDefaultAction(permanent);
    fs::remove(DataFile("ovcond.dat"));
    Logic().sbtnApplyClick();

    std::vector<fixture::JournalEntry> expected;
    const std::int32_t codes[kRowCount] = {3, 0, 2, 1, 2};
    for (std::uint32_t user : {kFirstUserId, kFirstUserId + 2}) {
      for (int row = 0; row < kRowCount; ++row) {
        expected.push_back({permanent, user, Row(row).pRec->dwCreatorID, codes[row]});
      }
    }
    EXPECT_EQ(m_pInst->ReadJournal(), expected);
    EXPECT_EQ(Said(), std::vector<std::string>{"Information: User settings updated successfully."});
    EXPECT_TRUE(fs::exists(DataFile("ovcond.dat")));
  }
}
INSTANTIATE_TEST_SUITE_P(DefaultAction, MainLogicApply, testing::Bool());

TEST_F(MainLogic, ApplyWithNoUserTickedWritesNothing) {
  Open();
  Logic().sbtnClearClick();
  fs::remove(DataFile("ovcond.dat"));
  Logic().sbtnApplyClick();
  EXPECT_TRUE(m_pInst->ReadJournal().empty());
  EXPECT_FALSE(fs::exists(DataFile("ovcond.dat")));
  ASSERT_EQ(View().said.size(), 1u);
  EXPECT_EQ(View().said[0].text, "No user is selected.");
  EXPECT_EQ(View().said[0].caption, "Information");
  EXPECT_EQ(View().said[0].icon, ov::MessageIcon::Information);
}

// Writes the library refuses are reported with the users' names (the first ten, the rest counted).
TEST_F(MainLogic, ApplyNamesTheUsersThatFailed) {
  std::vector<std::string> names;
  for (int i = 1; i <= 12; ++i) names.push_back("User " + std::to_string(i));
  names[1] = "";
  Open(names, {{"sync_write_fail", "-516"}});
  Logic().sbtnApplyClick();
  ASSERT_EQ(View().said.size(), 1u);
  EXPECT_EQ(View().said[0].caption, "Error");
  EXPECT_EQ(View().said[0].icon, ov::MessageIcon::Error);
  EXPECT_EQ(View().said[0].text,
            "The settings of 12 users could not be updated: User 1, user 1002, User 3, User 4, User 5, User 6, "
            "User 7, User 8, User 9, User 10 and 2 more.");
  EXPECT_EQ(ApplyFailureText({"Alice"}), "The settings of 1 user could not be updated: Alice.");
}

// Detail opens the dialog on the selected row; OK changes the record, the row and its tick, Cancel
// nothing. A double click on a user opens the user information for that user.
TEST_F(MainLogic, DialogsOpenOnTheSelectedRow) {
  Open();
  Logic().sbtnDetailClick();
  EXPECT_EQ(View().dialogs, 0) << "no selected row: no dialog";

  Logic().SelectCondRow(kAddr);
  View().onCondDetail = [](CondDetailLogic& d) {
    EXPECT_EQ(d.Title(), "Address Book");
    EXPECT_EQ(d.Choice(), CondChoice::Sync);
    d.SetChoice(CondChoice::Nothing);
    return d.btnOKClick();
  };
  Logic().sbtnDetailClick();
  EXPECT_EQ(Action(kAddr), 0x10001u);
  EXPECT_FALSE(Row(kAddr).ticked);
  EXPECT_EQ(Row(kAddr).action, "Do Nothing");

  View().onCondDetail = [](CondDetailLogic& d) {
    d.SetChoice(CondChoice::PC2HH);
    return false;  // Cancel
  };
  Logic().sbtnDetailClick();
  EXPECT_EQ(Action(kAddr), 0x10001u);

  std::uint32_t shown = 0;
  View().onUserInfo = [&](UserInfoLogic& d) { shown = d.GetUserId(); };
  Logic().SelectUserRow(1);
  Logic().slvUserDblClick();
  EXPECT_EQ(shown, kFirstUserId + 1);
  EXPECT_EQ(View().dialogs, 3);
}

// The actions at close come back at the next start; a close whose save fails says so.
TEST_F(MainLogic, CurrentSettingsOverACloseAndAStart) {
  Open();
  Choose(kMemo, &MainWindowLogic::miNothingClick);
  Choose(kBackup, &MainWindowLogic::miPC2HHClick);
  Logic().FormClose();
  EXPECT_TRUE(View().said.empty());
  m_pWin.reset();
  m_pWin = std::make_unique<LogicWindow>();
  EXPECT_EQ(Action(kMemo), 0x10001u);
  EXPECT_FALSE(Row(kMemo).ticked);
  EXPECT_EQ(Action(kBackup), 2u);

  // A directory in the way of the file: the save fails and is told.
  m_pWin.reset();
  m_pWin = std::make_unique<LogicWindow>();
  fs::remove(DataFile("ovcurr.dat"));
  fs::create_directory(DataFile("ovcurr.dat"));
  Logic().FormClose();
  ASSERT_EQ(View().said.size(), 1u);
  EXPECT_EQ(View().said[0].caption, "Orvane Error");
  EXPECT_NE(View().said[0].text.find("The current settings could not be saved to "), std::string::npos);
}

TEST_F(MainLogic, ExitAsksTheViewToClose) {
  Open();
  Logic().sbtnExitClick();
  EXPECT_EQ(View().closes, 1);
}

}  // namespace

namespace {

// Help always answers: a page that is not there is said, and so is a page nothing can show.
TEST_F(MainLogic, HelpSaysWhyThePageCannotBeShown) {
  Open();
  const std::string page = HelpPagePath();
  ASSERT_FALSE(page.empty());
  fs::remove_all(windowtest::ExeDir() / "help");
  Logic().sbtnHelpClick();
  ASSERT_EQ(View().said.size(), 1u);
  EXPECT_EQ(View().said[0].text, "The help page " + page + " was not found.");
  EXPECT_EQ(View().said[0].caption, "Orvane Error");
#ifndef _WIN32
  // The page is there, but no program is found to open it.
  fs::create_directories(fs::path(page).parent_path());
  std::ofstream(page) << "<html></html>";
  const char* path = std::getenv("PATH");
  const std::string oldPath = path ? path : "";
  setenv("PATH", "/nonexistent", 1);
  Logic().sbtnHelpClick();
  setenv("PATH", oldPath.c_str(), 1);
  fs::remove_all(windowtest::ExeDir() / "help");
  ASSERT_EQ(View().said.size(), 2u);
  EXPECT_EQ(View().said[1].text,
            "The help page could not be opened: no program to show it was found. It is the file " + page + ".");
#endif
}

}  // namespace

namespace {

// Started before kestrow.ini names any installation, the window lists nothing and caches
// nothing: pointed at one afterwards, the next start enumerates its conduits.
TEST_F(MainLogic, WithoutPalmsLibrariesNoConduitListIsCached) {
  fixture::RemoveKestrowIni();
  fixture::ClearRegistryCorePath();
  m_pWin = std::make_unique<LogicWindow>();
  EXPECT_TRUE(Logic().CondRows().empty());
  EXPECT_FALSE(fs::exists(DataFile("ovcond.dat")));
  m_pWin.reset();

  Open();
  ASSERT_EQ(Logic().CondRows().size(), static_cast<std::size_t>(kRowCount));
  EXPECT_EQ(Row(kMemo).title, "Memo Pad");
  EXPECT_TRUE(fs::exists(DataFile("ovcond.dat")));
}

// Palm's libraries of the other word size (the 64-bit exe beside Palm's 32-bit libraries): the
// window says so and names the 32-bit orvane.exe, never "no users", and caches nothing.
TEST_F(MainLogic, LibrariesOfTheOtherWordSizeAreNamed) {
  m_pInst = std::make_unique<fixture::Installation>();
  m_pInst->AddUser({kFirstUserId, "Alice", "dirA", false, {}});
  m_pInst->AddWindowConduits(windowtest::kStandardConduits);
  m_pInst->MakeLibraryForeign("condmgr.dll");
  m_pInst->Publish();
  m_pWin = std::make_unique<LogicWindow>();
  ASSERT_EQ(View().said.size(), 1u) << testing::PrintToString(Said());
  const std::string text = View().said[0].text;
  EXPECT_NE(text.find((m_pInst->dir() / "condmgr.dll").string()), std::string::npos) << text;
  EXPECT_NE(text.find("start the 32-bit orvane.exe"), std::string::npos) << text;
  EXPECT_EQ(View().said[0].caption, "Orvane Error");
  EXPECT_TRUE(Logic().CondRows().empty());
  EXPECT_TRUE(Logic().UserRows().empty());
  EXPECT_FALSE(fs::exists(DataFile("ovcond.dat")));
}

// HotSync Manager is started by its full path in Palm Desktop's directory, from wherever the
// current directory is; when it is missing or cannot be started, the user is told.
TEST_F(MainLogic, HotSyncManagerStartsFromPalmDesktopOrTheFailureIsTold) {
  Open();
  const std::string exe = (m_pInst->dir() / "hotsync.exe").string();
  std::error_code ec;
  fs::remove(exe, ec);
  Logic().sbtnHotSyncClick();
  ASSERT_EQ(View().said.size(), 1u);
  EXPECT_EQ(View().said[0].text, "HotSync Manager could not be started: " + exe + " was not found.");

  // There, but not something the system can start.
  std::ofstream(exe) << "not a program";
#ifndef _WIN32
  const char* path = std::getenv("PATH");
  const std::string oldPath = path ? path : "";
  setenv("PATH", "/nonexistent", 1);  // and no opener for what is not a program
#endif
  Logic().sbtnHotSyncClick();
#ifndef _WIN32
  setenv("PATH", oldPath.c_str(), 1);
#endif
  ASSERT_EQ(View().said.size(), 2u);
  EXPECT_EQ(View().said[1].text, "HotSync Manager could not be started from " + exe + ".");

#ifndef _WIN32
  // A program there is started by its full path, whatever the current directory.
  const fs::path marker = m_pInst->dir() / "started.txt";
  std::ofstream(exe, std::ios::trunc) << "#!/bin/sh\necho started > '" << marker.string() << "'\n";
  fs::permissions(exe, fs::perms::owner_exec, fs::perm_options::add);
  const fs::path cwd = fs::current_path();
  fs::current_path(fs::temp_directory_path());
  Logic().sbtnHotSyncClick();
  fs::current_path(cwd);
  EXPECT_EQ(View().said.size(), 2u) << "nothing more is said";
  for (int i = 0; i < 200 && !fs::exists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(fs::exists(marker));
#endif
}

}  // namespace
