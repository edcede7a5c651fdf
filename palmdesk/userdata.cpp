// The stand-in user data library, UserData.dll: the users of the description with their
// directories, profile flags and expansion slots, and the users' sync preferences, kept in the
// journal beside the library. Results as Palm's UserData.h numbers them: 0 success, -500 to
// -529 errors (-505 unknown user, -513 no such slot or preference, -504 buffer too small,
// -522 a missing pointer or a negative size, -525 the journal could not be written).
//
// Variants: PALMDESK_NO_SLOTS leaves out the UmSlot... entry points, PALMDESK_NO_TEMP_SYNC
// leaves out UmSetUserTempSyncPreferences.
#include <type_traits>

#include "src/core/palm/PalmApi.h"
#include "palmdesk/Runtime.h"

namespace {

using palmdesk::Session;
constexpr std::int32_t kBadParam = palm::USERDATA_ERR_INVALID_POINTER;
constexpr std::int32_t kBadUser = palm::USERDATA_ERR_INVALID_USER;
constexpr std::int32_t kTooSmall = palm::USERDATA_ERR_BUFFER_TOO_SMALL;
constexpr std::int32_t kNotFound = palm::USERDATA_ERR_NOT_FOUND;
constexpr std::int32_t kCannotWrite = palm::USERDATA_ERR_CANNOT_WRITE;
// What the entry points the stand-in does not carry out answer.
constexpr std::int32_t kNotSupported = palm::USERDATA_ERR_NOT_SUPPORTED;

// The text as a library without terminators would give it (fault.unterminated_texts): the
// whole buffer filled with the text over and over, no terminator.
template <class Size>
std::int32_t PutUnterminated(const std::string& text, char* buf, Size* size) {
  if (buf == nullptr || size == nullptr || *size <= 0) return kBadParam;
  for (Size i = 0; i < *size; ++i) buf[i] = text.empty() ? 'x' : text[static_cast<std::size_t>(i) % text.size()];
  return 0;
}

template <class Size>
std::int32_t PutUserText(const palmdesk::Session& s, const std::string& text, char* buf, Size* size) {
  if (s.desc().faults.unterminatedTexts && !s.desc().faults.oversizedTexts) return PutUnterminated(text, buf, size);
  return palmdesk::PutAnswer(s, text, buf, size, kBadParam, kTooSmall);
}

std::int32_t UserText(std::uint32_t userId, std::string palmdesk::User::*field,
                      std::vector<palmdesk::FaultEntry> palmdesk::Faults::*fail, char* buf,
                      std::int16_t* size) {
  if (buf == nullptr || size == nullptr) return kBadParam;
  Session s;
  const palmdesk::User* u = s.FindUser(userId);
  if (u == nullptr) return kBadUser;
  if (const palmdesk::FaultEntry* f = palmdesk::Faults::Find(s.desc().faults.*fail, userId)) return f->result;
  return PutUserText(s, u->*field, buf, size);
}

// One journal line: a preference written, or (erase) one removed so that it reads as never
// written.
std::int32_t WritePreference(bool permanent, bool erase, std::uint32_t userId, std::uint32_t creatorId,
                             std::int32_t code) {
  Session s;
  if (s.FindUser(userId) == nullptr) return kBadUser;
  if (s.desc().faults.syncWriteFail) return *s.desc().faults.syncWriteFail;
  palmdesk::JournalLine line;
  line.permanent = permanent;
  line.erase = erase;
  line.userId = userId;
  line.creatorId = creatorId;
  line.code = erase ? 0 : code;
  return s.AppendJournal(line) ? 0 : kCannotWrite;
}

std::int32_t GetPreference(bool permanent, std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code) {
  if (code == nullptr) return kBadParam;
  Session s;
  if (s.FindUser(userId) == nullptr) return kBadUser;
  if (s.desc().faults.syncReadFail) return *s.desc().faults.syncReadFail;
  return s.FindPreference(permanent, userId, creatorId, code) ? 0 : kNotFound;
}

#ifndef PALMDESK_NO_SLOTS
const palmdesk::Slot* FindSlot(const palmdesk::User& u, std::uint32_t ref) {
  for (const palmdesk::Slot& slot : u.expansionSlots) {
    if (slot.ref == ref) return &slot;
  }
  return nullptr;
}
#endif

}  // namespace

// Version 6.1, as the user data library of HotSync Manager 6 reports itself.
PALMDESK_EXPORT std::int32_t PALMAPI UmGetLibVersion(std::uint32_t* major, std::uint32_t* minor) {
  if (major == nullptr || minor == nullptr) return kBadParam;
  *major = 6;
  *minor = 1;
  return 0;
}

PALMDESK_EXPORT std::int16_t PALMAPI UmGetUserCount(void) {
  Session s;
  if (s.desc().faults.userCount) return *s.desc().faults.userCount;
  // The reader keeps at most 32767 users, so the count always fits.
  return static_cast<std::int16_t>(s.desc().users.size());
}

PALMDESK_EXPORT std::int32_t PALMAPI UmGetUserID(std::int16_t index, std::uint32_t* userId) {
  if (userId == nullptr) return kBadParam;
  Session s;
  const auto& users = s.desc().users;
  if (index < 0 || static_cast<std::size_t>(index) >= users.size()) return kBadUser;
  *userId = users[static_cast<std::size_t>(index)].id;
  return 0;
}

PALMDESK_EXPORT std::int32_t PALMAPI UmGetUserName(std::uint32_t userId, char* buf, std::int16_t* size) {
  return UserText(userId, &palmdesk::User::name, &palmdesk::Faults::userNameFail, buf, size);
}

PALMDESK_EXPORT std::int32_t PALMAPI UmGetUserDirectory(std::uint32_t userId, char* buf, std::int16_t* size) {
  return UserText(userId, &palmdesk::User::directory, &palmdesk::Faults::userDirectoryFail, buf, size);
}

// 1 for a profile user, 0 for any other user and for an unknown user ID (an error number here
// would read as "profile").
PALMDESK_EXPORT std::int32_t PALMAPI UmIsUserProfile(std::uint32_t userId) {
  Session s;
  const palmdesk::User* u = s.FindUser(userId);
  return (u != nullptr && u->profile) ? 1 : 0;
}

// The root directory of the description, else the core directory.
PALMDESK_EXPORT std::int32_t PALMAPI UmGetRootDirectory(char* buf, std::int16_t* size) {
  Session s;
  const std::string& root = s.desc().hasRoot ? s.desc().root : s.coreDir();
  return PutUserText(s, root, buf, size);
}

#ifndef PALMDESK_NO_SLOTS
PALMDESK_EXPORT std::int32_t PALMAPI UmSlotGetSlotCount(std::uint32_t userId, std::uint16_t* count) {
  if (count == nullptr) return kBadParam;
  Session s;
  const palmdesk::User* u = s.FindUser(userId);
  if (u == nullptr) return kBadUser;
  // At most 1024 slots are kept; fault.slot_count answers any 16-bit count.
  *count = s.desc().faults.slotCount ? *s.desc().faults.slotCount : static_cast<std::uint16_t>(u->expansionSlots.size());
  return 0;
}

PALMDESK_EXPORT std::int32_t PALMAPI UmSlotGetInfo(std::uint32_t userId, std::uint32_t* slotRefs, std::uint16_t* count) {
  if (count == nullptr || (slotRefs == nullptr && *count != 0)) return kBadParam;
  Session s;
  const palmdesk::User* u = s.FindUser(userId);
  if (u == nullptr) return kBadUser;
  std::uint16_t filled = 0;
  while (filled < *count && filled < u->expansionSlots.size()) {
    slotRefs[filled] = u->expansionSlots[filled].ref;
    ++filled;
  }
  *count = s.desc().faults.slotInfoCount ? *s.desc().faults.slotInfoCount : filled;
  return 0;
}

PALMDESK_EXPORT std::int32_t PALMAPI UmSlotGetMediaType(std::uint32_t userId, std::uint32_t slotRef, std::uint32_t* mediaType) {
  if (mediaType == nullptr) return kBadParam;
  Session s;
  const palmdesk::User* u = s.FindUser(userId);
  if (u == nullptr) return kBadUser;
  if (const palmdesk::FaultEntry* f = palmdesk::Faults::Find(s.desc().faults.mediaTypeFail, slotRef)) return f->result;
  const palmdesk::Slot* slot = FindSlot(*u, slotRef);
  if (slot == nullptr) return kNotFound;
  *mediaType = slot->mediaType;
  return 0;
}

PALMDESK_EXPORT std::int32_t PALMAPI UmSlotGetDisplayName(std::uint32_t userId, std::uint32_t slotRef, char* buf, std::int32_t* size) {
  if (buf == nullptr || size == nullptr) return kBadParam;
  Session s;
  const palmdesk::User* u = s.FindUser(userId);
  if (u == nullptr) return kBadUser;
  const palmdesk::Slot* slot = FindSlot(*u, slotRef);
  if (slot == nullptr) return kNotFound;
  return PutUserText(s, slot->name, buf, size);
}

PALMDESK_EXPORT std::int32_t PALMAPI UmSlotGetExpMgrVersion(std::uint32_t, std::uint32_t*) { return kNotSupported; }
PALMDESK_EXPORT std::int32_t PALMAPI UmSlotGetInstallDirectory(std::uint32_t, std::uint32_t, char*, std::int32_t*) {
  return kNotSupported;
}
#endif

PALMDESK_EXPORT std::int32_t PALMAPI UmSetUserPermSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t code) {
  return WritePreference(true, false, userId, creatorId, code);
}
#ifndef PALMDESK_NO_TEMP_SYNC
PALMDESK_EXPORT std::int32_t PALMAPI UmSetUserTempSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t code) {
  return WritePreference(false, false, userId, creatorId, code);
}
#endif
PALMDESK_EXPORT std::int32_t PALMAPI UmGetUserPermSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code) {
  return GetPreference(true, userId, creatorId, code);
}
PALMDESK_EXPORT std::int32_t PALMAPI UmGetUserTempSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code) {
  return GetPreference(false, userId, creatorId, code);
}

// Removes a user's temporary preference for one creator: a "temp-delete" journal line, after
// which the temporary preference reads as never written and the permanent one is in force.
PALMDESK_EXPORT std::int32_t PALMAPI UmDeleteUserTempSyncPreferences(std::uint32_t userId, std::uint32_t creatorId) {
  return WritePreference(false, true, userId, creatorId, 0);
}

// The rest of the user data library's entry points, with Palm's prototypes so that a caller's
// stack stays as it was: present so that every name binds, never called by the tool.
#define PALMDESK_STUB(name, params) \
  PALMDESK_EXPORT std::int32_t PALMAPI name params { return kNotSupported; }
PALMDESK_STUB(UmGetUserPassword, (std::uint32_t, char*, std::int16_t*))
PALMDESK_STUB(UmIsUserInstalled, (std::uint32_t))
PALMDESK_STUB(UmSetUserName, (std::uint32_t, const char*))
PALMDESK_STUB(UmSetUserDirectory, (std::uint32_t, const char*))
PALMDESK_STUB(UmSetUserInstall, (std::uint32_t, std::int32_t))
PALMDESK_STUB(UmRemoveUserTempSyncPreferences, (std::uint32_t, std::uint32_t))
PALMDESK_STUB(UmDeleteUserPermSyncPreferences, (std::uint32_t, std::uint32_t))
PALMDESK_STUB(UmAddUser, (const char*, std::int32_t))
PALMDESK_STUB(UmDeleteUser, (std::uint32_t))
PALMDESK_STUB(UmIsInstallMaskSet, (std::uint32_t, std::uint32_t))
PALMDESK_STUB(UmClearInstallMask, (std::uint32_t, std::uint32_t))
PALMDESK_STUB(UmSetInstallMask, (std::uint32_t, std::uint32_t))
PALMDESK_STUB(UmGetString, (std::uint32_t, const char*, const char*, char*, std::int32_t*, const char*))
PALMDESK_STUB(UmSetString, (std::uint32_t, const char*, const char*, const char*))
PALMDESK_STUB(UmGetInteger, (std::uint32_t, const char*, const char*, std::int32_t*, std::int32_t))
PALMDESK_STUB(UmSetInteger, (std::uint32_t, const char*, const char*, std::int32_t))
PALMDESK_STUB(UmDeleteKey, (std::uint32_t, const char*, const char*))
PALMDESK_STUB(UmGetIDFromPath, (const char*, std::uint32_t*))
PALMDESK_STUB(UmGetIDFromName, (const char*, std::uint32_t*))

// Every export has exactly the prototype and calling convention of Palm's (PalmApi.h). The
// variants are the same code less some exports.
#if !defined(PALMDESK_NO_SLOTS) && !defined(PALMDESK_NO_TEMP_SYNC)
PALM_USERDATA_ENTRIES(PALMDESK_CHECK_EXPORT)
#endif
