// The Palm binding: finding the core directory, loading the four libraries in order, the
// entry-point tables and the wrappers.
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/palm/PalmTest.h"

namespace {

namespace fs = std::filesystem;
using palmtest::LoadedBits;
using palmtest::PalmTest;

constexpr unsigned kLibBits[] = {PLIB_CONDMGR, PLIB_USERDATA, PLIB_HSAPI, PLIB_INSTAIDE};

struct Wrapper {
  const char* name;
  std::function<std::int32_t()> call;
};

// Every wrapper, each called with sound buffers so that a wrongly bound entry point would answer
// rather than crash.
std::vector<Wrapper> AllWrappers() {
  static char text[1024];
  static unsigned char block[palm::kInstallInfoSize];
  static std::int32_t size32;
  static std::int16_t size16;
  static std::uint32_t value, refs[8];
  static std::uint16_t count;
  static std::int32_t code;
  auto s32 = [] { size32 = sizeof text; return &size32; };
  auto s16 = [] { size16 = sizeof text; return &size16; };
  return {
      {"CmGetConduitCount", [] { return palm::CmGetConduitCount(); }},
      {"CmGetConduitCreatorID", [=] { return palm::CmGetConduitCreatorID(0, text, s32()); }},
      {"CmGetCreatorName", [=] { return palm::CmGetCreatorName("memo", text, s32()); }},
      {"CmConvertStringToCreatorID", [] { return palm::CmConvertStringToCreatorID("memo", &value); }},
      {"CmGetCreatorIntegrate", [] { return palm::CmGetCreatorIntegrate("memo", &value); }},
      {"CmGetCreatorPriority", [] { return palm::CmGetCreatorPriority("memo", &value); }},
      {"CmGetCreatorFile", [=] { return palm::CmGetCreatorFile("memo", text, s32()); }},
      {"CmGetCreatorDirectory", [=] { return palm::CmGetCreatorDirectory("memo", text, s32()); }},
      {"CmGetCreatorRemote", [=] { return palm::CmGetCreatorRemote("memo", text, s32()); }},
      {"CmGetCreatorInfo", [=] { return palm::CmGetCreatorInfo("memo", text, s32()); }},
      {"CmGetCreatorTitle", [=] { return palm::CmGetCreatorTitle("memo", text, s32()); }},
      {"CmGetBackupConduit", [=] { return palm::CmGetBackupConduit(text, s32()); }},
      {"PltGetInstallConduitCount", [] { return palm::PltGetInstallConduitCount(); }},
      {"PltGetInstallConduitInfo",
       [] { size32 = sizeof block; return palm::PltGetInstallConduitInfo(0, block, &size32); }},
      {"UmGetUserCount", [] { return std::int32_t{palm::UmGetUserCount()}; }},
      {"UmGetUserID", [] { return palm::UmGetUserID(0, &value); }},
      {"UmGetUserName", [=] { return palm::UmGetUserName(1, text, s16()); }},
      {"UmGetUserDirectory", [=] { return palm::UmGetUserDirectory(1, text, s16()); }},
      {"UmIsUserProfile", [] { return palm::UmIsUserProfile(1); }},
      {"UmGetRootDirectory", [=] { return palm::UmGetRootDirectory(text, s16()); }},
      {"UmSlotGetSlotCount", [] { return palm::UmSlotGetSlotCount(1, &count); }},
      {"UmSlotGetInfo", [] { count = 8; return palm::UmSlotGetInfo(1, refs, &count); }},
      {"UmSlotGetMediaType", [] { return palm::UmSlotGetMediaType(1, 1, &value); }},
      {"UmSlotGetDisplayName", [=] { return palm::UmSlotGetDisplayName(1, 1, text, s32()); }},
      {"UmSetUserPermSyncPreferences", [] { return palm::UmSetUserPermSyncPreferences(1, 1, 0); }},
      {"UmSetUserTempSyncPreferences", [] { return palm::UmSetUserTempSyncPreferences(1, 1, 0); }},
      {"UmGetUserPermSyncPreferences", [] { return palm::UmGetUserPermSyncPreferences(1, 1, &code); }},
      {"UmGetUserTempSyncPreferences", [] { return palm::UmGetUserTempSyncPreferences(1, 1, &code); }},
      {"UmDeleteUserTempSyncPreferences", [] { return palm::UmDeleteUserTempSyncPreferences(1, 1); }},
      {"HsCheckApiStatus", [] { return palm::HsCheckApiStatus(); }},
      {"HsGetSyncStatus", [] { return palm::HsGetSyncStatus(&value); }},
  };
}

fixture::Conduit MemoConduit() {
  fixture::Conduit c;
  c.creator = "memo";
  c.module = "Memo.dll";
  c.title = "Memo Pad";
  return c;
}

void ExpectNothingBound() {
  EXPECT_EQ(LoadedBits(), 0u);
  for (unsigned lib : kLibBits) {
    for (unsigned i = 0; i < PalmLibSlotCount(lib); ++i) {
      EXPECT_FALSE(PalmLibSlotBound(lib, i)) << PalmLibSlotName(lib, i);
    }
  }
  for (const Wrapper& w : AllWrappers()) EXPECT_EQ(w.call(), palm::ERR_NOT_BOUND) << w.name;
}

// ---------------------------------------------------------------------------------------------
// The core directory

using BindingTest = PalmTest;

TEST_F(BindingTest, CoreDirectoryComesFromKestrowIniElseTheRegistry) {
  fixture::Installation& fromIni = Install();
  fixture::Installation& fromRegistry = Install();
  fromIni.Commit();
  fromRegistry.Commit();
  const std::string missing = (fromIni.dir() / "no-such-directory").string();

  enum Ini { kNoIni, kIniAtInstall, kIniAtMissing, kIniEmptyValue, kIniOtherSection };
  struct Case {
    const char* what;
    Ini ini;
    bool registry;
    std::int32_t code;
    std::string path;  // also whether the libraries load: they do from either installation
  };
  const Case cases[] = {
      {"ini wins over the registry", kIniAtInstall, true, PALMPATH_OK, fromIni.str()},
      {"ini wins even naming a missing directory", kIniAtMissing, true, PALMPATH_OK, missing},
      {"empty PDPath falls back", kIniEmptyValue, true, PALMPATH_OK, fromRegistry.str()},
      {"no PDPath in section Path falls back", kIniOtherSection, true, PALMPATH_OK, fromRegistry.str()},
      {"no kestrow.ini falls back", kNoIni, true, PALMPATH_OK, fromRegistry.str()},
      {"neither source", kNoIni, false, PALMPATH_NOT_FOUND, ""},
      {"empty PDPath and no registry", kIniEmptyValue, false, PALMPATH_NOT_FOUND, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    switch (c.ini) {
      case kNoIni: fixture::RemoveKestrowIni(); break;
      case kIniAtInstall: fixture::PointKestrowIniAt(fromIni.str()); break;
      case kIniAtMissing: fixture::PointKestrowIniAt(missing); break;
      case kIniEmptyValue: fixture::WriteKestrowIni("[Path]\nPDPath=\n"); break;
      case kIniOtherSection: fixture::WriteKestrowIni("[Paths]\nPDPath=" + fromIni.str() + "\n[Path]\nCore=x\n"); break;
    }
    if (c.registry) {
      fixture::SetRegistryCorePath(fromRegistry.str());
    } else {
      fixture::ClearRegistryCorePath();
    }

    char buf[PALM_MAX_PATH];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(GetPalmCorePath(buf, sizeof buf), c.code);
    EXPECT_STREQ(buf, c.path.c_str());

    const bool loadable = c.path == fromIni.str() || c.path == fromRegistry.str();
    EXPECT_EQ(LoadPalmLibs(PLIB_ALL), loadable);
    EXPECT_EQ(LoadedBits(), loadable ? PLIB_ALL : 0u);
    FreePalmLibs(PLIB_ALL);
  }
}

TEST_F(BindingTest, RegistryValueMustFitTheBufferWithItsTerminator) {
  const std::string value = "C:\\Palm";  // 7 characters
  fixture::SetRegistryCorePath(value);
  struct Case {
    std::uint32_t cap;
    std::int32_t code;
  };
  for (const Case c : {Case{64, PALMPATH_OK}, Case{8, PALMPATH_OK}, Case{7, PALMPATH_TOO_LONG},
                       Case{1, PALMPATH_TOO_LONG}}) {
    SCOPED_TRACE(c.cap);
    char buf[80];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(GetPalmCorePath(buf, c.cap), c.code);
    EXPECT_STREQ(buf, c.code == PALMPATH_OK ? value.c_str() : "");
    for (std::size_t i = c.cap; i < sizeof buf; ++i) ASSERT_EQ(buf[i], '#') << "written past the capacity at " << i;
  }

  // A value longer than the path limit, as every caller offers it.
  fixture::SetRegistryCorePath(std::string(300, 'p'));
  char buf[PALM_MAX_PATH];
  EXPECT_EQ(GetPalmCorePath(buf, sizeof buf), PALMPATH_TOO_LONG);
  EXPECT_FALSE(LoadPalmLibs(PLIB_ALL));
}

// An empty DesktopPath names no directory: taken as found, the libraries would be loaded from
// "\condmgr.dll", the root of the current drive.
TEST_F(BindingTest, AnEmptyRegistryValueIsNotFoundAndNothingLoads) {
  for (const char* ini : {static_cast<const char*>(nullptr), "[Path]\nPDPath=\n"}) {
    SCOPED_TRACE(ini ? "empty PDPath" : "no kestrow.ini");
    if (ini) fixture::WriteKestrowIni(ini);
    fixture::SetRegistryCorePath("");
    char buf[PALM_MAX_PATH];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(GetPalmCorePath(buf, sizeof buf), PALMPATH_NOT_FOUND);
    EXPECT_STREQ(buf, "");
    EXPECT_FALSE(LoadPalmLibs(PLIB_ALL));
    EXPECT_FALSE(LoadCondMgrDll(""));
    ExpectNothingBound();

    const std::string before = CurrentDirectory();
    EXPECT_TRUE(PalmLibInit());
    EXPECT_EQ(CurrentDirectory(), before);
    ExpectNothingBound();
    PalmLibExit();
  }
}

TEST_F(BindingTest, CoreDirectoryLookupNeedsABuffer) {
  fixture::SetRegistryCorePath("C:\\Palm");
  char buf[4] = {'#', '#', '#', '#'};
  EXPECT_EQ(GetPalmCorePath(nullptr, 260), PALMPATH_NO_BUFFER);
  EXPECT_EQ(GetPalmCorePath(buf, 0), PALMPATH_NO_BUFFER);
  EXPECT_EQ(buf[0], '#');
}

TEST_F(BindingTest, InitMakesTheCoreDirectoryCurrent) {
  fixture::Installation& inst = Install();
  inst.AddUser(palmtest::MakeUser(7, "Ann", "Ann")).Commit();
  fixture::SetRegistryCorePath(inst.str());

  EXPECT_TRUE(PalmLibInit());
  EXPECT_TRUE(palmtest::SameDirectory(CurrentDirectory(), inst.str())) << CurrentDirectory();
  EXPECT_EQ(LoadedBits(), PLIB_ALL);
  ASSERT_NE(GetUserRoster(), nullptr);
  EXPECT_EQ(GetUserRoster()->GetCount(), 1u);
  EXPECT_TRUE(Messages().empty());

  EXPECT_TRUE(PalmLibExit());
  EXPECT_EQ(GetUserRoster(), nullptr);
  ExpectNothingBound();
}

TEST_F(BindingTest, InitWithoutACoreDirectoryLeavesEverythingAsItWas) {
  const std::string before = CurrentDirectory();
  EXPECT_TRUE(PalmLibInit());
  EXPECT_EQ(CurrentDirectory(), before);
  ExpectNothingBound();
  // The roster is what reports it.
  EXPECT_EQ(Messages().size(), 1u);
  ASSERT_NE(GetUserRoster(), nullptr);
  EXPECT_EQ(GetUserRoster()->GetCount(), 0u);
}

// ---------------------------------------------------------------------------------------------
// Loading

TEST_F(BindingTest, LoadingStopsAtTheFirstLibraryThatFails) {
  struct Case {
    const char* missing;  // nullptr: all four present
    bool result;
    unsigned loaded;
  };
  const Case cases[] = {
      {nullptr, true, PLIB_ALL},
      {"condmgr.dll", false, 0},
      {"UserData.dll", false, PLIB_CONDMGR},
      {"HSAPI.DLL", false, PLIB_CONDMGR | PLIB_USERDATA},
      {"instaide.dll", false, PLIB_CONDMGR | PLIB_USERDATA | PLIB_HSAPI},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.missing ? c.missing : "none missing");
    fixture::Installation& inst = Install();
    inst.AddUser(palmtest::MakeUser(7, "Ann", "Ann")).AddInstallConduit({"inst", "Inst.dll", "Installer"}).Commit();
    if (c.missing) inst.RemoveLibrary(c.missing);
    fixture::PointKestrowIniAt(inst.str());

    EXPECT_EQ(LoadPalmLibs(PLIB_ALL), c.result);
    EXPECT_EQ(LoadedBits(), c.loaded);
    // What the callers see: users with UserData.dll, install conduits with instaide.dll.
    EXPECT_EQ(palm::UmGetUserCount(), (c.loaded & PLIB_USERDATA) ? 1 : palm::ERR_NOT_BOUND);
    EXPECT_EQ(palm::CmGetConduitCount(), (c.loaded & PLIB_CONDMGR) ? 0 : palm::ERR_NOT_BOUND);
    EXPECT_EQ(palm::PltGetInstallConduitCount(), (c.loaded & PLIB_INSTAIDE) ? 1 : palm::ERR_NOT_BOUND);
    FreePalmLibs(PLIB_ALL);
  }
}

TEST_F(BindingTest, OnlyRequestedLibrariesLoadAndRelease) {
  fixture::Installation& inst = Install();
  inst.Commit();
  fixture::PointKestrowIniAt(inst.str());

  EXPECT_TRUE(LoadPalmLibs(PLIB_USERDATA | PLIB_INSTAIDE));
  EXPECT_EQ(LoadedBits(), PLIB_USERDATA | PLIB_INSTAIDE);
  EXPECT_TRUE(LoadPalmLibs(PLIB_ALL));
  FreePalmLibs(PLIB_CONDMGR | PLIB_HSAPI);
  EXPECT_EQ(LoadedBits(), PLIB_USERDATA | PLIB_INSTAIDE);
  EXPECT_EQ(palm::CmGetConduitCount(), palm::ERR_NOT_BOUND);
  EXPECT_EQ(palm::UmGetUserCount(), 0);
}

TEST_F(BindingTest, EveryNameOfTheFullLibrariesBinds) {
  fixture::Installation& inst = Install();
  inst.Commit();
  fixture::PointKestrowIniAt(inst.str());
  ASSERT_TRUE(LoadPalmLibs(PLIB_ALL));
  for (unsigned lib : kLibBits) {
    for (unsigned i = 0; i < PalmLibSlotCount(lib); ++i) {
      EXPECT_TRUE(PalmLibSlotBound(lib, i)) << PalmLibSlotName(lib, i);
    }
  }
}

TEST_F(BindingTest, NamesALibraryLacksAnswerNotBoundAndTheRestBind) {
  struct Case {
    const char* variant;
    const char* asName;
    unsigned lib;
    std::vector<std::string> missing;
  };
  const Case cases[] = {
      {"UserData_noslots.dll", "UserData.dll", PLIB_USERDATA,
       {"UmSlotGetExpMgrVersion", "UmSlotGetSlotCount", "UmSlotGetInfo", "UmSlotGetMediaType",
        "UmSlotGetDisplayName", "UmSlotGetInstallDirectory"}},
      {"UserData_notemp.dll", "UserData.dll", PLIB_USERDATA, {"UmSetUserTempSyncPreferences"}},
      {"condmgr_notitle.dll", "condmgr.dll", PLIB_CONDMGR, {"CmGetCreatorTitle"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variant);
    fixture::Installation& inst = Install();
    inst.AddUser({7, "Ann", "Ann", false, {{1, 0x73646967, "Card"}}})
        .AddConduit(MemoConduit())
        .Commit();
    inst.UseVariant(c.variant, c.asName);
    fixture::PointKestrowIniAt(inst.str());
    ASSERT_TRUE(LoadPalmLibs(PLIB_ALL));

    auto isMissing = [&](const std::string& name) {
      for (const std::string& m : c.missing) {
        if (m == name) return true;
      }
      return false;
    };
    for (unsigned i = 0; i < PalmLibSlotCount(c.lib); ++i) {
      EXPECT_EQ(PalmLibSlotBound(c.lib, i), !isMissing(PalmLibSlotName(c.lib, i))) << PalmLibSlotName(c.lib, i);
    }
    for (const Wrapper& w : AllWrappers()) {
      if (isMissing(w.name)) {
        EXPECT_EQ(w.call(), palm::ERR_NOT_BOUND) << w.name;
      } else {
        EXPECT_NE(w.call(), palm::ERR_NOT_BOUND) << w.name;
      }
    }
    FreePalmLibs(PLIB_ALL);
  }
}

TEST_F(BindingTest, WrappersPassArgumentsAndResultsThrough) {
  fixture::Installation& inst = Install();
  inst.AddUser({0x80000001u, "Ann", "AnnDir", true, {{0xC0DE, 0x73646967, "SD Card"}}}).Commit();
  fixture::PointKestrowIniAt(inst.str());
  ASSERT_TRUE(LoadPalmLibs(PLIB_ALL));

  std::uint32_t id = 0;
  EXPECT_EQ(palm::UmGetUserID(0, &id), 0);
  EXPECT_EQ(id, 0x80000001u);
  EXPECT_EQ(palm::UmGetUserID(1, &id), palm::USERDATA_ERR_INVALID_USER);
  EXPECT_EQ(palm::UmIsUserProfile(0x80000001u), 1);

  char name[16] = {};
  std::int32_t size = sizeof name;
  EXPECT_EQ(palm::UmSlotGetDisplayName(0x80000001u, 0xC0DE, name, &size), 0);
  EXPECT_STREQ(name, "SD Card");

  EXPECT_EQ(palm::UmSetUserPermSyncPreferences(0x80000001u, 0x6D656D6Fu, palm::SYNC_PREF_HH_TO_PC), 0);
  EXPECT_EQ(palm::UmSetUserTempSyncPreferences(0x80000001u, 0xFFFFFFFFu, palm::SYNC_PREF_DO_NOTHING), 0);
  const std::vector<fixture::JournalEntry> expected = {
      {true, 0x80000001u, 0x6D656D6Fu, palm::SYNC_PREF_HH_TO_PC},
      {false, 0x80000001u, 0xFFFFFFFFu, palm::SYNC_PREF_DO_NOTHING},
  };
  EXPECT_EQ(inst.ReadJournal(), expected);
  std::int32_t code = -1;
  EXPECT_EQ(palm::UmGetUserPermSyncPreferences(0x80000001u, 0x6D656D6Fu, &code), 0);
  EXPECT_EQ(code, palm::SYNC_PREF_HH_TO_PC);
  EXPECT_EQ(palm::UmDeleteUserTempSyncPreferences(0x80000001u, 0xFFFFFFFFu), 0);
  EXPECT_EQ(inst.ReadJournal().back(), (fixture::JournalEntry{false, 0x80000001u, 0xFFFFFFFFu, 0, true}));
  EXPECT_EQ(palm::UmGetUserTempSyncPreferences(0x80000001u, 0xFFFFFFFFu, &code), palm::USERDATA_ERR_NOT_FOUND);

  // HotSync Manager: not running, then in the middle of a HotSync. Its errors are positive.
  std::uint32_t status = 0xEE;
  EXPECT_EQ(palm::HsCheckApiStatus(), palm::HSAPI_ERR_HOTSYNC_NOT_FOUND);
  EXPECT_EQ(palm::HsGetSyncStatus(&status), palm::HSAPI_ERR_HOTSYNC_NOT_FOUND);
  EXPECT_EQ(status, 0xEEu);
  inst.SetHotSync("syncing").Commit();
  EXPECT_EQ(palm::HsCheckApiStatus(), 0);
  EXPECT_EQ(palm::HsGetSyncStatus(&status), 0);
  EXPECT_EQ(status, palm::HOTSYNC_STATUS_SYNCING);
  EXPECT_EQ(palm::HsGetSyncStatus(nullptr), palm::HSAPI_ERR_INVALID_POINTER);
}

TEST_F(BindingTest, ReleaseEmptiesEverySlotAndALoadAgainRefillsThem) {
  fixture::Installation& inst = Install();
  inst.AddUser(palmtest::MakeUser(7, "Ann", "Ann")).Commit();
  fixture::PointKestrowIniAt(inst.str());

  ASSERT_TRUE(LoadPalmLibs(PLIB_ALL));
  ASSERT_TRUE(LoadUserDataDll());  // a second load replaces the first
  EXPECT_EQ(palm::UmGetUserCount(), 1);

  FreePalmLibs(PLIB_ALL);
  ExpectNothingBound();
  FreePalmLibs(PLIB_ALL);  // releasing what is not loaded is harmless
  ExpectNothingBound();

  ASSERT_TRUE(LoadPalmLibs(PLIB_ALL));
  EXPECT_EQ(palm::UmGetUserCount(), 1);
}

TEST_F(BindingTest, TablesHoldEveryNameInOrder) {
  struct Case {
    unsigned lib;
    unsigned count;
    const char* first;
    const char* last;
  };
  const Case cases[] = {
      {PLIB_CONDMGR, 50, "CmGetLibVersion", "CmRestoreHotSyncSettings"},
      {PLIB_USERDATA, 37, "UmGetLibVersion", "UmSlotGetInstallDirectory"},
      {PLIB_HSAPI, 11, "HsGetApiVersion", "HsRefreshConduitInfo"},
      {PLIB_INSTAIDE, 33, "PlmGetLibVesion", "PlmMoveInstallFileToHandheld"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.first);
    ASSERT_EQ(PalmLibSlotCount(c.lib), c.count);
    EXPECT_STREQ(PalmLibSlotName(c.lib, 0), c.first);
    EXPECT_STREQ(PalmLibSlotName(c.lib, c.count - 1), c.last);
    EXPECT_EQ(PalmLibSlotName(c.lib, c.count), nullptr);
  }
  // A few from the middle, where a dropped or swapped name would shift the rest.
  EXPECT_STREQ(PalmLibSlotName(PLIB_CONDMGR, 5), "CmGetConduitCreatorID");
  EXPECT_STREQ(PalmLibSlotName(PLIB_USERDATA, 20), "UmGetRootDirectory");
  EXPECT_STREQ(PalmLibSlotName(PLIB_INSTAIDE, 14), "PltGetInstallConduitInfo");
  // Only single bits name a library.
  EXPECT_EQ(PalmLibSlotCount(PLIB_ALL), 0u);
  EXPECT_EQ(PalmLibSlotName(16, 0), nullptr);
}

// ---------------------------------------------------------------------------------------------
// A given directory

// A directory under base whose path is exactly length characters long (made of components of
// at most 100 characters).
fs::path DirectoryOfLength(const fs::path& base, std::size_t length) {
  fs::path dir = base;
  while (dir.string().size() < length) {
    const std::size_t room = length - dir.string().size() - 1;  // one for the separator
    dir /= std::string(room > 100 ? 100 : (room == 0 ? 1 : room), 'd');
  }
  fs::create_directories(dir);
  return dir;
}

TEST_F(BindingTest, AGivenDirectoryIsUsedOnlyWhenTheCoreDirectoryIsFound) {
  fixture::Installation& other = Install();
  other.AddUser(palmtest::MakeUser(7, "Ann", "Ann")).Commit();

  EXPECT_FALSE(LoadUserDataDll(other.str().c_str()));
  EXPECT_FALSE(PalmLibLoaded(PLIB_USERDATA));

  fixture::Installation& core = Install(0);  // a core directory without libraries
  fixture::PointKestrowIniAt(core.str());
  EXPECT_FALSE(LoadUserDataDll());
  EXPECT_FALSE(LoadUserDataDll(""));
  EXPECT_TRUE(LoadUserDataDll(other.str().c_str()));
  EXPECT_EQ(palm::UmGetUserCount(), 1);
}

TEST_F(BindingTest, ALibraryPathBeyondThePathLimitIsRefused) {
  fixture::Installation& core = Install();
  core.Commit();
  fixture::PointKestrowIniAt(core.str());
  const fs::path library = fixture::PalmdeskBuildDir() / "condmgr.dll";
  const std::size_t nameLength = std::strlen("/condmgr.dll");

  // Fits exactly: 259 characters and the terminator.
  const fs::path fits = DirectoryOfLength(core.dir() / "fits", PALM_MAX_PATH - 1 - nameLength);
  fs::copy_file(library, fits / "condmgr.dll");
  EXPECT_TRUE(LoadCondMgrDll(fits.string().c_str()));
  EXPECT_TRUE(PalmLibLoaded(PLIB_CONDMGR));

  // One character too long. Cut to the buffer the path would name condmgr.dl, which is there
  // and loads: it must not be taken.
  const fs::path tooLong = DirectoryOfLength(core.dir() / "long", PALM_MAX_PATH - nameLength);
  fs::copy_file(library, tooLong / "condmgr.dl");
  EXPECT_FALSE(LoadCondMgrDll(tooLong.string().c_str()));
  EXPECT_FALSE(PalmLibLoaded(PLIB_CONDMGR));
  EXPECT_EQ(palm::CmGetConduitCount(), palm::ERR_NOT_BOUND);
}

}  // namespace
