// The description reader and writer, and the journal fold.
#include <gtest/gtest.h>

#include <string>

#include "palmdesk/Description.h"

namespace {

using palmdesk::Description;
using palmdesk::ParseDescription;

TEST(Description, ReadsEveryKindOfLine) {
  const Description d = ParseDescription(
      "# comment\r\n"
      "; another\n"
      "root = C:\\Palm\n"
      "backup = Backup20.dll\n"
      "user = 0x10 | Alice%20Smith%7C1 | C:\\Palm\\SmithA | 1\n"
      "slot = 5 | sdig | SD Card\n"
      "slot = 6 | 0x00000001 |\n"
      "user = 17 |  Bob  | | no\n"
      "conduit = addr | addrcond.dll | Address Book | address | address.dat | AddressDB | info | 1 | 2\n"
      "conduit = memo | memocond.dll\n"
      "install = %00%01AB | inst.dll | Install | dir | prc;pdb | 3\n"
      "name = AddrCond.DLL | Address Book\n"
      "fault.user_count = -3\n"
      "fault.install_info_fail = 1, 4:-520\n"
      "fault.hostile_future_switch = anything | at all\n");
  EXPECT_TRUE(d.problems.empty()) << d.problems.front();
  EXPECT_EQ(d.root, "C:\\Palm");
  EXPECT_EQ(d.backup, "Backup20.dll");
  ASSERT_EQ(d.users.size(), 2u);
  EXPECT_EQ(d.users[0].id, 16u);
  EXPECT_EQ(d.users[0].name, "Alice Smith|1");
  EXPECT_EQ(d.users[0].directory, "C:\\Palm\\SmithA");
  EXPECT_TRUE(d.users[0].profile);
  ASSERT_EQ(d.users[0].expansionSlots.size(), 2u);
  EXPECT_EQ(d.users[0].expansionSlots[0].mediaType, 0x73646967u);
  EXPECT_EQ(d.users[0].expansionSlots[1].mediaType, 1u);
  EXPECT_EQ(d.users[0].expansionSlots[1].name, "");
  EXPECT_EQ(d.users[1].name, "Bob");
  EXPECT_FALSE(d.users[1].profile);
  ASSERT_EQ(d.conduits.size(), 2u);
  EXPECT_EQ(d.conduits[0].remote, "AddressDB");
  EXPECT_EQ(d.conduits[0].integrate, 1u);
  EXPECT_EQ(d.conduits[1].title, "");
  EXPECT_EQ(d.conduits[1].priority, 2u);
  ASSERT_EQ(d.installConduits.size(), 1u);
  EXPECT_EQ(d.installConduits[0].creator, std::string("\0\1AB", 4));
  EXPECT_EQ(d.installConduits[0].mask, 3u);
  ASSERT_NE(d.FindModuleName("addrcond.dll"), nullptr);
  EXPECT_EQ(*d.FindModuleName("addrcond.dll"), "Address Book");
  EXPECT_TRUE(d.faults.userCount.has_value());
  EXPECT_EQ(d.faults.userCount, -3);
  ASSERT_EQ(d.faults.installInfoFail.size(), 2u);
  EXPECT_EQ(d.faults.installInfoFail[0].result, 0);
  EXPECT_EQ(d.faults.installInfoFail[1].key, 4u);
  EXPECT_EQ(d.faults.installInfoFail[1].result, -520);
  EXPECT_EQ(d.faultText.at("hostile_future_switch"), "anything | at all");
}

TEST(Description, WriterAndReaderAgree) {
  Description d;
  d.hasRoot = true;
  d.root = " lead and trail ";
  d.users.push_back({4000000000u, "100% | odd\tname\x7f\xe9", "dir", true, {{1, 0x30783132, "0x12 as text"}, {2, 0x20202020, ""}}});
  d.conduits.push_back({"a|%b", "m.dll", "T", "d", "f", "r", "i", 7, 9});
  d.installConduits.push_back({std::string("\xff\0 |", 4), "i.dll", "N", "", "", 0});
  d.moduleNames["x.dll"] = "X";
  d.faultText["user_count"] = "-1";
  const Description back = ParseDescription(palmdesk::FormatDescription(d));
  EXPECT_TRUE(back.problems.empty());
  EXPECT_EQ(back.root, d.root);
  ASSERT_EQ(back.users.size(), 1u);
  EXPECT_EQ(back.users[0].id, d.users[0].id);
  EXPECT_EQ(back.users[0].name, d.users[0].name);
  ASSERT_EQ(back.users[0].expansionSlots.size(), 2u);
  EXPECT_EQ(back.users[0].expansionSlots[0].mediaType, 0x30783132u);  // "0x12" stays a code
  EXPECT_EQ(back.users[0].expansionSlots[1].mediaType, 0x20202020u);
  ASSERT_EQ(back.conduits.size(), 1u);
  EXPECT_EQ(back.conduits[0].creator, "a|%b");
  EXPECT_EQ(back.conduits[0].priority, 9u);
  ASSERT_EQ(back.installConduits.size(), 1u);
  EXPECT_EQ(back.installConduits[0].creator, d.installConduits[0].creator);
  EXPECT_EQ(back.moduleNames, d.moduleNames);
  EXPECT_EQ(back.faults.userCount, -1);
}

TEST(Description, SkipsWhatItCannotReadAndKeepsTheRest) {
  const char* bad[] = {
      "no equals sign",
      "user = notanumber | A | d | 0",
      "user = 5 | A | d | maybe",
      "user = 99999999999 | A | d | 0",
      "slot = 1 | sdig | before any user",
      "conduit = c | m | t | d | f | r | i | x",
      "install = c | m | n | d | e | -1",
      "name = | nameless",
      "fault.user_count = lots",
      "fault.install_info_fail = 1,,x:2",
      "colour = blue",
  };
  for (const char* line : bad) {
    SCOPED_TRACE(line);
    const Description d = ParseDescription(std::string(line) + "\nuser = 1 | Kept | d | 0\n");
    EXPECT_EQ(d.problems.size(), 1u);
    ASSERT_EQ(d.users.size(), 1u);
    EXPECT_EQ(d.users[0].name, "Kept");
    EXPECT_TRUE(d.conduits.empty());
    EXPECT_FALSE(d.faults.userCount.has_value());
  }
}

TEST(Description, HostileInputIsCappedNotTrusted) {
  // Every byte value, lone escapes and a truncated last line.
  std::string junk;
  for (int i = 0; i < 256; ++i) junk += static_cast<char>(i);
  Description d = ParseDescription(junk + "\nuser = 1 | %4 | %%zz | 0\nuser = 2 | x%");
  ASSERT_EQ(d.users.size(), 2u);
  EXPECT_EQ(d.users[0].name, "%4");
  EXPECT_EQ(d.users[0].directory, "%%zz");
  EXPECT_EQ(d.users[1].name, "x%");

  // Counts and lengths are capped.
  std::string many;
  for (std::size_t i = 0; i < palmdesk::kMaxUsers + 10; ++i) many += "user = " + std::to_string(i) + " | u | d | 0\n";
  many += "user = 1 | " + std::string(palmdesk::kMaxText + 100, 'n') + " | d | 0\n";
  many += "conduit = " + std::string(palmdesk::kMaxLine + 1, 'c') + "\n";
  d = ParseDescription(many);
  EXPECT_EQ(d.users.size(), palmdesk::kMaxUsers);
  EXPECT_TRUE(d.conduits.empty());
  EXPECT_LE(d.problems.size(), palmdesk::kMaxProblems);

  const Description one = ParseDescription("user = 1 | " + std::string(palmdesk::kMaxText + 100, 'n') + " | d | 0\n");
  ASSERT_EQ(one.users.size(), 1u);
  EXPECT_EQ(one.users[0].name.size(), palmdesk::kMaxText);
}

TEST(Journal, FoldKeepsTheLastWriteAndWaitsForWholeLines) {
  palmdesk::JournalFold fold;
  const std::string first = palmdesk::FormatJournalLine({true, 1, 0x61646472, 1});
  EXPECT_EQ(first, "perm 1 0x61646472 1\n");
  const std::string text = first + "temp 1 0x61646472 3\r\n" + "garbage line\n" + "perm 1 1633969266 2\n" +
                           "perm 2 0xFFFFFFFF -7\n" + "perm 1 0x61646472 0";  // last line not finished
  const std::size_t used = fold.Add(text);
  EXPECT_EQ(used, text.rfind('\n') + 1);
  std::int32_t code = 99;
  ASSERT_TRUE(fold.Find(true, 1, 0x61646472, &code));
  EXPECT_EQ(code, 2);  // 1633969266 is 0x61646472; the unfinished 0 is not taken yet
  ASSERT_TRUE(fold.Find(false, 1, 0x61646472, &code));
  EXPECT_EQ(code, 3);
  ASSERT_TRUE(fold.Find(true, 2, 0xFFFFFFFF, &code));
  EXPECT_EQ(code, -7);
  EXPECT_FALSE(fold.Find(false, 2, 0xFFFFFFFF, &code));

  fold.Add(text.substr(used) + "\n");
  ASSERT_TRUE(fold.Find(true, 1, 0x61646472, &code));
  EXPECT_EQ(code, 0);

  const auto lines = palmdesk::ParseJournal(text);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_FALSE(lines[1].permanent);
}

}  // namespace
