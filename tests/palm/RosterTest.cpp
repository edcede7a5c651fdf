// The handheld user roster, read from the user data library.
#include <cstring>
#include <string>
#include <vector>

#include "tests/palm/PalmTest.h"

namespace {

using palmtest::MakeUser;
using palmtest::PalmTest;

// The roster's records, front to back.
std::vector<const UserRecord*> Records() {
  std::vector<const UserRecord*> out;
  CxList* roster = GetUserRoster();
  if (!roster) return out;
  for (void* p = roster->GetFirst(); p; p = roster->GetNext()) out.push_back(static_cast<const UserRecord*>(p));
  return out;
}

class RosterTest : public PalmTest {
 protected:
  // An installation of all four libraries with these users, found through kestrow.ini and
  // loaded.
  fixture::Installation& Loaded(const std::vector<fixture::User>& users) {
    fixture::Installation& inst = Install();
    for (const fixture::User& u : users) inst.AddUser(u);
    inst.Commit();
    fixture::PointKestrowIniAt(inst.str());
    EXPECT_TRUE(LoadPalmLibs(PLIB_ALL));
    return inst;
  }
};

TEST_F(RosterTest, UsersAreListedInTheLibrarysIndexOrder) {
  Loaded({MakeUser(30, "Carol", "Carol"), MakeUser(10, "Ann", "C:\\Palm\\Ann"), MakeUser(20, "Bob Smith", "BobS")});
  EXPECT_TRUE(BuildUserRoster());
  const std::vector<const UserRecord*> users = Records();
  ASSERT_EQ(users.size(), 3u);
  EXPECT_EQ(users[0]->userId, 30u);
  EXPECT_STREQ(users[0]->szName, "Carol");
  EXPECT_STREQ(users[0]->szDirectory, "Carol");
  EXPECT_EQ(users[1]->userId, 10u);
  EXPECT_STREQ(users[1]->szName, "Ann");
  EXPECT_STREQ(users[1]->szDirectory, "C:\\Palm\\Ann");
  EXPECT_EQ(users[2]->userId, 20u);
  EXPECT_STREQ(users[2]->szName, "Bob Smith");
  EXPECT_STREQ(users[2]->szDirectory, "BobS");
  EXPECT_TRUE(Messages().empty());

  // Building again replaces the roster.
  EXPECT_TRUE(BuildUserRoster());
  EXPECT_EQ(GetUserRoster()->GetCount(), 3u);
}

// The stand-in answers "buffer too small" with an empty text when text and terminator do not
// fit what it is offered, so the longest texts that come through show the capacities offered:
// 64 for a name and 256 for a directory, terminators included.
TEST_F(RosterTest, NamesGet64AndDirectoriesGet256Characters) {
  const std::string name63(63, 'n'), name64(64, 'N');
  const std::string dir255(255, 'd'), dir256(256, 'D');
  Loaded({MakeUser(1, name63, dir255), MakeUser(2, name64, dir256)});
  EXPECT_TRUE(BuildUserRoster());
  const std::vector<const UserRecord*> users = Records();
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(users[0]->szName, name63);
  EXPECT_EQ(users[0]->szDirectory, dir255);
  EXPECT_STREQ(users[1]->szName, "");
  EXPECT_STREQ(users[1]->szDirectory, "");
  EXPECT_EQ(users[1]->userId, 2u);
}

TEST_F(RosterTest, AUserWhoseDetailsFailIsListedWithEmptyFields) {
  fixture::Installation& inst = Install();
  inst.AddUser(MakeUser(1, "Ann", "AnnDir"))
      .AddUser(MakeUser(2, "Bob", "BobDir"))
      .SetFault("user_name_fail", "2")
      .SetFault("user_directory_fail", "1")
      .Commit();
  fixture::PointKestrowIniAt(inst.str());
  ASSERT_TRUE(LoadPalmLibs(PLIB_ALL));

  EXPECT_TRUE(BuildUserRoster());
  const std::vector<const UserRecord*> users = Records();
  ASSERT_EQ(users.size(), 2u);
  EXPECT_STREQ(users[0]->szName, "Ann");
  EXPECT_STREQ(users[0]->szDirectory, "");
  EXPECT_STREQ(users[1]->szName, "");
  EXPECT_STREQ(users[1]->szDirectory, "BobDir");
}

TEST_F(RosterTest, ANegativeUserCountIsReportedOnceAndLeavesAnEmptyRoster) {
  struct Case {
    const char* what;
    unsigned libs;         // the libraries the installation has
    const char* userCount;  // fault switch, or nullptr
    bool result;
    std::size_t messages;
  };
  const Case cases[] = {
      {"library reports -3", PLIB_ALL, "-3", false, 1},
      {"library reports -32768", PLIB_ALL, "-32768", false, 1},
      {"UserData.dll missing", PLIB_CONDMGR, nullptr, false, 1},
      {"no users", PLIB_ALL, nullptr, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Messages().clear();
    fixture::Installation& inst = Install(c.libs);
    if (c.userCount) inst.SetFault("user_count", c.userCount);
    inst.Commit();
    fixture::PointKestrowIniAt(inst.str());
    LoadPalmLibs(PLIB_ALL);

    EXPECT_EQ(BuildUserRoster(), c.result);
    ASSERT_NE(GetUserRoster(), nullptr);
    EXPECT_EQ(GetUserRoster()->GetCount(), 0u);
    ASSERT_EQ(Messages().size(), c.messages);
    if (c.messages) {
      EXPECT_EQ(Messages()[0].text, "Can not find any Palm users in your desktop environment.");
      EXPECT_EQ(Messages()[0].caption, "Error");
      EXPECT_EQ(Messages()[0].icon, ov::MessageIcon::Error);
    }
    FreeUserRoster();
    FreePalmLibs(PLIB_ALL);
  }
}

TEST_F(RosterTest, FreeingTwiceIsHarmless) {
  EXPECT_EQ(GetUserRoster(), nullptr);
  EXPECT_TRUE(FreeUserRoster());  // nothing built yet
  Loaded({MakeUser(1, "Ann", "AnnDir"), MakeUser(2, "Bob", "BobDir")});
  ASSERT_TRUE(BuildUserRoster());
  EXPECT_TRUE(FreeUserRoster());
  EXPECT_EQ(GetUserRoster(), nullptr);
  EXPECT_TRUE(FreeUserRoster());
  EXPECT_EQ(GetUserRoster(), nullptr);
}

// A library that fills the whole buffer and leaves no terminator: the record still ends in one,
// and nothing is written past the field.
TEST_F(RosterTest, ATextWithoutTerminatorIsCutToItsField) {
  fixture::Installation& inst = Install();
  inst.AddUser(MakeUser(5, "Ann", "AnnDir")).SetFault("unterminated_texts", "1").Commit();
  fixture::PointKestrowIniAt(inst.str());
  ASSERT_TRUE(LoadPalmLibs(PLIB_ALL));

  auto repeated = [](const std::string& text, std::size_t length) {
    std::string out;
    while (out.size() < length) out += text;
    return out.substr(0, length);
  };
  EXPECT_TRUE(BuildUserRoster());
  const std::vector<const UserRecord*> users = Records();
  ASSERT_EQ(users.size(), 1u);
  EXPECT_EQ(users[0]->userId, 5u);
  EXPECT_EQ(users[0]->szName, repeated("Ann", 63));
  EXPECT_EQ(users[0]->szDirectory, repeated("AnnDir", 255));
}

}  // namespace
