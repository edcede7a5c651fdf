// The stand-in conduit manager, condmgr.dll: the registered conduits and the backup conduit of
// the description. Results as Palm's condmgr.h numbers them: 0 success, -1001 to -1029 errors
// (-1003 no such conduit, -1001 an index out of range, -1010 buffer too small, -1013 a missing
// pointer or a negative size).
//
// Compiled with PALMDESK_NO_TITLE for the variant without CmGetCreatorTitle.
#include <cstdio>
#include <type_traits>

#include "src/core/palm/PalmApi.h"
#include "palmdesk/Runtime.h"

namespace {

using palmdesk::Session;
constexpr std::int32_t kBadParam = palm::CONDMGR_ERR_INVALID_POINTER;
constexpr std::int32_t kNotFound = palm::CONDMGR_ERR_NO_CONDUIT;
constexpr std::int32_t kTooSmall = palm::CONDMGR_ERR_BUFFER_TOO_SMALL;
// What the entry points the stand-in does not carry out answer: the conduit manager's "no
// longer supported".
constexpr std::int32_t kNotSupported = palm::CONDMGR_ERR_NO_LONGER_SUPPORTED;

// One registration text of the conduit registered under creator.
std::int32_t CreatorText(const char* creator, std::string palmdesk::Conduit::*field, char* buf, std::int32_t* size) {
  if (creator == nullptr || buf == nullptr || size == nullptr) return kBadParam;
  Session s;
  const palmdesk::Conduit* c = s.FindConduit(creator);
  if (c == nullptr) return kNotFound;
  return palmdesk::PutAnswer(s, c->*field, buf, size, kBadParam, kTooSmall);
}

std::int32_t CreatorValue(const char* creator, std::uint32_t palmdesk::Conduit::*field, std::uint32_t* value) {
  if (creator == nullptr || value == nullptr) return kBadParam;
  Session s;
  const palmdesk::Conduit* c = s.FindConduit(creator);
  if (c == nullptr) return kNotFound;
  *value = c->*field;
  return 0;
}

}  // namespace

// CM_UPDATE_2: the newest version condmgr.h names.
PALMDESK_EXPORT std::uint16_t PALMAPI CmGetLibVersion(void) { return 0x0003; }

PALMDESK_EXPORT std::int32_t PALMAPI CmGetConduitCount(void) {
  Session s;
  if (s.desc().faults.conduitCount) return *s.desc().faults.conduitCount;
  return static_cast<std::int32_t>(s.desc().conduits.size());
}

PALMDESK_EXPORT std::int32_t PALMAPI CmGetConduitCreatorID(std::int32_t index, char* creator, std::int32_t* size) {
  if (creator == nullptr || size == nullptr) return kBadParam;
  Session s;
  const auto& list = s.desc().conduits;
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return palm::CONDMGR_ERR_INDEX_OUT_OF_RANGE;
  return palmdesk::PutAnswer(s, list[static_cast<std::size_t>(index)].creator, creator, size, kBadParam, kTooSmall);
}

PALMDESK_EXPORT std::int32_t PALMAPI CmConvertStringToCreatorID(const char* creator, std::uint32_t* id) {
  if (creator == nullptr || id == nullptr) return kBadParam;
  std::size_t len = 0;
  while (len < 5 && creator[len] != '\0') ++len;
  if (len != 4) return palm::CONDMGR_ERR_INVALID_CREATOR_ID;
  *id = palmdesk::FourCC(std::string_view(creator, 4));
  return 0;
}

PALMDESK_EXPORT std::int32_t PALMAPI CmConvertCreatorIDToString(std::uint32_t id, char* creator, std::int32_t* size) {
  std::string text(4, '\0');
  for (int i = 0; i < 4; ++i) text[static_cast<std::size_t>(i)] = static_cast<char>((id >> (24 - 8 * i)) & 0xFF);
  return palmdesk::PutText(text, creator, size, kBadParam, kTooSmall);
}

PALMDESK_EXPORT std::int32_t PALMAPI CmGetCreatorName(const char* creator, char* module, std::int32_t* size) {
  return CreatorText(creator, &palmdesk::Conduit::module, module, size);
}
PALMDESK_EXPORT std::int32_t PALMAPI CmGetCreatorDirectory(const char* creator, char* buf, std::int32_t* size) {
  return CreatorText(creator, &palmdesk::Conduit::directory, buf, size);
}
PALMDESK_EXPORT std::int32_t PALMAPI CmGetCreatorFile(const char* creator, char* buf, std::int32_t* size) {
  return CreatorText(creator, &palmdesk::Conduit::file, buf, size);
}
PALMDESK_EXPORT std::int32_t PALMAPI CmGetCreatorRemote(const char* creator, char* buf, std::int32_t* size) {
  return CreatorText(creator, &palmdesk::Conduit::remote, buf, size);
}
PALMDESK_EXPORT std::int32_t PALMAPI CmGetCreatorInfo(const char* creator, char* buf, std::int32_t* size) {
  return CreatorText(creator, &palmdesk::Conduit::info, buf, size);
}
#ifndef PALMDESK_NO_TITLE
PALMDESK_EXPORT std::int32_t PALMAPI CmGetCreatorTitle(const char* creator, char* buf, std::int32_t* size) {
  return CreatorText(creator, &palmdesk::Conduit::title, buf, size);
}
#endif

PALMDESK_EXPORT std::int32_t PALMAPI CmGetCreatorIntegrate(const char* creator, std::uint32_t* value) {
  return CreatorValue(creator, &palmdesk::Conduit::integrate, value);
}
PALMDESK_EXPORT std::int32_t PALMAPI CmGetCreatorPriority(const char* creator, std::uint32_t* value) {
  return CreatorValue(creator, &palmdesk::Conduit::priority, value);
}

PALMDESK_EXPORT std::int32_t PALMAPI CmGetBackupConduit(char* module, std::int32_t* size) {
  if (module == nullptr || size == nullptr) return kBadParam;
  Session s;
  if (!s.desc().hasBackup) return kNotFound;
  return palmdesk::PutAnswer(s, s.desc().backup, module, size, kBadParam, kTooSmall);
}

PALMDESK_EXPORT std::int32_t PALMAPI CmGetCorePath(char* buf, std::int32_t* size) {
  Session s;
  return palmdesk::PutText(s.coreDir(), buf, size, kBadParam, kTooSmall);
}

PALMDESK_EXPORT std::int32_t PALMAPI CmGetHotSyncExecPath(char* buf, std::int32_t* size) {
  Session s;
#ifdef _WIN32
  const std::string path = s.coreDir() + "\\hotsync.exe";
#else
  const std::string path = s.coreDir() + "/hotsync.exe";
#endif
  return palmdesk::PutText(path, buf, size, kBadParam, kTooSmall);
}

// The rest of the conduit manager's entry points, with Palm's prototypes so that a caller's
// stack stays as it was: present so that every name binds, never called by the tool.
#define PALMDESK_STUB(name, params) \
  PALMDESK_EXPORT std::int32_t PALMAPI name params { return kNotSupported; }
using CmList = palm::CmCreatorListItem;
PALMDESK_STUB(CmGetCreatorIDList, (CmList*, std::int32_t*))
PALMDESK_STUB(CmGetConduitByCreator, (const char*, void**))
PALMDESK_STUB(CmInstallConduit, (void*))
PALMDESK_STUB(CmInstallCreator, (const char*, std::int32_t))
PALMDESK_STUB(CmRemoveConduitByCreatorID, (const char*))
PALMDESK_STUB(CmSetCreatorPriority, (const char*, std::uint32_t))
PALMDESK_STUB(CmSetCreatorName, (const char*, const char*))
PALMDESK_STUB(CmSetCreatorDirectory, (const char*, const char*))
PALMDESK_STUB(CmSetCreatorRemote, (const char*, const char*))
PALMDESK_STUB(CmSetCreatorUser, (const char*, const char*))
PALMDESK_STUB(CmGetCreatorUser, (const char*, char*, std::int32_t*))
PALMDESK_STUB(CmSetCreatorTitle, (const char*, const char*))
PALMDESK_STUB(CmSetCreatorInfo, (const char*, const char*))
PALMDESK_STUB(CmSetCreatorFile, (const char*, const char*))
PALMDESK_STUB(CmGetCreatorType, (const char*))
PALMDESK_STUB(CmSetCreatorIntegrate, (const char*, std::uint32_t))
PALMDESK_STUB(CmSetCreatorModule, (const char*, const char*))
PALMDESK_STUB(CmGetCreatorModule, (const char*, char*, std::int32_t*))
PALMDESK_STUB(CmSetCreatorArgument, (const char*, const char*))
PALMDESK_STUB(CmGetCreatorArgument, (const char*, char*, std::int32_t*))
PALMDESK_STUB(CmSetComPort, (std::int32_t, const char*))
PALMDESK_STUB(CmGetComPort, (std::int32_t, char*, std::int32_t*))
PALMDESK_STUB(CmSetBackupConduit, (const char*))
PALMDESK_STUB(CmSetNotifierDll, (std::int32_t, const char*))
PALMDESK_STUB(CmGetNotifierDll, (std::int32_t, char*, std::int32_t*))
PALMDESK_STUB(CmSetPCIdentifier, (std::uint32_t))
PALMDESK_STUB(CmGetPCIdentifier, (std::uint32_t*))
PALMDESK_STUB(CmSetCorePath, (const char*))
PALMDESK_STUB(CmSetHotSyncExecPath, (const char*))
PALMDESK_STUB(CmSetCreatorValueDword, (const char*, char*, std::uint32_t))
PALMDESK_STUB(CmGetCreatorValueDword, (const char*, char*, std::uint32_t*, std::uint32_t))
PALMDESK_STUB(CmSetCreatorValueString, (const char*, char*, char*))
PALMDESK_STUB(CmGetCreatorValueString, (const char*, char*, char*, std::int32_t*, char*))
PALMDESK_STUB(CmRestoreHotSyncSettings, (std::int32_t))

// Every export has exactly the prototype and calling convention of Palm's (PalmApi.h). The
// variant without CmGetCreatorTitle is the same code less one export.
#ifndef PALMDESK_NO_TITLE
PALM_CONDMGR_ENTRIES(PALMDESK_CHECK_EXPORT)
#endif
