// The Win32 main window under Wine against a stand-in installation: what it shows, how ticks,
// the popup menu and the buttons reach the conduits, what Apply writes and says, and what a
// close keeps.
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "src/core/palm/CondMgr.h"
#include "tests/win32/Win32WindowTest.h"

namespace id = win32::id;
using namespace win32test;

namespace {

class Win32Main : public Win32WindowTest {};

// The manifest that orvane.exe carries (and this test too) asks for common controls 6 and DPI
// awareness, and the loader takes version 6 into the process's activation context. (Wine 8's
// comctl32 answers DllGetVersion with 5.81 even then, so the context itself is asked.)
TEST(Win32Manifest, BringsCommonControls6AndDpiAwareness) {
  HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(res, nullptr) << "no manifest";
  const char* text = static_cast<const char*>(LockResource(LoadResource(nullptr, res)));
  const std::string manifest(text, SizeofResource(nullptr, res));
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);

  HANDLE ctx = nullptr;
  ASSERT_TRUE(GetCurrentActCtx(&ctx));
  alignas(8) unsigned char buf[8192];
  SIZE_T needed = 0;
  ASSERT_TRUE(QueryActCtxW(0, ctx, nullptr, ActivationContextDetailedInformation, buf, sizeof buf, &needed));
  const DWORD count = reinterpret_cast<ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(buf)->ulAssemblyCount;
  bool found = false;
  for (DWORD i = 1; i <= count && !found; ++i) {
    if (!QueryActCtxW(0, ctx, &i, AssemblyDetailedInformationInActivationContext, buf, sizeof buf, &needed)) continue;
    const auto* info = reinterpret_cast<ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buf);
    const std::string id = info->lpAssemblyEncodedAssemblyIdentity ? win32::Narrow(info->lpAssemblyEncodedAssemblyIdentity) : "";
    found = id.find("Microsoft.Windows.Common-Controls") != std::string::npos && id.find("version=\"6.") != std::string::npos;
  }
  ReleaseActCtx(ctx);
  EXPECT_TRUE(found) << "common controls 6 are not in the activation context";
}

// The window as it opens: its texts and size, every user ticked, every conduit with the
// default action of its kind, ticked; nothing cut off.
TEST_F(Win32Main, OpensWithTheTextsAndTheDefaultsOfEveryKind) {
  Standard();
  Open();
  EXPECT_EQ(Text(Main()), "Orvane - Customize the HotSync Settings Quickly");
  const SIZE client = ClientSize96(Main());
  EXPECT_EQ(client.cx, 690);
  EXPECT_EQ(client.cy, 509);
  const LONG_PTR style = GetWindowLongPtrW(Main(), GWL_STYLE);
  EXPECT_TRUE((style & WS_MINIMIZEBOX) && (style & WS_SYSMENU));
  EXPECT_FALSE((style & WS_MAXIMIZEBOX) || (style & WS_THICKFRAME)) << "a fixed window";

  const struct {
    int id;
    const char* text;
  } controls[] = {{id::kHelp, "&Help"},
                  {id::kExit, "E&xit"},
                  {id::kUserGroup, "Select User"},
                  {id::kSelectAll, "&Select All"},
                  {id::kClearAll, "C&lear All"},
                  {id::kCondGroup, "                                            Conduit Information"},
                  {id::kDetail, "&Detail"},
                  {id::kEnableAll, "&Enable All"},
                  {id::kDisableAll, "D&isable All"},
                  {id::kProfiles, "&Profiles"},
                  {id::kRefresh, "&Refresh"},
                  {id::kHistory, "Hist&ory..."},
                  {id::kHotSync, "Start HotSync &Manager"},
                  {id::kApply, "&Apply to Selected Users"},
                  {id::kDefaultAction, "Defaul&t Action"}};
  for (const auto& c : controls) EXPECT_EQ(Text(Ctl(c.id)), c.text) << c.id;
  EXPECT_EQ(SendMessageW(Ctl(id::kDefaultAction), BM_GETCHECK, 0, 0), BST_CHECKED);
  ExpectNothingCutOff(Main());
  ExpectMnemonicsUnique(Main());

  const char* users[] = {"Alice", "Bob", "Carol"};
  ASSERT_EQ(ListView_GetItemCount(Users()), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ItemText(Users(), i, 0), users[i]);
    EXPECT_TRUE(Ticked(Users(), i));
  }
  const struct {
    const char* title;
    const char* action;
  } rows[kRowCount] = {{"Date Book", "Synchronize the files"},
                       {"Memo Pad", "Synchronize the files"},
                       {"Address Book", "Synchronize the files"},
                       {"Install Tool", "Desktop overwrites handheld"},
                       {"Backup", "Handheld overwrites Desktop"}};
  ASSERT_EQ(ListView_GetItemCount(Conds()), kRowCount);
  for (int i = 0; i < kRowCount; ++i) {
    EXPECT_EQ(ItemText(Conds(), i, 0), rows[i].title);
    EXPECT_EQ(ActionText(i), rows[i].action);
    EXPECT_TRUE(Ticked(Conds(), i));
  }
  EXPECT_TRUE(m_said.empty());
}

// The core's message when the users cannot be read reaches a message box; the window still
// opens, with the conduits and no user.
TEST_F(Win32Main, StartUpTellsWhenNoUserCanBeRead) {
  Standard().SetFault("user_count", "-3");
  Open();
  ASSERT_EQ(m_said.size(), 1u);
  EXPECT_EQ(m_said[0].text, "Can not find any Palm users in your desktop environment.");
  EXPECT_EQ(m_said[0].caption, "Error");
  EXPECT_EQ(m_said[0].icon, ov::MessageIcon::Error);
  EXPECT_EQ(ListView_GetItemCount(Users()), 0);
  EXPECT_EQ(ListView_GetItemCount(Conds()), kRowCount);
}

// A tick the user takes off switches the conduit off ("Do Nothing") and keeps its action
// underneath; putting it back brings the action back. Space on the focused row ticks it.
TEST_F(Win32Main, TickingSwitchesAConduitOffAndOnKeepingItsAction) {
  Standard();
  Open();
  Tick(Conds(), kInstall, false);
  EXPECT_EQ(ActionText(kInstall), "Do Nothing");
  EXPECT_EQ(Action(kInstall), 0x10002u);
  EXPECT_FALSE(Ticked(Conds(), kInstall));
  Tick(Conds(), kInstall, true);
  EXPECT_EQ(ActionText(kInstall), "Desktop overwrites handheld");
  EXPECT_EQ(Action(kInstall), 2u);

  Select(Conds(), kMemo);
  SetFocus(Conds());
  SendMessageW(Conds(), WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(Conds(), WM_CHAR, L' ', 0);
  SendMessageW(Conds(), WM_KEYUP, VK_SPACE, 0);
  EXPECT_FALSE(Ticked(Conds(), kMemo)) << "Space takes the tick off the focused row";
  EXPECT_EQ(ActionText(kMemo), "Do Nothing");

  // Enable All and Disable All go through the same rule, row by row.
  Click(id::kDisableAll);
  for (int i = 0; i < kRowCount; ++i) EXPECT_FALSE(Ticked(Conds(), i)) << i;
  EXPECT_EQ(Action(kBackup), 0x10004u);
  Click(id::kEnableAll);
  for (int i = 0; i < kRowCount; ++i) EXPECT_TRUE(Ticked(Conds(), i)) << i;
  EXPECT_EQ(ActionText(kBackup), "Handheld overwrites Desktop");
}

// Clear All unticks every user; Apply then says so and calls nothing. Select All ticks them all.
TEST_F(Win32Main, ClearAllThenApplySaysNoUserIsSelectedAndWritesNothing) {
  Standard();
  Open();
  Click(id::kClearAll);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(Ticked(Users(), i)) << i;
  Click(id::kApply);
  ASSERT_EQ(m_said.size(), 1u);
  EXPECT_EQ(m_said[0].text, "No user is selected.");
  EXPECT_EQ(m_said[0].caption, "Information");
  EXPECT_EQ(m_said[0].icon, ov::MessageIcon::Information);
  EXPECT_EQ(m_said[0].owner, Main());
  EXPECT_TRUE(m_pInst->ReadJournal().empty());

  Click(id::kSelectAll);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(Ticked(Users(), i)) << i;
}

// Two ticked users of three and five conduits give ten calls, user by user in list order,
// permanent with "Default Action" ticked and temporary without it.
TEST_F(Win32Main, ApplyWritesEveryConduitForEveryTickedUser) {
  for (const bool permanent : {true, false}) {
    SCOPED_TRACE(permanent ? "permanent" : "temporary");
    Standard();
    Open();
    Tick(Conds(), kMemo, false);  // switched off: 3
    Select(Conds(), kAddr);
    Popup(id::kMiHH2PC);  // 4: 2
    Tick(Users(), 1, false);
    if (!permanent) Click(id::kDefaultAction);
    Click(id::kApply);

    std::vector<fixture::JournalEntry> expected;
    const std::int32_t codes[kRowCount] = {0, 3, 2, 1, 2};
    for (std::uint32_t user : {kFirstUserId, kFirstUserId + 2}) {
      for (int row = 0; row < kRowCount; ++row) {
        expected.push_back({permanent, user, m_pWin->Logic().CondRecordAt(row)->dwCreatorID, codes[row]});
      }
    }
    EXPECT_EQ(m_pInst->ReadJournal(), expected);
    ASSERT_EQ(m_said.size(), 1u);
    EXPECT_EQ(m_said[0].text, "User settings updated successfully.");
    EXPECT_EQ(m_said[0].caption, "Information");
    TearDown();
    SetUp();
  }
}

// A library that refuses the writes is reported with the users it failed for.
TEST_F(Win32Main, ApplyReportsTheUsersWhoseSettingsFailed) {
  Standard().SetFault("sync_write_fail", "-516");
  Open();
  Click(id::kApply);
  ASSERT_EQ(m_said.size(), 1u);
  EXPECT_EQ(m_said[0].text, "The settings of 3 users could not be updated: Alice, Bob, Carol.");
  EXPECT_EQ(m_said[0].caption, "Error");
  EXPECT_EQ(m_said[0].icon, ov::MessageIcon::Error);
  EXPECT_EQ(m_pInst->ReadJournal().size(), 0u);
}

// An Apply that shows its progress (the delay set to none): the progress window is modal over
// the main window and follows the users written. Cancel (its button, Escape, its close box, or
// a close that reaches the disabled main window) stops before the next user, and the message
// names who was written and who was not. Left alone it runs to the end (and shows again for
// the search for one-time actions that follows a default Apply).
TEST_F(Win32Main, ProgressFollowsALongApplyAndCancelStopsIt) {
  enum Canceller { kNobody, kCancelButton, kEscape, kCloseBox, kMainClose };
  for (const Canceller canceller : {kNobody, kCancelButton, kEscape, kCloseBox, kMainClose}) {
    SCOPED_TRACE(canceller);
    Standard();
    Open();
    m_pWin->Logic().SetProgressDelay(std::chrono::milliseconds(0));
    HWND progress = nullptr;
    bool mainEnabled = true;
    int range = 0, pos = -1;
    std::string label;
    Then([&](HWND dlg) {
      progress = dlg;
      mainEnabled = IsWindowEnabled(Main()) != FALSE;
      EXPECT_EQ(ClientSize96(dlg).cx, 380);
      EXPECT_EQ(Text(GetDlgItem(dlg, IDCANCEL)), "&Cancel");
      range = static_cast<int>(SendMessageW(GetDlgItem(dlg, id::kProgressBar), PBM_GETRANGE, FALSE, 0));
      // After the first user, while the Apply goes on.
      Later([&, dlg] {
        label = Text(GetDlgItem(dlg, id::kProgressText));
        pos = static_cast<int>(SendMessageW(GetDlgItem(dlg, id::kProgressBar), PBM_GETPOS, 0, 0));
        ExpectNothingCutOff(dlg);
        ExpectMnemonicsUnique(dlg);
        switch (canceller) {
          case kNobody: break;
          case kCancelButton: Click(dlg, IDCANCEL); break;
          case kEscape: PressKey(dlg, VK_ESCAPE); break;
          case kCloseBox: SendMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); break;
          case kMainClose: SendMessageW(Main(), WM_CLOSE, 0, 0); break;
        }
      });
    });
    Click(id::kApply);

    ASSERT_FALSE(m_dialogs.empty());
    EXPECT_EQ(m_dialogs[0], "Applying Settings");
    EXPECT_FALSE(mainEnabled) << "modal over the main window";
    EXPECT_EQ(range, 3);
    EXPECT_EQ(label, "1 of 3 users written.");
    EXPECT_EQ(pos, 1);
    EXPECT_FALSE(IsWindow(progress)) << "the progress window is gone";
    ASSERT_TRUE(IsWindow(Main()));
    EXPECT_TRUE(IsWindowEnabled(Main()));
    ASSERT_EQ(m_said.size(), 1u);
    if (canceller == kNobody) {
      EXPECT_EQ(m_pInst->ReadJournal().size(), 3u * kRowCount);
      EXPECT_EQ(m_dialogs, (std::vector<std::string>{"Applying Settings", "Applying Settings"}));
      EXPECT_EQ(m_said[0].text, "User settings updated successfully.");
    } else {
      const std::vector<fixture::JournalEntry> journal = m_pInst->ReadJournal();
      EXPECT_EQ(journal.size(), static_cast<std::size_t>(kRowCount));
      for (const auto& entry : journal) EXPECT_EQ(entry.userId, kFirstUserId);
      EXPECT_EQ(m_dialogs.size(), 1u);
      EXPECT_EQ(m_said[0].text,
                "Apply was cancelled. The settings were written for 1 user: Alice.\nThey were not written for 2 "
                "users: Bob, Carol.");
      EXPECT_EQ(m_said[0].caption, "Apply Cancelled");
      EXPECT_EQ(m_said[0].icon, ov::MessageIcon::Warning);
      EXPECT_EQ(m_said[0].owner, Main());
    }
    TearDown();
    SetUp();
  }
}

// The popup menu from the keyboard (the context-menu key: -1, -1) opens under the selected
// row and shows the items of its kind with the check mark on its action; a choice sets it.
TEST_F(Win32Main, PopupShowsTheItemsOfTheKindAndSetsTheChosenAction) {
  Standard();
  Open();
  const MenuItem sync{"Synchronize the files", id::kMiSync, false};
  const MenuItem hh2pc{"Handhelds overwrite Desktop", id::kMiHH2PC, false};
  const MenuItem pc2hh{"Desktop overwrite handhelds", id::kMiPC2HH, false};
  const MenuItem install{"Install to handhelds", id::kMiPC2HH, false};
  const MenuItem nothing{"Do Nothing", id::kMiNothing, false};
  auto checked = [](MenuItem item) {
    item.checked = true;
    return item;
  };
  const struct {
    Row row;
    std::vector<MenuItem> shown;
    UINT choose;
    const char* action;
    bool ticked;
    std::vector<MenuItem> after;
  } cases[] = {
      {kDate, {checked(sync), hh2pc, pc2hh, nothing}, id::kMiPC2HH, "Desktop overwrites handheld", true,
       {sync, hh2pc, checked(pc2hh), nothing}},
      {kMemo, {checked(sync), hh2pc, pc2hh, nothing}, id::kMiNothing, "Do Nothing", false,
       {sync, hh2pc, pc2hh, checked(nothing)}},
      {kInstall, {checked(install), nothing}, id::kMiNothing, "Do Nothing", false, {install, checked(nothing)}},
      {kBackup, {checked(hh2pc), pc2hh, nothing}, id::kMiPC2HH, "Desktop overwrites handheld", true,
       {hh2pc, checked(pc2hh), nothing}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    Select(Conds(), c.row);
    EXPECT_EQ(Popup(c.choose), c.shown);
    RECT rc{};
    ListView_GetItemRect(Conds(), c.row, &rc, LVIR_BOUNDS);
    MapWindowPoints(Conds(), nullptr, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_TRUE(m_menuAt.y >= rc.top && m_menuAt.y <= rc.bottom + 2 && m_menuAt.x >= rc.left && m_menuAt.x < rc.right)
        << "the menu opens at the selected row: " << m_menuAt.x << "," << m_menuAt.y << " row " << rc.left << ","
        << rc.top << "-" << rc.right << "," << rc.bottom;
    EXPECT_EQ(ActionText(c.row), c.action);
    EXPECT_EQ(Ticked(Conds(), c.row), c.ticked);
    EXPECT_EQ(Popup(0), c.after);
  }
}

// The detail dialog shows the conduit and its action; OK (button or Enter) stores the chosen
// action and the row follows, Cancel (button, Escape or the close box) changes nothing.
TEST_F(Win32Main, DetailStoresTheChoiceOnOkOnly) {
  enum Closer { kOkButton, kEnter, kCancelButton, kEscape, kCloseBox };
  const struct {
    Closer closer;
    bool stored;
  } cases[] = {{kOkButton, true}, {kEnter, true}, {kCancelButton, false}, {kEscape, false}, {kCloseBox, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.closer);
    Standard();
    Open();
    Select(Conds(), kAddr);
    std::string title, group;
    bool syncChecked = false;
    Then([&](HWND dlg) {
      title = Text(GetDlgItem(dlg, id::kName));
      group = Text(GetDlgItem(dlg, id::kSyncGroup));
      syncChecked = IsDlgButtonChecked(dlg, id::kRbtnSync) == BST_CHECKED;
      EXPECT_EQ(ClientSize96(dlg).cx, 368);
      EXPECT_EQ(ClientSize96(dlg).cy, 288);
      ExpectNothingCutOff(dlg);
      ExpectMnemonicsUnique(dlg);
      Click(dlg, id::kRbtnNothing);
      SetWindowTextW(GetDlgItem(dlg, id::kName), L"Renamed");  // never read back
      switch (c.closer) {
        case kOkButton: Click(dlg, IDOK); break;
        case kEnter: SetFocus(GetDlgItem(dlg, id::kName)); PressKey(dlg, VK_RETURN); break;
        case kCancelButton: Click(dlg, IDCANCEL); break;
        case kEscape: PressKey(dlg, VK_ESCAPE); break;
        case kCloseBox: SendMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); break;
      }
      EXPECT_FALSE(IsWindowVisible(dlg)) << "the dialog closed";
    });
    Click(id::kDetail);
    ASSERT_EQ(m_dialogs, std::vector<std::string>{"Orvane Conduit Detail Information"});
    EXPECT_EQ(title, "Address Book");
    EXPECT_EQ(group, " Synchronization Settings ");
    EXPECT_TRUE(syncChecked);
    EXPECT_EQ(ActionText(kAddr), c.stored ? "Do Nothing" : "Synchronize the files");
    EXPECT_EQ(Action(kAddr), c.stored ? 0x10001u : 1u);
    EXPECT_EQ(Ticked(Conds(), kAddr), !c.stored);
    EXPECT_EQ(ItemText(Conds(), kAddr, 0), "Address Book");
    TearDown();
    SetUp();
  }
}

// Closing the window (the close box or Exit) keeps the actions in ovcurr.dat, and the next
// start shows them.
TEST_F(Win32Main, CloseKeepsTheActionsForTheNextStart) {
  for (const bool exitButton : {false, true}) {
    SCOPED_TRACE(exitButton ? "Exit" : "close box");
    Standard();
    Open();
    Tick(Conds(), kMemo, false);
    if (exitButton) {
      Click(id::kExit);  // posts the close
      MSG msg;
      while (IsWindow(Main()) && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      EXPECT_FALSE(IsWindow(Main()));
      m_pWin.reset();
    } else {
      CloseWindow();
    }
    EXPECT_TRUE(fs::exists(DataFile("ovcurr.dat")));
    if (g_pCondMgr) g_pCondMgr->RemoveAll();
    m_pWin = std::make_unique<MainWnd>();
    ASSERT_TRUE(m_pWin->Create(false));
    EXPECT_EQ(ActionText(kMemo), "Do Nothing");
    EXPECT_FALSE(Ticked(Conds(), kMemo));
    TearDown();
    SetUp();
  }
}

}  // namespace

namespace {

using windowtest::DataFile;

// The file where a session's end keeps who was written.
std::string Kept() {
  std::ifstream in(DataFile(kDataFileEnded));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A close (the taskbar, End task, taskkill) or the end of the Windows session while a command
// has a window of its own open: the profile details dialog over the profiles dialog, the HotSync
// question of Apply, Apply's progress window. Nothing is freed under the command: a close waits
// for it and then saves and ends (the progress window's own rule: a close cancels the run and
// the window stays); the session's end is refused while users are written, and when it comes
// anyway the current settings are saved at once, Apply stops before its next user and the users
// written are kept in the data file; no box follows.
TEST_F(Win32Main, CloseAndSessionEndWhileACommandHasAWindowOpen) {
  enum Moment { kProfileDetails, kHotSyncQuestion, kProgress };
  const char* const kMoments[] = {"profile details", "HotSync question", "progress"};
  for (const Moment moment : {kProfileDetails, kHotSyncQuestion, kProgress}) {
    for (const bool endSession : {false, true}) {
      SCOPED_TRACE(std::string(kMoments[moment]) + (endSession ? ", session end" : ", close"));
      fs::remove(DataFile(kDataFileEnded));
      Standard();
      if (moment == kHotSyncQuestion) m_pInst->SetFault("sync_status_fail", "268435458");  // state not told
      Open();
      std::ofstream(m_pInst->dir() / "palmdesk.hotsync") << "idle\n";
      Tick(Conds(), kMemo, false);  // kept by ovcurr.dat only
      const HWND main = Main();

      LRESULT query = -1;
      bool sent = false, savedAtOnce = false, openAfter = false;
      std::string keptAtOnce;
      auto send = [&] {
        sent = true;
        query = SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        if (endSession) {
          SendMessageW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
          savedAtOnce = fs::exists(DataFile("ovcurr.dat"));
          keptAtOnce = Kept();
        } else {
          SendMessageW(main, WM_CLOSE, 0, 0);
        }
        openAfter = IsWindow(main) != FALSE;
      };

      switch (moment) {
        case kProfileDetails:
          Then([&](HWND profiles) {
            Then([&](HWND detail) {
              send();
              SetWindowTextW(GetDlgItem(detail, id::kDesc), L"Kept");
              Click(detail, IDOK);
            });
            Click(profiles, id::kSave);
            // The catalogue the save has just written is still there to list.
            EXPECT_EQ(ListView_GetItemCount(GetDlgItem(profiles, id::kProfList)), 1);
            Click(profiles, IDCANCEL);
          });
          break;
        case kHotSyncQuestion:
          m_answers = {ov::MessageAnswer::Yes};
          m_onSaid = [&](const Said& said) {
            if (said.buttons == ov::MessageButtons::YesNo && !sent) send();
          };
          break;
        case kProgress:
          m_pWin->Logic().SetProgressDelay(std::chrono::milliseconds(0));
          Then([&](HWND) { Later(send); });
          break;
      }
      Click(moment == kProfileDetails ? id::kProfiles : id::kApply);
      m_onSaid = nullptr;

      ASSERT_TRUE(sent);
      EXPECT_TRUE(openAfter) << "nothing ended under the command";
      EXPECT_EQ(query, moment == kProfileDetails ? TRUE : FALSE) << "refused while users are written";
      std::vector<std::uint32_t> written;
      for (const auto& entry : m_pInst->ReadJournal()) {
        if (written.empty() || written.back() != entry.userId) written.push_back(entry.userId);
      }
      const std::vector<std::uint32_t> kAll = {kFirstUserId, kFirstUserId + 1, kFirstUserId + 2};
      const std::vector<std::uint32_t> kAlice = {kFirstUserId};
      if (moment == kProfileDetails) {
        EXPECT_TRUE(fs::exists(DataFile("ovprof1.dat")));
      }

      if (endSession) {
        EXPECT_TRUE(savedAtOnce);
        const char* expected = moment == kProfileDetails ? nullptr
                               : moment == kHotSyncQuestion
                                   ? "The settings were written for no user.\nThey were not written for 3 users: "
                                     "Alice, Bob, Carol."
                                   : "The settings were written for 1 user: Alice.\nThey were not written for 2 "
                                     "users: Bob, Carol.";
        if (expected) {
          EXPECT_NE(keptAtOnce.find(expected), std::string::npos) << keptAtOnce;
          EXPECT_NE(Kept().find(expected), std::string::npos) << Kept();
          EXPECT_EQ(written, moment == kProgress ? kAlice : std::vector<std::uint32_t>());
          // Only the question that was open when the session ended.
          EXPECT_EQ(m_said.size(), moment == kHotSyncQuestion ? 1u : 0u);
        } else {
          EXPECT_EQ(keptAtOnce, "");
        }
        ASSERT_TRUE(IsWindow(main));
        CloseWindow();
      } else {
        // The deferred close runs from the message loop once the command is over.
        MSG msg;
        while (IsWindow(main) && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (moment == kProgress) {
          EXPECT_TRUE(IsWindow(main)) << "a close during progress cancels the run only";
          EXPECT_EQ(written, kAlice);
          CloseWindow();
        } else {
          EXPECT_FALSE(IsWindow(main));
          if (moment == kHotSyncQuestion) {
            EXPECT_EQ(written, kAll) << "the yes still counts";
          }
          m_pWin.reset();
        }
      }
      // The next start has the actions saved.
      EXPECT_TRUE(fs::exists(DataFile("ovcurr.dat")));
      if (g_pCondMgr) g_pCondMgr->RemoveAll();
      m_pWin = std::make_unique<MainWnd>();
      ASSERT_TRUE(m_pWin->Create(false));
      EXPECT_EQ(ActionText(kMemo), "Do Nothing");
      TearDown();
      fs::remove(DataFile(kDataFileEnded));
      SetUp();
    }
  }
}

}  // namespace
