// The Win32 dialogs under Wine, opened from the main window as a user opens them: the user
// information dialog, the profiles dialog with the profile details dialog inside it.
#include "tests/win32/Win32WindowTest.h"

#include "src/core/OVProfile.h"

namespace id = win32::id;
using namespace win32test;

namespace {

constexpr std::uint32_t FourCC(const char* s) {
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) << 24) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 16) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 8) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[3]));
}

class Win32Dialogs : public Win32WindowTest {
 protected:
  void DoubleClickUser(int row) {
    Select(Users(), row);
    RECT rc{};
    ListView_GetItemRect(Users(), row, &rc, LVIR_LABEL);
    SendMessageW(Users(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.left + 4, (rc.top + rc.bottom) / 2));
  }
};

std::vector<std::vector<std::string>> Rows(HWND list, int columns) {
  std::vector<std::vector<std::string>> rows;
  for (int r = 0; r < ListView_GetItemCount(list); ++r) {
    rows.emplace_back();
    for (int c = 0; c < columns; ++c) rows.back().push_back(ItemText(list, r, c));
  }
  return rows;
}

// A double click on a user (or Enter on the list) shows what the library knows about the user:
// name, profile flag, both directories and one row per slot.
TEST_F(Win32Dialogs, UserInformationShowsTheUsersRows) {
  fixture::Installation& inst = Standard({"Alice"});
  inst.SetRootDirectory("C:\\Palm");
  inst.AddUser({2002, "Bob Brown", "C:\\Palm\\BrownB", true,
                {{5, FourCC("sdig"), "SD Card"}, {9, FourCC("wild"), "Anything"}, {12, FourCC("zzzz"), "Odd"}}});
  Open();

  struct Shown {
    std::string caption, name, root, data;
    bool profile = false, profileEnabled = true;
    std::vector<std::vector<std::string>> rows;
  } shown;
  Then([&](HWND dlg) {
    shown.caption = Text(dlg);
    shown.name = Text(GetDlgItem(dlg, id::kUserName));
    shown.root = Text(GetDlgItem(dlg, id::kRootDir));
    shown.data = Text(GetDlgItem(dlg, id::kDataDir));
    shown.profile = IsDlgButtonChecked(dlg, id::kProfile) == BST_CHECKED;
    shown.profileEnabled = IsWindowEnabled(GetDlgItem(dlg, id::kProfile)) != FALSE;
    shown.rows = Rows(GetDlgItem(dlg, id::kExpList), 4);
    EXPECT_EQ(ClientSize96(dlg).cx, 465);
    EXPECT_EQ(ClientSize96(dlg).cy, 362);
    ExpectNothingCutOff(dlg);
    ExpectMnemonicsUnique(dlg);
    const struct {
      int id;
      const char* text;
    } texts[] = {{id::kNameLabel, "User Name:"},        {id::kProfile, "Is User &Profile"},
                 {id::kDirGroup, " Directory Information "}, {id::kRootLabel, "Root Directory:"},
                 {id::kDataLabel, "Data Directory:"},   {id::kExpGroup, " Expansion Information "},
                 {IDOK, "&Close"}};
    for (const auto& t : texts) EXPECT_EQ(Text(GetDlgItem(dlg, t.id)), t.text) << t.id;
    Click(dlg, IDOK);
    EXPECT_FALSE(IsWindowVisible(dlg));
  });
  DoubleClickUser(1);
  ASSERT_EQ(m_dialogs, std::vector<std::string>{"User Information"});
  EXPECT_EQ(shown.name, "Bob Brown");
  EXPECT_EQ(shown.root, "C:\\Palm");
  EXPECT_EQ(shown.data, "C:\\Palm\\BrownB");
  EXPECT_TRUE(shown.profile);
  EXPECT_FALSE(shown.profileEnabled);
  const std::vector<std::vector<std::string>> slots = {{"1", "5", "Secure Digital", "SD Card"},
                                                       {"2", "9", "Not Specified", "Anything"},
                                                       {"3", "12", "Not Specified", "Odd"}};
  EXPECT_EQ(shown.rows, slots);

  // Enter on the list opens the selected user, Escape closes the dialog.
  Then([&](HWND dlg) {
    shown.name = Text(GetDlgItem(dlg, id::kUserName));
    shown.rows = Rows(GetDlgItem(dlg, id::kExpList), 4);
    PressKey(dlg, VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(dlg));
  });
  Select(Users(), 0);
  SetFocus(Users());
  PressKey(Main(), VK_RETURN);
  ASSERT_EQ(m_dialogs.size(), 2u);
  EXPECT_EQ(shown.name, "Alice");
  EXPECT_TRUE(shown.rows.empty());
}

// Save Current Settings as Profile asks for a description (an empty one is refused), names the
// file, lists the new profile at once; Load puts its actions back onto the conduit list.
TEST_F(Win32Dialogs, ProfilesSaveAndLoadTheActions) {
  const wchar_t* const kDescription = L"Address Book from the handhelds, f\u00fcr J\u00fcrgen";
  Standard();
  Open();
  Select(Conds(), kAddr);
  Popup(id::kMiHH2PC);

  std::vector<std::vector<std::string>> listed;
  std::string file;
  Then([&](HWND profiles) {
    EXPECT_EQ(ClientSize96(profiles).cx, 553);
    EXPECT_EQ(ClientSize96(profiles).cy, 310);
    ExpectNothingCutOff(profiles);
    ExpectMnemonicsUnique(profiles);
    EXPECT_EQ(Text(GetDlgItem(profiles, id::kLoad)), "&Load");
    EXPECT_EQ(Text(GetDlgItem(profiles, id::kSave)), "&Save Current Settings as Profile");
    EXPECT_EQ(Text(GetDlgItem(profiles, IDCANCEL)), "&Cancel");
    EXPECT_EQ(ListView_GetItemCount(GetDlgItem(profiles, id::kProfList)), 0);
    Then([&](HWND detail) {
      EXPECT_EQ(ClientSize96(detail).cx, 433);
      EXPECT_EQ(ClientSize96(detail).cy, 187);
      ExpectNothingCutOff(detail);
      ExpectMnemonicsUnique(detail);
      EXPECT_EQ(Text(GetDlgItem(detail, id::kDescLabel)), "Description:");
      EXPECT_EQ(Text(GetDlgItem(detail, id::kFileLabel)), "File Name:");
      file = Text(GetDlgItem(detail, id::kFile));
      Click(detail, IDOK);  // empty: refused, the dialog stays
      EXPECT_TRUE(IsWindowVisible(detail));
      SetWindowTextW(GetDlgItem(detail, id::kDesc), kDescription);
      SetFocus(GetDlgItem(detail, id::kDesc));
      PressKey(detail, VK_RETURN);
      EXPECT_FALSE(IsWindowVisible(detail));
    });
    Click(profiles, id::kSave);
    listed = Rows(GetDlgItem(profiles, id::kProfList), 2);
    Click(profiles, IDCANCEL);
  });
  Click(id::kProfiles);

  EXPECT_EQ(m_dialogs, (std::vector<std::string>{"Orvane Profiles", "Profile Details"}));
  ASSERT_EQ(m_said.size(), 1u);
  EXPECT_EQ(m_said[0].text, "Invalid Orvane Profile Description.");
  EXPECT_EQ(m_said[0].caption, "Orvane Error");
  EXPECT_EQ(m_said[0].icon, ov::MessageIcon::Error);
  EXPECT_NE(m_said[0].owner, Main()) << "the details dialog owns its message";
  EXPECT_EQ(fs::path(file).filename(), "ovprof1.dat");
  // The description went into the logic in the ANSI code page and comes back the same.
  const std::string ansi = win32::Narrow(kDescription);
  EXPECT_EQ(listed, (std::vector<std::vector<std::string>>{{ansi, file}}));
  OVProfMgr* pMgr = m_pWin->Logic().GetProfMgr();
  ASSERT_TRUE(pMgr && pMgr->GetFirst());
  EXPECT_EQ(std::string(pMgr->GetFirst()->GetDescription()), ansi);

  // Back to the defaults, then the profile loads the saved action (Enter: Load).
  Click(id::kRefresh);
  EXPECT_EQ(ActionText(kAddr), "Synchronize the files");
  Then([&](HWND profiles) {
    HWND list = GetDlgItem(profiles, id::kProfList);
    EXPECT_EQ(ListView_GetItemState(list, 0, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED)) << "the first selected";
    SetFocus(list);
    PressKey(profiles, VK_RETURN);
    EXPECT_FALSE(IsWindowVisible(profiles));
  });
  Click(id::kProfiles);
  EXPECT_EQ(ActionText(kAddr), "Handheld overwrites Desktop");
  EXPECT_EQ(Action(kAddr), 4u);
}

// Enter on either list of the main window opens its selected row, as a double click does.
TEST_F(Win32Dialogs, EnterOnAListOpensItsRow) {
  Standard({"Alice", "Bob"});
  Open();
  const struct {
    const char* what;
    bool users;
    int row;
    const char* caption;
    int field;
    const char* shown;
  } cases[] = {{"a user", true, 1, "User Information", id::kUserName, "Bob"},
               {"a conduit", false, kInstall, "Orvane Conduit Detail Information", id::kName, "Install Tool"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    m_dialogs.clear();
    std::string shown;
    Then([&](HWND dlg) {
      shown = Text(GetDlgItem(dlg, c.field));
      PressKey(dlg, VK_ESCAPE);
    });
    HWND list = c.users ? Users() : Conds();
    Select(list, c.row);
    SetFocus(list);
    PressKey(Main(), VK_RETURN);
    EXPECT_EQ(m_dialogs, std::vector<std::string>{c.caption});
    EXPECT_EQ(shown, c.shown);
  }
}

// A double click on a profile loads it, as Load does, and closes the dialog.
TEST_F(Win32Dialogs, DoubleClickOnAProfileLoadsIt) {
  Standard();
  Open();
  // Two profiles that differ in the Address Book's action.
  const std::uint32_t addr = m_pWin->Logic().CondRecordAt(kAddr)->dwCreatorID;
  OVProfMgr mgr(DataFile("ovprof.dat").string().c_str());
  const struct {
    const char* description;
    const char* file;
    std::uint32_t action;
  } profiles[] = {{"Pass", "ovprof1.dat", 2}, {"Take", "ovprof2.dat", 4}};
  for (const auto& p : profiles) {
    OVProfile* pProfile = mgr.NewProfile();
    pProfile->SetDescription(p.description);
    pProfile->SetFileName(DataFile(p.file).string().c_str());
    const ProfileRec rec{addr, p.action};
    pProfile->AddRec(&rec);
    ASSERT_TRUE(pProfile->Save());
  }
  ASSERT_TRUE(mgr.Save());

  bool closed = false;
  Then([&](HWND dlg) {
    HWND list = GetDlgItem(dlg, id::kProfList);
    Select(list, 1);
    RECT rc{};
    ListView_GetItemRect(list, 1, &rc, LVIR_LABEL);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rc.left + 4, (rc.top + rc.bottom) / 2));
    closed = !IsWindowVisible(dlg);
  });
  Click(id::kProfiles);
  EXPECT_EQ(m_dialogs, std::vector<std::string>{"Orvane Profiles"});
  EXPECT_TRUE(closed);
  EXPECT_EQ(Action(kAddr), 4u);
  EXPECT_EQ(ActionText(kAddr), "Handheld overwrites Desktop");
  EXPECT_TRUE(m_said.empty());
}

}  // namespace
