// Reading back what a user's handheld will do: the default (permanent) and the next-HotSync
// sync preference of each conduit, as Palm's user data library holds them, and the rules for
// naming users and conduits the way an administrator types them. Toolkit-free and silent: the
// console program prints these, a dialog may show them.
//
// Sync preference codes are the user data library's own numbering: 0 synchronize, 1 desktop
// overwrites handheld, 2 handheld overwrites desktop, 3 do nothing, 4 custom. (A conduit's own
// interface numbers its sync types differently; those numbers never reach this unit.)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "src/core/palm/SyncPrefNames.h"

struct CONDUIT_REC;
struct UserRecord;

using palm::SYNC_PREF_CUSTOM;
using palm::SyncPrefName;

// One read of a sync preference.
struct PrefRead {
  enum class State {
    Set,     // nCode holds the preference
    NotSet,  // the library answered "not found": the preference was never written
    Failed,  // the library answered another error (nResult), or the entry point is not bound
  };
  State state = State::NotSet;
  std::int32_t nCode = 0;
  std::int32_t nResult = 0;  // the library's answer
  // For the next HotSync: true when the one-time (temporary) preference decides.
  bool bOneTime = false;
};

// "Synchronize the files", "not set", or "read failed (error -505)".
std::string PrefReadText(const PrefRead& read);
// The same for the next HotSync, with the one-time mark when a one-time action decides it.
std::string NextSyncText(const PrefRead& next);

// What one conduit does for one user.
struct UserConduitAction {
  const CONDUIT_REC* pRec;
  PrefRead perm;  // the default, UmGetUserPermSyncPreferences
  PrefRead next;  // the next HotSync: the one-time preference when one is set, else the default
};

// Reads the default and the next-HotSync preference of each conduit for userId, in the order
// given. Never guesses: a failed read of the one-time preference makes the next HotSync
// "failed", not the default.
std::vector<UserConduitAction> ReadUserActions(std::uint32_t userId, const std::vector<const CONDUIT_REC*>& conduits);
PrefRead ReadPermPref(std::uint32_t userId, std::uint32_t dwCreatorID);
PrefRead ReadNextPref(std::uint32_t userId, std::uint32_t dwCreatorID, const PrefRead& perm);
// The same without a read of the default beforehand: the one-time preference is read first, the
// default only when no one-time action is set (one read per conduit for most users).
PrefRead ReadNextPref(std::uint32_t userId, std::uint32_t dwCreatorID);

// A creator ID as four characters when the Palm way of writing it (first character in the most
// significant byte) gives four printable characters that cannot be taken for a number or a
// comment, else as 0xXXXXXXXX.
std::string CreatorIdText(std::uint32_t dwCreatorID);
// Reads what CreatorIdText writes: exactly four characters (bytes), or 0x and 1 to 8 hex digits.
bool ParseCreatorId(const std::string& text, std::uint32_t* pdwCreatorID);

// Finding a user or a conduit by what an administrator types. A lookup ends in one match, no
// match, or several (a name two users share, for example).
enum class Lookup { Found, NotFound, Ambiguous };

// A user by name (exact, else ignoring ASCII letter case) or by user ID (a decimal number).
// Ambiguous: a name several users share (in the same way: exactly, or ignoring case), an ID
// several users have, and text that is one user's name and another user's ID ("271828" when
// one user is named so and another has the ID 271828). *ppUser is set only when Found.
Lookup FindUser(const std::vector<const UserRecord*>& users, const std::string& key, const UserRecord** ppUser);
// A conduit by title (exact, else ignoring ASCII letter case), by creator text (exact), or by
// creator ID (0x hex, or the four characters of CreatorIdText).
Lookup FindConduit(const std::vector<const CONDUIT_REC*>& conduits, const std::string& key, const CONDUIT_REC** ppRec);

// A text field of a record up to its terminator or the end of its field.
std::string UserNameOf(const UserRecord& user);
std::string ConduitTitleOf(const CONDUIT_REC& rec);
std::string ConduitCreatorOf(const CONDUIT_REC& rec);
// "registered", "install", "backup", or "kind n".
std::string ConduitKindName(std::uint32_t dwKind);
