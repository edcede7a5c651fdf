// The user information dialog against a stand-in UserData.dll: the texts, the profile flag, the
// slot rows and their media type names, a library that misreports, and entry points that are
// not bound.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "src/core/OVUtil.h"
#include "src/qt/Userinfo.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PalmFixture.h"

namespace {

using dialogtest::Child;
using dialogtest::WithModal;
using Row = std::array<std::string, 4>;

constexpr std::uint32_t FourCC(const char (&s)[5]) {
  return (std::uint32_t(std::uint8_t(s[0])) << 24) | (std::uint32_t(std::uint8_t(s[1])) << 16) |
         (std::uint32_t(std::uint8_t(s[2])) << 8) | std::uint32_t(std::uint8_t(s[3]));
}

struct Shown {
  std::string name, root, data;
  bool profile;
  std::vector<Row> rows;
};

Shown Read(TfmUserInfo& dlg) {
  Shown s;
  s.name = Child<QLabel>(&dlg, "pnlUserName")->text().toStdString();
  s.root = Child<QLineEdit>(&dlg, "edtRootDir")->text().toStdString();
  s.data = Child<QLineEdit>(&dlg, "edtDataDir")->text().toStdString();
  s.profile = Child<QCheckBox>(&dlg, "cbProfile")->isChecked();
  QTreeWidget* pList = Child<QTreeWidget>(&dlg, "lvExp");
  for (int i = 0; i < pList->topLevelItemCount(); ++i) {
    Row r;
    for (int c = 0; c < 4; ++c) r[c] = pList->topLevelItem(i)->text(c).toStdString();
    s.rows.push_back(r);
  }
  return s;
}

// One installation with the user data library bound from it (kestrow.ini beside the test
// points at it); released before the installation's files go.
class UserInfoTest : public ::testing::Test {
 protected:
  void TearDown() override {
    FreeUserDataDll();
    fixture::RemoveKestrowIni();
  }

  fixture::Installation& Install() {
    m_pInst = std::make_unique<fixture::Installation>(PLIB_USERDATA);
    m_pInst->SetRootDirectory("C:\\Palm");
    m_pInst->AddUser({1001, "Alice Ashby", "C:\\Palm\\AshbyA", false, {}});
    m_pInst->AddUser({1002, "Bob Brown", "C:\\Palm\\BrownB", true,
                      {{5, FourCC("sdig"), "SD Card"}, {9, FourCC("mstk"), "Stick"}}});
    return *m_pInst;
  }
  void Bind() {
    m_pInst->Commit();
    // The binding loads a library only once it knows the core directory.
    fixture::PointKestrowIniAt(m_pInst->str());
    ASSERT_TRUE(LoadUserDataDll(m_pInst->str().c_str()));
  }

  std::unique_ptr<fixture::Installation> m_pInst;
};

TEST_F(UserInfoTest, ShowsTheUsersTextsProfileAndSlots) {
  Install();
  Bind();
  const struct {
    std::uint32_t userId;
    Shown expected;
  } cases[] = {
      {1001, {"Alice Ashby", "C:\\Palm", "C:\\Palm\\AshbyA", false, {}}},
      {1002,
       {"Bob Brown", "C:\\Palm", "C:\\Palm\\BrownB", true,
        {{"1", "5", "Secure Digital", "SD Card"}, {"2", "9", "Memory Stick", "Stick"}}}},
      // A user the library does not know: its calls fail and leave everything empty but the
      // root directory, which belongs to no user.
      {4242, {"", "C:\\Palm", "", false, {}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.userId);
    TfmUserInfo dlg;
    dlg.LoadUserInfo(c.userId);
    EXPECT_EQ(dlg.GetUserId(), c.userId);
    const Shown s = Read(dlg);
    EXPECT_EQ(s.name, c.expected.name);
    EXPECT_EQ(s.root, c.expected.root);
    EXPECT_EQ(s.data, c.expected.data);
    EXPECT_EQ(s.profile, c.expected.profile);
    EXPECT_EQ(s.rows, c.expected.rows);
  }
}

TEST_F(UserInfoTest, NamesEveryMediaTypeAndShowsReferencesSigned) {
  const struct {
    std::uint32_t dwType;
    const char* name;
  } types[] = {
      {FourCC("cfsh"), "Compact Flash"},   {FourCC("mstk"), "Memory Stick"},
      {FourCC("mmcd"), "Multimedia Card"}, {FourCC("pnps"), "Plug & Play Connector"},
      {FourCC("pose"), "Palm OS Emulator"}, {FourCC("ramd"), "RAM Disk"},
      {FourCC("sdig"), "Secure Digital"},  {FourCC("smed"), "SmartMedia"},
      {FourCC("wild"), "Not Specified"},   {FourCC("SDIG"), "Not Specified"},
      {0, "Not Specified"},                {0xFFFFFFFF, "Not Specified"},
  };
  fixture::User user{2001, "Carol", "C:\\Palm\\Carol", false, {}};
  std::vector<Row> expected;
  std::uint32_t ref = 100;
  for (const auto& t : types) {
    user.expansionSlots.push_back({ref, t.dwType, "slot " + std::to_string(ref)});
    expected.push_back({std::to_string(expected.size() + 1), std::to_string(ref), t.name,
                        "slot " + std::to_string(ref)});
    ++ref;
  }
  // A slot whose media type call fails and writes nothing, with a reference above 0x7FFFFFFF.
  user.expansionSlots.push_back({0xFFFFFFFE, FourCC("sdig"), "failing"});
  expected.push_back({std::to_string(expected.size() + 1), "-2", "Not Specified", "failing"});
  Install().AddUser(user).SetFault("media_type_fail", "4294967294");
  Bind();

  TfmUserInfo dlg;
  dlg.LoadUserInfo(2001);
  EXPECT_EQ(Read(dlg).rows, expected);
}

TEST_F(UserInfoTest, AMisreportingLibraryIsReadOnlyWithinTheBuffers) {
  // More references reported than the array holds, and texts that fill the whole buffer with
  // no terminator: the rows stop at the array, the texts at the buffer's last byte.
  Install().SetFault("slot_info_count", "60000").SetFault("unterminated_texts", "1");
  Bind();
  TfmUserInfo dlg;
  dlg.LoadUserInfo(1002);
  const Shown s = Read(dlg);
  auto Repeated = [](const std::string& text) {
    std::string r;
    while (r.size() < 255) r += text;
    return r.substr(0, 255);
  };
  EXPECT_EQ(s.name, Repeated("Bob Brown"));
  EXPECT_EQ(s.root, Repeated("C:\\Palm"));
  EXPECT_EQ(s.data, Repeated("C:\\Palm\\BrownB"));
  ASSERT_EQ(s.rows.size(), 2u);
  EXPECT_EQ(s.rows[1][1], "9");
  EXPECT_EQ(s.rows[1][3], Repeated("Stick"));
}

TEST_F(UserInfoTest, UnboundEntryPointsLeaveTheFieldsEmptyAndTheDialogStillOpens) {
  enum Library { kNoSlotCalls, kNoLibrary };
  for (Library lib : {kNoSlotCalls, kNoLibrary}) {
    SCOPED_TRACE(lib == kNoSlotCalls ? "UserData.dll without the slot calls" : "no UserData.dll");
    Install();
    if (lib == kNoSlotCalls) {
      m_pInst->UseVariant("UserData_noslots.dll", "UserData.dll");
      Bind();
    }
    TfmUserInfo dlg;
    dlg.LoadUserInfo(1002);
    const Shown s = Read(dlg);
    if (lib == kNoSlotCalls) {
      EXPECT_EQ(s.name, "Bob Brown");
      EXPECT_TRUE(s.profile);
    } else {
      // The binding answers -100 for every call: not a profile, no texts.
      EXPECT_EQ(s.name, "");
      EXPECT_EQ(s.root, "");
      EXPECT_EQ(s.data, "");
      EXPECT_FALSE(s.profile);
    }
    EXPECT_TRUE(s.rows.empty());

    int nResult = -1;
    EXPECT_TRUE(WithModal([&] { nResult = dlg.exec(); },
                          [](QDialog* p) { QTest::mouseClick(Child<QPushButton>(p, "btnClose"), Qt::LeftButton); }));
    EXPECT_EQ(nResult, QDialog::Accepted);
    FreeUserDataDll();
  }
}

}  // namespace
