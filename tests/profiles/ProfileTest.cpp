#include "src/core/OVProfile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ProfileTestUtil.h"

#include "tests/support/WriteFault.h"

namespace {

using profiles_test::Bytes;
using profiles_test::kQuickMs;
using profiles_test::Put32;
using profiles_test::ReadAll;
using profiles_test::ScratchDir;
using profiles_test::TimedMs;
using profiles_test::WriteAll;

using Recs = std::vector<ProfileRec>;

void AddAll(OVProfile& prof, const Recs& recs) {
  for (const ProfileRec& r : recs) ASSERT_NE(prof.AddRec(&r), nullptr);
}

// The records as FindRec and the file see them: read back through a save.
Recs RecordsOf(const std::string& path) {
  Recs recs;
  const Bytes b = ReadAll(path);
  auto at = [&](std::size_t o) {
    return static_cast<std::uint32_t>(b[o]) | static_cast<std::uint32_t>(b[o + 1]) << 8 |
           static_cast<std::uint32_t>(b[o + 2]) << 16 | static_cast<std::uint32_t>(b[o + 3]) << 24;
  };
  for (std::size_t o = 4; o + 8 <= b.size(); o += 8) recs.push_back({at(o), at(o + 4)});
  return recs;
}

// The records a profile holds, in order, without a file: each FindRec of a unique ID.
Recs Snapshot(OVProfile& prof, const std::string& scratchPath) {
  const std::string saved = prof.GetFileName();
  prof.SetFileName(scratchPath.c_str());
  EXPECT_TRUE(prof.Save());
  prof.SetFileName(saved.c_str());
  return RecordsOf(scratchPath);
}

const ProfileRec kMemo{0x6D656D6F, 1};
const ProfileRec kBackup{0xFFFFFFFF, 0x10002};

TEST(OVProfile, NewProfileDefaults) {
  OVProfile prof;
  EXPECT_STREQ(prof.GetDescription(), "Orvane Profile Description");
  EXPECT_STREQ(prof.GetFileName(), "");
  EXPECT_EQ(prof.GetCount(), 0u);
  EXPECT_EQ(prof.FindRec(0), nullptr);
  EXPECT_EQ(prof.AddRec(nullptr), nullptr);
  EXPECT_EQ(prof.GetCount(), 0u);
  EXPECT_FALSE(prof.Save()) << "no file name: nothing to write to";
  EXPECT_FALSE(prof.Load());
}

TEST(OVProfile, FileLayout) {
  struct Case {
    const char* name;
    Recs recs;
    Bytes expected;
  };
  const Case cases[] = {
      {"empty", {}, {0, 0, 0, 0}},
      {"memo and backup",
       {kMemo, kBackup},
       {0x02, 0, 0, 0, 0x6F, 0x6D, 0x65, 0x6D, 0x01, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x01, 0x00}},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::string path = dir.File("ovcurr.dat");
    OVProfile prof;
    AddAll(prof, c.recs);
    prof.SetFileName(path.c_str());
    EXPECT_TRUE(prof.Save()) << c.name;
    EXPECT_EQ(ReadAll(path), c.expected) << c.name;
    EXPECT_EQ(dir.List(), std::vector<std::string>{"ovcurr.dat"}) << c.name << ": no temporary file left";
  }
}

TEST(OVProfile, RoundTripKeepsOrderAndValues) {
  const Recs cases[] = {
      {},
      {kMemo, kBackup},
      {{0xFFFFFFFF, 0xFFFFFFFF}, {0, 0}, {0x64617465, 0x10008}},
      // One creator ID twice: both survive.
      {{0x61646472, 4}, {0x6D656D6F, 2}, {0x61646472, 0x10001}},
  };
  for (const Recs& recs : cases) {
    ScratchDir dir;
    const std::string path = dir.File("ovprof1.dat");
    {
      OVProfile prof;
      AddAll(prof, recs);
      prof.SetFileName(path.c_str());
      ASSERT_TRUE(prof.Save());
    }
    OVProfile back;
    back.SetFileName(path.c_str());
    AddAll(back, {{1, 1}});  // replaced by the load
    ASSERT_TRUE(back.Load());
    EXPECT_EQ(back.GetCount(), recs.size());
    EXPECT_EQ(Snapshot(back, dir.File("again.dat")), recs);
    for (const ProfileRec& r : recs) {
      const ProfileRec* found = back.FindRec(r.dwCreatorID);
      ASSERT_NE(found, nullptr);
      // The first record with that ID.
      for (const ProfileRec& first : recs) {
        if (first.dwCreatorID == r.dwCreatorID) {
          EXPECT_EQ(found->dwAction, first.dwAction);
          break;
        }
      }
    }
  }
}

TEST(OVProfile, FindRecGivesARecordToChangeInPlace) {
  ScratchDir dir;
  OVProfile prof;
  AddAll(prof, {{7, 1}, {9, 2}, {7, 4}});
  ProfileRec* rec = prof.FindRec(7);
  ASSERT_NE(rec, nullptr);
  rec->dwAction = 0x10001;
  EXPECT_EQ(prof.FindRec(9)->dwAction, 2u);
  EXPECT_EQ(prof.FindRec(42), nullptr);
  EXPECT_EQ(Snapshot(prof, dir.File("p.dat")), (Recs{{7, 0x10001}, {9, 2}, {7, 4}}));
}

// A description is cut to its buffer; a path never is: a cut path names another file, and a
// profile saved there would be lost or overwrite something else.
TEST(OVProfile, DescriptionsAreCutPathsKeptWhole) {
  const std::string longText(300, 'x');
  OVProfile prof;
  prof.SetDescription(longText.c_str());
  prof.SetFileName(longText.c_str());
  EXPECT_EQ(std::string(prof.GetDescription()), std::string(255, 'x'));
  EXPECT_EQ(std::string(prof.GetFileName()), longText);

  prof.SetDescription(nullptr);
  prof.SetFileName(nullptr);
  EXPECT_EQ(std::string(prof.GetDescription()).size(), 255u) << "null leaves the text unchanged";
  EXPECT_EQ(std::string(prof.GetFileName()), longText);

  prof.SetDescription("");
  EXPECT_STREQ(prof.GetDescription(), "");
}

TEST(OVProfile, LoadOfAMissingFileEmptiesTheProfile) {
  ScratchDir dir;
  OVProfile prof;
  AddAll(prof, {kMemo, kBackup});
  prof.SetFileName(dir.File("gone.dat").c_str());
  EXPECT_FALSE(prof.Load());
  EXPECT_EQ(prof.GetCount(), 0u);
  EXPECT_EQ(prof.FindRec(kMemo.dwCreatorID), nullptr);
  EXPECT_TRUE(dir.List().empty()) << "loading creates nothing";
}

// A file the tool did not write whole: Load is false and keeps the records read whole before
// the damage; bytes after the announced records are ignored.
TEST(OVProfile, DamagedFiles) {
  struct Case {
    const char* name;
    Bytes file;
    bool result;
    Recs kept;
  };
  auto make = [](std::uint32_t n, const Recs& recs, Bytes tail = {}) {
    Bytes b;
    Put32(b, n);
    for (const ProfileRec& r : recs) {
      Put32(b, r.dwCreatorID);
      Put32(b, r.dwAction);
    }
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
  };
  const Case cases[] = {
      {"empty file", {}, false, {}},
      {"count cut short", {2, 0}, false, {}},
      {"ends inside a record", make(3, {kMemo, kBackup}, {1, 2, 3, 4}), false, {kMemo, kBackup}},
      {"ends before a record", make(3, {kMemo}), false, {kMemo}},
      {"count 0xFFFFFFFF, nothing else", make(0xFFFFFFFF, {}), false, {}},
      {"count 4e9 with two records", make(4000000000u, {kMemo, kBackup}), false, {kMemo, kBackup}},
      {"bytes after the records", make(1, {kBackup}, {9, 9, 9}), true, {kBackup}},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::string path = dir.File("ovcurr.dat");
    WriteAll(path, c.file);
    OVProfile prof;
    AddAll(prof, {{5, 5}});
    prof.SetFileName(path.c_str());
    bool result = !c.result;
    EXPECT_LT(TimedMs([&] { result = prof.Load(); }), kQuickMs) << c.name;
    EXPECT_EQ(result, c.result) << c.name;
    EXPECT_EQ(prof.GetCount(), c.kept.size()) << c.name;
    EXPECT_EQ(Snapshot(prof, dir.File("kept.dat")), c.kept) << c.name;
    EXPECT_EQ(ReadAll(path), c.file) << c.name << ": loading never changes the file";
  }
}

TEST(OVProfile, FailedSaveReportsAndCreatesNothing) {
  ScratchDir dir;
  const std::string taken = dir.File("ovprof1.dat");
  profiles_test::fs::create_directory(taken);
  const std::string cases[] = {
      taken,                           // the target is a directory
      dir.File("missing/ovprof1.dat"),  // the directory does not exist
  };
  for (const std::string& path : cases) {
    OVProfile prof;
    AddAll(prof, {kMemo});
    prof.SetFileName(path.c_str());
    EXPECT_FALSE(prof.Save()) << path;
    EXPECT_EQ(dir.List(), std::vector<std::string>{"ovprof1.dat"}) << path << ": no file left behind";
    EXPECT_TRUE(profiles_test::fs::is_directory(taken));
  }
}

// A save that fails midway (a full disk after 100 bytes) reports false and leaves the previous
// file whole.
TEST(OVProfile, FailedSaveKeepsTheOldFile) {
  ScratchDir dir;
  const std::string path = dir.File("ovcurr.dat");
  const Bytes old{1, 0, 0, 0, 0x6F, 0x6D, 0x65, 0x6D, 1, 0, 0, 0};
  WriteAll(path, old);
  OVProfile prof;
  for (std::uint32_t i = 0; i < 10000; ++i) {
    const ProfileRec r{i, 1};
    prof.AddRec(&r);
  }
  prof.SetFileName(path.c_str());
  {
    testfiles::WriteFault fault(100);
    EXPECT_FALSE(prof.Save());
  }
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(dir.List().size(), 1u) << "no temporary file is left";
  EXPECT_TRUE(prof.Load());
  EXPECT_EQ(prof.GetCount(), 1u);
}

}  // namespace
