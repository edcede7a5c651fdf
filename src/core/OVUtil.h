// The Palm library binding's start and end, and the handheld user roster. The binding itself
// (core directory, libraries, wrappers) is declared in src/core/palm/PalmLib.h.
#pragma once

#include <cstdint>

#include "src/core/misc/CxList.h"
#include "src/core/palm/PalmLib.h"

// Start-up: core directory as current directory, all four libraries, the user roster. False,
// with an empty roster and nothing said, when a library is of the other word size (the front end
// tells it from LastPalmLoadFailure).
bool PalmLibInit();
// Shutdown: frees the roster and releases the four libraries.
bool PalmLibExit();

// One handheld user as the user data library reported it.
struct UserRecord {
  std::uint32_t userId;
  char szName[64];
  char szDirectory[256];
};

// The process-wide user roster: a CxList of UserRecord in the library's index order, or
// nullptr before BuildUserRoster and after FreeUserRoster.
CxList* GetUserRoster();
// The roster's users in order, walked without the list's cursor; empty without a roster.
CxRange<UserRecord> RosterUsers();
// Reads the users from UserData.dll. False, with the message "Can not find any Palm users in
// your desktop environment." and an empty roster, when the user count is negative.
bool BuildUserRoster();
bool FreeUserRoster();
