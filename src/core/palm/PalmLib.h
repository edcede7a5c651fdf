// The Palm library binding: the Palm Desktop core directory, the four libraries loaded from it
// by file name with a table of entry points each, and one wrapper per entry point the tool
// calls.
//
// The tool is not linked against Palm's libraries: it loads condmgr.dll, UserData.dll, HSAPI.DLL
// and instaide.dll from the core directory and looks up every entry point it knows by name.
// Every call into Palm goes through a wrapper below that answers ERR_NOT_BOUND (-100) when its
// entry point was not found, so nothing missing ever stops the tool.
#pragma once

#include <cstdint>
#include <string>

#include "src/core/os/os.h"

#include "src/core/palm/PalmApi.h"

// Library bits: callers name libraries by any combination of these.
inline constexpr unsigned PLIB_CONDMGR = 1;
inline constexpr unsigned PLIB_USERDATA = 2;
inline constexpr unsigned PLIB_HSAPI = 4;
inline constexpr unsigned PLIB_INSTAIDE = 8;
inline constexpr unsigned PLIB_ALL = 15;

// Results of GetPalmCorePath.
inline constexpr std::int32_t PALMPATH_OK = 0;
inline constexpr std::int32_t PALMPATH_NO_BUFFER = -100;
inline constexpr std::int32_t PALMPATH_NOT_FOUND = -101;
inline constexpr std::int32_t PALMPATH_TOO_LONG = -102;

// The Windows path limit: every directory and library path buffer, terminator included.
inline constexpr unsigned PALM_MAX_PATH = 260;

// The Palm Desktop core directory: "PDPath" of section "Path" in kestrow.ini beside the
// executable, else "DesktopPath" under HKEY_CURRENT_USER\Software\U.S. Robotics\Pilot Desktop\Core.
// An empty value in either place names no directory: with neither, PALMPATH_NOT_FOUND.
std::int32_t GetPalmCorePath(char* buf, std::uint32_t cap);

// Load one library from dir (absent or empty: the core directory); true when loaded.
bool LoadCondMgrDll(const char* dir = nullptr);
bool LoadUserDataDll(const char* dir = nullptr);
bool LoadHsApiDll(const char* dir = nullptr);
bool LoadInstAideDll(const char* dir = nullptr);
void FreeCondMgrDll();
void FreeUserDataDll();
void FreeHsApiDll();
void FreeInstAideDll();

// Loads the requested libraries in bit order, stopping at the first that fails.
bool LoadPalmLibs(unsigned bits);

// Why a library did not load: the last failure of a load since LoadPalmLibs began (Why::None
// when everything it asked for loaded).
struct PalmLoadFailure {
  enum class Why {
    None,
    NoCoreDirectory,  // neither kestrow.ini nor the registry names Palm Desktop's directory
    PathTooLong,      // the library's path does not fit into PALM_MAX_PATH
    LoadFailed,       // the system refused it: error says why
  };
  Why why = Why::None;
  std::string fileName;  // "condmgr.dll"
  std::string path;      // the full path tried ("" without a core directory)
  os::LoadError error;
};
const PalmLoadFailure& LastPalmLoadFailure();
void FreePalmLibs(unsigned bits);

// The entry-point tables, for tests and diagnostics: the number of names of one library
// (bit PLIB_...), the name of slot i, and whether slot i is bound.
unsigned PalmLibSlotCount(unsigned lib);
const char* PalmLibSlotName(unsigned lib, unsigned slot);
bool PalmLibSlotBound(unsigned lib, unsigned slot);
bool PalmLibLoaded(unsigned lib);

// Wrappers, one per called entry point: the entry point's own arguments and result, or
// palm::ERR_NOT_BOUND when the entry point is not bound.
namespace palm {
// condmgr.dll
std::int32_t CmGetConduitCount();
std::int32_t CmGetConduitCreatorID(std::int32_t index, char* creator, std::int32_t* size);
std::int32_t CmGetCreatorName(const char* creator, char* module, std::int32_t* size);
std::int32_t CmConvertStringToCreatorID(const char* creator, std::uint32_t* id);
std::int32_t CmGetCreatorIntegrate(const char* creator, std::uint32_t* value);
std::int32_t CmGetCreatorPriority(const char* creator, std::uint32_t* value);
std::int32_t CmGetCreatorFile(const char* creator, char* buf, std::int32_t* size);
std::int32_t CmGetCreatorDirectory(const char* creator, char* buf, std::int32_t* size);
std::int32_t CmGetCreatorRemote(const char* creator, char* buf, std::int32_t* size);
std::int32_t CmGetCreatorInfo(const char* creator, char* buf, std::int32_t* size);
std::int32_t CmGetCreatorTitle(const char* creator, char* buf, std::int32_t* size);
std::int32_t CmGetBackupConduit(char* module, std::int32_t* size);
// instaide.dll
std::int32_t PltGetInstallConduitCount();
std::int32_t PltGetInstallConduitInfo(std::uint32_t index, void* block, std::int32_t* size);
// UserData.dll
std::int16_t UmGetUserCount();
std::int32_t UmGetUserID(std::int16_t index, std::uint32_t* userId);
std::int32_t UmGetUserName(std::uint32_t userId, char* buf, std::int16_t* size);
std::int32_t UmGetUserDirectory(std::uint32_t userId, char* buf, std::int16_t* size);
std::int32_t UmIsUserProfile(std::uint32_t userId);
std::int32_t UmGetRootDirectory(char* buf, std::int16_t* size);
std::int32_t UmSlotGetSlotCount(std::uint32_t userId, std::uint16_t* count);
std::int32_t UmSlotGetInfo(std::uint32_t userId, std::uint32_t* slotRefs, std::uint16_t* count);
std::int32_t UmSlotGetMediaType(std::uint32_t userId, std::uint32_t slotRef, std::uint32_t* mediaType);
// Takes a 32-bit size, as Palm's library does: a 16-bit one would let the library write past it.
std::int32_t UmSlotGetDisplayName(std::uint32_t userId, std::uint32_t slotRef, char* buf, std::int32_t* size);
std::int32_t UmSetUserPermSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t code);
std::int32_t UmSetUserTempSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t code);
std::int32_t UmGetUserPermSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code);
std::int32_t UmGetUserTempSyncPreferences(std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code);
// Deletes the user's temporary preference for one creator, so the permanent one is in force.
std::int32_t UmDeleteUserTempSyncPreferences(std::uint32_t userId, std::uint32_t creatorId);
// HSAPI.DLL. Its errors are positive (HSAPI_ERR_...); ERR_NOT_BOUND stays -100.
// 0 when HotSync Manager runs, else HSAPI_ERR_HOTSYNC_NOT_FOUND.
std::int32_t HsCheckApiStatus();
// *status: HOTSYNC_STATUS_SYNCING while a HotSync is in progress, else HOTSYNC_STATUS_IDLE.
std::int32_t HsGetSyncStatus(std::uint32_t* status);
}  // namespace palm
