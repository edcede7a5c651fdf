// The Palm library binding: the core directory, the four libraries and their entry-point
// tables, one wrapper per called entry point.
#include "src/core/palm/PalmLib.h"

#include <cstddef>
#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

#include "src/core/misc/ModuleDir.h"
#include "src/core/os/os.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Entry-point names, per library, in table order (src/core/palm/PalmEntries.h). Every name is
// looked up exactly as written, including the install aide's own spelling "PlmGetLibVesion".

#define PALM_ENTRY_NAME(lib, name, bytes) #name,
constexpr const char* kCondMgrNames[] = {PALM_CONDMGR_ENTRIES(PALM_ENTRY_NAME)};
constexpr const char* kUserDataNames[] = {PALM_USERDATA_ENTRIES(PALM_ENTRY_NAME)};
constexpr const char* kHsApiNames[] = {PALM_HSAPI_ENTRIES(PALM_ENTRY_NAME)};
constexpr const char* kInstAideNames[] = {PALM_INSTAIDE_ENTRIES(PALM_ENTRY_NAME)};
#undef PALM_ENTRY_NAME

static_assert(std::size(kCondMgrNames) == 50);
static_assert(std::size(kUserDataNames) == 37);
static_assert(std::size(kHsApiNames) == 11);
static_assert(std::size(kInstAideNames) == 33);

// ---------------------------------------------------------------------------------------------
// Library state: the module handle and one slot per name, all empty until the library loads.

template <std::size_t N>
struct PalmLib {
  const char* fileName;
  const char* const (&names)[N];
  os::Library handle = nullptr;
  void* slots[N] = {};
};

PalmLib<std::size(kCondMgrNames)> g_condMgr{"condmgr.dll", kCondMgrNames};
PalmLib<std::size(kUserDataNames)> g_userData{"UserData.dll", kUserDataNames};
PalmLib<std::size(kHsApiNames)> g_hsApi{"HSAPI.DLL", kHsApiNames};
PalmLib<std::size(kInstAideNames)> g_instAide{"instaide.dll", kInstAideNames};

// A library's state seen without its table size, for the code that treats all four alike.
struct LibView {
  const char* fileName;
  const char* const* names;
  unsigned count;
  os::Library* handle;
  void** slots;
};

template <std::size_t N>
LibView View(PalmLib<N>& lib) {
  return {lib.fileName, lib.names, static_cast<unsigned>(N), &lib.handle, lib.slots};
}

// The library named by one bit; false for anything else.
bool ViewOf(unsigned bit, LibView* view) {
  switch (bit) {
    case PLIB_CONDMGR: *view = View(g_condMgr); return true;
    case PLIB_USERDATA: *view = View(g_userData); return true;
    case PLIB_HSAPI: *view = View(g_hsApi); return true;
    case PLIB_INSTAIDE: *view = View(g_instAide); return true;
    default: return false;
  }
}

void FreeLib(const LibView& lib) {
  if (*lib.handle) {
    os::FreeLibrary(*lib.handle);
    *lib.handle = nullptr;
  }
  for (unsigned i = 0; i < lib.count; ++i) lib.slots[i] = nullptr;
}

PalmLoadFailure g_lastFailure;

bool Fail(const LibView& lib, PalmLoadFailure::Why why, std::string path, os::LoadError error = {}) {
  g_lastFailure = {why, lib.fileName, std::move(path), std::move(error)};
  return false;
}

bool LoadLib(const LibView& lib, const char* dir) {
  FreeLib(lib);

  // The core directory must be found even when a directory is given.
  char core[PALM_MAX_PATH];
  if (GetPalmCorePath(core, sizeof core) != PALMPATH_OK) return Fail(lib, PalmLoadFailure::Why::NoCoreDirectory, {});

  const char* from = (dir && *dir) ? dir : core;
  char path[PALM_MAX_PATH];
  const int len = std::snprintf(path, sizeof path, "%s%c%s", from, os::kPathSep, lib.fileName);
  // A path cut to fit would name some other file: refuse it.
  if (len < 0 || static_cast<std::size_t>(len) >= sizeof path) {
    return Fail(lib, PalmLoadFailure::Why::PathTooLong, std::string(from) + os::kPathSep + lib.fileName);
  }

  os::LoadError error;
  const os::Library handle = os::LoadLibrary(path, &error);
  if (!handle) return Fail(lib, PalmLoadFailure::Why::LoadFailed, path, std::move(error));
  *lib.handle = handle;
  for (unsigned i = 0; i < lib.count; ++i) lib.slots[i] = os::FindSymbol(handle, lib.names[i]);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Wrappers. Each one names its entry point; the slot is found at compile time, so a wrapper
// naming something its table lacks does not build.

// Not constexpr: reaching it stops the compile-time lookup of a name the table lacks.
inline void NameIsNotInTheTable() {}

template <std::size_t N>
consteval std::size_t SlotOf(const char* const (&names)[N], std::string_view name) {
  for (std::size_t i = 0; i < N; ++i) {
    if (name == names[i]) return i;
  }
  NameIsNotInTheTable();
  return N;
}

// Calls the entry point held in slot through the pointer type Pfn with the arguments unchanged,
// or answers ERR_NOT_BOUND (in the entry point's own result type) when the slot is empty.
template <typename Pfn, typename... Args>
auto CallEntry(void* slot, Args... args) {
  using Result = decltype(std::declval<Pfn>()(args...));
  if (!slot) return static_cast<Result>(palm::ERR_NOT_BOUND);
  return reinterpret_cast<Pfn>(slot)(args...);
}

#define CONDMGR_ENTRY(name) g_condMgr.slots[SlotOf(kCondMgrNames, name)]
#define USERDATA_ENTRY(name) g_userData.slots[SlotOf(kUserDataNames, name)]
#define HSAPI_ENTRY(name) g_hsApi.slots[SlotOf(kHsApiNames, name)]
#define INSTAIDE_ENTRY(name) g_instAide.slots[SlotOf(kInstAideNames, name)]

}  // namespace


// -------------------------------------------------------------------------------------------------
// Core directory

std::int32_t GetPalmCorePath(char* buf, std::uint32_t cap) {
  if (!buf || cap == 0) return PALMPATH_NO_BUFFER;
  buf[0] = '\0';

  // kestrow.ini beside the executable. A directory too long to hold the file name means there
  // is no such file to read.
  char moduleDir[PALM_MAX_PATH];
  char ini[PALM_MAX_PATH];
  if (GetModuleDirectory(nullptr, moduleDir, sizeof moduleDir)) {
    const int len = std::snprintf(ini, sizeof ini, "%skestrow.ini", moduleDir);
    if (len > 0 && static_cast<std::size_t>(len) < sizeof ini) {
      os::ReadIniString(ini, "Path", "PDPath", "", buf, cap);
      if (buf[0] != '\0') return PALMPATH_OK;  // used as it stands, existing or not
    }
  }

  const os::RegKey key = os::RegOpenCurrentUserKey("Software\\U.S. Robotics\\Pilot Desktop\\Core");
  if (!key) return PALMPATH_NOT_FOUND;
  std::uint32_t size = cap;
  const os::RegResult result = os::RegQueryString(key, "DesktopPath", buf, &size);
  os::RegCloseKey(key);
  if (result == os::RegResult::Failed) {
    buf[0] = '\0';
    return PALMPATH_NOT_FOUND;
  }
  // A value that does not fit, terminator included, is never handed on cut short.
  if (result == os::RegResult::MoreData || size > cap) {
    buf[0] = '\0';
    return PALMPATH_TOO_LONG;
  }
  // A value stored without a terminator (a binary value, or a string written without one) ends
  // where the read says it ends, never at whatever the buffer held after it.
  if (size == 0 || buf[size - 1] != '\0') {
    if (size >= cap) {
      buf[0] = '\0';
      return PALMPATH_TOO_LONG;
    }
    buf[size] = '\0';
  }
  // An empty value names no directory: taken as found, the libraries would be loaded from
  // "\condmgr.dll", the root of the current drive.
  if (buf[0] == '\0') return PALMPATH_NOT_FOUND;
  return PALMPATH_OK;
}

// -------------------------------------------------------------------------------------------------
// Loading and releasing

bool LoadCondMgrDll(const char* dir) { return LoadLib(View(g_condMgr), dir); }
bool LoadUserDataDll(const char* dir) { return LoadLib(View(g_userData), dir); }
bool LoadHsApiDll(const char* dir) { return LoadLib(View(g_hsApi), dir); }
bool LoadInstAideDll(const char* dir) { return LoadLib(View(g_instAide), dir); }
void FreeCondMgrDll() { FreeLib(View(g_condMgr)); }
void FreeUserDataDll() { FreeLib(View(g_userData)); }
void FreeHsApiDll() { FreeLib(View(g_hsApi)); }
void FreeInstAideDll() { FreeLib(View(g_instAide)); }

namespace {
constexpr unsigned kLibBitsInOrder[] = {PLIB_CONDMGR, PLIB_USERDATA, PLIB_HSAPI, PLIB_INSTAIDE};
}

bool LoadPalmLibs(unsigned bits) {
  g_lastFailure = {};
  for (unsigned bit : kLibBitsInOrder) {
    LibView lib;
    if ((bits & bit) && ViewOf(bit, &lib) && !LoadLib(lib, nullptr)) return false;
  }
  return true;
}

void FreePalmLibs(unsigned bits) {
  for (unsigned bit : kLibBitsInOrder) {
    LibView lib;
    if ((bits & bit) && ViewOf(bit, &lib)) FreeLib(lib);
  }
}

const PalmLoadFailure& LastPalmLoadFailure() { return g_lastFailure; }

unsigned PalmLibSlotCount(unsigned lib) {
  LibView view;
  return ViewOf(lib, &view) ? view.count : 0;
}

const char* PalmLibSlotName(unsigned lib, unsigned slot) {
  LibView view;
  return (ViewOf(lib, &view) && slot < view.count) ? view.names[slot] : nullptr;
}

bool PalmLibSlotBound(unsigned lib, unsigned slot) {
  LibView view;
  return ViewOf(lib, &view) && slot < view.count && view.slots[slot] != nullptr;
}

bool PalmLibLoaded(unsigned lib) {
  LibView view;
  return ViewOf(lib, &view) && *view.handle != nullptr;
}

// -------------------------------------------------------------------------------------------------
// Wrappers

namespace palm {

// condmgr.dll
std::int32_t CmGetConduitCount() {
  return CallEntry<PFN_CmGetConduitCount>(CONDMGR_ENTRY("CmGetConduitCount"));
}
std::int32_t CmGetConduitCreatorID(std::int32_t index, char* creator, std::int32_t* size) {
  return CallEntry<PFN_CmGetConduitCreatorID>(CONDMGR_ENTRY("CmGetConduitCreatorID"), index, creator, size);
}
std::int32_t CmGetCreatorName(const char* creator, char* module, std::int32_t* size) {
  return CallEntry<PFN_CmGetCreatorText>(CONDMGR_ENTRY("CmGetCreatorName"), creator, module, size);
}
std::int32_t CmConvertStringToCreatorID(const char* creator, std::uint32_t* id) {
  return CallEntry<PFN_CmConvertStringToCreatorID>(CONDMGR_ENTRY("CmConvertStringToCreatorID"), creator, id);
}
std::int32_t CmGetCreatorIntegrate(const char* creator, std::uint32_t* value) {
  return CallEntry<PFN_CmGetCreatorValue>(CONDMGR_ENTRY("CmGetCreatorIntegrate"), creator, value);
}
std::int32_t CmGetCreatorPriority(const char* creator, std::uint32_t* value) {
  return CallEntry<PFN_CmGetCreatorValue>(CONDMGR_ENTRY("CmGetCreatorPriority"), creator, value);
}
std::int32_t CmGetCreatorFile(const char* creator, char* buf, std::int32_t* size) {
  return CallEntry<PFN_CmGetCreatorText>(CONDMGR_ENTRY("CmGetCreatorFile"), creator, buf, size);
}
std::int32_t CmGetCreatorDirectory(const char* creator, char* buf, std::int32_t* size) {
  return CallEntry<PFN_CmGetCreatorText>(CONDMGR_ENTRY("CmGetCreatorDirectory"), creator, buf, size);
}
std::int32_t CmGetCreatorRemote(const char* creator, char* buf, std::int32_t* size) {
  return CallEntry<PFN_CmGetCreatorText>(CONDMGR_ENTRY("CmGetCreatorRemote"), creator, buf, size);
}
std::int32_t CmGetCreatorInfo(const char* creator, char* buf, std::int32_t* size) {
  return CallEntry<PFN_CmGetCreatorText>(CONDMGR_ENTRY("CmGetCreatorInfo"), creator, buf, size);
}
std::int32_t CmGetCreatorTitle(const char* creator, char* buf, std::int32_t* size) {
  return CallEntry<PFN_CmGetCreatorText>(CONDMGR_ENTRY("CmGetCreatorTitle"), creator, buf, size);
}
std::int32_t CmGetBackupConduit(char* module, std::int32_t* size) {
  return CallEntry<PFN_CmGetBackupConduit>(CONDMGR_ENTRY("CmGetBackupConduit"), module, size);
}

// instaide.dll
std::int32_t PltGetInstallConduitCount() {
  return CallEntry<PFN_PltGetInstallConduitCount>(INSTAIDE_ENTRY("PltGetInstallConduitCount"));
}
std::int32_t PltGetInstallConduitInfo(std::uint32_t index, void* block, std::int32_t* size) {
  return CallEntry<PFN_PltGetInstallConduitInfo>(INSTAIDE_ENTRY("PltGetInstallConduitInfo"), index, block, size);
}

// UserData.dll
std::int16_t UmGetUserCount() {
  return CallEntry<PFN_UmGetUserCount>(USERDATA_ENTRY("UmGetUserCount"));
}
std::int32_t UmGetUserID(std::int16_t index, std::uint32_t* userId) {
  return CallEntry<PFN_UmGetUserID>(USERDATA_ENTRY("UmGetUserID"), index, userId);
}
std::int32_t UmGetUserName(std::uint32_t userId, char* buf, std::int16_t* size) {
  return CallEntry<PFN_UmGetUserText>(USERDATA_ENTRY("UmGetUserName"), userId, buf, size);
}
std::int32_t UmGetUserDirectory(std::uint32_t userId, char* buf, std::int16_t* size) {
  return CallEntry<PFN_UmGetUserText>(USERDATA_ENTRY("UmGetUserDirectory"), userId, buf, size);
}
std::int32_t UmIsUserProfile(std::uint32_t userId) {
  return CallEntry<PFN_UmIsUserProfile>(USERDATA_ENTRY("UmIsUserProfile"), userId);
}
std::int32_t UmGetRootDirectory(char* buf, std::int16_t* size) {
  return CallEntry<PFN_UmGetRootDirectory>(USERDATA_ENTRY("UmGetRootDirectory"), buf, size);
}
std::int32_t UmSlotGetSlotCount(std::uint32_t userId, std::uint16_t* count) {
  return CallEntry<PFN_UmSlotGetSlotCount>(USERDATA_ENTRY("UmSlotGetSlotCount"), userId, count);
}
std::int32_t UmSlotGetInfo(std::uint32_t userId, std::uint32_t* slotRefs, std::uint16_t* count) {
  return CallEntry<PFN_UmSlotGetInfo>(USERDATA_ENTRY("UmSlotGetInfo"), userId, slotRefs, count);
}
std::int32_t UmSlotGetMediaType(std::uint32_t userId, std::uint32_t slotRef, std::uint32_t* mediaType) {
  return CallEntry<PFN_UmSlotGetMediaType>(USERDATA_ENTRY("UmSlotGetMediaType"), userId, slotRef, mediaType);
}
std::int32_t UmSlotGetDisplayName(std::uint32_t userId, std::uint32_t slotRef, char* buf, std::int32_t* size) {
  return CallEntry<PFN_UmSlotGetDisplayName>(USERDATA_ENTRY("UmSlotGetDisplayName"), userId, slotRef, buf, size);
}
std::int32_t UmSetUserPermSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t code) {
  return CallEntry<PFN_UmSetUserSyncPreferences>(USERDATA_ENTRY("UmSetUserPermSyncPreferences"), userId, creatorId, code);
}
std::int32_t UmSetUserTempSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t code) {
  return CallEntry<PFN_UmSetUserSyncPreferences>(USERDATA_ENTRY("UmSetUserTempSyncPreferences"), userId, creatorId, code);
}
std::int32_t UmGetUserPermSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code) {
  return CallEntry<PFN_UmGetUserSyncPreferences>(USERDATA_ENTRY("UmGetUserPermSyncPreferences"), userId, creatorId, code);
}
std::int32_t UmGetUserTempSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code) {
  return CallEntry<PFN_UmGetUserSyncPreferences>(USERDATA_ENTRY("UmGetUserTempSyncPreferences"), userId, creatorId, code);
}
std::int32_t UmDeleteUserTempSyncPreferences(std::uint32_t userId, std::uint32_t creatorId) {
  return CallEntry<PFN_UmDeleteUserTempSyncPreferences>(USERDATA_ENTRY("UmDeleteUserTempSyncPreferences"), userId, creatorId);
}

// HSAPI.DLL
std::int32_t HsCheckApiStatus() {
  return CallEntry<PFN_HsCheckApiStatus>(HSAPI_ENTRY("HsCheckApiStatus"));
}
std::int32_t HsGetSyncStatus(std::uint32_t* status) {
  return CallEntry<PFN_HsGetSyncStatus>(HSAPI_ENTRY("HsGetSyncStatus"), status);
}

}  // namespace palm
