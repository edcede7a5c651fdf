// The binding's start and end, and the handheld user roster. The binding itself is
// src/core/palm/PalmLib.cpp.
#define OV_SOURCE_NAME "src\\OVUtil"

#include "src/core/OVUtil.h"

#include <new>

#include "src/core/misc/Assert.h"
#include "src/core/misc/Message.h"
#include "src/core/os/os.h"

namespace {

// ---------------------------------------------------------------------------------------------
// The user roster.

CxList* g_pUserRoster = nullptr;

const char kNoUsersText[] = "Can not find any Palm users in your desktop environment.";

}  // namespace

// -------------------------------------------------------------------------------------------------
// Start and end

bool PalmLibInit() {
  char core[PALM_MAX_PATH];
  if (GetPalmCorePath(core, sizeof core) == PALMPATH_OK) os::SetCurrentDirectory(core);
  if (!LoadPalmLibs(PLIB_ALL) && LastPalmLoadFailure().error.kind == os::LoadFailure::WrongArchitecture) {
    // Libraries of the other word size: "no users" would be wrong, and the front end says what
    // is (LastPalmLoadFailure). The roster is there, and empty.
    FreeUserRoster();
    g_pUserRoster = new (std::nothrow) CxList;
    return false;
  }
  BuildUserRoster();
  return true;
}

bool PalmLibExit() {
  FreeUserRoster();
  FreePalmLibs(PLIB_ALL);
  return true;
}

// -------------------------------------------------------------------------------------------------
// User roster

CxList* GetUserRoster() { return g_pUserRoster; }

CxRange<UserRecord> RosterUsers() {
  return g_pUserRoster ? g_pUserRoster->Items<UserRecord>() : CxRange<UserRecord>(nullptr);
}

bool BuildUserRoster() {
  FreeUserRoster();
  g_pUserRoster = new (std::nothrow) CxList;
  if (!g_pUserRoster) return false;

  const std::int16_t count = palm::UmGetUserCount();
  for (std::int16_t index = 0; index < count; ++index) {
    UserRecord* pUser = new (std::nothrow) UserRecord{};
    OV_ASSERT(pUser);
    // The results are not examined: a user whose details cannot be read is listed with what the
    // library left, empty fields otherwise.
    palm::UmGetUserID(index, &pUser->userId);
    std::int16_t size = static_cast<std::int16_t>(sizeof pUser->szName);
    palm::UmGetUserName(pUser->userId, pUser->szName, &size);
    size = static_cast<std::int16_t>(sizeof pUser->szDirectory);
    palm::UmGetUserDirectory(pUser->userId, pUser->szDirectory, &size);
    // A library that fills a field to the brim leaves no terminator: the record keeps one.
    pUser->szName[sizeof pUser->szName - 1] = '\0';
    pUser->szDirectory[sizeof pUser->szDirectory - 1] = '\0';
    g_pUserRoster->Add(pUser);
  }

  if (count < 0) {
    ov::ShowMessage(kNoUsersText, "Error", ov::MessageIcon::Error);
    return false;
  }
  return true;
}

bool FreeUserRoster() {
  if (!g_pUserRoster) return true;
  for (UserRecord* pUser : RosterUsers()) delete pUser;
  delete g_pUserRoster;
  g_pUserRoster = nullptr;
  return true;
}
