// The Win32 HotSync actions dialog under Wine, opened as a user opens it (the user list's popup
// menu, the user information dialog): a user's default and next-HotSync actions as the stand-in
// library holds them, Copy to Conduit List and End One-Time Actions.
#include <algorithm>

#include "src/core/palm/CondMgr.h"
#include "src/core/palm/PalmLib.h"
#include "src/core/palm/SyncPrefNames.h"
#include "tests/win32/Win32WindowTest.h"

namespace id = win32::id;
using namespace win32test;

namespace {

using Table = std::vector<std::vector<std::string>>;

constexpr std::uint32_t kAlice = kFirstUserId, kBob = kFirstUserId + 1;
constexpr int kNone = -1;

class Win32SyncActions : public Win32WindowTest {
 protected:
  // The default (permanent) and one-time (temporary) preference of one conduit for one user,
  // written through the stand-in library before the dialog reads them; kNone writes nothing.
  void SetPrefs(std::uint32_t user, Row row, int perm, int temp) {
    const std::uint32_t creator = m_pWin->Logic().CondRecordAt(row)->dwCreatorID;
    if (perm != kNone) {
      EXPECT_GE(palm::UmSetUserPermSyncPreferences(user, creator, perm), 0);
    }
    if (temp != kNone) {
      EXPECT_GE(palm::UmSetUserTempSyncPreferences(user, creator, temp), 0);
    }
  }

  // Three users; Bob has a default for four conduits and two one-time actions, Alice other
  // actions (so that a dialog showing hers is told apart), Carol none.
  void OpenWithPrefs() {
    Standard();
    Open();
    SetPrefs(kBob, kDate, 1, kNone);
    SetPrefs(kBob, kMemo, 3, 0);
    SetPrefs(kBob, kAddr, 2, 2);
    SetPrefs(kBob, kBackup, palm::SYNC_PREF_CUSTOM, kNone);
    SetPrefs(kAlice, kDate, 0, 3);
    SetPrefs(kAlice, kAddr, 3, kNone);
  }

  // Opens the actions of the user in row from the user list's popup menu (the context-menu key)
  // and returns the items the menu showed.
  std::vector<MenuItem> OpenActions(int row) {
    Select(Users(), row);
    return Popup(Users(), id::kMiUserActions);
  }

  static Table Rows(HWND list) {
    Table rows;
    for (int r = 0; r < ListView_GetItemCount(list); ++r) {
      rows.emplace_back();
      for (int c = 0; c < 3; ++c) rows.back().push_back(ItemText(list, r, c));
    }
    return rows;
  }
};

// Bob's rows as the library holds them after OpenWithPrefs.
const Table kBobRows = {{"Date Book", "Desktop overwrites handheld", "Desktop overwrites handheld"},
                        {"Memo Pad", "Do Nothing", "Synchronize the files (this time only)"},
                        {"Address Book", "Handheld overwrites Desktop", "Handheld overwrites Desktop (this time only)"},
                        {"Install Tool", "not set", "not set"},
                        {"Backup", "Custom", "Custom"}};

std::string ColumnText(HWND list, int column) {
  wchar_t buf[64] = {};
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = buf;
  col.cchTextMax = 64;
  SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col));
  return win32::Narrow(buf);
}

// Every cell's text fits its column, drawn in bold (as a one-time row is) with the list's
// margins.
void ExpectCellsFit(HWND list) {
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  lf.lfWeight = FW_BOLD;
  HFONT bold = CreateFontIndirectW(&lf);
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, bold);
  for (int r = 0; r < ListView_GetItemCount(list); ++r) {
    for (int c = 0; c < 3; ++c) {
      const std::wstring text = win32::Wide(ItemText(list, r, c));
      SIZE extent{};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
      EXPECT_LE(extent.cx + win32::Scale(12), ListView_GetColumnWidth(list, c))
          << "\"" << win32::Narrow(text) << "\" does not fit column " << c;
    }
  }
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  DeleteObject(bold);
}

// The user list's popup menu names both commands and opens under the selected user; HotSync
// Actions shows that user's actions, with the commands that apply to them; User Information
// opens the user's information. Without a selected user there is no menu.
TEST_F(Win32SyncActions, UserPopupShowsTheActionsOfTheSelectedUser) {
  OpenWithPrefs();
  EXPECT_TRUE(Popup(Users(), id::kMiUserActions).empty()) << "no user selected";
  EXPECT_TRUE(m_dialogs.empty());

  const struct {
    int row;
    const char* caption;
    Table rows;
    const char* summary;
    bool canCopy, canEnd;
  } cases[] = {
      {1, "HotSync Actions - Bob", kBobRows, "2 one-time actions decide the next HotSync.", true, true},
      {2, "HotSync Actions - Carol",
       {{"Date Book", "not set", "not set"},
        {"Memo Pad", "not set", "not set"},
        {"Address Book", "not set", "not set"},
        {"Install Tool", "not set", "not set"},
        {"Backup", "not set", "not set"}},
       "No one-time action is set: the next HotSync does the defaults.", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    m_dialogs.clear();
    Then([&](HWND dlg) {
      EXPECT_EQ(ClientSize96(dlg).cx, 720);
      EXPECT_EQ(ClientSize96(dlg).cy, 420);
      ExpectNothingCutOff(dlg);
      ExpectMnemonicsUnique(dlg);
      EXPECT_EQ(Text(GetDlgItem(dlg, id::kActionsUserLabel)), "User Name:");
      EXPECT_EQ(Text(GetDlgItem(dlg, id::kActionsUserName)), c.caption + std::string("HotSync Actions - ").size());
      HWND list = GetDlgItem(dlg, id::kActionsList);
      EXPECT_EQ(ColumnText(list, 0), "Conduit");
      EXPECT_EQ(ColumnText(list, 1), "Default");
      EXPECT_EQ(ColumnText(list, 2), "Next HotSync");
      EXPECT_EQ(Rows(list), c.rows);
      ExpectCellsFit(list);
      EXPECT_EQ(Text(GetDlgItem(dlg, id::kActionsSummary)), c.summary);
      EXPECT_EQ(Text(GetDlgItem(dlg, id::kCopy)), "Copy to Conduit &List");
      EXPECT_EQ(Text(GetDlgItem(dlg, id::kEndOneTime)), "&End One-Time Actions");
      EXPECT_EQ(Text(GetDlgItem(dlg, IDOK)), "&Close");
      EXPECT_EQ(IsWindowEnabled(GetDlgItem(dlg, id::kCopy)) != FALSE, c.canCopy);
      EXPECT_EQ(IsWindowEnabled(GetDlgItem(dlg, id::kEndOneTime)) != FALSE, c.canEnd);
      EXPECT_EQ(GetWindow(dlg, GW_OWNER), Main());
      EXPECT_FALSE(IsWindowEnabled(Main())) << "modal over the main window";
      PressKey(dlg, VK_ESCAPE);
      EXPECT_FALSE(IsWindowVisible(dlg));
    });
    const std::vector<MenuItem> items = OpenActions(c.row);
    EXPECT_EQ(items, (std::vector<MenuItem>{{"HotSync Actions...", id::kMiUserActions, false},
                                            {"User Information...", id::kMiUserInfo, false}}));
    RECT rc{};
    ListView_GetItemRect(Users(), c.row, &rc, LVIR_BOUNDS);
    MapWindowPoints(Users(), nullptr, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_TRUE(m_menuAt.y >= rc.top && m_menuAt.y <= rc.bottom + 2 && m_menuAt.x >= rc.left && m_menuAt.x < rc.right)
        << "the menu opens at the selected user";
    EXPECT_EQ(m_dialogs, std::vector<std::string>{c.caption});
    EXPECT_TRUE(IsWindowEnabled(Main()));
  }
  EXPECT_TRUE(m_said.empty());

  std::string name;
  Then([&](HWND dlg) {
    name = Text(GetDlgItem(dlg, id::kUserName));
    Click(dlg, IDOK);
  });
  Select(Users(), 0);
  Popup(Users(), id::kMiUserInfo);
  EXPECT_EQ(m_dialogs.back(), "User Information");
  EXPECT_EQ(name, "Alice");
}

// End One-Time Actions asks first: No (the default, Enter's answer) changes nothing; Yes ends
// the user's one-time actions, the rows then show the defaults, and the command goes grey
// with the keyboard focus moved on.
TEST_F(Win32SyncActions, EndOneTimeActionsEndsThemOnYesOnly) {
  OpenWithPrefs();
  const std::size_t nBefore = m_pInst->ReadJournal().size();
  Table afterNo, afterYes;
  std::string summary;
  bool endEnabled = true, focusUsable = false;
  Then([&](HWND dlg) {
    Click(dlg, id::kEndOneTime);
    afterNo = Rows(GetDlgItem(dlg, id::kActionsList));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, id::kEndOneTime)));
    EXPECT_EQ(m_pInst->ReadJournal().size(), nBefore) << "No wrote nothing";

    m_answers = {ov::MessageAnswer::Yes};
    SetFocus(GetDlgItem(dlg, id::kEndOneTime));
    Click(dlg, id::kEndOneTime);
    afterYes = Rows(GetDlgItem(dlg, id::kActionsList));
    summary = Text(GetDlgItem(dlg, id::kActionsSummary));
    endEnabled = IsWindowEnabled(GetDlgItem(dlg, id::kEndOneTime)) != FALSE;
    HWND focus = GetFocus();
    focusUsable = focus && IsChild(dlg, focus) && IsWindowEnabled(focus);
    Click(dlg, IDOK);
  });
  OpenActions(1);

  ASSERT_EQ(m_said.size(), 2u);
  for (const Said& said : m_said) {
    EXPECT_EQ(said.text, "End the 2 one-time actions of Bob? The next HotSync then does the default actions.");
    EXPECT_EQ(said.caption, "HotSync Actions");
    EXPECT_EQ(said.buttons, ov::MessageButtons::YesNo);
    EXPECT_NE(said.owner, Main()) << "the dialog owns its question";
  }
  EXPECT_EQ(afterNo, kBobRows);

  Table defaults = kBobRows;
  for (auto& row : defaults) row[2] = row[1];
  EXPECT_EQ(afterYes, defaults);
  EXPECT_EQ(summary, "No one-time action is set: the next HotSync does the defaults.");
  EXPECT_FALSE(endEnabled);
  EXPECT_TRUE(focusUsable) << "the focus left the grey button";

  const std::vector<fixture::JournalEntry> journal = m_pInst->ReadJournal();
  ASSERT_EQ(journal.size(), nBefore + 2);
  for (Row row : {kMemo, kAddr}) {
    const fixture::JournalEntry erase{false, kBob, m_pWin->Logic().CondRecordAt(row)->dwCreatorID, 0, true};
    EXPECT_EQ(std::count(journal.begin() + static_cast<std::ptrdiff_t>(nBefore), journal.end(), erase), 1) << row;
  }
}

// Copy to Conduit List puts the user's defaults that the tool writes onto the main window's
// list (ticks included) and says what it kept; Apply then gives them to the ticked users.
TEST_F(Win32SyncActions, CopyPutsTheDefaultsIntoTheConduitList) {
  OpenWithPrefs();
  Then([&](HWND dlg) {
    Click(dlg, id::kCopy);
    // The main window's list follows at once, under the dialog.
    EXPECT_EQ(ActionText(kDate), "Desktop overwrites handheld");
    Click(dlg, IDOK);
  });
  OpenActions(1);

  ASSERT_EQ(m_said.size(), 1u);
  EXPECT_EQ(m_said[0].text,
            "The default actions of Bob were copied into the conduit list for 3 conduits. 2 conduits keep their "
            "action: the default is not set, could not be read, or is one this tool does not write.");
  EXPECT_EQ(m_said[0].caption, "Information");
  const struct {
    Row row;
    const char* action;
    std::uint32_t value;
    bool ticked;
  } rows[kRowCount] = {{kDate, "Desktop overwrites handheld", 2, true},
                       {kMemo, "Do Nothing", 0x10001, false},
                       {kAddr, "Handheld overwrites Desktop", 4, true},
                       {kInstall, "Desktop overwrites handheld", 2, true},
                       {kBackup, "Handheld overwrites Desktop", 4, true}};
  for (const auto& r : rows) {
    EXPECT_EQ(ActionText(r.row), r.action) << r.row;
    EXPECT_EQ(Action(r.row), r.value) << r.row;
    EXPECT_EQ(Ticked(Conds(), r.row), r.ticked) << r.row;
  }
}

// The user information dialog's HotSync Actions button opens the actions of its user, modal
// over the information dialog.
TEST_F(Win32SyncActions, UserInformationOpensTheActionsOfItsUser) {
  OpenWithPrefs();
  HWND info = nullptr;
  Table rows;
  bool infoEnabled = true;
  Then([&](HWND dlg) {
    info = dlg;
    EXPECT_EQ(Text(GetDlgItem(dlg, id::kOpenActions)), "HotSync &Actions...");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, id::kOpenActions)));
    ExpectNothingCutOff(dlg);
    ExpectMnemonicsUnique(dlg);
    Then([&](HWND actions) {
      EXPECT_EQ(GetWindow(actions, GW_OWNER), info);
      infoEnabled = IsWindowEnabled(info) != FALSE;
      rows = Rows(GetDlgItem(actions, id::kActionsList));
      Click(actions, IDOK);
    });
    Click(dlg, id::kOpenActions);
    EXPECT_TRUE(IsWindowEnabled(dlg));
    Click(dlg, IDOK);
  });
  Select(Users(), 1);
  SetFocus(Users());
  PressKey(Main(), VK_RETURN);
  EXPECT_EQ(m_dialogs, (std::vector<std::string>{"User Information", "HotSync Actions - Bob"}));
  EXPECT_FALSE(infoEnabled);
  EXPECT_EQ(rows, kBobRows);
}

// The information's HotSync Actions dialog belongs to the main window: Copy puts the user's
// defaults into its conduit list.
TEST_F(Win32SyncActions, UserInformationActionsCopyIntoTheMainList) {
  OpenWithPrefs();
  std::string caption;
  Then([&](HWND info) {
    Then([&](HWND actions) {
      caption = Text(actions);
      Click(actions, id::kCopy);
      Click(actions, IDOK);
    });
    Click(info, id::kOpenActions);
    Click(info, IDOK);
  });
  Select(Users(), 1);
  SetFocus(Users());
  PressKey(Main(), VK_RETURN);
  EXPECT_EQ(caption, "HotSync Actions - Bob");
  EXPECT_EQ(ActionText(kAddr), "Handheld overwrites Desktop");
  EXPECT_EQ(Action(kAddr), 4u);
}

}  // namespace
