#include "src/core/OVProfile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "ProfileTestUtil.h"
#include "src/core/misc/ModuleDir.h"

#include "tests/support/WriteFault.h"

namespace {

using profiles_test::Bytes;
using profiles_test::kQuickMs;
using profiles_test::Put32;
using profiles_test::PutText;
using profiles_test::ReadAll;
using profiles_test::ScratchDir;
using profiles_test::TimedMs;
using profiles_test::WriteAll;

// (description, path) of every profile, in catalogue order.
using Entries = std::vector<std::pair<std::string, std::string>>;

Entries EntriesOf(OVProfMgr& mgr) {
  Entries out;
  for (OVProfile* p = mgr.GetFirst(); p; p = mgr.GetNext()) out.emplace_back(p->GetDescription(), p->GetFileName());
  return out;
}

void AddAll(OVProfMgr& mgr, const Entries& entries) {
  for (const auto& [desc, path] : entries) {
    OVProfile* p = mgr.NewProfile();
    ASSERT_NE(p, nullptr);
    p->SetDescription(desc.c_str());
    p->SetFileName(path.c_str());
  }
}

Bytes Catalogue(std::uint32_t n, const std::vector<std::string>& texts, Bytes tail = {}) {
  Bytes b;
  Put32(b, n);
  for (const std::string& s : texts) PutText(b, s);
  b.insert(b.end(), tail.begin(), tail.end());
  return b;
}

TEST(OVProfMgr, DefaultFileIsBesideTheExecutable) {
  char dir[260];
  ASSERT_TRUE(GetModuleDirectory(nullptr, dir, sizeof dir));
  OVProfMgr mgr;
  EXPECT_EQ(std::string(mgr.GetFileName()), std::string(dir) + "ovprof.dat");
  EXPECT_EQ(mgr.GetCount(), 0u);
  EXPECT_EQ(mgr.GetFirst(), nullptr);

  // No name: nothing is read or written. A long name is kept whole, never cut (a cut name is
  // another file); the system refuses it or not.
  OVProfMgr none(nullptr);
  EXPECT_STREQ(none.GetFileName(), "");
  EXPECT_FALSE(none.Load());
  EXPECT_FALSE(none.Save());
  const std::string tooLong(300, 'a');
  EXPECT_EQ(OVProfMgr(tooLong.c_str()).GetFileName(), tooLong);
}

TEST(OVProfMgr, NewProfileAppendsWithDefaults) {
  OVProfMgr mgr("unused");
  OVProfile* first = mgr.NewProfile();
  OVProfile* second = mgr.NewProfile();
  ASSERT_TRUE(first && second);
  EXPECT_EQ(mgr.GetCount(), 2u);
  EXPECT_EQ(mgr.GetFirst(), first);
  EXPECT_EQ(mgr.GetNext(), second);
  EXPECT_EQ(mgr.GetNext(), nullptr);
  EXPECT_STREQ(second->GetDescription(), "Orvane Profile Description");
  EXPECT_STREQ(second->GetFileName(), "");
  EXPECT_EQ(second->GetCount(), 0u);
  mgr.Clear();
  EXPECT_EQ(mgr.GetCount(), 0u);
  EXPECT_EQ(mgr.GetFirst(), nullptr);
}

TEST(OVProfMgr, FileLayout) {
  struct Case {
    const char* name;
    Entries entries;
    Bytes expected;
  };
  const Case cases[] = {
      {"empty", {}, {0, 0, 0, 0}},
      {"Work", {{"Work", "C:\\T\\ovprof1.dat"}},
       {0x01, 0, 0, 0, 0x04, 0, 0, 0, 0x57, 0x6F, 0x72, 0x6B, 0x10, 0, 0, 0,
        0x43, 0x3A, 0x5C, 0x54, 0x5C, 0x6F, 0x76, 0x70, 0x72, 0x6F, 0x66, 0x31, 0x2E, 0x64, 0x61, 0x74}},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::string path = dir.File("ovprof.dat");
    {
      OVProfMgr mgr(path.c_str());
      AddAll(mgr, c.entries);
      EXPECT_TRUE(mgr.Save()) << c.name;
    }
    EXPECT_EQ(ReadAll(path), c.expected) << c.name;
    EXPECT_EQ(dir.List(), std::vector<std::string>{"ovprof.dat"}) << c.name;

    OVProfMgr back(path.c_str());
    ASSERT_TRUE(back.Load()) << c.name;
    EXPECT_EQ(EntriesOf(back), c.entries) << c.name;
    for (OVProfile* p = back.GetFirst(); p; p = back.GetNext()) EXPECT_EQ(p->GetCount(), 0u) << "no records";
  }
}

TEST(OVProfMgr, RoundTripKeepsOrderAndTexts) {
  ScratchDir dir;
  const std::string path = dir.File("ovprof.dat");
  const Entries entries = {
      {"Work", dir.File("ovprof1.dat")},
      {"", dir.File("ovprof2.dat")},  // stored with length 0
      {std::string(255, 'd'), std::string(259, 'p')},
      {"Home \xE4\xF6", ""},
      {"Work", dir.File("ovprof4.dat")},
  };
  {
    OVProfMgr mgr(path.c_str());
    AddAll(mgr, entries);
    ASSERT_TRUE(mgr.Save());
  }
  OVProfMgr back(path.c_str());
  AddAll(back, {{"replaced", "by the load"}});
  ASSERT_TRUE(back.Load());
  EXPECT_EQ(EntriesOf(back), entries);
  // Saving what was loaded gives the same file.
  const Bytes first = ReadAll(path);
  ASSERT_TRUE(back.Save());
  EXPECT_EQ(ReadAll(path), first);
}

// A failed Load, for a missing or a damaged file, leaves the catalogue as it was, down to the
// profile objects themselves.
TEST(OVProfMgr, FailedLoadKeepsTheCatalogue) {
  ScratchDir dir;
  const std::string path = dir.File("ovprof.dat");
  const Entries earlier = {{"Work", "w.dat"}, {"Home", "h.dat"}};
  WriteAll(path, Catalogue(2, {"Work", "w.dat", "Home", "h.dat"}));
  OVProfMgr mgr(path.c_str());
  ASSERT_TRUE(mgr.Load());
  OVProfile* firstProfile = mgr.GetFirst();

  const std::string cases[] = {"missing", "damaged"};
  for (const std::string& c : cases) {
    if (c == "missing") profiles_test::fs::remove(path);
    else WriteAll(path, Catalogue(3, {"A", "a.dat", "B"}));
    EXPECT_FALSE(mgr.Load()) << c;
    EXPECT_EQ(EntriesOf(mgr), earlier) << c;
    EXPECT_EQ(mgr.GetFirst(), firstProfile) << c;
  }
}

// Every damaged catalogue is refused at once (false, catalogue unchanged); a negative string
// length reads as the empty string and bytes after the last entry are ignored.
TEST(OVProfMgr, DamagedFiles) {
  const Entries kEarlier = {{"Earlier", "e.dat"}};
  auto withLength = [](std::uint32_t n, std::uint32_t len, Bytes tail = {}) {
    Bytes b;
    Put32(b, n);
    Put32(b, len);
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
  };
  Bytes negDesc = withLength(1, 0xFFFFFFFF);
  PutText(negDesc, "n.dat");
  Bytes negPath = Catalogue(1, {"Neg"});
  Put32(negPath, 0x80000000);

  struct Case {
    const char* name;
    Bytes file;
    bool result;
    Entries after;
  };
  const Case cases[] = {
      {"empty file", {}, false, kEarlier},
      {"count cut short", {1, 0, 0}, false, kEarlier},
      {"count 0xFFFFFFFF, nothing else", {0xFF, 0xFF, 0xFF, 0xFF}, false, kEarlier},
      {"count 4e9 with one entry", Catalogue(4000000000u, {"A", "a.dat"}), false, kEarlier},
      {"ends inside a length", Catalogue(1, {"A"}, {4, 0}), false, kEarlier},
      {"ends inside a description", withLength(1, 4, {'W', 'o'}), false, kEarlier},
      {"ends before the path", Catalogue(1, {"Work"}), false, kEarlier},
      {"second entry missing", Catalogue(2, {"A", "a.dat"}), false, kEarlier},
      {"description of 256 bytes", Catalogue(1, {std::string(256, 'd'), "a.dat"}), false, kEarlier},
      {"path of 260 bytes", Catalogue(1, {"A", std::string(260, 'p')}), false, kEarlier},
      {"description length 0x7FFFFFFF", withLength(1, 0x7FFFFFFF, {'x', 'y'}), false, kEarlier},
      {"path length 0x7FFFFFFF", withLength(1, 0, {0xFF, 0xFF, 0xFF, 0x7F}), false, kEarlier},
      {"negative description length", negDesc, true, {{"", "n.dat"}}},
      {"negative path length", negPath, true, {{"Neg", ""}}},
      {"bytes after the last entry", Catalogue(1, {"A", "a.dat"}, {7, 7, 7}), true, {{"A", "a.dat"}}},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::string path = dir.File("ovprof.dat");
    WriteAll(path, c.file);
    OVProfMgr mgr(path.c_str());
    AddAll(mgr, kEarlier);
    bool result = !c.result;
    EXPECT_LT(TimedMs([&] { result = mgr.Load(); }), kQuickMs) << c.name;
    EXPECT_EQ(result, c.result) << c.name;
    EXPECT_EQ(EntriesOf(mgr), c.after) << c.name;
    EXPECT_EQ(ReadAll(path), c.file) << c.name << ": loading never changes the file";
  }
}

TEST(OVProfMgr, FailedSaveReportsAndCreatesNothing) {
  ScratchDir dir;
  const std::string taken = dir.File("ovprof.dat");
  profiles_test::fs::create_directory(taken);
  const struct {
    std::string path;
    std::string profilePath;
  } cases[] = {
      {taken, "w.dat"},                           // the target is a directory
      {dir.File("missing/ovprof.dat"), "w.dat"},  // the directory does not exist
      // A profile path longer than the file's 259 bytes: every reader would refuse the file.
      {dir.File("other.dat"), std::string(260, 'p')},
  };
  for (const auto& [path, profilePath] : cases) {
    OVProfMgr mgr(path.c_str());
    AddAll(mgr, {{"Work", profilePath}});
    EXPECT_FALSE(mgr.Save()) << path;
    EXPECT_EQ(dir.List(), std::vector<std::string>{"ovprof.dat"}) << path << ": no file left behind";
    EXPECT_TRUE(profiles_test::fs::is_directory(taken));
    EXPECT_EQ(mgr.GetCount(), 1u) << "the catalogue in memory is kept";
  }
}

// A save that fails midway (a full disk after 100 bytes) reports false and leaves the previous
// catalogue file whole.
TEST(OVProfMgr, FailedSaveKeepsTheOldFile) {
  ScratchDir dir;
  const std::string path = dir.File("ovprof.dat");
  const Bytes old = Catalogue(1, {"Work", "w.dat"});
  WriteAll(path, old);
  OVProfMgr mgr(path.c_str());
  for (int i = 0; i < 10; ++i) mgr.NewProfile()->SetDescription(std::string(255, 'd').c_str());
  {
    testfiles::WriteFault fault(100);
    EXPECT_FALSE(mgr.Save());
  }
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(dir.List().size(), 1u) << "no temporary file is left";
  EXPECT_TRUE(mgr.Load());
  EXPECT_EQ(mgr.GetCount(), 1u);
}

}  // namespace
