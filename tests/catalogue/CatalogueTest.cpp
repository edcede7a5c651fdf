// The conduit catalogue built from the stand-in Palm Desktop in temporary installations: the
// three sources and their flags, titles, duplicates, missing modules, module lifetimes, texts
// that Palm's libraries leave unterminated, and the cache file of an enumerated catalogue.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "CatalogueTestUtil.h"
#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/OVUtil.h"
#include "tests/support/PalmFixture.h"

using namespace catalogue_test;
namespace fs = std::filesystem;

namespace {

using testfiles::ExeDir;

// Copies one of the catalogue's test libraries into dir under asName.
void CopyTestLibrary(const fs::path& dir, const char* library, const std::string& asName) {
  fs::copy_file(ExeDir() / (std::string(library) + ".dll"), dir / asName,
                fs::copy_options::overwrite_existing);
}

std::uint32_t FourCC(const char* s) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[3]));
}

std::vector<std::string> Creators(CCondMgr* pMgr) {
  std::vector<std::string> v;
  for (CONDUIT_REC* p = pMgr->GetFirst(); p; p = pMgr->GetNext()) v.push_back(p->szCreator);
  return v;
}

std::vector<std::string> Titles(CCondMgr* pMgr) {
  std::vector<std::string> v;
  for (CONDUIT_REC* p = pMgr->GetFirst(); p; p = pMgr->GetNext()) v.push_back(p->szTitle);
  return v;
}

bool EqualNoCaseForTest(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

fixture::Conduit Registered(const std::string& creator, const std::string& module, const std::string& title) {
  fixture::Conduit c;
  c.creator = creator;
  c.module = module;
  c.title = title;
  return c;
}

class Catalogue : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(os::GetCurrentDirectory(m_szStartDir, sizeof m_szStartDir));
    m_pMgr = CCondMgr::GetInstance();
    m_pMgr->RemoveAll();
  }

  void TearDown() override {
    // Conduit modules and libraries go before the installation, and the current directory
    // leaves it: Windows deletes neither a loaded module nor the current directory.
    m_pMgr->RemoveAll();
    FreePalmLibs(PLIB_ALL);
    os::SetCurrentDirectory(m_szStartDir);
    fixture::RemoveKestrowIni();
    m_pInst.reset();
  }

  fixture::Installation& Install(unsigned libs = 15) {
    m_pInst = std::make_unique<fixture::Installation>(libs);
    return *m_pInst;
  }

  // Commits the installation, points kestrow.ini at it, makes it the current directory (as
  // the tool's start-up does) and loads the libraries named by bits.
  void Bind(unsigned bits) {
    m_pInst->Commit();
    fixture::PointKestrowIniAt(m_pInst->str());
    ASSERT_TRUE(os::SetCurrentDirectory(m_pInst->str().c_str()));
    ASSERT_TRUE(LoadPalmLibs(bits));
  }

  std::string File(const char* name) const { return (m_pInst->dir() / name).string(); }

  char m_szStartDir[4096] = {};
  CCondMgr* m_pMgr = nullptr;
  std::unique_ptr<fixture::Installation> m_pInst;
};

}  // namespace

TEST_F(Catalogue, WithNothingBoundOnlyTheBackupConduitIsListed) {
  EXPECT_EQ(CCondMgr::GetInstance(), m_pMgr) << "one catalogue for the whole run";
  ASSERT_FALSE(PalmLibLoaded(PLIB_CONDMGR));
  EXPECT_EQ(m_pMgr->GetFirst(), nullptr);
  EXPECT_TRUE(m_pMgr->LoadConduits(COND_SRC_DEFAULT));
  ASSERT_EQ(m_pMgr->GetCount(), 1u);
  const CONDUIT_REC* p = m_pMgr->GetFirst();
  EXPECT_EQ(p->dwCreatorID, BACKUP_CREATOR_ID);
  EXPECT_EQ(p->dwKind, COND_KIND_BACKUP);
  EXPECT_STREQ(p->szCreator, "");
  EXPECT_STREQ(p->szModule, "");
  EXPECT_STREQ(p->szTitle, "");
  EXPECT_EQ(p->dwModulePresent, 0u);
  EXPECT_EQ(p->dwAction, 0u);
  ASSERT_NE(p->pCondObj, nullptr);
  EXPECT_EQ(p->pCondObj->GetModule(), nullptr);
  EXPECT_EQ(m_pMgr->GetNext(), nullptr);
  EXPECT_EQ(m_pMgr->GetNext(), nullptr);

  m_pMgr->RemoveAll();
  EXPECT_EQ(m_pMgr->GetCount(), 0u);
  EXPECT_EQ(m_pMgr->GetFirst(), nullptr);
}

// condmgr.dll without instaide.dll: the registered conduits in the conduit manager's order,
// with every registration detail, then the backup conduit.
TEST_F(Catalogue, RegisteredConduitsThenTheBackupConduit) {
  fixture::Installation& inst = Install(PLIB_CONDMGR);
  fixture::Conduit date = Registered("date", "datebook.dll", "Date Book");
  date.directory = "datebook";
  date.file = "datebook.dat";
  date.remote = "DatebookDB";
  date.info = "Date Book info";
  date.integrate = 0x01020304;
  date.priority = 7;
  inst.AddConduit(date)
      .AddConduit(Registered("memo", "memopad.dll", "Memo Pad"))
      .AddInstallConduit({"Inst", "install.dll", "Install Conduit"})
      .SetBackupConduit("backup.dll");
  inst.AddModule("sample_named", "datebook.dll", "Date Book From Module");
  inst.AddModule("sample_nameless", "memopad.dll");
  inst.AddModule("sample_named", "backup.dll", "Backup From Module");
  Bind(PLIB_CONDMGR);

  ASSERT_TRUE(m_pMgr->LoadConduits(COND_SRC_DEFAULT));
  const std::vector<CONDUIT_REC> recs = Snapshot(m_pMgr);
  ASSERT_EQ(recs.size(), 3u);

  const CONDUIT_REC& d = recs[0];
  EXPECT_EQ(d.dwCreatorID, FourCC("date"));
  EXPECT_STREQ(d.szCreator, "date");
  EXPECT_EQ(d.dwIntegrate, 0x01020304u);
  EXPECT_STREQ(d.szModule, "datebook.dll");
  EXPECT_STREQ(d.szDirectory, "datebook");
  EXPECT_STREQ(d.szFile, "datebook.dat");
  EXPECT_STREQ(d.szRemote, "DatebookDB");
  EXPECT_EQ(d.dwPriority, 7u);
  EXPECT_STREQ(d.szInfo, "Date Book info");
  EXPECT_STREQ(d.szTitle, "Date Book From Module") << "the module's name wins over the registered title";
  EXPECT_EQ(d.dwModulePresent, 1u);
  EXPECT_EQ(d.dwKind, COND_KIND_REGISTERED);
  EXPECT_EQ(d.dwAction, 0u);
  ASSERT_NE(d.pCondObj, nullptr);
  EXPECT_NE(d.pCondObj->GetModule(), nullptr);
  for (std::uint8_t b : d.byReserved) EXPECT_EQ(b, 0);

  EXPECT_STREQ(recs[1].szCreator, "memo");
  EXPECT_STREQ(recs[1].szTitle, "Memo Pad") << "a module without GetConduitName keeps the registered title";
  EXPECT_EQ(recs[1].dwKind, COND_KIND_REGISTERED);

  const CONDUIT_REC& b = recs[2];
  EXPECT_EQ(b.dwCreatorID, BACKUP_CREATOR_ID);
  EXPECT_STREQ(b.szCreator, "");
  EXPECT_STREQ(b.szModule, "backup.dll");
  EXPECT_STREQ(b.szTitle, "Backup From Module");
  EXPECT_EQ(b.dwModulePresent, 0u);
  EXPECT_EQ(b.dwKind, COND_KIND_BACKUP);
  EXPECT_EQ(b.dwIntegrate, 0u);
  EXPECT_EQ(b.dwPriority, 0u);

  // Each source on its own.
  ASSERT_TRUE(m_pMgr->LoadConduits(COND_SRC_REGISTERED));
  EXPECT_EQ(Creators(m_pMgr), (std::vector<std::string>{"date", "memo"}));
  ASSERT_TRUE(m_pMgr->LoadConduits(COND_SRC_BACKUP));
  EXPECT_EQ(Titles(m_pMgr), (std::vector<std::string>{"Backup From Module"}));
  ASSERT_TRUE(m_pMgr->LoadConduits(0));
  EXPECT_EQ(m_pMgr->GetCount(), 0u);
}

// Install conduits come after the registered ones and before the backup conduit; their creator
// ID is the block's 32-bit creator ID, their creator text the block's four bytes in order (the
// ID's bytes least significant first, so 'ABCD' reads "DCBA"), their title the module's name, else the block's
// name cut to 63 bytes; an index whose information call answers 0 is skipped.
TEST_F(Catalogue, InstallConduits) {
  const std::string longName(100, 'L');
  fixture::Installation& inst = Install();
  inst.AddConduit(Registered("addr", "address.dll", "Address"))
      .AddInstallConduit({"ABCD", "inst_named.dll", "Block Name 1"})
      .AddInstallConduit({"SKIP", "inst_skipped.dll", "Skipped"})
      .AddInstallConduit({"Lwxy", "inst_nameless.dll", "Block Name 3"})
      .AddInstallConduit({"Long", "no_such_module.dll", longName})
      .SetBackupConduit("")
      .SetFault("install_info_fail", "1");
  inst.AddModule("sample_nameless", "address.dll");
  inst.AddModule("sample_named", "inst_named.dll", "Install From Module");
  inst.AddModule("sample_nameless", "inst_nameless.dll");
  Bind(PLIB_ALL);

  ASSERT_TRUE(m_pMgr->LoadConduits(COND_SRC_DEFAULT));
  const std::vector<CONDUIT_REC> recs = Snapshot(m_pMgr);
  ASSERT_EQ(recs.size(), 5u);
  EXPECT_EQ(Creators(m_pMgr), (std::vector<std::string>{"addr", "DCBA", "yxwL", "gnoL", ""}));
  EXPECT_EQ(Titles(m_pMgr), (std::vector<std::string>{"Address", "Install From Module", "Block Name 3",
                                                      std::string(63, 'L'), ""}));
  for (std::size_t i = 1; i <= 3; ++i) {
    SCOPED_TRACE(i);
    const CONDUIT_REC& r = recs[i];
    EXPECT_EQ(r.dwKind, COND_KIND_INSTALL);
    EXPECT_EQ(r.dwModulePresent, 0u) << "install conduits are never tested for their module";
    EXPECT_EQ(r.dwIntegrate, 0u);
    EXPECT_STREQ(r.szDirectory, "");
    // The four bytes as the block stores them, read least significant byte first.
    EXPECT_EQ(r.dwCreatorID, static_cast<std::uint32_t>(static_cast<unsigned char>(r.szCreator[0])) |
                                 static_cast<std::uint32_t>(static_cast<unsigned char>(r.szCreator[1])) << 8 |
                                 static_cast<std::uint32_t>(static_cast<unsigned char>(r.szCreator[2])) << 16 |
                                 static_cast<std::uint32_t>(static_cast<unsigned char>(r.szCreator[3])) << 24);
  }
  EXPECT_EQ(recs[1].dwCreatorID, 0x41424344u) << "'ABCD', as CmConvertStringToCreatorID gives it";
  EXPECT_STREQ(recs[1].szModule, "inst_named.dll");
  EXPECT_STREQ(recs[3].szModule, "no_such_module.dll");
  EXPECT_EQ(recs[3].pCondObj->GetModule(), nullptr);
  EXPECT_EQ(recs[4].dwKind, COND_KIND_BACKUP);
  EXPECT_STREQ(recs[4].szModule, "");
}

// A conduit registered again with the same creator text and module path, in any letter case,
// is listed once, at its first position. (The stand-in conduit manager answers a creator's
// details from its first registration, as a registry keyed by creator does; a repeated
// registration in another letter case has details of its own.)
TEST_F(Catalogue, ConduitRegisteredTwiceIsListedOnce) {
  fixture::Installation& inst = Install();
  inst.AddConduit(Registered("addr", "address.dll", "Address"))
      .AddConduit(Registered("memo", "Memo.dll", "First"))
      .AddConduit(Registered("MEMO", "MEMO.DLL", "Second"))
      .AddConduit(Registered("todo", "todo.dll", "To Do"))
      .AddConduit(Registered("memo", "Memo.dll", "Third"))
      .AddConduit(Registered("Memo", "other.dll", "Other Module"));
  inst.AddModule("sample_nameless", "address.dll");
  inst.AddModule("sample_nameless", "Memo.dll");
  inst.AddModule("sample_nameless", "todo.dll");
  inst.AddModule("sample_nameless", "other.dll");
  Bind(PLIB_CONDMGR);

  ASSERT_TRUE(m_pMgr->LoadConduits(COND_SRC_REGISTERED));
  EXPECT_EQ(Titles(m_pMgr), (std::vector<std::string>{"Address", "First", "To Do", "Other Module"}));

  // FindConduit and IsListed on their own.
  EXPECT_STREQ(m_pMgr->FindConduit("MeMo", "memo.DLL")->szTitle, "First");
  EXPECT_EQ(m_pMgr->FindConduit("memo", "todo.dll"), nullptr);
  EXPECT_EQ(m_pMgr->FindConduit("", "memo.dll"), nullptr);
  EXPECT_EQ(m_pMgr->FindConduit("memo", ""), nullptr);
  EXPECT_EQ(m_pMgr->FindConduit(nullptr, "memo.dll"), nullptr);
  EXPECT_EQ(m_pMgr->FindConduit("memo", nullptr), nullptr);
  EXPECT_TRUE(m_pMgr->IsListed(m_pMgr->GetFirst()));
  EXPECT_FALSE(m_pMgr->IsListed(nullptr));
}

// A later registration whose module path has a short form equal to an earlier registration's
// path is a duplicate; an earlier long path does not match a later short path. Where the
// system has no short form (POSIX) paths are compared as written.
TEST_F(Catalogue, ShortPathDuplicates) {
  fixture::Installation& inst = Install(PLIB_CONDMGR);
  const std::string longName = "Long Conduit Module Name.dll";
  inst.AddModule("sample_nameless", longName);
  const std::string longPath = (inst.dir() / longName).string();
  char szShort[COND_MODULE_LEN];
  const bool bShort = os::GetShortPath(longPath.c_str(), szShort, sizeof szShort);
#ifdef _WIN32
  ASSERT_TRUE(bShort) << "Windows gives a short form of an existing file";
  ASSERT_FALSE(EqualNoCaseForTest(szShort, longPath)) << "a long name has a short form of its own";
#else
  ASSERT_FALSE(bShort);
#endif
  const std::string shortPath = bShort ? szShort : longPath;
  // The same file by two names: its path relative to the installation is never its short form.
  inst.AddConduit(Registered("SHRT", shortPath, "Short first"))
      .AddConduit(Registered("shrt", longPath, "Long after short"))
      .AddConduit(Registered("LONG", longPath, "Long first"))
      .AddConduit(Registered("long", shortPath, "Short after long"))
      .AddConduit(Registered("RELA", longPath, "Absolute"))
      .AddConduit(Registered("rela", longName, "Relative"));
  Bind(PLIB_CONDMGR);

  ASSERT_TRUE(m_pMgr->LoadConduits(COND_SRC_REGISTERED));
  if (bShort && !EqualNoCaseForTest(shortPath, longPath)) {
    EXPECT_EQ(Titles(m_pMgr), (std::vector<std::string>{"Short first", "Long first", "Short after long",
                                                        "Absolute", "Relative"}));
  } else {
    EXPECT_EQ(Titles(m_pMgr), (std::vector<std::string>{"Short first", "Long first", "Absolute", "Relative"}));
  }
}

// A registered conduit whose module file is missing is dropped; with 0x20 it stays, with its
// registered title and module present flag 0, unless its module path is empty.
TEST_F(Catalogue, MissingModuleFiles) {
  fixture::Installation& inst = Install(PLIB_CONDMGR);
  inst.AddConduit(Registered("here", "present.dll", "Present"))
      .AddConduit(Registered("gone", "missing.dll", "Missing"))
      .AddConduit(Registered("none", "", "No Module"))
      .AddConduit(Registered("junk", "notalibrary.dll", "Not A Library"));
  inst.AddModule("sample_nameless", "present.dll");
  Bind(PLIB_CONDMGR);
  {
    std::ofstream junk(File("notalibrary.dll"), std::ios::binary);
    junk << "this is no library";
  }

  struct Case {
    std::uint32_t flags;
    std::vector<std::string> creators;
  };
  const Case cases[] = {
      {COND_SRC_REGISTERED, {"here", "junk"}},
      {COND_SRC_REGISTERED | COND_SRC_KEEP_MISSING, {"here", "gone", "junk"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    ASSERT_TRUE(m_pMgr->LoadConduits(c.flags));
    EXPECT_EQ(Creators(m_pMgr), c.creators);
  }
  const CONDUIT_REC* gone = m_pMgr->FindConduit("gone", "missing.dll");
  ASSERT_NE(gone, nullptr);
  EXPECT_EQ(gone->dwModulePresent, 0u);
  EXPECT_STREQ(gone->szTitle, "Missing");
  EXPECT_EQ(gone->pCondObj->GetModule(), nullptr);
  EXPECT_EQ(gone->pCondObj->GetName(nullptr, 0), palm::ERR_NOT_BOUND);
  // A file that exists but does not load: present, no module, the registered title.
  const CONDUIT_REC* junk = m_pMgr->FindConduit("junk", "notalibrary.dll");
  ASSERT_NE(junk, nullptr);
  EXPECT_EQ(junk->dwModulePresent, 1u);
  EXPECT_EQ(junk->pCondObj->GetModule(), nullptr);
  EXPECT_STREQ(junk->szTitle, "Not A Library");
  EXPECT_EQ(m_pMgr->FindConduit("here", "present.dll")->dwModulePresent, 1u);
}

TEST_F(Catalogue, OrganizerCreatorsOnly) {
  struct Case {
    const char* creator;
    bool organizer;
  };
  const Case cases[] = {{"addr", true},  {"date", true},  {"todo", true},  {"memo", true},
                        {"PAdd", true},  {"PDat", true},  {"PTod", true},  {"PMem", true},
                        {"Addr", false}, {"PADD", false}, {"mail", false}, {"add", false},
                        {"", false},     {nullptr, false}};
  fixture::Installation& inst = Install(PLIB_CONDMGR);
  inst.AddModule("sample_nameless", "conduit.dll");
  std::vector<std::string> expected;
  for (const Case& c : cases) {
    EXPECT_EQ(IsOrganizerCreator(c.creator), c.organizer) << (c.creator ? c.creator : "(null)");
    if (!c.creator || !*c.creator) continue;
    inst.AddConduit(Registered(c.creator, "conduit.dll", c.creator));
    if (c.organizer) expected.push_back(c.creator);
  }
  Bind(PLIB_CONDMGR);

  ASSERT_TRUE(m_pMgr->LoadConduits(COND_SRC_REGISTERED | COND_SRC_ORGANIZER_ONLY));
  EXPECT_EQ(Creators(m_pMgr), expected);
  ASSERT_TRUE(m_pMgr->LoadConduits(COND_SRC_DEFAULT | COND_SRC_ORGANIZER_ONLY));
  EXPECT_EQ(m_pMgr->GetCount(), expected.size() + 1) << "the other sources are not filtered";
}

// Each record holds its module loaded for as long as it lives. A second enumeration gives the
// same catalogue, and releases the first one's modules before it loads them again: a counting
// module that stayed loaded would answer "Call 2".
TEST_F(Catalogue, EnumeratingAgainReleasesTheModulesFirst) {
  fixture::Installation& inst = Install();
  inst.AddConduit(Registered("cnt1", "count1.dll", "Registered"))
      .AddConduit(Registered("smpl", "sample.dll", "Sample"))
      .AddInstallConduit({"cnt2", "count2.dll", "Install"})
      .SetBackupConduit("count3.dll");
  inst.AddModule("sample_named", "sample.dll", "Sample From Module");
  for (const char* name : {"count1.dll", "count2.dll", "count3.dll"}) {
    CopyTestLibrary(inst.dir(), "cat_counting_conduit", name);
  }
  Bind(PLIB_ALL);

  ASSERT_TRUE(m_pMgr->LoadConduits(COND_SRC_DEFAULT));
  const std::vector<CONDUIT_REC> first = Snapshot(m_pMgr);
  EXPECT_EQ(Titles(m_pMgr), (std::vector<std::string>{"Call 1", "Sample From Module", "Call 1", "Call 1"}));

  // All six entry points by name where the module has them.
  for (int i = 0; i < CCondObj::kEntryCount; ++i) {
    EXPECT_NE(first[0].pCondObj->GetEntry(i), nullptr) << CCondObj::EntryName(i);
  }
  const CCondObj* sample = first[1].pCondObj;
  EXPECT_NE(sample->GetEntry(CCondObj::OpenConduit), nullptr);
  EXPECT_EQ(sample->GetEntry(CCondObj::CfgConduit), nullptr);
  EXPECT_EQ(sample->GetEntry(CCondObj::ConfigureConduit), nullptr);
  EXPECT_EQ(sample->GetEntry(CCondObj::GetConduitInfo), nullptr);
  EXPECT_NE(sample->GetEntry(CCondObj::GetConduitName), nullptr);
  EXPECT_NE(sample->GetEntry(CCondObj::GetConduitVersion), nullptr);

  // The module stays loaded with its record: asking again counts on.
  char szName[COND_TITLE_LEN] = {};
  EXPECT_EQ(first[0].pCondObj->GetName(szName, sizeof szName), 0);
  EXPECT_STREQ(szName, "Call 2");

  ASSERT_TRUE(m_pMgr->LoadConduits(COND_SRC_DEFAULT));
  const std::vector<CONDUIT_REC> second = Snapshot(m_pMgr);
  ASSERT_EQ(second.size(), first.size());
  for (std::size_t i = 0; i < first.size(); ++i) ExpectSameFields(second[i], first[i], "record " + std::to_string(i));

  // RemoveAll releases them too.
  m_pMgr->RemoveAll();
  CCondObj again(File("count1.dll").c_str());
  EXPECT_EQ(again.GetName(szName, sizeof szName), 0);
  EXPECT_STREQ(szName, "Call 1");
  again.Unload();
  EXPECT_EQ(again.GetModule(), nullptr);
  EXPECT_EQ(again.GetEntry(CCondObj::GetConduitName), nullptr);
  EXPECT_EQ(again.GetName(szName, sizeof szName), palm::ERR_NOT_BOUND);
  EXPECT_FALSE(again.Load(""));
  EXPECT_FALSE(again.Load(nullptr));
}

// Palm libraries and conduit modules that fill every byte offered without a terminator: each
// text ends inside its field, and nothing is read past an area of the install block.
TEST_F(Catalogue, UnterminatedTextsFromLibrariesEndInsideTheirFields) {
  fixture::Installation& inst = Install(0);
  CopyTestLibrary(inst.dir(), "cat_rogue_palm", "condmgr.dll");
  CopyTestLibrary(inst.dir(), "cat_rogue_palm", "instaide.dll");
  Bind(0);
  ASSERT_TRUE(LoadCondMgrDll());
  ASSERT_TRUE(LoadInstAideDll());

  ASSERT_TRUE(m_pMgr->LoadConduits(COND_SRC_DEFAULT | COND_SRC_KEEP_MISSING));
  const std::vector<CONDUIT_REC> recs = Snapshot(m_pMgr);
  ASSERT_EQ(recs.size(), 3u);

  const CONDUIT_REC& r = recs[0];
  EXPECT_EQ(r.dwKind, COND_KIND_REGISTERED);
  EXPECT_EQ(std::string(r.szCreator), "cccc");
  EXPECT_EQ(r.dwCreatorID, 0x63636363u);
  EXPECT_EQ(std::string(r.szModule), std::string(259, 'm'));
  EXPECT_EQ(std::string(r.szDirectory), std::string(31, 'd'));
  EXPECT_EQ(std::string(r.szFile), std::string(31, 'f'));
  EXPECT_EQ(std::string(r.szRemote), std::string(31, 'r'));
  EXPECT_EQ(std::string(r.szInfo), std::string(63, 'i'));
  EXPECT_EQ(std::string(r.szTitle), std::string(63, 't'));
  EXPECT_EQ(r.dwModulePresent, 0u);

  const CONDUIT_REC& i = recs[1];
  EXPECT_EQ(i.dwKind, COND_KIND_INSTALL);
  EXPECT_EQ(std::string(i.szCreator), "kkkk");
  EXPECT_EQ(i.dwCreatorID, 0x6B6B6B6Bu);
  EXPECT_EQ(std::string(i.szModule), std::string(255, 'k')) << "the module path ends with its area";
  EXPECT_EQ(std::string(i.szTitle), std::string(63, 'k'));

  const CONDUIT_REC& b = recs[2];
  EXPECT_EQ(b.dwKind, COND_KIND_BACKUP);
  EXPECT_EQ(std::string(b.szModule), std::string(259, 'b'));
  EXPECT_STREQ(b.szTitle, "");

  // Such records survive the cache file unchanged.
  ASSERT_TRUE(m_pMgr->SaveToFile(File("ovcond.dat").c_str()));
  ASSERT_TRUE(m_pMgr->LoadFromFile(File("ovcond.dat").c_str()));
  const std::vector<CONDUIT_REC> back = Snapshot(m_pMgr);
  ASSERT_EQ(back.size(), recs.size());
  for (std::size_t n = 0; n < recs.size(); ++n) ExpectSameFields(back[n], recs[n], "record " + std::to_string(n));

  // A conduit module that does the same with its name.
  FreePalmLibs(PLIB_ALL);
  m_pMgr->RemoveAll();
  CopyTestLibrary(inst.dir(), "cat_rogue_conduit", "rogue.dll");
  CCondObj rogue(File("rogue.dll").c_str());
  char szTitle[COND_TITLE_LEN + 8];
  std::memset(szTitle, 'z', sizeof szTitle);
  EXPECT_EQ(rogue.GetName(szTitle, COND_TITLE_LEN), 0);
  EXPECT_EQ(std::string(szTitle), std::string(63, 'n'));
}

// An enumerated catalogue written to the cache file and read back: the same records in the
// same order with every field equal, and no module objects; reading needs no Palm library.
TEST_F(Catalogue, EnumeratedCatalogueSurvivesTheCacheFile) {
  fixture::Installation& inst = Install();
  fixture::Conduit date = Registered("date", "datebook.dll", "Date Book");
  date.directory = "datebook";
  date.file = "datebook.dat";
  date.remote = "DatebookDB";
  date.info = "info";
  date.integrate = 3;
  date.priority = 1;
  inst.AddConduit(date)
      .AddConduit(Registered("gone", "missing.dll", "Missing"))
      .AddInstallConduit({"Inst", "install.dll", "Install Conduit"})
      .SetBackupConduit("backup.dll");
  inst.AddModule("sample_named", "datebook.dll", "Date Book From Module");
  inst.AddModule("sample_named", "backup.dll", "Backup");
  Bind(PLIB_ALL);

  ASSERT_TRUE(m_pMgr->LoadConduits(COND_SRC_DEFAULT | COND_SRC_KEEP_MISSING));
  // The main window gives every conduit an action; one is switched off.
  std::uint32_t dwAction = 0x10001;
  for (CONDUIT_REC* p = m_pMgr->GetFirst(); p; p = m_pMgr->GetNext()) p->dwAction = dwAction++;
  const std::vector<CONDUIT_REC> recs = Snapshot(m_pMgr);
  ASSERT_EQ(recs.size(), 4u);

  const std::string path = File("ovcond.dat");
  ASSERT_TRUE(m_pMgr->SaveToFile(path.c_str()));
  EXPECT_EQ(fs::file_size(path), 4u * COND_FILE_RECORD_SIZE);
  FreePalmLibs(PLIB_ALL);

  ASSERT_TRUE(m_pMgr->LoadFromFile(path.c_str()));
  const std::vector<CONDUIT_REC> back = Snapshot(m_pMgr);
  ASSERT_EQ(back.size(), recs.size());
  for (std::size_t i = 0; i < recs.size(); ++i) {
    ExpectSameFields(back[i], recs[i], "record " + std::to_string(i));
    EXPECT_EQ(back[i].pCondObj, nullptr);
  }
  EXPECT_EQ(back[3].dwCreatorID, BACKUP_CREATOR_ID);
  EXPECT_EQ(back[3].dwKind, COND_KIND_BACKUP);
  EXPECT_EQ(back[0].dwAction, 0x10001u);
}

// The catalogue goes at program exit and releases the modules it still holds on the way.
TEST_F(Catalogue, ExitWithModulesLoadedIsClean) {
  fixture::Installation& inst = Install();
  inst.AddConduit(Registered("date", "datebook.dll", "Date Book")).SetBackupConduit("backup.dll");
  inst.AddModule("sample_named", "datebook.dll", "Date Book From Module");
  CopyTestLibrary(inst.dir(), "cat_counting_conduit", "backup.dll");
  Bind(PLIB_ALL);
  EXPECT_EXIT(
      {
        CCondMgr* pMgr = CCondMgr::GetInstance();
        pMgr->LoadConduits(COND_SRC_DEFAULT);
        if (pMgr->GetCount() != 2) std::exit(10);
        FreePalmLibs(PLIB_ALL);
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
}
