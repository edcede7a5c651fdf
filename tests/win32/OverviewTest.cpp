// The Win32 overview window under Wine, opened from the main window's banner: ticking the users
// that differ from the conduit list, the choice that marks only differences (its counts in the
// status line), and a user's actions opened from the grid with the keyboard.
#include "src/core/palm/CondMgr.h"
#include "src/core/palm/PalmLib.h"
#include "tests/win32/Win32WindowTest.h"

namespace id = win32::id;
using namespace win32test;

namespace {

constexpr std::uint32_t kBob = kFirstUserId + 1;

class Win32Overview : public Win32WindowTest {};

TEST_F(Win32Overview, TicksTheDifferingUsersAndOpensARow) {
  Standard({"Alice", "Bob"});
  Open();
  ASSERT_EQ(m_pWin->Logic().ApplyToTickedUsers().written.size(), 2u);
  ASSERT_GE(palm::UmSetUserPermSyncPreferences(kBob, m_pWin->Logic().CondRecordAt(kMemo)->dwCreatorID, 3), 0);

  std::string status, actionsCaption;
  bool bActionsEnabled = false;
  Then([&](HWND dlg) {
    ExpectNothingCutOff(dlg);
    Click(dlg, id::kOverviewTick);
    Click(dlg, id::kOverviewDiffers);
    status = Text(GetDlgItem(dlg, id::kOverviewStatus));
    // Down twice: the first row, then Bob's; Enter opens his actions.
    SetFocus(GetDlgItem(dlg, id::kOverviewGrid));
    PressKey(dlg, VK_DOWN);
    PressKey(dlg, VK_DOWN);
    bActionsEnabled = IsWindowEnabled(GetDlgItem(dlg, id::kOverviewActions)) != FALSE;
    Then([&](HWND actions) {
      actionsCaption = Text(actions);
      Click(actions, IDOK);
    });
    PressKey(dlg, VK_RETURN);
    Click(dlg, IDOK);
  });
  Click(id::kOverview);

  ASSERT_FALSE(m_dialogs.empty());
  EXPECT_EQ(m_dialogs[0], "Overview of HotSync Actions");
  EXPECT_EQ(status, "2 users, 5 conduits: 1 user differs from the conduit list in 1 cell.");
  EXPECT_TRUE(bActionsEnabled);
  EXPECT_EQ(actionsCaption, "HotSync Actions - Bob");
  ASSERT_EQ(m_said.size(), 1u);
  EXPECT_EQ(m_said[0].text.rfind("1 user differs from the conduit list", 0), 0u) << m_said[0].text;
  EXPECT_FALSE(Ticked(Users(), 0));
  EXPECT_TRUE(Ticked(Users(), 1));
}

}  // namespace
