// The Win32 history dialog under Wine, opened from the main window: an Apply listed with what it
// overwrote, Undo after Yes, and the stand-in library holding the old values again.
#include "src/core/palm/PalmLib.h"
#include "tests/win32/Win32WindowTest.h"

namespace id = win32::id;
using namespace win32test;

namespace {

constexpr std::uint32_t kAlice = kFirstUserId, kBob = kFirstUserId + 1;

class Win32History : public Win32WindowTest {};

TEST_F(Win32History, ApplyThenUndoFromTheHistoryPutsTheOldValuesBack) {
  Standard();
  Open();
  const std::uint32_t memo = m_pWin->Logic().CondRecordAt(kMemo)->dwCreatorID;
  ASSERT_EQ(palm::UmSetUserPermSyncPreferences(kAlice, memo, 3), 0);
  ASSERT_EQ(palm::UmSetUserPermSyncPreferences(kBob, memo, 2), 0);
  Click(id::kApply);
  std::int32_t code = -1;
  ASSERT_EQ(palm::UmGetUserPermSyncPreferences(kAlice, memo, &code), 0);
  ASSERT_EQ(code, 0) << "Apply wrote Memo Pad";
  m_said.clear();

  Then([&](HWND dlg) {
    EXPECT_EQ(ClientSize96(dlg).cx, 820);
    EXPECT_EQ(ClientSize96(dlg).cy, 500);
    ExpectNothingCutOff(dlg);
    HWND entries = GetDlgItem(dlg, id::kHistEntries);
    ASSERT_EQ(ListView_GetItemCount(entries), 1);
    EXPECT_EQ(ItemText(entries, 0, 3), "Apply of conduit list, default actions");
    EXPECT_EQ(ItemText(entries, 0, 4), "3");
    HWND changes = GetDlgItem(dlg, id::kHistChanges);
    ASSERT_GE(ListView_GetItemCount(changes), 2);
    EXPECT_EQ(ItemText(changes, kMemo, 0), "Alice");
    EXPECT_EQ(ItemText(changes, kMemo, 1), "Memo Pad");
    EXPECT_EQ(ItemText(changes, kMemo, 2), "Do Nothing");
    EXPECT_EQ(ItemText(changes, kMemo, 3), "Synchronize the files");
    EXPECT_EQ(Text(GetDlgItem(dlg, id::kHistUndo)), "&Undo");
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(dlg, id::kHistUndo)));

    m_answers = {ov::MessageAnswer::Yes};
    Click(dlg, id::kHistUndo);
    EXPECT_EQ(ListView_GetItemCount(entries), 2);
    EXPECT_EQ(ItemText(entries, 0, 3).substr(0, 10), "Undo of #1");
    PressKey(dlg, VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(dlg));
  });
  Click(id::kHistory);
  EXPECT_EQ(m_dialogs, std::vector<std::string>{"History of Changes"});
  ASSERT_EQ(m_said.size(), 2u);
  EXPECT_EQ(m_said[0].buttons, ov::MessageButtons::YesNo);
  EXPECT_EQ(m_said[1].text.rfind("Change #1 was taken back for ", 0), 0u) << m_said[1].text;
  ASSERT_EQ(palm::UmGetUserPermSyncPreferences(kAlice, memo, &code), 0);
  EXPECT_EQ(code, 3);
  ASSERT_EQ(palm::UmGetUserPermSyncPreferences(kBob, memo, &code), 0);
  EXPECT_EQ(code, 2);
}

}  // namespace
