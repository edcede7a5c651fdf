// The shared profile rules: finding a profile by what is typed, storable descriptions, saving a
// profile into the catalogue, and replacing an exported file safely.
#include "src/core/ProfileStore.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <utility>
#include <string>
#include <vector>

#include "ProfileTestUtil.h"
#include "src/core/DataFiles.h"
#include "src/core/os/os.h"
#include "tests/support/WriteFault.h"

#ifndef _WIN32
#include <sys/stat.h>  // mkfifo, for the FIFO cases
#endif

namespace {

using profiles_test::Bytes;
using profiles_test::kQuickMs;
using profiles_test::ReadAll;
using profiles_test::ScratchDir;
using profiles_test::TimedMs;
using profiles_test::WriteAll;
using testfiles::WriteFault;

using Recs = std::vector<ProfileRec>;
namespace fs = std::filesystem;

Bytes AsBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
std::string AsText(const Bytes& b) { return std::string(b.begin(), b.end()); }

Recs RecordsIn(const std::string& path) {
  OVProfile p;
  p.SetFileName(path.c_str());
  EXPECT_TRUE(p.Load()) << path;
  return p.GetRecords();
}

std::vector<std::string> Descriptions(OVProfMgr& mgr) {
  std::vector<std::string> out;
  for (OVProfile* p = mgr.GetFirst(); p; p = mgr.GetNext()) out.emplace_back(p->GetDescription());
  return out;
}

// -------------------------------------------------------------------------------------------------
// FindProfile

TEST(FindProfile, DescriptionThenNumberAndNeverAGuess) {
  OVProfMgr mgr("");
  for (const char* d : {"Office", "office", "Home", "2", "Lab", "6"}) mgr.NewProfile()->SetDescription(d);
  const struct {
    std::string key;
    Lookup expected;
    const char* found;  // the description of the profile found
  } cases[] = {
      {"Office", Lookup::Found, "Office"},     // exact, though "office" matches ignoring case
      {"office", Lookup::Found, "office"},
      {"OFFICE", Lookup::Ambiguous, nullptr},  // two ignoring case: never the newest
      {"home", Lookup::Found, "Home"},
      {"3", Lookup::Found, "Home"},            // the third in the list
      {"003", Lookup::Found, "Home"},
      {"2", Lookup::Ambiguous, nullptr},       // profile 4's description, profile 2's number
      {"6", Lookup::Found, "6"},               // description and number of the same profile
      {"7", Lookup::NotFound, nullptr},
      {"0", Lookup::NotFound, nullptr},
      {"99999999999999999999999999", Lookup::NotFound, nullptr},
      {"Lab ", Lookup::NotFound, nullptr},     // no trimming
      {"", Lookup::NotFound, nullptr},
  };
  for (const auto& c : cases) {
    OVProfile* pFound = nullptr;
    EXPECT_EQ(FindProfile(mgr, c.key, &pFound), c.expected) << '"' << c.key << '"';
    if (c.found) {
      ASSERT_NE(pFound, nullptr) << c.key;
      EXPECT_STREQ(pFound->GetDescription(), c.found) << c.key;
    } else {
      EXPECT_EQ(pFound, nullptr) << c.key;
    }
  }
}

// -------------------------------------------------------------------------------------------------
// Descriptions

TEST(StorableDescription, RefusesOnlyWhatBreaksTheCatalogueAndCutsOnlyWhenAsked) {
  const std::string d254(254, 'd'), d255(255, 'd');
  const struct {
    const char* what;
    std::string text;
    bool bCutOk;       // accepted with LongDescription::Cut
    std::string kept;  // what is stored then
    bool bRefuseOk;    // accepted with LongDescription::Refuse (and by IsStorableDescription)
    const char* why;   // part of the reason when refused
  } cases[] = {
      {"plain", "Work", true, "Work", true, ""},
      {"blanks alone", "   ", true, "   ", true, ""},
      {"a tab", "a\tb", true, "a\tb", true, ""},
      {"empty", "", false, "", false, "at least one character"},
      {"zero byte", std::string("a\0b", 3), false, "", false, "zero byte"},
      {"carriage return", "a\rb", false, "", false, "line break"},
      {"line feed", "a\nb", false, "", false, "line break"},
      {"254 bytes", d254, true, d254, true, ""},
      {"255 bytes", d255, true, d254, false, "at most 254 bytes; this one has 255"},
      {"a line feed past the cut", d255 + "\n", false, "", false, "line break"},
#ifndef _WIN32
      {"cut on a whole character", std::string(253, 'a') + "\xC3\xA9", true, std::string(253, 'a'), false, "at most"},
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string kept = "unchanged", why;
    EXPECT_EQ(StorableDescription(c.text, LongDescription::Cut, &kept, &why), c.bCutOk);
    if (c.bCutOk) {
      EXPECT_EQ(kept, c.kept);
    }
    kept = "unchanged";
    EXPECT_EQ(StorableDescription(c.text, LongDescription::Refuse, &kept, &why), c.bRefuseOk);
    EXPECT_EQ(IsStorableDescription(c.text, nullptr), c.bRefuseOk);
    if (c.bRefuseOk) {
      EXPECT_EQ(kept, c.text) << "stored as given";
    } else {
      EXPECT_EQ(kept, "unchanged");
      EXPECT_NE(why.find(c.why), std::string::npos) << why;
    }
  }
}

// -------------------------------------------------------------------------------------------------
// ImportProfile

struct ImportFixture : ::testing::Test {
  ScratchDir dir;
  std::string catalogue = dir.File("ovprof.dat");
  OVProfMgr mgr{catalogue.c_str()};
  const Recs recs{{0x6D656D6F, 1}, {0x64617465, 0x10002}};
  const Recs other{{0x61646472, 4}};

  // Imports under description into file name (in the scratch directory); the report.
  ImportReport Import(const std::string& description, const Recs& r, bool bReplace, const char* name) {
    ImportReport report;
    const std::string path = dir.File(name);
    const bool bOk = ImportProfile(mgr, r, description, bReplace, &report, path.c_str());
    EXPECT_EQ(bOk, report.failure == ImportReport::Failure::None) << report.why;
    return report;
  }
};

TEST_F(ImportFixture, SavesTheFileThenTheCatalogue) {
  ImportReport r = Import("Office", recs, false, "ovprof1.dat");
  ASSERT_EQ(r.failure, ImportReport::Failure::None);
  EXPECT_EQ(r.nNumber, 1u);
  EXPECT_EQ(r.file, dir.File("ovprof1.dat"));
  EXPECT_FALSE(r.bReplaced);
  ASSERT_NE(r.pProfile, nullptr);
  EXPECT_STREQ(r.pProfile->GetDescription(), "Office");
  EXPECT_EQ(RecordsIn(dir.File("ovprof1.dat")), recs);

  r = Import("Home", other, false, "ovprof2.dat");
  EXPECT_EQ(r.nNumber, 2u);
  // What is on disk: a fresh catalogue reads both.
  OVProfMgr fresh(catalogue.c_str());
  ASSERT_TRUE(fresh.Load());
  EXPECT_EQ(Descriptions(fresh), (std::vector<std::string>{"Office", "Home"}));
}

// A description already there is refused without bReplace (letter case ignored), and with it the
// profile's own file is rewritten and the catalogue keeps one entry.
TEST_F(ImportFixture, AnExistingDescriptionIsReplacedOnlyWhenAsked) {
  ASSERT_EQ(Import("Office", recs, false, "ovprof1.dat").failure, ImportReport::Failure::None);
  const Bytes catalogueBefore = ReadAll(catalogue);
  const Bytes fileBefore = ReadAll(dir.File("ovprof1.dat"));

  ImportReport r = Import("OFFICE", other, false, "ovprof2.dat");
  EXPECT_EQ(r.failure, ImportReport::Failure::DescriptionExists);
  EXPECT_NE(r.why.find("Profile 1 is described \"Office\" already."), std::string::npos) << r.why;
  EXPECT_EQ(ReadAll(catalogue), catalogueBefore);
  EXPECT_EQ(ReadAll(dir.File("ovprof1.dat")), fileBefore);
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"ovprof.dat", "ovprof1.dat"}));

  // A replace that cannot write leaves the old records.
  {
    WriteFault fault(0);
    r = Import("OFFICE", other, true, "ovprof2.dat");
  }
  EXPECT_EQ(r.failure, ImportReport::Failure::ProfileNotWritten);
  EXPECT_EQ(ReadAll(dir.File("ovprof1.dat")), fileBefore);
  EXPECT_EQ(Descriptions(mgr), std::vector<std::string>{"Office"});

  r = Import("OFFICE", other, true, "ovprof2.dat");
  ASSERT_EQ(r.failure, ImportReport::Failure::None) << r.why;
  EXPECT_TRUE(r.bReplaced);
  EXPECT_EQ(r.nNumber, 1u);
  EXPECT_EQ(r.file, dir.File("ovprof1.dat")) << "the profile keeps its file";
  EXPECT_EQ(RecordsIn(dir.File("ovprof1.dat")), other);
  EXPECT_EQ(ReadAll(catalogue), catalogueBefore) << "one entry, as it was";
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"ovprof.dat", "ovprof1.dat"}));
}

// Every refusal and failure leaves the disk as it was, and the catalogue in memory as on disk.
TEST_F(ImportFixture, RefusalsAndFailuresLeaveTheDiskAsItWas) {
  ASSERT_EQ(Import("Office", recs, false, "ovprof1.dat").failure, ImportReport::Failure::None);
  WriteAll(dir.File("taken.dat"), AsBytes("mine"));
  using F = ImportReport::Failure;
  const struct {
    const char* what;
    std::string description;
    const char* file;
    long long nWriteBudget;  // bytes written before every write fails; -1: no fault
    F expected;
  } cases[] = {
      {"empty description", "", "ovprof2.dat", -1, F::BadDescription},
      {"two lines", "a\nb", "ovprof2.dat", -1, F::BadDescription},
      {"too long for the console", std::string(255, 'x'), "ovprof2.dat", -1, F::BadDescription},
      {"a file already there", "Home", "taken.dat", -1, F::ProfileNotWritten},
      {"a file an entry uses", "Home", "ovprof1.dat", -1, F::ProfileNotWritten},
      {"profile file not written", "Home", "ovprof2.dat", 0, F::ProfileNotWritten},
      {"catalogue not written", "Home", "ovprof2.dat", 12, F::CatalogueNotWritten},  // the file is 12 bytes
  };
  const Bytes catalogueBefore = ReadAll(catalogue);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ImportReport r;
    {
      WriteFault fault(c.nWriteBudget);
      r = Import(c.description, other, false, c.file);
    }
    EXPECT_EQ(r.failure, c.expected) << r.why;
    EXPECT_FALSE(r.why.empty());
    EXPECT_EQ(r.pProfile, nullptr);
    EXPECT_EQ(ReadAll(catalogue), catalogueBefore);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"ovprof.dat", "ovprof1.dat", "taken.dat"}));
    EXPECT_EQ(AsText(ReadAll(dir.File("taken.dat"))), "mine");
    EXPECT_EQ(Descriptions(mgr), std::vector<std::string>{"Office"});
  }
}

TEST_F(ImportFixture, AnUnreadableCatalogueIsNeverWrittenOver) {
  const Bytes damaged = AsBytes(std::string("\x03\x00\x00\x00\x04\x00\x00\x00Work", 12));
  WriteAll(catalogue, damaged);
  const ImportReport r = Import("Home", recs, false, "ovprof1.dat");
  EXPECT_EQ(r.failure, ImportReport::Failure::CatalogueUnreadable);
  EXPECT_NE(r.why.find(catalogue), std::string::npos) << r.why;
  EXPECT_EQ(ReadAll(catalogue), damaged);
  EXPECT_EQ(dir.List(), std::vector<std::string>{"ovprof.dat"});
}

// The catalogue is read again before a save: profiles that are in memory only (their catalogue
// was removed meanwhile) are not written back, and entries another program added are kept.
TEST_F(ImportFixture, TheCatalogueOnDiskIsWhatASaveStartsFrom) {
  ASSERT_EQ(Import("Office", recs, false, "ovprof1.dat").failure, ImportReport::Failure::None);
  {
    OVProfMgr other(catalogue.c_str());
    ASSERT_TRUE(other.Load());
    OVProfile* p = other.NewProfile();
    p->SetDescription("Added elsewhere");
    p->SetFileName(dir.File("elsewhere.dat").c_str());
    ASSERT_TRUE(other.Save());
  }
  ImportReport r = Import("Home", recs, false, "ovprof3.dat");
  EXPECT_EQ(r.nNumber, 3u);
  EXPECT_EQ(Descriptions(mgr), (std::vector<std::string>{"Office", "Added elsewhere", "Home"}));

  fs::remove(catalogue);
  r = Import("Lab", recs, false, "ovprof4.dat");
  EXPECT_EQ(r.nNumber, 1u);
  EXPECT_EQ(Descriptions(mgr), std::vector<std::string>{"Lab"});
}

// Without a name from the caller, the new profile's file is named by NewProfilePath.
TEST_F(ImportFixture, WithoutANameTheFileIsTheNextFreeOne) {
  char szExpected[OVPROF_PATH_SIZE];
  ASSERT_TRUE(NewProfilePath(&mgr, szExpected, sizeof szExpected));
  EXPECT_EQ(std::string(szExpected).rfind(DataDirectory(), 0), 0u) << szExpected;
  ImportReport r;
  ASSERT_TRUE(ImportProfile(mgr, recs, "Office", false, &r)) << r.why;
  EXPECT_EQ(r.file, szExpected);
  EXPECT_EQ(RecordsIn(r.file), recs);
  char szNext[OVPROF_PATH_SIZE];
  ASSERT_TRUE(NewProfilePath(&mgr, szNext, sizeof szNext));
  EXPECT_NE(std::string(szNext), r.file) << "a name in use is never handed out again";
  os::RemoveFile(r.file.c_str());
}

// -------------------------------------------------------------------------------------------------
// WriteFileReplacing

TEST(WriteFileReplacing, WritesAndReplacesWhole) {
  ScratchDir dir;
  const std::string path = dir.File("out.txt");
  std::string why;
  ASSERT_TRUE(WriteFileReplacing(path, "first", &why)) << why;
  EXPECT_EQ(AsText(ReadAll(path)), "first");
  ASSERT_TRUE(WriteFileReplacing(path, "", &why)) << why;
  EXPECT_EQ(AsText(ReadAll(path)), "");
  EXPECT_EQ(dir.List(), std::vector<std::string>{"out.txt"}) << "no temporary file left";
}

// A failed export never truncates or removes what is at the path, and says why.
TEST(WriteFileReplacing, AFailureLeavesTheFileThereAndSaysWhy) {
  ScratchDir dir;
  const std::string path = dir.File("out.txt");
  WriteAll(path, AsBytes("precious"));
  std::string why;
  {
    WriteFault fault(3);
    EXPECT_FALSE(WriteFileReplacing(path, "a longer text", &why));
  }
  EXPECT_EQ(AsText(ReadAll(path)), "precious");
  EXPECT_EQ(dir.List(), std::vector<std::string>{"out.txt"});
  EXPECT_NE(why.find(os::ErrnoText(ENOSPC)), std::string::npos) << why;

  EXPECT_FALSE(WriteFileReplacing(dir.File("no/such/dir.txt"), "x", &why));
  EXPECT_NE(why.find(os::ErrnoText(ENOENT)), std::string::npos) << why;
  EXPECT_FALSE(WriteFileReplacing("", "x", &why));
}

TEST(WriteFileReplacing, RefusesWhatIsNotARegularFile) {
  ScratchDir dir;
  fs::create_directory(dir.path() / "sub");
  std::vector<std::pair<std::string, const char*>> cases = {{dir.File("sub"), "is a directory"}};
#ifndef _WIN32
  ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
  cases.push_back({dir.File("fifo"), "not a regular file"});
  cases.push_back({"/dev/null", "not a regular file"});
#else
  cases.push_back({"NUL", "not a regular file"});
#endif
  for (const auto& [path, said] : cases) {
    std::string why;
    EXPECT_FALSE(WriteFileReplacing(path, "x", &why)) << path;
    EXPECT_NE(why.find(said), std::string::npos) << why;
    EXPECT_NE(why.find(path), std::string::npos) << why;
  }
  EXPECT_TRUE(fs::is_directory(dir.path() / "sub"));
}

}  // namespace
