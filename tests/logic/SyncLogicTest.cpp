// Seeing before writing, without a window: a user's HotSync actions read back (every code, not
// set, a failed read, the one-time action over the default), copying them into the list and
// ending one-time actions; after a default Apply, the one-time actions that would override it;
// Apply while HotSync runs; the progress window's Cancel; and the end of the Windows session
// during Apply and without it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "src/logic/Main.h"
#include "src/core/OVUtil.h"
#include "src/logic/SyncActions.h"
#include "src/logic/Userinfo.h"
#include "tests/logic/MainLogicFixture.h"

namespace {

using namespace logictest;
using fixture::JournalEntry;
using ov::MessageAnswer;

constexpr std::uint32_t kAlice = kFirstUserId, kBob = kFirstUserId + 1, kCarol = kFirstUserId + 2;
constexpr unsigned kWithoutHotSyncApi = 15 & ~4u;

class SyncLogic : public MainLogic {
 protected:
  std::size_t m_nMark = 0;

  std::uint32_t Creator(int row) { return Row(row).pRec->dwCreatorID; }
  void Perm(std::uint32_t user, int row, std::int32_t code) {
    ASSERT_EQ(palm::UmSetUserPermSyncPreferences(user, Creator(row), code), 0);
  }
  void Temp(std::uint32_t user, int row, std::int32_t code) {
    ASSERT_EQ(palm::UmSetUserTempSyncPreferences(user, Creator(row), code), 0);
  }
  // What the stand-in HotSync manager's window says while it runs: "idle" or "syncing".
  void HotSyncFile(const char* state) { std::ofstream(m_pInst->dir() / "palmdesk.hotsync") << state << "\n"; }
  // The journal from now on: Mark, then Since gives the calls made after it.
  void Mark() { m_nMark = m_pInst->ReadJournal().size(); }
  std::vector<JournalEntry> Since() {
    const std::vector<JournalEntry> all = m_pInst->ReadJournal();
    return std::vector<JournalEntry>(all.begin() + static_cast<std::ptrdiff_t>(std::min(m_nMark, all.size())),
                                     all.end());
  }
  // The users written to since the mark, in order.
  std::vector<std::uint32_t> WrittenUsers() {
    std::vector<std::uint32_t> users;
    for (const JournalEntry& e : Since()) {
      if (!e.erase && (users.empty() || users.back() != e.userId)) users.push_back(e.userId);
    }
    return users;
  }
  // The one-time actions ended since the mark.
  std::vector<JournalEntry> Erased() {
    std::vector<JournalEntry> erased;
    for (const JournalEntry& e : Since()) {
      if (e.erase) erased.push_back(e);
    }
    return erased;
  }
  // The dialog's view: its boxes are heard and answered as the main window's are.
  struct DialogView : SyncActionsView {
    RecordingMainView* p = nullptr;
    int redraws = 0;
    ov::MessageAnswer ShowMessage(const ov::MessageRequest& r) override {
      p->said.push_back(r);
      return p->Answer(r);
    }
    void RowsChanged() override { ++redraws; }
  };
  // Opens the HotSync actions dialog on a user through the user list's popup menu and hands it
  // to check while it shows, with a DialogView.
  void WithActionsOf(int userRow, const std::function<void(SyncActionsLogic&, DialogView&)>& check) {
    Logic().SelectUserRow(userRow);
    bool bShown = false;
    View().onSyncActions = [&](SyncActionsLogic& d) {
      bShown = true;
      DialogView v;
      v.p = &View();
      d.SetView(&v);
      check(d, v);
      d.SetView(nullptr);
    };
    Logic().miUserActionsClick();
    EXPECT_TRUE(bShown);
  }
};

// Every code of the user data library is named, never guessed: the default as read, the next
// HotSync from the one-time action when one is set (marked), else from the default.
TEST_F(SyncLogic, ActionsDialogShowsTheDefaultAndTheNextHotSync) {
  Open();
  Perm(kBob, kDate, 0);
  Perm(kBob, kMemo, 1);
  Temp(kBob, kMemo, 3);
  Temp(kBob, kAddr, 2);
  Perm(kBob, kInstall, 4);
  Perm(kBob, kBackup, 2);
  Temp(kBob, kBackup, 9);
  const struct {
    const char* conduit;
    const char* def;
    const char* next;
  } expected[kRowCount] = {
      {"Date Book", "Synchronize the files", "Synchronize the files"},
      {"Memo Pad", "Desktop overwrites handheld", "Do Nothing (this time only)"},
      {"Address Book", "not set", "Handheld overwrites Desktop (this time only)"},
      {"Install Tool", "Custom", "Custom"},
      {"Backup", "Handheld overwrites Desktop", "Unknown (9) (this time only)"},
  };
  WithActionsOf(1, [&](SyncActionsLogic& d, DialogView&) {
    EXPECT_EQ(d.Caption(), "HotSync Actions - Bob");
    ASSERT_EQ(d.Rows().size(), static_cast<std::size_t>(kRowCount));
    for (int i = 0; i < kRowCount; ++i) {
      const SyncActionRow& row = d.Rows()[static_cast<std::size_t>(i)];
      EXPECT_EQ(row.nCondRow, i);
      EXPECT_EQ(row.defaultText, expected[i].def) << expected[i].conduit;
      EXPECT_EQ(row.nextText, expected[i].next) << expected[i].conduit;
    }
    EXPECT_EQ(d.Rows()[kDate].conduit, "Date Book");
    EXPECT_TRUE(d.Rows()[kMemo].action.next.bOneTime);
    EXPECT_FALSE(d.Rows()[kInstall].action.next.bOneTime);
    EXPECT_EQ(d.Summary(), "3 one-time actions decide the next HotSync.");
    EXPECT_TRUE(d.CanCopy());
    EXPECT_TRUE(d.CanEndOneTime());
  });
  WithActionsOf(0, [](SyncActionsLogic& d, DialogView&) {
    for (const SyncActionRow& row : d.Rows()) EXPECT_EQ(row.defaultText + "/" + row.nextText, "not set/not set");
    EXPECT_EQ(d.Summary(), "No one-time action is set: the next HotSync does the defaults.");
    EXPECT_FALSE(d.CanCopy());
    EXPECT_FALSE(d.CanEndOneTime());
  });

  // The user information dialog opens the same dialog over this window's list.
  View().onUserInfo = [&](UserInfoLogic& d) { EXPECT_EQ(d.Main(), &Logic()); };
  Logic().slvUserDblClick();
  EXPECT_TRUE(View().said.empty());
}

// The user information dialog's HotSync Actions button asks the main window, which shows the
// dialog through its view, for the user the information shows and over its own conduit list;
// without a main window the button is off and asks nobody.
TEST_F(SyncLogic, UserInformationAsksTheMainWindowForTheActions) {
  Open();
  Perm(kBob, kAddr, 1);
  Temp(kBob, kMemo, 3);
  std::string caption;
  std::uint32_t shownUser = 0;
  int nOneTime = -1;
  View().onSyncActions = [&](SyncActionsLogic& d) {
    DialogView v;
    v.p = &View();
    d.SetView(&v);
    caption = d.Caption();
    shownUser = d.UserId();
    nOneTime = d.OneTimeCount();
    d.btnCopyClick();
    d.SetView(nullptr);
  };
  View().onUserInfo = [](UserInfoLogic& d) {
    EXPECT_TRUE(d.IsActionsEnabled());
    d.btnActionsClick();
  };
  Logic().SelectUserRow(1);
  Logic().slvUserDblClick();
  EXPECT_EQ(View().dialogs, 2) << "the information, then the actions through the main window's view";
  EXPECT_EQ(caption, "HotSync Actions - Bob");
  EXPECT_EQ(shownUser, kBob);
  EXPECT_EQ(nOneTime, 1);
  EXPECT_EQ(Action(kAddr), ACTION_PC2HH) << "copied into this window's list";

  UserInfoLogic alone;
  alone.LoadUserInfo(kBob);
  EXPECT_FALSE(alone.IsActionsEnabled());
  alone.btnActionsClick();
  EXPECT_EQ(View().dialogs, 2);
}

// A read the library refuses is said, and nothing is offered on its strength.
TEST_F(SyncLogic, AFailedReadIsShownAsSuch) {
  Open({"Alice"}, {{"sync_read_fail", "-518"}});
  WithActionsOf(0, [](SyncActionsLogic& d, DialogView&) {
    for (const SyncActionRow& row : d.Rows()) {
      EXPECT_EQ(row.defaultText, "read failed (error -518)");
      EXPECT_EQ(row.nextText, "read failed (error -518)");
    }
    EXPECT_EQ(d.Summary(),
              "No one-time action is set: the next HotSync does the defaults. The actions of 5 conduits could not "
              "be read.");
    EXPECT_FALSE(d.CanCopy());
    EXPECT_FALSE(d.CanEndOneTime());
  });
}

// Copy gives the list each default the tool writes, so that Apply writes the same codes for the
// other users; a default not set or custom leaves the row as it was.
TEST_F(SyncLogic, CopyGivesTheUsersDefaultsToTheList) {
  Open();
  Perm(kBob, kDate, 3);
  Perm(kBob, kMemo, 1);
  Perm(kBob, kAddr, 2);
  Perm(kBob, kBackup, 4);
  const std::uint32_t installBefore = Action(kInstall), backupBefore = Action(kBackup);
  WithActionsOf(1, [](SyncActionsLogic& d, DialogView&) { d.btnCopyClick(); });
  EXPECT_EQ(Action(kDate), 0x10001u) << "switched off, keeping its action";
  EXPECT_FALSE(Row(kDate).ticked);
  EXPECT_EQ(Row(kDate).action, "Do Nothing");
  EXPECT_EQ(Action(kMemo), ACTION_PC2HH);
  EXPECT_EQ(Row(kMemo).action, "Desktop overwrites handheld");
  EXPECT_EQ(Action(kAddr), ACTION_HH2PC);
  EXPECT_EQ(Action(kInstall), installBefore);
  EXPECT_EQ(Action(kBackup), backupBefore);
  ASSERT_EQ(View().said.size(), 1u);
  EXPECT_EQ(View().said[0].text,
            "The default actions of Bob were copied into the conduit list for 3 conduits. 2 conduits keep their "
            "action: the default is not set, could not be read, or is one this tool does not write.");

  Mark();
  Logic().sbtnApplyClick();
  for (const JournalEntry& e : Since()) {
    if (e.userId != kCarol || e.creatorId == Creator(kInstall) || e.creatorId == Creator(kBackup)) continue;
    std::int32_t code = -1;
    ASSERT_EQ(palm::UmGetUserPermSyncPreferences(kBob, e.creatorId, &code), 0);
    EXPECT_EQ(e.code, code) << "Carol gets Bob's default";
  }
}

// End One-Time Actions ends exactly the user's one-time actions, only after Yes (No is the
// default), and not while a HotSync is in progress.
TEST_F(SyncLogic, EndingOneTimeActionsAsksFirst) {
  Open();
  Perm(kBob, kMemo, 1);
  Temp(kBob, kMemo, 3);
  Temp(kBob, kAddr, 2);
  Temp(kAlice, kAddr, 2);
  RecordingMainView& view = View();
  WithActionsOf(1, [&](SyncActionsLogic& d, DialogView& v) {
    Mark();

    d.btnEndOneTimeClick();  // the default answer: No
    ASSERT_EQ(view.said.size(), 1u);
    EXPECT_EQ(view.said[0].buttons, ov::MessageButtons::YesNo);
    EXPECT_EQ(view.said[0].defaultAnswer, MessageAnswer::No);
    EXPECT_EQ(view.said[0].text, "End the 2 one-time actions of Bob? The next HotSync then does the default actions.");
    EXPECT_TRUE(Since().empty());

    HotSyncFile("syncing");
    view.questionAnswers = {MessageAnswer::Yes};
    d.btnEndOneTimeClick();
    EXPECT_EQ(view.said.back().text, "A HotSync is in progress. No one-time action was ended.");
    EXPECT_TRUE(Since().empty());

    HotSyncFile("idle");
    view.questionAnswers = {MessageAnswer::Yes};
    d.btnEndOneTimeClick();
    EXPECT_EQ(Erased(), (std::vector<JournalEntry>{{false, kBob, Creator(kMemo), 0, true},
                                                   {false, kBob, Creator(kAddr), 0, true}}));
    EXPECT_EQ(d.Rows()[kMemo].nextText, "Desktop overwrites handheld") << "read again: the default decides";
    EXPECT_EQ(d.Rows()[kAddr].nextText, "not set");
    EXPECT_FALSE(d.CanEndOneTime());
    EXPECT_EQ(v.redraws, 1);
  });
  std::int32_t code = -1;
  EXPECT_EQ(palm::UmGetUserTempSyncPreferences(kAlice, Creator(kAddr), &code), 0) << "another user's stay";
}

// After a default Apply, one-time actions that differ from what was written are counted and
// offered to be ended: No (the default) ends none, Yes ends exactly those. A one-time action
// equal to the new default, and a one-time Apply, ask nothing.
TEST_F(SyncLogic, OneTimeActionsThatOverrideANewDefault) {
  for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
    SCOPED_TRACE(answer == MessageAnswer::Yes ? "Yes" : "No");
    Open();
    Temp(kAlice, kMemo, 3);  // the list writes 0: overrides
    Temp(kAlice, kDate, 0);  // the same as the new default
    Temp(kBob, kAddr, 2);    // overrides
    Temp(kBob, kMemo, 1);    // overrides
    Logic().SetDefaultAction(false);
    Logic().sbtnApplyClick();
    ASSERT_EQ(Said(), std::vector<std::string>{"Information: User settings updated successfully."})
        << "a one-time Apply asks nothing";

    View().said.clear();
    Logic().SetDefaultAction(true);
    // The one-time Apply wrote the list's actions as one-time actions: the three again.
    Temp(kAlice, kMemo, 3);
    Temp(kBob, kAddr, 2);
    Temp(kBob, kMemo, 1);
    Mark();
    View().questionAnswers = {answer};
    Logic().sbtnApplyClick();
    ASSERT_GE(View().said.size(), 1u);
    const ov::MessageRequest& q = View().said[0];
    EXPECT_EQ(q.buttons, ov::MessageButtons::YesNo);
    EXPECT_EQ(q.defaultAnswer, MessageAnswer::No);
    EXPECT_EQ(q.text,
              "User settings updated successfully.\n\n2 users have one-time actions for 2 conduits that differ from "
              "the default just written (3 actions in all). The next HotSync would do these one-time actions instead "
              "of the new default.\n\nEnd these one-time actions? (No keeps them.)");
    if (answer == MessageAnswer::No) {
      EXPECT_TRUE(Erased().empty());
      EXPECT_EQ(View().said.size(), 1u);
    } else {
      EXPECT_EQ(Erased(), (std::vector<JournalEntry>{{false, kAlice, Creator(kMemo), 0, true},
                                                     {false, kBob, Creator(kMemo), 0, true},
                                                     {false, kBob, Creator(kAddr), 0, true}}));
      EXPECT_EQ(Said().back(), "Information: 3 one-time actions were ended.");
    }
    TearDown();
    SetUp();
  }
}

}  // namespace

namespace {

constexpr const char* kStatusFails = "268435458";  // an HSAPI error number

// Apply asks HotSync before it writes: without the HotSync API, with HotSync Manager absent or
// idle it writes everyone; a HotSync in progress writes no one and says so; a state HotSync
// Manager does not tell is asked about once, and only Yes goes on. A short Apply shows no
// progress window.
TEST_F(SyncLogic, ApplyAsksHotSyncFirst) {
  const struct {
    const char* name;
    unsigned libs;
    const char* stateFile;
    bool statusFails;
    std::vector<MessageAnswer> answers;
    std::size_t nWritten;
    int nQuestions;
  } cases[] = {
      {"no HotSync API", kWithoutHotSyncApi, "syncing", false, {}, 3, 0},
      {"not running", 15, nullptr, false, {}, 3, 0},
      {"idle", 15, "idle", false, {}, 3, 0},
      {"syncing", 15, "syncing", false, {}, 0, 0},
      {"unknown, No", 15, "idle", true, {}, 0, 1},
      {"unknown, Yes", 15, "idle", true, {MessageAnswer::Yes}, 3, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::pair<std::string, std::string>> faults;
    if (c.statusFails) faults.push_back({"sync_status_fail", kStatusFails});
    Open({"Alice", "Bob", "Carol"}, faults, c.libs);
    if (c.stateFile) HotSyncFile(c.stateFile);
    View().questionAnswers = c.answers;
    Mark();
    Logic().sbtnApplyClick();
    EXPECT_EQ(WrittenUsers().size(), c.nWritten);
    int nQuestions = 0;
    for (const ov::MessageRequest& r : View().said) {
      if (r.buttons != ov::MessageButtons::YesNo) continue;
      ++nQuestions;
      EXPECT_EQ(r.defaultAnswer, MessageAnswer::No);
      EXPECT_EQ(r.text, std::string(kHotSyncUnknownText) + "\n\nApply anyway?");
    }
    EXPECT_EQ(nQuestions, c.nQuestions);
    ASSERT_FALSE(View().said.empty());
    // An unknown state is said as unknown, never as a HotSync in progress.
    const std::string notWritten =
        " The settings were written for no user.\nThey were not written for 3 users: Alice, Bob, Carol. Apply "
        "again for the users not written to when the HotSync has ended.";
    EXPECT_EQ(View().said.back().text,
              c.nWritten ? std::string("User settings updated successfully.")
              : c.statusFails
                  ? "HotSync Manager did not say whether a HotSync is in progress (its state is unknown)." + notWritten
                  : "A HotSync is in progress." + notWritten);
    EXPECT_EQ(View().progressShown, 0);
    TearDown();
    SetUp();
  }
}

// A HotSync that starts while Apply runs stops it before the next user: those written and those
// not are named, so that Apply can be repeated for the rest.
TEST_F(SyncLogic, HotSyncStartingMidwayStopsBeforeTheNextUser) {
  Open({"Alice", "Bob", "Carol", "Dave", "Eve"}, {}, 15);
  HotSyncFile("idle");
  Logic().SetProgressDelay(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
  View().onProgress = [&](int nDone) {
    if (nDone == 2) HotSyncFile("syncing");
    return true;
  };
  Mark();
  Logic().sbtnApplyClick();
  EXPECT_EQ(WrittenUsers(), (std::vector<std::uint32_t>{kAlice, kBob}));
  // The users written have no one-time action, so nothing is asked after the stop.
  ASSERT_EQ(View().said.size(), 1u);
  EXPECT_EQ(View().said[0].caption, "HotSync in Progress");
  EXPECT_EQ(View().said[0].icon, ov::MessageIcon::Warning);
  EXPECT_EQ(View().said[0].text,
            "A HotSync is in progress. The settings were written for 2 users: Alice, Bob.\nThey were not written for "
            "3 users: Carol, Dave, Eve. Apply again for the users not written to when the HotSync has ended.");
  // Apply's progress, then the search for one-time actions of the users written.
  EXPECT_EQ(View().progressEnded, 2);
}

// Cancel in the progress window stops before the next user and says who was written.
TEST_F(SyncLogic, CancelAfterTheFirstUser) {
  Open();
  Logic().SetProgressDelay(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
  View().onProgress = [](int nDone) { return nDone != 1; };
  View().busy.clear();
  Mark();
  Logic().sbtnApplyClick();
  EXPECT_EQ(WrittenUsers(), std::vector<std::uint32_t>{kAlice});
  EXPECT_EQ(View().progressCaption, "Applying Settings");
  EXPECT_EQ(View().progressTotal, 3);
  EXPECT_EQ(View().progressSteps, std::vector<int>{1});
  EXPECT_EQ(View().progressText, "1 of 3 users written.");
  EXPECT_EQ(View().progressShown, 1);
  EXPECT_EQ(View().progressEnded, 1);
  EXPECT_EQ(Said(), std::vector<std::string>{"Apply Cancelled: Apply was cancelled. The settings were written for 1 "
                                             "user: Alice.\nThey were not written for 2 users: Bob, Carol."});
  // Apply, then the search for one-time actions of the user written.
  EXPECT_EQ(View().busy, (std::vector<bool>{true, false, true, false}));
}

}  // namespace

namespace {

using namespace logictest;
using ov::MessageAnswer;
using windowtest::DataFile;
namespace fs = std::filesystem;

constexpr const char* kStatusUnknown = "268435458";  // an HSAPI error number: the state is not told

class SessionEnd : public MainLogic {
 protected:
  void SetUp() override {
    MainLogic::SetUp();
    fs::remove(DataFile(kDataFileEnded));
  }
  void TearDown() override {
    MainLogic::TearDown();
    fs::remove(DataFile(kDataFileEnded));
  }
  static std::string Kept() {
    std::ifstream in(DataFile(kDataFileEnded));
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::vector<std::uint32_t> WrittenUsers() {
    std::vector<std::uint32_t> users;
    for (const fixture::JournalEntry& e : m_pInst->ReadJournal()) {
      if (users.empty() || users.back() != e.userId) users.push_back(e.userId);
    }
    return users;
  }
};

// The session ends while Apply runs, from its progress window between two users or from its
// HotSync question: Apply stops before the next user (a yes to the question no longer counts),
// the current settings are saved and the users written are named in the data file at once
// (Windows may end the process there); when Apply still returns, its exact result replaces
// that, and nothing more is said or asked. The next start says it once.
TEST_F(SessionEnd, ApplyStopsAndWhoWasWrittenIsKept) {
  const std::string kAfterTwo =
      "Windows ended the session while Orvane was applying settings, and Apply stopped. The settings were written "
      "for 2 users: Alice, Bob.\nThey were not written for 3 users: Carol, Dave, Eve.";
  const std::string kNone =
      "Windows ended the session while Orvane was applying settings, and Apply stopped. The settings were written "
      "for no user.\nThey were not written for 5 users: Alice, Bob, Carol, Dave, Eve.";
  for (const bool fromQuestion : {false, true}) {
    SCOPED_TRACE(fromQuestion ? "HotSync question" : "progress");
    std::vector<std::pair<std::string, std::string>> faults;
    if (fromQuestion) faults.push_back({"sync_status_fail", kStatusUnknown});
    Open({"Alice", "Bob", "Carol", "Dave", "Eve"}, faults);
    std::ofstream(m_pInst->dir() / "palmdesk.hotsync") << "idle\n";
    Choose(kMemo, &MainWindowLogic::miNothingClick);
    Logic().SetProgressDelay(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
    std::string keptAtOnce;
    bool savedAtOnce = false;
    auto endSession = [&] {
      EXPECT_TRUE(Logic().IsWriting());
      Logic().SessionEnding();
      keptAtOnce = Kept();
      savedAtOnce = fs::exists(DataFile("ovcurr.dat"));
    };
    if (fromQuestion) {
      View().questionAnswers = {MessageAnswer::Yes};
      View().onSaid = [&](const ov::MessageRequest&) { endSession(); };
    } else {
      View().onProgress = [&](int nDone) {
        if (nDone == 2) endSession();
        return true;
      };
    }
    Logic().sbtnApplyClick();
    EXPECT_FALSE(Logic().IsWriting());
    const std::string& expected = fromQuestion ? kNone : kAfterTwo;
    EXPECT_NE(keptAtOnce.find(expected), std::string::npos) << keptAtOnce;
    EXPECT_EQ(keptAtOnce.rfind("On ", 0), 0u) << "dated";
    EXPECT_TRUE(savedAtOnce);
    EXPECT_NE(Kept().find(expected), std::string::npos) << Kept();
    const std::vector<std::uint32_t> written =
        fromQuestion ? std::vector<std::uint32_t>() : std::vector<std::uint32_t>{kFirstUserId, kFirstUserId + 1};
    EXPECT_EQ(WrittenUsers(), written);
    EXPECT_EQ(View().said.size(), fromQuestion ? 1u : 0u) << "only the question that was open";

    // The next start has the saved actions and says what happened, once.
    View().onSaid = nullptr;
    m_pWin.reset();
    m_pWin = std::make_unique<LogicWindow>();
    EXPECT_EQ(Row(kMemo).action, "Do Nothing");
    ASSERT_EQ(View().said.size(), 1u);
    EXPECT_EQ(View().said[0].caption, "Orvane");
    EXPECT_EQ(View().said[0].icon, ov::MessageIcon::Warning);
    EXPECT_NE(View().said[0].text.find(expected), std::string::npos);
    EXPECT_EQ(View().said[0].text.back(), '.') << "no trailing line end";
    EXPECT_FALSE(fs::exists(DataFile(kDataFileEnded)));
    m_pWin.reset();
    m_pWin = std::make_unique<LogicWindow>();
    EXPECT_TRUE(View().said.empty());
    TearDown();
    SetUp();
  }
}

// Without a command running, the session's end saves the current settings as a close does and
// leaves nothing to say; a save that fails is kept for the next start instead of a box.
TEST_F(SessionEnd, WithoutACommandTheCurrentSettingsAreSaved) {
  Open();
  Choose(kAddr, &MainWindowLogic::miNothingClick);
  EXPECT_FALSE(Logic().IsWriting());
  Logic().SessionEnding();
  EXPECT_TRUE(fs::exists(DataFile("ovcurr.dat")));
  EXPECT_FALSE(fs::exists(DataFile(kDataFileEnded)));
  EXPECT_TRUE(View().said.empty());
  m_pWin.reset();
  m_pWin = std::make_unique<LogicWindow>();
  EXPECT_EQ(Row(kAddr).action, "Do Nothing");

  fs::remove(DataFile("ovcurr.dat"));
  fs::create_directory(DataFile("ovcurr.dat"));
  Logic().SessionEnding();
  EXPECT_TRUE(View().said.empty());
  EXPECT_NE(Kept().find("the current settings could not be saved to "), std::string::npos) << Kept();
}

}  // namespace
