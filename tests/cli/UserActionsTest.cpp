// The logic under orvanectl: reading sync preferences back, and profiles as text.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "src/core/os/os.h"
#include "src/core/OVUtil.h"
#include "src/core/ProfileText.h"
#include "src/core/UserActions.h"
#include "tests/support/PalmFixture.h"

// Records compare by both fields (found by argument lookup, so beside ProfileRec).
static bool operator==(const ProfileRec& a, const ProfileRec& b) {
  return a.dwCreatorID == b.dwCreatorID && a.dwAction == b.dwAction;
}

namespace {

TEST(UserActions, CodesAreNamedInTheUserDataLibrarysNumbering) {
  const struct {
    std::int32_t code;
    const char* name;
  } cases[] = {{0, "Synchronize the files"}, {1, "Desktop overwrites handheld"}, {2, "Handheld overwrites Desktop"},
               {3, "Do Nothing"},           {4, "Custom"},                      {5, "Unknown (5)"},
               {-1, "Unknown (-1)"},         {2147483647, "Unknown (2147483647)"}};
  for (const auto& c : cases) EXPECT_EQ(SyncPrefName(c.code), c.name) << c.code;
}

// A failed read is told as such, and a one-time read that fails is not replaced by the default.
TEST(UserActions, AFailedReadIsNeverReplacedByAGuess) {
  char cwd[4096];
  ASSERT_TRUE(os::GetCurrentDirectory(cwd, sizeof cwd));
  {
    fixture::Installation inst;
    fixture::User ann;
    ann.id = 7;
    ann.name = "Ann";
    ann.directory = "ann";
    inst.AddUser(ann);
    inst.Commit();
    fixture::PointKestrowIniAt(inst.str());
    ASSERT_TRUE(LoadPalmLibs(PLIB_USERDATA | PLIB_CONDMGR));

    const PrefRead perm = ReadPermPref(8, 0x6D656D6F);  // no such user
    EXPECT_EQ(perm.state, PrefRead::State::Failed);
    EXPECT_EQ(PrefReadText(perm), "read failed (error -505)");
    PrefRead known;
    known.state = PrefRead::State::Set;
    known.nCode = 1;
    const PrefRead next = ReadNextPref(8, 0x6D656D6F, known);
    EXPECT_EQ(next.state, PrefRead::State::Failed);
    EXPECT_EQ(next.nResult, -505);

    // Never written: "not set", and the next HotSync follows the default.
    EXPECT_EQ(PrefReadText(ReadPermPref(7, 0x6D656D6F)), "not set");
    const PrefRead fallback = ReadNextPref(7, 0x6D656D6F, known);
    EXPECT_EQ(fallback.state, PrefRead::State::Set);
    EXPECT_EQ(fallback.nCode, 1);
    EXPECT_FALSE(fallback.bOneTime);
    FreePalmLibs(PLIB_ALL);
  }
  // Nothing bound: the binding's own -100.
  EXPECT_EQ(PrefReadText(ReadPermPref(7, 0x6D656D6F)), "read failed (error -100)");
  os::SetCurrentDirectory(cwd);
  fixture::RemoveKestrowIni();
}

// A user by name or by ID; text that could name two different users names neither.
TEST(UserActions, FindUserNeverGuessesBetweenANameAndAnID) {
  const auto user = [](std::uint32_t id, const char* name) {
    UserRecord u{};
    u.userId = id;
    std::snprintf(u.szName, sizeof u.szName, "%s", name);
    return u;
  };
  // "271828" is the name of user 31 and Ann's ID; "7" is the name and the ID of one user; Eve
  // and eve differ in case only; Carl and Carla share the ID 500.
  const UserRecord users[] = {user(271828, "Ann"), user(7, "7"),      user(31, "271828"), user(40, "Eve"),
                              user(41, "eve"),     user(500, "Carl"), user(500, "Carla")};
  std::vector<const UserRecord*> all;
  for (const UserRecord& u : users) all.push_back(&u);
  const struct {
    const char* key;
    Lookup expected;
    std::uint32_t id;  // the user found
  } cases[] = {
      {"Ann", Lookup::Found, 271828},
      {"ann", Lookup::Found, 271828},       // case ignored when nothing matches exactly
      {"271828", Lookup::Ambiguous, 0},     // user 31's name, Ann's ID
      {"31", Lookup::Found, 31},            // an ID nobody is named
      {"7", Lookup::Found, 7},              // name and ID of the same user
      {"Eve", Lookup::Found, 40},           // exact beats ignoring case
      {"EVE", Lookup::Ambiguous, 0},        // two users ignoring case
      {"500", Lookup::Ambiguous, 0},        // an ID two users have
      {"Carl", Lookup::Found, 500},
      {"8", Lookup::NotFound, 0},
      {"", Lookup::NotFound, 0},
      {"4294967296", Lookup::NotFound, 0},  // past 32 bits: no ID
  };
  for (const auto& c : cases) {
    const UserRecord* pFound = nullptr;
    EXPECT_EQ(FindUser(all, c.key, &pFound), c.expected) << c.key;
    if (c.expected == Lookup::Found) {
      ASSERT_NE(pFound, nullptr) << c.key;
      EXPECT_EQ(pFound->userId, c.id) << c.key;
      if (std::string(c.key) == "Carl") {
        EXPECT_STREQ(pFound->szName, "Carl");
      }
    } else {
      EXPECT_EQ(pFound, nullptr) << c.key << ": nothing is handed out unless found";
    }
  }
}

// Every creator ID and every action comes back as written, whatever its bytes.
TEST(ProfileText, WhatIsWrittenReadsBackTheSame) {
  const std::vector<ProfileRec> recs = {
      {0x6D656D6F, 1},           {0xFFFFFFFF, 0x10002}, {0x30783132, 8},  // "0x12" would read as a number
      {0x61232062, 0x10008},     {0x00000001, 7},       {0x41424320, 0xFFFFFFFF},
      {0x7F414243, 0x20001},     {0x74736E49, 0},       {0xE4616263, 4},
  };
  const std::string text = FormatProfileText(recs, "Office\nfloor 2", [](std::uint32_t id) {
    return std::string(id == 0x6D656D6F ? "Memo # Pad\r" : "");
  });
  EXPECT_EQ(text.rfind("Orvane conduit profile 1\n# Office floor 2\n", 0), 0u) << text;
  EXPECT_NE(text.find("memo       sync                    # Memo # Pad \n"), std::string::npos) << text;
  EXPECT_NE(text.find("0x30783132 nothing\n"), std::string::npos) << text;
  EXPECT_NE(text.find("0x41424320 0xFFFFFFFF\n"), std::string::npos) << text;
  const ProfileReadResult read = ParseProfileText(text);
  ASSERT_TRUE(read.bOk) << read.nLine << ": " << read.error;
  EXPECT_EQ(read.recs, recs);
}

TEST(ProfileText, HandWrittenFilesReadAsExpected) {
  const ProfileReadResult read = ParseProfileText(
      "\xEF\xBB\xBF\r\n  Orvane   conduit profile 1  \r\n"
      "\tMEMO\tOFF:Handheld-Overwrites\t# comment\r\n"
      "date 0x10004#no blank needed\n"
      "0x1 65536\n"
      "# the end, without a line end");
  ASSERT_TRUE(read.bOk) << read.nLine << ": " << read.error;
  EXPECT_EQ(read.recs, (std::vector<ProfileRec>{{0x4D454D4F, 0x10004}, {0x64617465, 0x10004}, {1, 0x10000}}));
}

}  // namespace
