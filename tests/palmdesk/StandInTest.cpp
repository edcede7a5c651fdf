// The stand-in libraries and sample conduit modules, loaded straight from a fixture
// installation (not through the tool's binding): what they answer, in Palm's conventions.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include "src/core/os/os.h"
#include "src/core/palm/PalmApi.h"
#include "palmdesk/Description.h"
#include "tests/support/PalmFixture.h"

namespace {

using fixture::Installation;

// One library of an installation, loaded for the test's lifetime.
class Lib {
 public:
  Lib(const Installation& inst, const std::string& file) : m_lib(os::LoadLibrary((inst.dir() / file).string().c_str())) {}
  ~Lib() {
    if (m_lib) os::FreeLibrary(m_lib);
  }
  Lib(const Lib&) = delete;
  Lib& operator=(const Lib&) = delete;
  bool loaded() const { return m_lib != nullptr; }
  template <class F>
  F Get(const char* name) const {
    return reinterpret_cast<F>(os::FindSymbol(m_lib, name));
  }

 private:
  os::Library m_lib;
};

constexpr std::uint32_t kSdig = 0x73646967;

Installation& Standard(Installation& inst) {
  inst.AddUser({1001, "Alice Smith", "AliceS", false, {{5, kSdig, "SD Card"}, {9, 0x12345678, "Odd"}}})
      .AddUser({1002, "Bob Jones", "BobJ", true, {}})
      .AddConduit({"addr", "addrcond.dll", "Address Book", "address", "address.dat", "AddressDB", "info", 1, 2})
      .AddConduit({"memo", "memocond.dll", "Memo Pad", "", "", "", "", 0, 3})
      .AddInstallConduit({std::string("Inst", 4), "instapp.dll", "Install Handheld Files"})
      .SetBackupConduit("backup.dll")
      .SetRootDirectory("PalmRoot");
  return inst;
}

TEST(StandIn, UserDataAnswersUsersSlotsAndBufferRules) {
  Installation inst;
  Standard(inst).Commit();
  Lib ud(inst, "UserData.dll");
  ASSERT_TRUE(ud.loaded());
  auto count = ud.Get<palm::PFN_UmGetUserCount>("UmGetUserCount");
  auto getId = ud.Get<palm::PFN_UmGetUserID>("UmGetUserID");
  auto getName = ud.Get<palm::PFN_UmGetUserText>("UmGetUserName");
  auto getDir = ud.Get<palm::PFN_UmGetUserText>("UmGetUserDirectory");
  auto isProfile = ud.Get<palm::PFN_UmIsUserProfile>("UmIsUserProfile");
  auto root = ud.Get<palm::PFN_UmGetRootDirectory>("UmGetRootDirectory");
  ASSERT_TRUE(count && getId && getName && getDir && isProfile && root);

  EXPECT_EQ(count(), 2);
  std::uint32_t id = 0;
  EXPECT_EQ(getId(1, &id), 0);
  EXPECT_EQ(id, 1002u);
  EXPECT_EQ(getId(2, &id), -505);  // ERR_UM_INVALID_USER

  char buf[64];
  std::int16_t size = sizeof buf;
  EXPECT_EQ(getName(1001, buf, &size), 0);
  EXPECT_STREQ(buf, "Alice Smith");
  size = sizeof buf;
  EXPECT_EQ(getDir(1002, buf, &size), 0);
  EXPECT_STREQ(buf, "BobJ");
  size = sizeof buf;
  EXPECT_EQ(root(buf, &size), 0);
  EXPECT_STREQ(buf, "PalmRoot");
  EXPECT_EQ(isProfile(1002), 1);
  EXPECT_EQ(isProfile(1001), 0);
  EXPECT_EQ(isProfile(7), 0);
  size = sizeof buf;
  EXPECT_EQ(getName(7, buf, &size), -505);  // ERR_UM_INVALID_USER

  // "Alice Smith" needs 12 bytes: 11 is too small, and nothing lands past the capacity.
  std::memset(buf, 'x', sizeof buf);
  size = 11;
  EXPECT_EQ(getName(1001, buf, &size), -504);  // ERR_UM_BUFSIZE_TOO_SMALL
  EXPECT_EQ(buf[0], '\0');
  EXPECT_EQ(buf[11], 'x');
  EXPECT_EQ(size, 12);
  size = 12;
  EXPECT_EQ(getName(1001, buf, &size), 0);
  EXPECT_STREQ(buf, "Alice Smith");

  auto slotCount = ud.Get<palm::PFN_UmSlotGetSlotCount>("UmSlotGetSlotCount");
  auto slotInfo = ud.Get<palm::PFN_UmSlotGetInfo>("UmSlotGetInfo");
  auto mediaType = ud.Get<palm::PFN_UmSlotGetMediaType>("UmSlotGetMediaType");
  auto slotName = ud.Get<palm::PFN_UmSlotGetDisplayName>("UmSlotGetDisplayName");
  ASSERT_TRUE(slotCount && slotInfo && mediaType && slotName);
  std::uint16_t n = 0;
  EXPECT_EQ(slotCount(1001, &n), 0);
  EXPECT_EQ(n, 2);
  std::uint32_t refs[2] = {0, 0};
  std::uint16_t room = 1;  // fills no more than it is offered
  EXPECT_EQ(slotInfo(1001, refs, &room), 0);
  EXPECT_EQ(room, 1);
  EXPECT_EQ(refs[0], 5u);
  EXPECT_EQ(refs[1], 0u);
  std::uint32_t type = 0;
  EXPECT_EQ(mediaType(1001, 9, &type), 0);
  EXPECT_EQ(type, 0x12345678u);
  EXPECT_EQ(mediaType(1001, 6, &type), -513);  // ERR_UM_NOT_FOUND
  std::int32_t size32 = sizeof buf;
  EXPECT_EQ(slotName(1001, 5, buf, &size32), 0);
  EXPECT_STREQ(buf, "SD Card");
}

TEST(StandIn, SyncPreferencesGoToTheJournalAndFoldBack) {
  Installation inst;
  Standard(inst).Commit();
  Lib ud(inst, "UserData.dll");
  auto setPerm = ud.Get<palm::PFN_UmSetUserSyncPreferences>("UmSetUserPermSyncPreferences");
  auto setTemp = ud.Get<palm::PFN_UmSetUserSyncPreferences>("UmSetUserTempSyncPreferences");
  auto getPerm = ud.Get<palm::PFN_UmGetUserSyncPreferences>("UmGetUserPermSyncPreferences");
  auto getTemp = ud.Get<palm::PFN_UmGetUserSyncPreferences>("UmGetUserTempSyncPreferences");
  ASSERT_TRUE(setPerm && setTemp && getPerm && getTemp);

  EXPECT_EQ(setPerm(1001, 0x61646472, 1), 0);
  EXPECT_EQ(setTemp(1002, 0xFFFFFFFF, 3), 0);
  EXPECT_EQ(setPerm(1001, 0x61646472, 2), 0);
  EXPECT_EQ(setPerm(4242, 0x61646472, 2), -505);  // ERR_UM_INVALID_USER; nothing written

  std::vector<fixture::JournalEntry> expected = {
      {true, 1001, 0x61646472, 1}, {false, 1002, 0xFFFFFFFF, 3}, {true, 1001, 0x61646472, 2}};
  EXPECT_EQ(inst.ReadJournal(), expected);

  std::int32_t code = -1;
  EXPECT_EQ(getPerm(1001, 0x61646472, &code), 0);
  EXPECT_EQ(code, 2);  // the last write wins
  EXPECT_EQ(getTemp(1002, 0xFFFFFFFF, &code), 0);
  EXPECT_EQ(code, 3);
  code = -1;
  EXPECT_EQ(getTemp(1001, 0x61646472, &code), -513);  // ERR_UM_NOT_FOUND: temp and perm are apart
  EXPECT_EQ(code, -1);

  // A write after a read is seen by the next read.
  EXPECT_EQ(setPerm(1001, 0x61646472, 0), 0);
  EXPECT_EQ(getPerm(1001, 0x61646472, &code), 0);
  EXPECT_EQ(code, 0);

  // Deleting the temporary preference leaves the permanent one in force.
  auto delTemp = ud.Get<palm::PFN_UmDeleteUserTempSyncPreferences>("UmDeleteUserTempSyncPreferences");
  ASSERT_TRUE(delTemp);
  EXPECT_EQ(setTemp(1001, 0x61646472, 3), 0);
  EXPECT_EQ(getTemp(1001, 0x61646472, &code), 0);
  EXPECT_EQ(delTemp(1001, 0x61646472), 0);
  code = -1;
  EXPECT_EQ(getTemp(1001, 0x61646472, &code), -513);  // ERR_UM_NOT_FOUND
  EXPECT_EQ(code, -1);
  EXPECT_EQ(getPerm(1001, 0x61646472, &code), 0);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(delTemp(4242, 0x61646472), -505);  // ERR_UM_INVALID_USER
  const std::vector<fixture::JournalEntry> journal = inst.ReadJournal();
  ASSERT_FALSE(journal.empty());
  EXPECT_EQ(journal.back(), (fixture::JournalEntry{false, 1001, 0x61646472, 0, true}));
}

// The permanent and the temporary preference of each user and creator are two separate
// values: a write of one never shows as the other, deleting the temporary one ends only it, and
// a value never written (or deleted) answers "not found" and leaves the caller's code alone.
// Each step is followed by reads of both kinds for its user and creator.
TEST(StandIn, PermanentAndTemporaryPreferencesAreKeptApart) {
  Installation inst;
  Standard(inst).Commit();
  Lib ud(inst, "UserData.dll");
  auto setPerm = ud.Get<palm::PFN_UmSetUserSyncPreferences>("UmSetUserPermSyncPreferences");
  auto setTemp = ud.Get<palm::PFN_UmSetUserSyncPreferences>("UmSetUserTempSyncPreferences");
  auto getPerm = ud.Get<palm::PFN_UmGetUserSyncPreferences>("UmGetUserPermSyncPreferences");
  auto getTemp = ud.Get<palm::PFN_UmGetUserSyncPreferences>("UmGetUserTempSyncPreferences");
  auto delTemp = ud.Get<palm::PFN_UmDeleteUserTempSyncPreferences>("UmDeleteUserTempSyncPreferences");
  ASSERT_TRUE(setPerm && setTemp && getPerm && getTemp && delTemp);

  constexpr std::uint32_t kAddr = 0x61646472, kMemo = 0x6D656D6F;
  constexpr std::int32_t kNotFound = -513, kBadUser = -505, kUntouched = -77;
  enum class Op { Read, SetPerm, SetTemp, DeleteTemp };
  struct Answer {
    std::int32_t result;
    std::int32_t code;  // kUntouched: the caller's code stays as it was
  };
  const Answer none = {kNotFound, kUntouched}, badUser = {kBadUser, kUntouched};
  const struct {
    const char* what;
    Op op;
    std::uint32_t user, creator;
    std::int32_t code, result;
    Answer perm, temp;
  } steps[] = {
      {"never written", Op::Read, 1001, kAddr, 0, 0, none, none},
      {"a temporary write is no permanent one", Op::SetTemp, 1001, kAddr, 2, 0, none, {0, 2}},
      {"a permanent write leaves the temporary one", Op::SetPerm, 1001, kAddr, 1, 0, {0, 1}, {0, 2}},
      {"the last permanent write wins", Op::SetPerm, 1001, kAddr, 3, 0, {0, 3}, {0, 2}},
      {"a temporary write leaves the permanent one", Op::SetTemp, 1001, kAddr, 0, 0, {0, 3}, {0, 0}},
      {"deleting the temporary one keeps the permanent", Op::DeleteTemp, 1001, kAddr, 0, 0, {0, 3}, none},
      {"deleting it again", Op::DeleteTemp, 1001, kAddr, 0, 0, {0, 3}, none},
      {"a temporary write after the deletion", Op::SetTemp, 1001, kAddr, 4, 0, {0, 3}, {0, 4}},
      {"another creator of the same user", Op::Read, 1001, kMemo, 0, 0, none, none},
      {"a permanent write is no temporary one", Op::SetPerm, 1001, kMemo, 4, 0, {0, 4}, none},
      {"another user of the same creator", Op::Read, 1002, kAddr, 0, 0, none, none},
      {"any code is kept as given", Op::SetTemp, 1002, kAddr, -9, 0, none, {0, -9}},
      {"deleting a temporary one without a permanent", Op::DeleteTemp, 1002, kAddr, 0, 0, none, none},
      {"the first user's are still there", Op::Read, 1001, kAddr, 0, 0, {0, 3}, {0, 4}},
      {"an unknown user, written", Op::SetTemp, 4242, kAddr, 1, kBadUser, badUser, badUser},
      {"an unknown user, deleted", Op::DeleteTemp, 4242, kAddr, 0, kBadUser, badUser, badUser},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    switch (step.op) {
      case Op::Read: break;
      case Op::SetPerm: EXPECT_EQ(setPerm(step.user, step.creator, step.code), step.result); break;
      case Op::SetTemp: EXPECT_EQ(setTemp(step.user, step.creator, step.code), step.result); break;
      case Op::DeleteTemp: EXPECT_EQ(delTemp(step.user, step.creator), step.result); break;
    }
    std::int32_t code = kUntouched;
    EXPECT_EQ(getPerm(step.user, step.creator, &code), step.perm.result);
    EXPECT_EQ(code, step.perm.code) << "permanent";
    code = kUntouched;
    EXPECT_EQ(getTemp(step.user, step.creator, &code), step.temp.result);
    EXPECT_EQ(code, step.temp.code) << "temporary";
  }
}

TEST(StandIn, ConduitManagerAndInstallAide) {
  Installation inst;
  Standard(inst).Commit();
  Lib cm(inst, "condmgr.dll");
  Lib ia(inst, "instaide.dll");
  auto count = cm.Get<palm::PFN_CmGetConduitCount>("CmGetConduitCount");
  auto creatorAt = cm.Get<palm::PFN_CmGetConduitCreatorID>("CmGetConduitCreatorID");
  auto module = cm.Get<palm::PFN_CmGetCreatorText>("CmGetCreatorName");
  auto title = cm.Get<palm::PFN_CmGetCreatorText>("CmGetCreatorTitle");
  auto toId = cm.Get<palm::PFN_CmConvertStringToCreatorID>("CmConvertStringToCreatorID");
  auto priority = cm.Get<palm::PFN_CmGetCreatorValue>("CmGetCreatorPriority");
  auto backup = cm.Get<palm::PFN_CmGetBackupConduit>("CmGetBackupConduit");
  ASSERT_TRUE(count && creatorAt && module && title && toId && priority && backup);

  EXPECT_EQ(count(), 2);
  char creator[5] = {};
  std::int32_t size = 5;
  EXPECT_EQ(creatorAt(1, creator, &size), 0);
  EXPECT_STREQ(creator, "memo");
  size = 4;
  EXPECT_EQ(creatorAt(1, creator, &size), -1010);  // ERR_BUFFER_TOO_SMALL
  char buf[260];
  size = sizeof buf;
  EXPECT_EQ(module("addr", buf, &size), 0);
  EXPECT_STREQ(buf, "addrcond.dll");
  size = sizeof buf;
  EXPECT_EQ(title("memo", buf, &size), 0);
  EXPECT_STREQ(buf, "Memo Pad");
  size = sizeof buf;
  EXPECT_EQ(title("MEMO", buf, &size), -1003);  // ERR_NO_CONDUIT: creators match exactly
  std::uint32_t v = 0;
  EXPECT_EQ(toId("addr", &v), 0);
  EXPECT_EQ(v, 0x61646472u);
  EXPECT_EQ(priority("memo", &v), 0);
  EXPECT_EQ(v, 3u);
  size = sizeof buf;
  EXPECT_EQ(backup(buf, &size), 0);
  EXPECT_STREQ(buf, "backup.dll");

  auto icount = ia.Get<palm::PFN_PltGetInstallConduitCount>("PltGetInstallConduitCount");
  auto info = ia.Get<palm::PFN_PltGetInstallConduitInfo>("PltGetInstallConduitInfo");
  ASSERT_TRUE(icount && info);
  EXPECT_EQ(icount(), 1);
  unsigned char block[palm::kInstallInfoSize + 8];
  std::memset(block, 0xEE, sizeof block);
  size = palm::kInstallInfoSize;
  EXPECT_GT(info(0, block, &size), 0);
  EXPECT_STREQ(reinterpret_cast<char*>(block + palm::kInstallInfoModuleOffset), "instapp.dll");
  // The creator ID is a DWORD, 'Inst' = 0x496E7374, so its bytes lie least significant first.
  EXPECT_EQ(std::memcmp(block + palm::kInstallInfoCreatorOffset, "tsnI", 4), 0);
  palm::FileInstallType asStruct;
  std::memcpy(&asStruct, block, sizeof asStruct);
  EXPECT_EQ(asStruct.dwCreatorID, 0x496E7374u);
  EXPECT_EQ(asStruct.dwCreatorID, palmdesk::FourCC("Inst")) << "the ID CmConvertStringToCreatorID would give";
  EXPECT_STREQ(reinterpret_cast<char*>(block + palm::kInstallInfoNameOffset), "Install Handheld Files");
  EXPECT_EQ(block[palm::kInstallInfoSize], 0xEE);  // nothing past the 840 bytes
  EXPECT_EQ(info(1, block, &size), -514);  // ERR_PILOT_INVALID_INDEX
  size = palm::kInstallInfoSize - 1;
  EXPECT_EQ(info(0, block, &size), -502);  // ERR_PILOT_BUFSIZE_TOO_SMALL
  EXPECT_EQ(size, palm::kInstallInfoSize);
}

// Every error answer is the number Palm's headers give it, the entry points the stand-in does
// not carry out included: those are called through Palm's own prototypes, so a stub declared
// with other arguments would also show here (on 32-bit Windows, as a broken stack).
TEST(StandIn, ErrorsAreTheNumbersOfPalmsHeaders) {
  Installation inst;
  Standard(inst).Commit();
  Lib cm(inst, "condmgr.dll");
  Lib ud(inst, "UserData.dll");
  Lib ia(inst, "instaide.dll");
  Lib hs(inst, "HSAPI.DLL");
  char buf[64] = {};
  std::int32_t size = sizeof buf;
  std::int16_t size16 = sizeof buf;
  std::uint32_t value = 0;
  struct Case {
    const char* what;
    std::int32_t expected;
    std::function<std::int32_t()> call;
  };
  const Case cases[] = {
      {"CmGetConduitCreatorID past the end: ERR_INDEX_OUT_OF_RANGE", -1001,
       [&] { return cm.Get<palm::PFN_CmGetConduitCreatorID>("CmGetConduitCreatorID")(2, buf, &size); }},
      {"CmGetCreatorName of an unknown creator: ERR_NO_CONDUIT", -1003,
       [&] { return cm.Get<palm::PFN_CmGetCreatorName>("CmGetCreatorName")("none", buf, &size); }},
      {"CmConvertStringToCreatorID of three characters: ERR_INVALID_CREATOR_ID", -1012,
       [&] { return cm.Get<palm::PFN_CmConvertStringToCreatorID>("CmConvertStringToCreatorID")("abc", &value); }},
      {"CmGetCreatorTitle without a size: ERR_INVALID_POINTER", -1013,
       [&] { return cm.Get<palm::PFN_CmGetCreatorTitle>("CmGetCreatorTitle")("addr", buf, nullptr); }},
      {"CmSetCreatorName (not carried out): ERR_NO_LONGER_SUPPORTED", -1017,
       [&] { return cm.Get<palm::PFN_CmSetCreatorName>("CmSetCreatorName")("addr", "x.dll"); }},
      {"CmGetCreatorValueDword (not carried out)", -1017,
       [&] { return cm.Get<palm::PFN_CmGetCreatorValueDword>("CmGetCreatorValueDword")("addr", buf, &value, 1); }},
      {"UmGetUserName without a buffer: ERR_UM_INVALID_POINTER", -522,
       [&] { return ud.Get<palm::PFN_UmGetUserName>("UmGetUserName")(1001, nullptr, &size16); }},
      {"UmSlotGetDisplayName of an unknown slot: ERR_UM_NOT_FOUND", -513,
       [&] { return ud.Get<palm::PFN_UmSlotGetDisplayName>("UmSlotGetDisplayName")(1001, 77, buf, &size); }},
      {"UmAddUser (not carried out): ERR_UM_FUNCTION_NOT_SUPPORTED", -528,
       [&] { return ud.Get<palm::PFN_UmAddUser>("UmAddUser")("Carol", 0); }},
      {"UmGetString (not carried out)", -528,
       [&] { return ud.Get<palm::PFN_UmGetString>("UmGetString")(1001, "s", "k", buf, &size, ""); }},
      {"PltGetInstallConduitInfo without a block: ERR_PILOT_INVALID_BUFFER", -516,
       [&] { return ia.Get<palm::PFN_PltGetInstallConduitInfo>("PltGetInstallConduitInfo")(0, nullptr, &size); }},
      {"PltGetUser (not carried out): ERR_PILOT_NOT_FOUND", -553,
       [&] { return ia.Get<palm::PFN_PltGetUser>("PltGetUser")(0, buf, &size16); }},
      {"HsCheckApiStatus with no HotSync Manager: ERROR_HSAPI_HOTSYNC_NOT_FOUND", 0x10000001,
       [&] { return hs.Get<palm::PFN_HsCheckApiStatus>("HsCheckApiStatus")(); }},
      {"HsGetSyncStatus without a pointer: ERROR_HSAPI_INVALID_POINTER", 0x1000000A,
       [&] { return hs.Get<palm::PFN_HsGetSyncStatus>("HsGetSyncStatus")(nullptr); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    size = sizeof buf;
    size16 = sizeof buf;
    EXPECT_EQ(c.call(), c.expected);
  }
}

// The description's "hotsync" line says whether HotSync Manager runs and whether a HotSync is
// in progress; the stand-in HotSync manager's state file, while there, wins over it.
TEST(StandIn, HotSyncApiAnswersTheHotSyncState) {
  struct Case {
    const char* line;       // the description's hotsync line; nullptr: none
    const char* stateFile;  // palmdesk.hotsync; nullptr: none
    std::int32_t check;     // HsCheckApiStatus
    std::int32_t status;    // HsGetSyncStatus's result
    std::uint32_t synced;   // *status (0xEE: left alone)
  };
  constexpr std::int32_t kNotFound = 0x10000001;  // ERROR_HSAPI_HOTSYNC_NOT_FOUND
  const Case cases[] = {
      {nullptr, nullptr, kNotFound, kNotFound, 0xEE},
      {"absent", nullptr, kNotFound, kNotFound, 0xEE},
      {"idle", nullptr, 0, 0, 0},
      {"syncing", nullptr, 0, 0, 1},
      {"absent", "syncing\n", 0, 0, 1},
      {"syncing", "idle", 0, 0, 0},
      {"idle", "absent", kNotFound, kNotFound, 0xEE},
      {"idle", "garbage", 0, 0, 0},  // an unreadable state file is no state
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line ? c.line : "(no line)") + " / " + (c.stateFile ? c.stateFile : "(no file)"));
    Installation inst(4);
    if (c.line) inst.SetHotSync(c.line);
    inst.Commit();
    if (c.stateFile) std::ofstream(inst.dir() / palmdesk::kHotSyncStateFile) << c.stateFile;
    Lib hs(inst, "HSAPI.DLL");
    ASSERT_TRUE(hs.loaded());
    EXPECT_EQ(hs.Get<palm::PFN_HsCheckApiStatus>("HsCheckApiStatus")(), c.check);
    std::uint32_t synced = 0xEE;
    EXPECT_EQ(hs.Get<palm::PFN_HsGetSyncStatus>("HsGetSyncStatus")(&synced), c.status);
    EXPECT_EQ(synced, c.synced);
  }

  // Another process's change of the state file is seen at the next call.
  Installation inst(4);
  inst.SetHotSync("idle").Commit();
  Lib hs(inst, "HSAPI.DLL");
  auto status = hs.Get<palm::PFN_HsGetSyncStatus>("HsGetSyncStatus");
  std::uint32_t synced = 0xEE;
  EXPECT_EQ(status(&synced), 0);
  EXPECT_EQ(synced, palm::HOTSYNC_STATUS_IDLE);
  std::ofstream(inst.dir() / palmdesk::kHotSyncStateFile) << "syncing\n";
  EXPECT_EQ(status(&synced), 0);
  EXPECT_EQ(synced, palm::HOTSYNC_STATUS_SYNCING);
  std::uint32_t version = 0;
  EXPECT_EQ(hs.Get<palm::PFN_HsGetApiVersion>("HsGetApiVersion")(&version), 0);
  EXPECT_EQ(version, palm::HS_API_VERSION_2);
}

TEST(StandIn, FaultSwitchesAndReloadAfterCommit) {
  Installation inst;
  Standard(inst).Commit();
  Lib ud(inst, "UserData.dll");
  Lib ia(inst, "instaide.dll");
  auto count = ud.Get<palm::PFN_UmGetUserCount>("UmGetUserCount");
  auto getName = ud.Get<palm::PFN_UmGetUserText>("UmGetUserName");
  auto info = ia.Get<palm::PFN_PltGetInstallConduitInfo>("PltGetInstallConduitInfo");
  ASSERT_TRUE(count && getName && info);
  EXPECT_EQ(count(), 2);

  // The same library, already loaded, sees each new commit.
  inst.SetFault("user_count", "-3").SetFault("user_name_fail", "1002").SetFault("install_info_fail", "0").Commit();
  EXPECT_EQ(count(), -3);
  char buf[64] = {};
  std::int16_t size = sizeof buf;
  EXPECT_LT(getName(1002, buf, &size), 0);
  EXPECT_STREQ(buf, "");
  size = sizeof buf;
  EXPECT_EQ(getName(1001, buf, &size), 0);
  unsigned char block[palm::kInstallInfoSize] = {};
  std::int32_t isize = sizeof block;
  EXPECT_EQ(info(0, block, &isize), 0);
  EXPECT_EQ(block[palm::kInstallInfoModuleOffset], 0);

  inst.SetFault("user_count", "-4").Commit();  // same size, same second
  EXPECT_EQ(count(), -4);
}

TEST(StandIn, VariantsLackTheirEntryPoints) {
  struct Case {
    const char* variant;
    const char* asName;
    const char* missing;
    const char* kept;
  };
  const Case cases[] = {
      {"UserData_noslots.dll", "UserData.dll", "UmSlotGetSlotCount", "UmSetUserTempSyncPreferences"},
      {"UserData_noslots.dll", "UserData.dll", "UmSlotGetDisplayName", "UmGetUserName"},
      {"UserData_notemp.dll", "UserData.dll", "UmSetUserTempSyncPreferences", "UmSetUserPermSyncPreferences"},
      {"condmgr_notitle.dll", "condmgr.dll", "CmGetCreatorTitle", "CmGetCreatorInfo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variant);
    Installation inst;
    inst.UseVariant(c.variant, c.asName);
    Lib lib(inst, c.asName);
    ASSERT_TRUE(lib.loaded());
    EXPECT_EQ(lib.Get<void*>(c.missing), nullptr);
    EXPECT_NE(lib.Get<void*>(c.kept), nullptr);
  }
  Installation inst;
  inst.RemoveLibrary("HSAPI.DLL");
  EXPECT_FALSE(os::FileExists((inst.dir() / "HSAPI.DLL").string().c_str()));
}

TEST(StandIn, SampleModulesNameThemselves) {
  Installation inst;
  inst.AddModule("sample_named", "addrcond.dll", "Address Book");
  inst.AddModule("sample_named", "plain.dll");
  inst.AddModule("sample_longname", "long.dll");
  inst.AddModule("sample_nameless", "sub/nameless.dll");
  inst.Commit();

  struct Case {
    const char* file;
    std::uint16_t size;
    const char* expected;
  };
  const Case cases[] = {
      {"addrcond.dll", 64, "Address Book"},
      {"addrcond.dll", 8, "Address"},  // cut to size - 1 bytes and terminated
      {"plain.dll", 64, "Sample Conduit"},
      {"long.dll", 64, "Sample Conduit With A Display Name Far Longer Than The Sixty-Fo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Lib mod(inst, c.file);
    auto name = mod.Get<palm::PFN_GetConduitName>("GetConduitName");
    ASSERT_TRUE(name);
    char buf[80];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(name(buf, c.size), 0);
    EXPECT_STREQ(buf, c.expected);
    EXPECT_EQ(buf[c.size], 'x');
  }
  Lib nameless(inst, "sub/nameless.dll");
  ASSERT_TRUE(nameless.loaded());
  EXPECT_EQ(nameless.Get<void*>("GetConduitName"), nullptr);
}

}  // namespace

namespace {

// The two places the tool looks for the core directory, as the OS layer reads them back.
TEST(Fixture, KestrowIniAndRegistryValueReadBack) {
  char exe[4096];
  ASSERT_TRUE(os::GetExecutablePath(exe, sizeof exe));
  const std::string ini = (fixture::fs::path(exe).parent_path() / "kestrow.ini").string();
  char buf[300];
  fixture::PointKestrowIniAt("C:\\Palm Desktop\\Core");
  os::ReadIniString(ini.c_str(), "Path", "PDPath", "", buf, sizeof buf);
  EXPECT_STREQ(buf, "C:\\Palm Desktop\\Core");
  fixture::RemoveKestrowIni();
  EXPECT_FALSE(os::FileExists(ini.c_str()));

  const char* key = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
  fixture::SetRegistryCorePath("C:\\Palm \"quoted\"\\Core");
  os::RegKey k = os::RegOpenCurrentUserKey(key);
  ASSERT_NE(k, nullptr);
  std::uint32_t size = sizeof buf;
  EXPECT_EQ(os::RegQueryString(k, "DesktopPath", buf, &size), os::RegResult::Ok);
  EXPECT_STREQ(buf, "C:\\Palm \"quoted\"\\Core");
  os::RegCloseKey(k);
  fixture::ClearRegistryCorePath();
  EXPECT_EQ(os::RegOpenCurrentUserKey(key), nullptr);
}

}  // namespace
