// The dialogs' rules without a window: the conduit detail dialog's choice and what OK writes, the
// user information read from the user data library, the profile details dialog's description,
// and the profiles dialog's numbering, save and load.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "src/core/palm/CondMgr.h"
#include "src/logic/CondDetail.h"
#include "src/core/OVProfile.h"
#include "src/logic/ProfDetail.h"
#include "src/logic/Userinfo.h"
#include "src/logic/profile.h"
#include "src/core/OVUtil.h"
#include "tests/logic/RecordingView.h"
#include "tests/support/WindowFixture.h"

namespace fs = std::filesystem;

namespace {

using logictest::RecordingMainView;
using logictest::RecordingProfilesView;
using windowtest::DataFile;

// OK writes the chosen action; "Do Nothing" switches off and keeps the low bits; Cancel (no OK)
// and a dialog without a record write nothing.
TEST(CondDetailLogic, OKWritesTheChoice) {
  const struct {
    std::uint32_t before;
    CondChoice choice;
    std::uint32_t after;
  } cases[] = {
      {1, CondChoice::PC2HH, 2},          {0x10004, CondChoice::Sync, 1},       {4, CondChoice::Nothing, 0x10004},
      {0x10004, CondChoice::Nothing, 0x10004}, {8, CondChoice::Nothing, 0x10008}, {2, CondChoice::HH2PC, 4},
      {7, CondChoice::None, 0x10007},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "action 0x" << std::hex << c.before);
    CONDUIT_REC rec{};
    std::strcpy(rec.szTitle, "Memo Pad");
    rec.dwAction = c.before;
    CondDetailLogic dialog;
    dialog.SetData(&rec);
    EXPECT_EQ(dialog.Title(), "Memo Pad");
    EXPECT_EQ(dialog.Choice(), ChoiceForAction(c.before));
    dialog.SetChoice(c.choice);
    EXPECT_EQ(rec.dwAction, c.before) << "nothing changes before OK";
    EXPECT_TRUE(dialog.btnOKClick());
    EXPECT_EQ(rec.dwAction, c.after);
    EXPECT_STREQ(rec.szTitle, "Memo Pad");
  }
  CondDetailLogic unbound;
  EXPECT_EQ(unbound.Choice(), CondChoice::None);
  EXPECT_FALSE(unbound.btnOKClick());
  EXPECT_FALSE(unbound.TransferData(false));
}

// A title without a terminator is read to the end of its field and no further.
TEST(CondDetailLogic, TitleEndsInsideItsField) {
  CONDUIT_REC rec{};
  std::memset(rec.szTitle, 'T', sizeof rec.szTitle);
  rec.dwModulePresent = 0x41414141;
  CondDetailLogic dialog;
  dialog.SetData(&rec);
  EXPECT_EQ(dialog.Title(), std::string(COND_TITLE_LEN, 'T'));
}

TEST(ProfDetailLogic, EmptyDescriptionIsRefusedAndALongOneCut) {
  RecordingProfilesView view;
  ProfDetailLogic dialog;
  dialog.SetView(&view);
  dialog.SetFileName(std::string(300, 'p').c_str());
  EXPECT_EQ(std::string(dialog.GetFileName()), std::string(258, 'p'));

  EXPECT_FALSE(dialog.btnOKClick(""));
  ASSERT_EQ(view.said.size(), 1u);
  EXPECT_EQ(view.said[0].text, "Invalid Orvane Profile Description.");
  EXPECT_EQ(view.said[0].caption, "Orvane Error");
  EXPECT_EQ(view.said[0].icon, ov::MessageIcon::Error);
  EXPECT_STREQ(dialog.GetDescription(), "");

  EXPECT_TRUE(dialog.btnOKClick(" "));
  EXPECT_STREQ(dialog.GetDescription(), " ") << "blanks are a description";
  EXPECT_TRUE(dialog.btnOKClick(std::string(300, 'd')));
  EXPECT_EQ(std::string(dialog.GetDescription()), std::string(254, 'd'));
  EXPECT_EQ(view.said.size(), 1u);
}

// What would break the catalogue's one-line description is refused with the reason; the dialog
// stays open and keeps nothing.
TEST(ProfDetailLogic, LineBreaksAndZeroBytesAreRefusedWithTheReason) {
  const struct {
    std::string text;
    const char* said;
  } cases[] = {
      {"two\nlines", "Invalid Orvane Profile Description. A description is one line: it cannot hold a line break."},
      {"cr\r", "Invalid Orvane Profile Description. A description is one line: it cannot hold a line break."},
      {std::string("a\0b", 3), "Invalid Orvane Profile Description. A description cannot hold a zero byte."},
  };
  for (const auto& c : cases) {
    RecordingProfilesView view;
    ProfDetailLogic dialog;
    dialog.SetView(&view);
    EXPECT_FALSE(dialog.btnOKClick(c.text)) << c.said;
    ASSERT_EQ(view.said.size(), 1u);
    EXPECT_EQ(view.said[0].text, c.said);
    EXPECT_STREQ(dialog.GetDescription(), "");
  }
}

// Fixtures with an installation: the user information and the profiles dialog.
struct LogicWindow {
  LogicWindow() { logic.FormCreate(); }
  RecordingMainView view;
  MainWindowLogic logic{view};
};

class DialogLogic : public windowtest::WindowTestBase<LogicWindow> {
 protected:
  void Open() {
    m_pInst = std::make_unique<fixture::Installation>();
    fixture::User bob{1002, "Bob", "C:\\Palm\\Bob", true, {{5, 0x73646967, "SD"}, {9, 0x11223344, "Odd"}}};
    m_pInst->AddUser({1001, "Alice", "C:\\Palm\\Alice", false, {}}).AddUser(bob);
    m_pInst->SetRootDirectory("C:\\Palm");
    m_pInst->AddWindowConduits(windowtest::kStandardConduits);
    m_pInst->Publish();
    m_pWin = std::make_unique<LogicWindow>();
  }
  MainWindowLogic& Main() { return m_pWin->logic; }
};

TEST_F(DialogLogic, UserInformationRows) {
  Open();
  UserInfoLogic bob;
  bob.LoadUserInfo(1002);
  EXPECT_EQ(bob.GetUserId(), 1002u);
  EXPECT_TRUE(bob.IsProfile());
  EXPECT_EQ(bob.UserName(), "Bob");
  EXPECT_EQ(bob.DataDirectory(), "C:\\Palm\\Bob");
  EXPECT_EQ(bob.RootDirectory(), "C:\\Palm");
  ASSERT_EQ(bob.Slots().size(), 2u);
  const SlotRow& first = bob.Slots()[0];
  const SlotRow& second = bob.Slots()[1];
  EXPECT_EQ(std::vector<std::string>({first.no, first.id, first.type, first.name}),
            std::vector<std::string>({"1", "5", "Secure Digital", "SD"}));
  EXPECT_EQ(std::vector<std::string>({second.no, second.id, second.type, second.name}),
            std::vector<std::string>({"2", "9", "Not Specified", "Odd"}));

  UserInfoLogic alice;
  alice.LoadUserInfo(1001);
  EXPECT_FALSE(alice.IsProfile());
  EXPECT_TRUE(alice.Slots().empty());
}

// Numbering goes on past names on disk and in the catalogue; a save writes the profile file and
// the catalogue, adds a selected row, and loads back onto the list.
TEST_F(DialogLogic, ProfilesSaveNumberAndLoad) {
  Open();
  std::ofstream(DataFile("ovprof1.dat")) << "x";
  RecordingProfilesView view;
  ProfileLogic profiles(&Main());
  profiles.SetView(&view);
  profiles.SetProfMgr(Main().GetProfMgr());
  profiles.FormShow();
  EXPECT_TRUE(profiles.Rows().empty());
  EXPECT_EQ(profiles.SelectedRow(), -1);

  // Cancel: no profile, the empty catalogue written.
  profiles.btnSaveClick();
  EXPECT_EQ(fs::path(view.shownFile), DataFile("ovprof2.dat")) << "ovprof1.dat exists on disk";
  EXPECT_TRUE(profiles.Rows().empty());
  EXPECT_TRUE(fs::exists(DataFile("ovprof.dat")));
  EXPECT_FALSE(fs::exists(DataFile("ovprof2.dat")));

  view.description = "Work";
  profiles.btnSaveClick();
  ASSERT_EQ(profiles.Rows().size(), 1u);
  EXPECT_EQ(profiles.Rows()[0].description, "Work");
  EXPECT_EQ(fs::path(profiles.Rows()[0].file), DataFile("ovprof2.dat"));
  EXPECT_EQ(profiles.SelectedRow(), 0);
  OVProfile saved;
  saved.SetFileName(DataFile("ovprof2.dat").string().c_str());
  ASSERT_TRUE(saved.Load());
  EXPECT_EQ(saved.GetCount(), static_cast<std::uint32_t>(Main().CondRows().size()));

  // Change the list, then load the profile back: the actions return and the dialog closes.
  Main().sbtnDisableClick();
  view.description = "Off";
  profiles.btnSaveClick();
  EXPECT_EQ(fs::path(profiles.Rows()[1].file), DataFile("ovprof3.dat"));
  EXPECT_EQ(profiles.SelectedRow(), 1);
  Main().sbtnEnableClick();
  profiles.SelectRow(1);
  profiles.btnLoadClick();
  EXPECT_EQ(view.closedWithOK, 1);
  for (const CondRow& row : Main().CondRows()) EXPECT_FALSE(row.ticked) << row.title;
  EXPECT_TRUE(view.said.empty());

  // Nothing selected: Load does nothing.
  profiles.SelectRow(-1);
  profiles.btnLoadClick();
  EXPECT_EQ(view.closedWithOK, 1);
}

// A description another profile has (ignoring letter case) is refused with a message, so that
// every profile can be named by its description; nothing is written.
TEST_F(DialogLogic, ProfilesSaveRefusesADescriptionThatIsThere) {
  Open();
  RecordingProfilesView view;
  ProfileLogic profiles(&Main());
  profiles.SetView(&view);
  profiles.SetProfMgr(Main().GetProfMgr());
  profiles.FormShow();
  view.description = "Work";
  profiles.btnSaveClick();
  ASSERT_EQ(profiles.Rows().size(), 1u);
  std::ifstream in(DataFile("ovprof.dat"), std::ios::binary);
  const std::string catalogue((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  view.description = "WORK";
  profiles.btnSaveClick();
  ASSERT_EQ(view.said.size(), 1u);
  EXPECT_EQ(view.said[0].text,
            "Profile 1 is described \"Work\" already. Choose another description for the current settings.");
  ASSERT_EQ(profiles.Rows().size(), 1u);
  EXPECT_EQ(profiles.SelectedRow(), 0);
  EXPECT_FALSE(fs::exists(DataFile("ovprof2.dat")));
  std::ifstream again(DataFile("ovprof.dat"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), std::istreambuf_iterator<char>()), catalogue);
}

// A catalogue that exists but cannot be read is told once the dialog is shown, and nothing is
// written over it.
TEST_F(DialogLogic, UnreadableCatalogueIsToldAndKept) {
  Open();
  const std::string damaged("\x05\x00\x00\x00\xFF\xFF\xFF\x7F", 8);
  std::ofstream(DataFile("ovprof.dat"), std::ios::binary) << damaged;
  RecordingProfilesView view;
  ProfileLogic profiles(&Main());
  profiles.SetView(&view);
  profiles.SetProfMgr(Main().GetProfMgr());
  EXPECT_TRUE(view.said.empty()) << "told when shown, not before";
  profiles.FormShow();
  ASSERT_EQ(view.said.size(), 1u);
  EXPECT_TRUE(profiles.IsCatalogueUnreadable());
  view.description = "Work";
  profiles.btnSaveClick();
  EXPECT_EQ(view.said.size(), 2u);
  std::ifstream in(DataFile("ovprof.dat"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), damaged);
}

}  // namespace
