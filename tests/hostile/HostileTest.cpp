// The tool against a hostile Palm Desktop: libraries that fill every text buffer to the brim
// with no terminator and report sizes larger than they were offered, and libraries that answer
// negative or absurdly large counts. The roster and the conduit catalogue must come through in
// bounded time with every text ending inside its field, listing what the libraries really hold.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "src/core/misc/Message.h"
#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/OVUtil.h"
#include "tests/support/PalmFixture.h"

namespace {

// text over and over, cut to length: what a buffer filled to the brim holds.
std::string Repeated(const std::string& text, std::size_t length) {
  std::string out;
  while (out.size() < length) out += text;
  return out.substr(0, length);
}

bool EndsInside(const char* field, std::size_t width) { return std::memchr(field, '\0', width) != nullptr; }

std::vector<const UserRecord*> Roster() {
  std::vector<const UserRecord*> out;
  if (CxList* roster = GetUserRoster()) {
    for (void* p = roster->GetFirst(); p; p = roster->GetNext()) out.push_back(static_cast<const UserRecord*>(p));
  }
  return out;
}

std::vector<const CONDUIT_REC*> Catalogue() {
  std::vector<const CONDUIT_REC*> out;
  CCondMgr* mgr = CCondMgr::GetInstance();
  for (const CONDUIT_REC* p = mgr->GetFirst(); p; p = mgr->GetNext()) out.push_back(p);
  return out;
}

void ExpectTextsInside(const CONDUIT_REC& r) {
  EXPECT_TRUE(EndsInside(r.szCreator, sizeof r.szCreator));
  EXPECT_TRUE(EndsInside(r.szModule, sizeof r.szModule));
  EXPECT_TRUE(EndsInside(r.szDirectory, sizeof r.szDirectory));
  EXPECT_TRUE(EndsInside(r.szFile, sizeof r.szFile));
  EXPECT_TRUE(EndsInside(r.szRemote, sizeof r.szRemote));
  EXPECT_TRUE(EndsInside(r.szInfo, sizeof r.szInfo));
  EXPECT_TRUE(EndsInside(r.szTitle, sizeof r.szTitle));
}

int g_messages = 0;
int CountMessage(const char*, const char*, ov::MessageIcon) { return ++g_messages; }

class Hostile : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(os::GetCurrentDirectory(m_szStartDir, sizeof m_szStartDir));
    fixture::ClearRegistryCorePath();
    g_messages = 0;
    m_prevHook = ov::SetMessageHook(&CountMessage);
  }

  void TearDown() override {
    // Conduit modules and libraries are released before the installation's files go.
    CCondMgr::GetInstance()->RemoveAll();
    PalmLibExit();
    os::SetCurrentDirectory(m_szStartDir);
    ov::SetMessageHook(m_prevHook);
    fixture::RemoveKestrowIni();
    fixture::ClearRegistryCorePath();
    m_pInst.reset();
  }

  // Three users, three registered conduits with their modules, an install conduit and the
  // backup conduit.
  fixture::Installation& Install() {
    m_pInst = std::make_unique<fixture::Installation>();
    fixture::Installation& inst = *m_pInst;
    inst.AddUser({101, "Alice Smith", "C:\\Palm\\SmithA", false, {{1, 0x73646967, "SD Card"}}});
    inst.AddUser({102, "Bob", "C:\\Palm\\Bob", true, {}});
    inst.AddUser({103, "Carol", "C:\\Palm\\Carol", false, {}});
    const char* registered[][3] = {{"date", "datebook.dll", "Date Book"},
                                   {"memo", "memopad.dll", "Memo Pad"},
                                   {"addr", "address.dll", "Address Book"}};
    for (const auto& r : registered) {
      fixture::Conduit c;
      c.creator = r[0];
      c.module = r[1];
      c.title = r[2];
      c.directory = "dir";
      c.file = "file.dat";
      c.remote = "RemoteDB";
      c.info = "info";
      inst.AddConduit(c);
      inst.AddModule("sample_named", r[1], r[2]);
    }
    inst.AddInstallConduit({"Inst", "instcond.dll", "Install Tool"});
    inst.SetBackupConduit("backup.dll");
    inst.AddModule("sample_named", "backup.dll", "Backup");
    return inst;
  }

  // The start-up of the tool: core directory, libraries, roster; then the catalogue with flags.
  void Start(std::uint32_t dwFlags = COND_SRC_DEFAULT) {
    m_pInst->Commit();
    fixture::PointKestrowIniAt(m_pInst->str());
    PalmLibInit();
    CCondMgr::GetInstance()->LoadConduits(dwFlags);
  }

  char m_szStartDir[4096] = {};
  ov::MessageHook m_prevHook = nullptr;
  std::unique_ptr<fixture::Installation> m_pInst;
};

// Every text call fills its whole buffer without a terminator and claims more than it was
// offered: each field keeps what fits, cut at its last byte.
TEST_F(Hostile, TextsWithoutTerminatorsAndOversizedSizesEndInsideTheirFields) {
  Install().SetFault("oversized_texts", "1");
  Start(COND_SRC_DEFAULT | COND_SRC_KEEP_MISSING);

  const std::vector<const UserRecord*> users = Roster();
  ASSERT_EQ(users.size(), 3u);
  EXPECT_EQ(users[0]->userId, 101u);
  EXPECT_EQ(users[0]->szName, Repeated("Alice Smith", 63));
  EXPECT_EQ(users[0]->szDirectory, Repeated("C:\\Palm\\SmithA", 255));
  EXPECT_EQ(users[2]->szName, Repeated("Carol", 63));
  EXPECT_EQ(g_messages, 0);

  // The module paths come back garbled, so no module loads and the titles are the libraries'.
  const std::vector<const CONDUIT_REC*> conduits = Catalogue();
  ASSERT_EQ(conduits.size(), 5u);
  for (const CONDUIT_REC* r : conduits) ExpectTextsInside(*r);
  EXPECT_STREQ(conduits[0]->szCreator, "date");
  EXPECT_EQ(conduits[0]->dwCreatorID, 0x64617465u);
  EXPECT_EQ(conduits[0]->szModule, Repeated("datebook.dll", 259));
  EXPECT_EQ(conduits[0]->szTitle, Repeated("Date Book", 63));
  EXPECT_EQ(conduits[0]->szDirectory, Repeated("dir", 31));
  EXPECT_EQ(conduits[0]->szInfo, Repeated("info", 63));
  EXPECT_EQ(conduits[0]->dwModulePresent, 0u);
  EXPECT_EQ(conduits[3]->dwKind, COND_KIND_INSTALL);
  EXPECT_EQ(conduits[3]->szModule, Repeated("instcond.dll", 255));
  EXPECT_EQ(conduits[3]->szTitle, Repeated("Install Tool", 63));
  EXPECT_EQ(conduits[4]->dwKind, COND_KIND_BACKUP);
  EXPECT_EQ(conduits[4]->szModule, Repeated("backup.dll", 259));

  // What the main window asks for leaves out registered conduits whose module is not there.
  CCondMgr::GetInstance()->LoadConduits(COND_SRC_DEFAULT);
  ASSERT_EQ(Catalogue().size(), 2u);
  EXPECT_EQ(Catalogue()[0]->dwKind, COND_KIND_INSTALL);
}

// Counts far beyond what the libraries hold, and negative ones: enumeration ends in bounded
// time and lists what the libraries really hold; a negative user count is reported once.
TEST_F(Hostile, NegativeAndHugeCountsListWhatTheLibrariesHold) {
  struct Case {
    const char* what;
    const char* userCount;
    const char* conduitCount;
    const char* installCount;
    std::size_t users;  // roster records
    int messages;
    std::vector<std::string> creators;  // the catalogue, in order
  };
  // The install conduit 'Inst' by its block's bytes: the 32-bit creator ID least significant first.
  const std::vector<std::string> all = {"date", "memo", "addr", "tsnI", ""};
  const Case cases[] = {
      {"negative", "-1", "-5", "-2147483648", 0, 1, {""}},
      {"most negative user count", "-32768", "0", "0", 0, 1, {""}},
      {"huge", "32767", "2147483647", "2147483647", 32767, 0, all},
      {"a little more than there is", "4", "4", "2", 4, 0, all},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_messages = 0;
    Install().SetFault("user_count", c.userCount).SetFault("conduit_count", c.conduitCount)
        .SetFault("install_count", c.installCount);
    const auto start = std::chrono::steady_clock::now();
    Start();
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 60.0);

    const std::vector<const UserRecord*> users = Roster();
    ASSERT_EQ(users.size(), c.users);
    EXPECT_EQ(g_messages, c.messages);
    for (std::size_t i = 0; i < users.size(); ++i) {
      // Indices the library does not know give empty records.
      if (i < 3) {
        EXPECT_EQ(users[i]->userId, 101u + i);
      } else {
        EXPECT_EQ(users[i]->userId, 0u);
        EXPECT_STREQ(users[i]->szName, "");
      }
    }

    std::vector<std::string> creators;
    for (const CONDUIT_REC* r : Catalogue()) {
      ExpectTextsInside(*r);
      creators.push_back(r->szCreator);
    }
    EXPECT_EQ(creators, c.creators);

    CCondMgr::GetInstance()->RemoveAll();
    PalmLibExit();
    os::SetCurrentDirectory(m_szStartDir);
  }
}

#ifndef _WIN32
// A registry value stored without a terminator (here a binary value in the per-user registry
// file) gives the core directory as exactly its bytes, whatever the buffer held before; one
// that fills the whole buffer without a terminator is too long.
TEST_F(Hostile, ARegistryValueWithoutTerminatorEndsWhereTheValueEnds) {
  fixture::RemoveKestrowIni();
  fixture::SetRegistryCorePath("placeholder");  // points XDG_CONFIG_HOME at the fixture's file
  const char* config = std::getenv("XDG_CONFIG_HOME");
  ASSERT_NE(config, nullptr);
  auto write = [&](const std::string& hexBytes) {
    std::ofstream(std::filesystem::path(config) / "orvane" / "HKCU.reg", std::ios::trunc)
        << "Windows Registry Editor Version 5.00\n\n"
           "[HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core]\n"
           "\"DesktopPath\"=hex:" << hexBytes << "\n";
  };
  auto hex = [](std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += i ? ",41" : "41";
    return s;
  };
  const struct {
    std::string bytes;
    std::int32_t result;
    std::string path;
  } cases[] = {
      {"43,3a,5c,50", PALMPATH_OK, "C:\\P"},
      {hex(PALM_MAX_PATH - 1), PALMPATH_OK, std::string(PALM_MAX_PATH - 1, 'A')},
      {hex(PALM_MAX_PATH), PALMPATH_TOO_LONG, ""},
  };
  for (const auto& c : cases) {
    write(c.bytes);
    for (char fill : {'\0', 'Z'}) {
      SCOPED_TRACE(c.path.size());
      char buf[PALM_MAX_PATH];
      std::memset(buf, fill, sizeof buf);
      EXPECT_EQ(GetPalmCorePath(buf, sizeof buf), c.result);
      EXPECT_EQ(std::string(buf), c.path);
    }
  }
}
#endif

}  // namespace
