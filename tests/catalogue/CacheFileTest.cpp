// The catalogue's cache file: the exact bytes of a record, reading and writing whole files,
// damaged and cut-short files, and saves that fail.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "CatalogueTestUtil.h"
#include "src/core/palm/CondMgr.h"
#include "tests/support/PalmFixture.h"

#include "tests/support/WriteFault.h"

using namespace catalogue_test;
namespace fs = std::filesystem;

namespace {

void PutBytes(Bytes& b, std::size_t off, std::initializer_list<unsigned char> v) {
  std::size_t i = off;
  for (unsigned char c : v) b.at(i++) = c;
}

void PutChars(Bytes& b, std::size_t off, const char* s) {
  for (std::size_t i = 0; s[i]; ++i) b.at(off + i) = static_cast<unsigned char>(s[i]);
}

// A registered conduit with a value in every field, and the 540 bytes it must give, written out
// offset by offset. Both platforms check against this same array.
CONDUIT_REC KnownRecord() {
  CONDUIT_REC r;
  std::memset(&r, 0x5A, sizeof r);  // stray bytes behind the terminators must not reach the file
  r.dwCreatorID = 0x64617465;       // 'date'
  std::strcpy(r.szCreator, "date");
  r.dwIntegrate = 0x01020304;
  std::strcpy(r.szModule, "Datebook Conduit.dll");
  std::strcpy(r.szDirectory, "datebook");
  std::strcpy(r.szFile, "datebook.dat");
  std::strcpy(r.szRemote, "DatebookDB");
  r.dwPriority = 0x00000102;
  std::strcpy(r.szInfo, "Date Book info");
  std::strcpy(r.szTitle, "Date Book");
  r.pCondObj = nullptr;
  r.dwModulePresent = 1;
  r.dwKind = COND_KIND_REGISTERED;
  r.dwAction = 0x00010002;  // desktop overwrites handheld, switched off
  return r;
}

Bytes KnownRecordBytes() {
  Bytes b(540, 0);
  PutBytes(b, 0, {0x65, 0x74, 0x61, 0x64});
  PutChars(b, 4, "date");
  PutBytes(b, 12, {0x04, 0x03, 0x02, 0x01});
  PutChars(b, 16, "Datebook Conduit.dll");
  PutChars(b, 276, "datebook");
  PutChars(b, 308, "datebook.dat");
  PutChars(b, 340, "DatebookDB");
  PutBytes(b, 372, {0x02, 0x01, 0x00, 0x00});
  PutChars(b, 376, "Date Book info");
  PutChars(b, 440, "Date Book");
  // 504: the module object slot stays zero
  PutBytes(b, 508, {0x01, 0x00, 0x00, 0x00});
  // 512-531: reserved, zero
  PutBytes(b, 532, {0x01, 0x00, 0x00, 0x00});
  PutBytes(b, 536, {0x02, 0x00, 0x01, 0x00});
  return b;
}

// The backup conduit as the file holds it.
Bytes BackupRecordBytes() {
  Bytes b(540, 0);
  PutBytes(b, 0, {0xFF, 0xFF, 0xFF, 0xFF});
  PutChars(b, 16, "backup.dll");
  PutChars(b, 440, "Backup");
  PutBytes(b, 532, {0x02, 0x00, 0x00, 0x00});
  PutBytes(b, 536, {0x04, 0x00, 0x00, 0x00});
  return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

class CacheFile : public testing::Test {
 protected:
  void SetUp() override {
    m_pMgr = CCondMgr::GetInstance();
    m_pMgr->RemoveAll();
  }
  void TearDown() override { m_pMgr->RemoveAll(); }
  std::string File(const char* name) const { return (m_dir.path() / name).string(); }

  fixture::TempDir m_dir;
  CCondMgr* m_pMgr = nullptr;
};

}  // namespace

TEST_F(CacheFile, KnownRecordGivesExactBytes) {
  unsigned char abOut[COND_FILE_RECORD_SIZE];
  CONDUIT_REC rec = KnownRecord();
  std::memset(rec.byReserved, 0xEE, sizeof rec.byReserved);  // never written
  rec.pCondObj = reinterpret_cast<CCondObj*>(&rec);         // never written, never used
  CondRecordToBytes(rec, abOut);
  EXPECT_EQ(Bytes(abOut, abOut + sizeof abOut), KnownRecordBytes());

  // The same bytes read back give the record's values, without a module object.
  CONDUIT_REC back;
  std::memset(&back, 0x77, sizeof back);
  CondRecordFromBytes(KnownRecordBytes().data(), &back);
  CONDUIT_REC expected = KnownRecord();
  std::memset(expected.byReserved, 0, sizeof expected.byReserved);
  ExpectSameFields(back, expected, "read back");
  EXPECT_EQ(back.pCondObj, nullptr);

  // Through the files: read a file of two records and write it again, byte for byte.
  const Bytes file = Concat({KnownRecordBytes(), BackupRecordBytes()});
  WriteAll(File("in.dat"), file);
  ASSERT_TRUE(m_pMgr->LoadFromFile(File("in.dat").c_str()));
  ASSERT_EQ(m_pMgr->GetCount(), 2u);
  const std::vector<CONDUIT_REC> recs = Snapshot(m_pMgr);
  ExpectSameFields(recs[0], expected, "first record");
  EXPECT_EQ(recs[1].dwCreatorID, BACKUP_CREATOR_ID);
  EXPECT_EQ(recs[1].dwKind, COND_KIND_BACKUP);
  EXPECT_STREQ(recs[1].szCreator, "");
  EXPECT_STREQ(recs[1].szTitle, "Backup");
  for (const CONDUIT_REC& r : recs) EXPECT_EQ(r.pCondObj, nullptr);

  ASSERT_TRUE(m_pMgr->SaveToFile(File("out.dat").c_str()));
  EXPECT_EQ(ReadAll(File("out.dat")), file);
}

// Nothing is validated and nothing is read past a field: a record with no terminator anywhere,
// an unknown kind and every action bit set loads as stored, with each text cut at the last byte
// of its field, and is written back that way.
TEST_F(CacheFile, DamagedRecordIsTakenAsStoredWithTextsCutInsideTheirFields) {
  // (offset, width) of each text field
  const std::size_t kTexts[][2] = {{4, 8},    {16, 260}, {276, 32}, {308, 32},
                                   {340, 32}, {376, 64}, {440, 64}};
  Bytes b(540, 'x');
  PutBytes(b, 532, {77, 0, 0, 0});
  PutBytes(b, 536, {0xFF, 0xFF, 0xFF, 0xFF});
  WriteAll(File("damaged.dat"), b);

  ASSERT_TRUE(m_pMgr->LoadFromFile(File("damaged.dat").c_str()));
  ASSERT_EQ(m_pMgr->GetCount(), 1u);
  const CONDUIT_REC* p = m_pMgr->GetFirst();
  EXPECT_EQ(p->dwKind, 77u);
  EXPECT_EQ(p->dwAction, 0xFFFFFFFFu);
  EXPECT_EQ(p->dwCreatorID, 0x78787878u);
  EXPECT_EQ(p->dwModulePresent, 0x78787878u);
  EXPECT_EQ(std::string(p->szCreator), std::string(7, 'x'));
  EXPECT_EQ(std::string(p->szModule), std::string(259, 'x'));
  EXPECT_EQ(std::string(p->szDirectory), std::string(31, 'x'));
  EXPECT_EQ(std::string(p->szFile), std::string(31, 'x'));
  EXPECT_EQ(std::string(p->szRemote), std::string(31, 'x'));
  EXPECT_EQ(std::string(p->szInfo), std::string(63, 'x'));
  EXPECT_EQ(std::string(p->szTitle), std::string(63, 'x'));

  ASSERT_TRUE(m_pMgr->SaveToFile(File("again.dat").c_str()));
  Bytes expected = b;
  for (const auto& t : kTexts) expected[t[0] + t[1] - 1] = 0;
  PutBytes(expected, 504, {0, 0, 0, 0});
  for (std::size_t i = 512; i < 532; ++i) expected[i] = 0;
  EXPECT_EQ(ReadAll(File("again.dat")), expected);
}

// Files of any length are read record by record; a trailing partial record is ignored, and the
// catalogue always starts empty.
TEST_F(CacheFile, ReadsWholeRecordsOnly) {
  struct Case {
    std::size_t size;
    std::uint32_t records;
  };
  const Case cases[] = {{0, 0}, {539, 0}, {540, 1}, {1000, 1}, {1079, 1}, {1080, 2}, {5400, 10}};
  const Bytes two = Concat({KnownRecordBytes(), BackupRecordBytes()});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    WriteAll(File("two.dat"), two);
    ASSERT_TRUE(m_pMgr->LoadFromFile(File("two.dat").c_str()));
    Bytes b(c.size, 0);
    for (std::size_t i = 0; i < c.size; ++i) b[i] = two[i % two.size()];
    WriteAll(File("sized.dat"), b);
    EXPECT_EQ(m_pMgr->LoadFromFile(File("sized.dat").c_str()), c.records > 0);
    EXPECT_EQ(m_pMgr->GetCount(), c.records);
  }

  // A missing file empties the catalogue; no path leaves it alone.
  WriteAll(File("two.dat"), two);
  ASSERT_TRUE(m_pMgr->LoadFromFile(File("two.dat").c_str()));
  EXPECT_FALSE(m_pMgr->LoadFromFile(nullptr));
  EXPECT_FALSE(m_pMgr->LoadFromFile(""));
  EXPECT_EQ(m_pMgr->GetCount(), 2u);
  EXPECT_FALSE(m_pMgr->LoadFromFile(File("missing.dat").c_str()));
  EXPECT_EQ(m_pMgr->GetCount(), 0u);
  EXPECT_EQ(m_pMgr->GetFirst(), nullptr);
  EXPECT_EQ(m_pMgr->GetNext(), nullptr);
}

TEST_F(CacheFile, EmptyCatalogueWritesEmptyFile) {
  WriteAll(File("ovcond.dat"), KnownRecordBytes());
  ASSERT_EQ(m_pMgr->GetCount(), 0u);
  EXPECT_TRUE(m_pMgr->SaveToFile(File("ovcond.dat").c_str()));
  EXPECT_TRUE(fs::exists(File("ovcond.dat")));
  EXPECT_EQ(fs::file_size(File("ovcond.dat")), 0u);
  EXPECT_FALSE(m_pMgr->SaveToFile(nullptr));
  EXPECT_FALSE(m_pMgr->SaveToFile(""));
}

// A save that cannot finish keeps the previous file as it was, reports false and leaves no
// temporary file behind.
TEST_F(CacheFile, FailedSaveKeepsTheOldFile) {
  WriteAll(File("src.dat"), Concat({KnownRecordBytes(), BackupRecordBytes(), KnownRecordBytes()}));
  ASSERT_TRUE(m_pMgr->LoadFromFile(File("src.dat").c_str()));

  // The directory does not exist: nothing can be created.
  EXPECT_FALSE(m_pMgr->SaveToFile((m_dir.path() / "no such dir" / "ovcond.dat").string().c_str()));
  EXPECT_FALSE(fs::exists(m_dir.path() / "no such dir"));

  const Bytes old = BackupRecordBytes();
  const std::string target = File("ovcond.dat");
  WriteAll(target, old);
#ifdef _WIN32
  {
    // The old file is open elsewhere: Windows cannot replace it.
    std::ifstream holder(target, std::ios::binary);
    ASSERT_TRUE(holder.is_open());
    EXPECT_FALSE(m_pMgr->SaveToFile(target.c_str()));
  }
  EXPECT_EQ(ReadAll(target), old);
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.path()), fs::directory_iterator()), 2)
      << "no temporary file is left";
#endif
  {
    // A full disk stops the writes after the first kilobyte.
    testfiles::WriteFault fault(1000);
    EXPECT_FALSE(m_pMgr->SaveToFile(target.c_str()));
  }
  EXPECT_EQ(ReadAll(target), old);
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.path()), fs::directory_iterator()), 2)
      << "no temporary file is left";
  // And a save that can finish replaces it.
  EXPECT_TRUE(m_pMgr->SaveToFile(target.c_str()));
  EXPECT_EQ(ReadAll(target), ReadAll(File("src.dat")));
}
