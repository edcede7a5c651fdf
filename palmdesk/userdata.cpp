// The stand-in user data library, UserData.dll: the users of the description with their
// directories, profile flags and expansion slots, and the users' sync preferences, kept in the
// journal beside the library. Results: 0 success, -500 to -529 errors.
//
// Variants: PALMDESK_NO_SLOTS leaves out the UmSlot... entry points, PALMDESK_NO_TEMP_SYNC
// leaves out UmSetUserTempSyncPreferences.
#include <type_traits>

#include "common/palm/PalmApi.h"
#include "palmdesk/Runtime.h"

namespace {

using palmdesk::Session;
constexpr std::int32_t kBadParam = palm::USERDATA_ERR_INVALID_PARAM;
constexpr std::int32_t kBadUser = palm::USERDATA_ERR_INVALID_USER;
constexpr std::int32_t kTooSmall = palm::USERDATA_ERR_BUFFER_TOO_SMALL;
constexpr std::int32_t kNotFound = palm::USERDATA_ERR_NOT_FOUND;
constexpr std::int32_t kCannotWrite = palm::USERDATA_ERR_CANNOT_WRITE;
// What the entry points the tool never calls answer.
constexpr std::int32_t kNotSupported = -529;

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

std::int32_t SetPreference(bool permanent, std::uint32_t userId, std::uint32_t creatorId, std::int32_t code) {
  Session s;
  if (s.FindUser(userId) == nullptr) return kBadUser;
  if (s.desc().faults.hasSyncWriteFail) return s.desc().faults.syncWriteFail;
  palmdesk::JournalLine line;
  line.permanent = permanent;
  line.userId = userId;
  line.creatorId = creatorId;
  line.code = code;
  return s.AppendJournal(line) ? 0 : kCannotWrite;
}

std::int32_t GetPreference(bool permanent, std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code) {
  if (code == nullptr) return kBadParam;
  Session s;
  if (s.FindUser(userId) == nullptr) return kBadUser;
  return s.FindPreference(permanent, userId, creatorId, code) ? 0 : kNotFound;
}

#ifndef PALMDESK_NO_SLOTS
const palmdesk::Slot* FindSlot(const palmdesk::User& u, std::uint32_t ref) {
  for (const palmdesk::Slot& slot : u.slots) {
    if (slot.ref == ref) return &slot;
  }
  return nullptr;
}
#endif

}  // namespace

PALMDESK_EXPORT std::int32_t PALMAPI UmGetLibVersion(void) { return 0x0601; }

PALMDESK_EXPORT std::int16_t PALMAPI UmGetUserCount(void) {
  Session s;
  if (s.desc().faults.hasUserCount) return s.desc().faults.userCount;
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
  *count = s.desc().faults.hasSlotCount ? s.desc().faults.slotCount : static_cast<std::uint16_t>(u->slots.size());
  return 0;
}

PALMDESK_EXPORT std::int32_t PALMAPI UmSlotGetInfo(std::uint32_t userId, std::uint32_t* slotRefs, std::uint16_t* count) {
  if (count == nullptr || (slotRefs == nullptr && *count != 0)) return kBadParam;
  Session s;
  const palmdesk::User* u = s.FindUser(userId);
  if (u == nullptr) return kBadUser;
  std::uint16_t filled = 0;
  while (filled < *count && filled < u->slots.size()) {
    slotRefs[filled] = u->slots[filled].ref;
    ++filled;
  }
  *count = s.desc().faults.hasSlotInfoCount ? s.desc().faults.slotInfoCount : filled;
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

PALMDESK_EXPORT std::int32_t PALMAPI UmSlotGetExpMgrVersion(void) { return kNotSupported; }
PALMDESK_EXPORT std::int32_t PALMAPI UmSlotGetInstallDirectory(void) { return kNotSupported; }
#endif

PALMDESK_EXPORT std::int32_t PALMAPI UmSetUserPermSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t code) {
  return SetPreference(true, userId, creatorId, code);
}
#ifndef PALMDESK_NO_TEMP_SYNC
PALMDESK_EXPORT std::int32_t PALMAPI UmSetUserTempSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t code) {
  return SetPreference(false, userId, creatorId, code);
}
#endif
PALMDESK_EXPORT std::int32_t PALMAPI UmGetUserPermSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code) {
  return GetPreference(true, userId, creatorId, code);
}
PALMDESK_EXPORT std::int32_t PALMAPI UmGetUserTempSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code) {
  return GetPreference(false, userId, creatorId, code);
}

// The rest of the user data library's entry points: present so that every name binds, never
// called by the tool.
#define PALMDESK_STUB(name) \
  PALMDESK_EXPORT std::int32_t PALMAPI name(void) { return kNotSupported; }
PALMDESK_STUB(UmGetUserPassword)
PALMDESK_STUB(UmIsUserInstalled)
PALMDESK_STUB(UmSetUserName)
PALMDESK_STUB(UmSetUserDirectory)
PALMDESK_STUB(UmSetUserInstall)
PALMDESK_STUB(UmRemoveUserTempSyncPreferences)
PALMDESK_STUB(UmDeleteUserPermSyncPreferences)
PALMDESK_STUB(UmDeleteUserTempSyncPreferences)
PALMDESK_STUB(UmAddUser)
PALMDESK_STUB(UmDeleteUser)
PALMDESK_STUB(UmIsInstallMaskSet)
PALMDESK_STUB(UmClearInstallMask)
PALMDESK_STUB(UmSetInstallMask)
PALMDESK_STUB(UmGetString)
PALMDESK_STUB(UmSetString)
PALMDESK_STUB(UmGetInteger)
PALMDESK_STUB(UmSetInteger)
PALMDESK_STUB(UmDeleteKey)
PALMDESK_STUB(UmGetIDFromPath)
PALMDESK_STUB(UmGetIDFromName)

// The exports keep the prototypes the binding calls them through.
static_assert(std::is_same_v<decltype(&UmGetUserCount), palm::PFN_UmGetUserCount>);
static_assert(std::is_same_v<decltype(&UmGetUserID), palm::PFN_UmGetUserID>);
static_assert(std::is_same_v<decltype(&UmGetUserName), palm::PFN_UmGetUserText>);
static_assert(std::is_same_v<decltype(&UmIsUserProfile), palm::PFN_UmIsUserProfile>);
static_assert(std::is_same_v<decltype(&UmGetRootDirectory), palm::PFN_UmGetRootDirectory>);
#ifndef PALMDESK_NO_SLOTS
static_assert(std::is_same_v<decltype(&UmSlotGetSlotCount), palm::PFN_UmSlotGetSlotCount>);
static_assert(std::is_same_v<decltype(&UmSlotGetInfo), palm::PFN_UmSlotGetInfo>);
static_assert(std::is_same_v<decltype(&UmSlotGetMediaType), palm::PFN_UmSlotGetMediaType>);
static_assert(std::is_same_v<decltype(&UmSlotGetDisplayName), palm::PFN_UmSlotGetDisplayName>);
#endif
static_assert(std::is_same_v<decltype(&UmSetUserPermSyncPreferences), palm::PFN_UmSetUserSyncPreferences>);
static_assert(std::is_same_v<decltype(&UmGetUserPermSyncPreferences), palm::PFN_UmGetUserSyncPreferences>);
