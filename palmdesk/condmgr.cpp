// The stand-in conduit manager, condmgr.dll: the registered conduits and the backup conduit of
// the description. Results: 0 success, -1000 to -1029 errors.
//
// Compiled with PALMDESK_NO_TITLE for the variant without CmGetCreatorTitle.
#include <cstdio>
#include <type_traits>

#include "common/palm/PalmApi.h"
#include "palmdesk/Runtime.h"

namespace {

using palmdesk::Session;
constexpr std::int32_t kBadParam = palm::CONDMGR_ERR_INVALID_PARAM;
constexpr std::int32_t kNotFound = palm::CONDMGR_ERR_NOT_FOUND;
constexpr std::int32_t kTooSmall = palm::CONDMGR_ERR_BUFFER_TOO_SMALL;
// What the entry points the tool never calls answer.
constexpr std::int32_t kNotSupported = -1029;

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

PALMDESK_EXPORT std::int32_t PALMAPI CmGetLibVersion(void) { return 0x0601; }

PALMDESK_EXPORT std::int32_t PALMAPI CmGetConduitCount(void) {
  Session s;
  if (s.desc().faults.hasConduitCount) return s.desc().faults.conduitCount;
  return static_cast<std::int32_t>(s.desc().conduits.size());
}

PALMDESK_EXPORT std::int32_t PALMAPI CmGetConduitCreatorID(std::int32_t index, char* creator, std::int32_t* size) {
  if (creator == nullptr || size == nullptr) return kBadParam;
  Session s;
  const auto& list = s.desc().conduits;
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return kNotFound;
  return palmdesk::PutAnswer(s, list[static_cast<std::size_t>(index)].creator, creator, size, kBadParam, kTooSmall);
}

PALMDESK_EXPORT std::int32_t PALMAPI CmConvertStringToCreatorID(const char* creator, std::uint32_t* id) {
  if (creator == nullptr || id == nullptr) return kBadParam;
  std::size_t len = 0;
  while (len < 5 && creator[len] != '\0') ++len;
  if (len != 4) return kBadParam;
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

// The rest of the conduit manager's entry points: present so that every name binds, never
// called by the tool.
#define PALMDESK_STUB(name) \
  PALMDESK_EXPORT std::int32_t PALMAPI name(void) { return kNotSupported; }
PALMDESK_STUB(CmGetCreatorIDList)
PALMDESK_STUB(CmGetConduitByCreator)
PALMDESK_STUB(CmInstallConduit)
PALMDESK_STUB(CmInstallCreator)
PALMDESK_STUB(CmRemoveConduitByCreatorID)
PALMDESK_STUB(CmSetCreatorPriority)
PALMDESK_STUB(CmSetCreatorName)
PALMDESK_STUB(CmSetCreatorDirectory)
PALMDESK_STUB(CmSetCreatorRemote)
PALMDESK_STUB(CmSetCreatorUser)
PALMDESK_STUB(CmGetCreatorUser)
PALMDESK_STUB(CmSetCreatorTitle)
PALMDESK_STUB(CmSetCreatorInfo)
PALMDESK_STUB(CmSetCreatorFile)
PALMDESK_STUB(CmGetCreatorType)
PALMDESK_STUB(CmSetCreatorIntegrate)
PALMDESK_STUB(CmSetCreatorModule)
PALMDESK_STUB(CmGetCreatorModule)
PALMDESK_STUB(CmSetCreatorArgument)
PALMDESK_STUB(CmGetCreatorArgument)
PALMDESK_STUB(CmSetComPort)
PALMDESK_STUB(CmGetComPort)
PALMDESK_STUB(CmSetBackupConduit)
PALMDESK_STUB(CmSetNotifierDll)
PALMDESK_STUB(CmGetNotifierDll)
PALMDESK_STUB(CmSetPCIdentifier)
PALMDESK_STUB(CmGetPCIdentifier)
PALMDESK_STUB(CmSetCorePath)
PALMDESK_STUB(CmSetHotSyncExecPath)
PALMDESK_STUB(CmSetCreatorValueDword)
PALMDESK_STUB(CmGetCreatorValueDword)
PALMDESK_STUB(CmSetCreatorValueString)
PALMDESK_STUB(CmGetCreatorValueString)
PALMDESK_STUB(CmRestoreHotSyncSettings)

// The exports keep the prototypes the binding calls them through.
static_assert(std::is_same_v<decltype(&CmGetConduitCount), palm::PFN_CmGetConduitCount>);
static_assert(std::is_same_v<decltype(&CmGetConduitCreatorID), palm::PFN_CmGetConduitCreatorID>);
static_assert(std::is_same_v<decltype(&CmGetCreatorName), palm::PFN_CmGetCreatorText>);
static_assert(std::is_same_v<decltype(&CmGetCreatorFile), palm::PFN_CmGetCreatorText>);
static_assert(std::is_same_v<decltype(&CmConvertStringToCreatorID), palm::PFN_CmConvertStringToCreatorID>);
static_assert(std::is_same_v<decltype(&CmGetCreatorIntegrate), palm::PFN_CmGetCreatorValue>);
static_assert(std::is_same_v<decltype(&CmGetBackupConduit), palm::PFN_CmGetBackupConduit>);
