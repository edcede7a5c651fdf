// Prototypes, result codes and structures of Palm Desktop's four libraries (condmgr.dll,
// UserData.dll, HSAPI.DLL, instaide.dll), after Palm's Conduit Development Kit 4.03 headers
// (condmgr.h, UserData.h, Hsapi.h, InstAide.h). Both sides use them: the binding (the pointer
// types through which it calls its entry-point tables) and the stand-in Palm Desktop (the types
// its exports must have).
//
// Widths follow 32-bit Windows, where these libraries come from: int, long, BOOL, DWORD and
// enums are 32 bits, WORD and short 16, TCHAR is char (the libraries are ANSI). Fixed-width
// types keep those widths on 64-bit builds. On 32-bit Windows every entry point is __stdcall
// (WINAPI / APIENTRY): the callee pops its arguments, so a prototype with the wrong arguments
// leaves the caller's stack off. PalmEntries.h holds the bytes each one pops, and the 32-bit
// build checks every prototype here against it (src/core/palm/PalmAbi.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/core/palm/PalmEntries.h"

#if defined(_WIN32) && !defined(_WIN64)
#define PALMAPI __stdcall
#else
#define PALMAPI
#endif

namespace palm {

// ---------------------------------------------------------------------------------------------
// Result codes. 0 is success everywhere.

// The conduit manager (condmgr.h: ERR_CONDUIT_MGR - n).
inline constexpr std::int32_t CONDMGR_ERR_INDEX_OUT_OF_RANGE = -1001;   // ERR_INDEX_OUT_OF_RANGE
inline constexpr std::int32_t CONDMGR_ERR_UNABLE_TO_DELETE = -1002;     // ERR_UNABLE_TO_DELETE
inline constexpr std::int32_t CONDMGR_ERR_NO_CONDUIT = -1003;           // ERR_NO_CONDUIT
inline constexpr std::int32_t CONDMGR_ERR_BUFFER_TOO_SMALL = -1010;     // ERR_BUFFER_TOO_SMALL
inline constexpr std::int32_t CONDMGR_ERR_VALUE_NOT_FOUND = -1011;      // ERR_VALUE_NOT_FOUND
inline constexpr std::int32_t CONDMGR_ERR_INVALID_CREATOR_ID = -1012;   // ERR_INVALID_CREATOR_ID
inline constexpr std::int32_t CONDMGR_ERR_INVALID_POINTER = -1013;      // ERR_INVALID_POINTER
inline constexpr std::int32_t CONDMGR_ERR_NO_LONGER_SUPPORTED = -1017;  // ERR_NO_LONGER_SUPPORTED

// The user data library (UserData.h: ERR_UM_...).
inline constexpr std::int32_t USERDATA_ERR_NO_USERS = -501;              // ERR_UM_NO_USERS
inline constexpr std::int32_t USERDATA_ERR_BUFFER_TOO_SMALL = -504;      // ERR_UM_BUFSIZE_TOO_SMALL
inline constexpr std::int32_t USERDATA_ERR_INVALID_USER = -505;          // ERR_UM_INVALID_USER
inline constexpr std::int32_t USERDATA_ERR_NOT_FOUND = -513;             // ERR_UM_NOT_FOUND
inline constexpr std::int32_t USERDATA_ERR_SAVE = -516;                  // ERR_UM_SAVE_ERR
inline constexpr std::int32_t USERDATA_ERR_USERSDAT_ACCESS = -518;       // ERR_UM_OTHER_USERSDAT_ACCESS_PROBLEM
inline constexpr std::int32_t USERDATA_ERR_INVALID_POINTER = -522;       // ERR_UM_INVALID_POINTER
inline constexpr std::int32_t USERDATA_ERR_CANNOT_WRITE = -525;          // ERR_UM_CANNOT_WRITE_TO_STORE
inline constexpr std::int32_t USERDATA_ERR_NOT_SUPPORTED = -528;         // ERR_UM_FUNCTION_NOT_SUPPORTED

// The install aide (InstAide.h: ERR_PILOT_...). Its numbers overlap the user data library's
// with other meanings. PltGetInstallConduitInfo answers above 0 when it filled the block.
inline constexpr std::int32_t INSTAIDE_ERR_BUFFER_TOO_SMALL = -502;      // ERR_PILOT_BUFSIZE_TOO_SMALL
inline constexpr std::int32_t INSTAIDE_ERR_INVALID_INDEX = -514;         // ERR_PILOT_INVALID_INDEX
inline constexpr std::int32_t INSTAIDE_ERR_INVALID_BUFFER = -516;        // ERR_PILOT_INVALID_BUFFER
inline constexpr std::int32_t INSTAIDE_ERR_NOT_FOUND = -553;             // ERR_PILOT_NOT_FOUND

// The HotSync API (Hsapi.h: ERROR_HSAPI_...): its errors are positive, 0x10000000 + n.
inline constexpr std::int32_t HSAPI_ERR_BASE = 0x10000000;
inline constexpr std::int32_t HSAPI_ERR_HOTSYNC_NOT_FOUND = HSAPI_ERR_BASE + 1;
inline constexpr std::int32_t HSAPI_ERR_INVALID_CONN_TYPE = HSAPI_ERR_BASE + 2;
inline constexpr std::int32_t HSAPI_ERR_FAILURE = HSAPI_ERR_BASE + 3;
inline constexpr std::int32_t HSAPI_ERR_REG_FAILURE = HSAPI_ERR_BASE + 4;
inline constexpr std::int32_t HSAPI_ERR_UNKNOWN_STATUS_TYPE = HSAPI_ERR_BASE + 5;
inline constexpr std::int32_t HSAPI_ERR_UNABLE_TO_CLOSE = HSAPI_ERR_BASE + 6;
inline constexpr std::int32_t HSAPI_ERR_NO_HOTSYNC_PATH = HSAPI_ERR_BASE + 7;
inline constexpr std::int32_t HSAPI_ERR_UNABLE_TO_START = HSAPI_ERR_BASE + 8;
inline constexpr std::int32_t HSAPI_ERR_INVALID_STATUS_FLAG = HSAPI_ERR_BASE + 9;
inline constexpr std::int32_t HSAPI_ERR_INVALID_POINTER = HSAPI_ERR_BASE + 10;

// The binding's own answer for an entry point (or a conduit module's GetConduitName) that is
// not bound. No Palm library answers it.
inline constexpr std::int32_t ERR_NOT_BOUND = -100;

// ---------------------------------------------------------------------------------------------
// Values

// HsGetSyncStatus: whether a HotSync is in progress (HOTSYNC_STATUS_...).
inline constexpr std::uint32_t HOTSYNC_STATUS_IDLE = 0;
inline constexpr std::uint32_t HOTSYNC_STATUS_SYNCING = 1;
// HsGetApiVersion.
inline constexpr std::uint32_t HS_API_VERSION_1 = 0x00010001;
inline constexpr std::uint32_t HS_API_VERSION_2 = 0x00010002;
// HsSetAppStatus: the HsStatusType values, and its start flags (HSFLAG_...).
inline constexpr std::int32_t HS_CLOSE_APP = 0;
inline constexpr std::int32_t HS_START_APP = 1;
inline constexpr std::int32_t HS_RESTART = 2;
inline constexpr std::uint32_t HSFLAG_NONE = 0x00000000;
inline constexpr std::uint32_t HSFLAG_RESTORE_REGISTRY = 0x00000001;
inline constexpr std::uint32_t HSFLAG_RESTORE_REGISTRY_DEFAULT = 0x00000002;
inline constexpr std::uint32_t HSFLAG_VERBOSE = 0x00000010;
// HsSetCommStatus / HsGetCommStatus: the HSConnectionType values and the states.
inline constexpr std::int32_t HS_CONN_SERIAL = 0;
inline constexpr std::int32_t HS_CONN_MODEM = 1;
inline constexpr std::int32_t HS_CONN_NETWORK = 2;
inline constexpr std::int32_t HS_CONN_IR = 3;
inline constexpr std::int32_t HS_CONN_USB = 4;
inline constexpr std::uint32_t HSCONNECTION_DISABLED = 0;
inline constexpr std::uint32_t HSCONNECTION_ENABLED = 1;

// Sync preference codes written with UmSet...SyncPreferences (UmUserSyncAction; 4, custom, is
// never written).
inline constexpr std::int32_t SYNC_PREF_SYNCHRONIZE = 0;
inline constexpr std::int32_t SYNC_PREF_PC_TO_HH = 1;
inline constexpr std::int32_t SYNC_PREF_HH_TO_PC = 2;
inline constexpr std::int32_t SYNC_PREF_DO_NOTHING = 3;

// ---------------------------------------------------------------------------------------------
// Structures

// An install conduit's information block (FileInstallType), filled by PltGetInstallConduitInfo
// and PltGetInstallCreatorInfo: 840 bytes, no padding. The creator is a DWORD as Palm's creator
// IDs are ('Inst' is 0x496E7374), so its bytes lie least significant first.
struct FileInstallType {
  char szDir[64];
  char szExt[256];
  std::uint32_t dwMask;
  char szModule[256];
  std::uint32_t dwCreatorID;
  char szName[256];
};
inline constexpr int kInstallInfoSize = 840;
inline constexpr int kInstallInfoModuleOffset = 324;   // module path, 256 bytes
inline constexpr int kInstallInfoCreatorOffset = 580;  // creator ID, a 32-bit value
inline constexpr int kInstallInfoNameOffset = 584;     // display name, 256 bytes
static_assert(sizeof(FileInstallType) == kInstallInfoSize);
static_assert(offsetof(FileInstallType, szDir) == 0 && offsetof(FileInstallType, szExt) == 64);
static_assert(offsetof(FileInstallType, dwMask) == 320);
static_assert(offsetof(FileInstallType, szModule) == kInstallInfoModuleOffset);
static_assert(offsetof(FileInstallType, dwCreatorID) == kInstallInfoCreatorOffset);
static_assert(offsetof(FileInstallType, szName) == kInstallInfoNameOffset);

// One item of CmGetCreatorIDList's list (CM_CREATORLIST_ITEM_TYPE).
struct CmCreatorListItem {
  char szCreatorID[8];
  std::int32_t iReserved;
};
static_assert(sizeof(CmCreatorListItem) == 12);

// ---------------------------------------------------------------------------------------------
// Prototypes: one pointer type per entry point, PFN_<name>.

extern "C" {
// condmgr.dll
typedef std::uint16_t(PALMAPI* PFN_CmGetLibVersion)(void);
typedef std::int32_t(PALMAPI* PFN_CmConvertCreatorIDToString)(std::uint32_t id, char* string, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_CmConvertStringToCreatorID)(const char* string, std::uint32_t* id);
typedef std::int32_t(PALMAPI* PFN_CmGetConduitCount)(void);
typedef std::int32_t(PALMAPI* PFN_CmGetCreatorIDList)(CmCreatorListItem* list, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_CmGetConduitCreatorID)(std::int32_t index, char* creator, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_CmGetConduitByCreator)(const char* creator, void** handle);
typedef std::int32_t(PALMAPI* PFN_CmInstallConduit)(void* handle);
typedef std::int32_t(PALMAPI* PFN_CmInstallCreator)(const char* creator, std::int32_t type);
typedef std::int32_t(PALMAPI* PFN_CmRemoveConduitByCreatorID)(const char* creator);
typedef std::int32_t(PALMAPI* PFN_CmSetCreatorValue)(const char* creator, std::uint32_t value);  // Priority, Integrate
typedef std::int32_t(PALMAPI* PFN_CmGetCreatorValue)(const char* creator, std::uint32_t* value);  // Priority, Integrate
typedef std::int32_t(PALMAPI* PFN_CmSetCreatorText)(const char* creator, const char* text);  // Name, Directory, ...
typedef std::int32_t(PALMAPI* PFN_CmGetCreatorText)(const char* creator, char* buf, std::int32_t* size);  // Name, File, ...
typedef PFN_CmSetCreatorValue PFN_CmSetCreatorPriority, PFN_CmSetCreatorIntegrate;
typedef PFN_CmGetCreatorValue PFN_CmGetCreatorPriority, PFN_CmGetCreatorIntegrate;
typedef PFN_CmSetCreatorText PFN_CmSetCreatorName, PFN_CmSetCreatorDirectory, PFN_CmSetCreatorRemote,
    PFN_CmSetCreatorUser, PFN_CmSetCreatorTitle, PFN_CmSetCreatorInfo, PFN_CmSetCreatorFile,
    PFN_CmSetCreatorModule, PFN_CmSetCreatorArgument;
typedef PFN_CmGetCreatorText PFN_CmGetCreatorName, PFN_CmGetCreatorDirectory, PFN_CmGetCreatorRemote,
    PFN_CmGetCreatorUser, PFN_CmGetCreatorTitle, PFN_CmGetCreatorInfo, PFN_CmGetCreatorFile,
    PFN_CmGetCreatorModule, PFN_CmGetCreatorArgument;
typedef std::int32_t(PALMAPI* PFN_CmGetCreatorType)(const char* creator);
typedef std::int32_t(PALMAPI* PFN_CmSetComPort)(std::int32_t type, const char* port);
typedef std::int32_t(PALMAPI* PFN_CmGetComPort)(std::int32_t type, char* port, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_CmSetBackupConduit)(const char* module);
typedef std::int32_t(PALMAPI* PFN_CmGetBackupConduit)(char* module, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_CmSetNotifierDll)(std::int32_t index, const char* notifier);
typedef std::int32_t(PALMAPI* PFN_CmGetNotifierDll)(std::int32_t index, char* notifier, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_CmSetPCIdentifier)(std::uint32_t id);
typedef std::int32_t(PALMAPI* PFN_CmGetPCIdentifier)(std::uint32_t* id);
typedef std::int32_t(PALMAPI* PFN_CmGetCorePath)(char* path, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_CmSetCorePath)(const char* path);
typedef std::int32_t(PALMAPI* PFN_CmGetHotSyncExecPath)(char* path, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_CmSetHotSyncExecPath)(const char* path);
typedef std::int32_t(PALMAPI* PFN_CmSetCreatorValueDword)(const char* creator, char* value, std::uint32_t dword);
typedef std::int32_t(PALMAPI* PFN_CmGetCreatorValueDword)(const char* creator, char* value, std::uint32_t* dword, std::uint32_t fallback);
typedef std::int32_t(PALMAPI* PFN_CmSetCreatorValueString)(const char* creator, char* value, char* string);
typedef std::int32_t(PALMAPI* PFN_CmGetCreatorValueString)(const char* creator, char* value, char* string, std::int32_t* size, char* fallback);
typedef std::int32_t(PALMAPI* PFN_CmRestoreHotSyncSettings)(std::int32_t toDefaults);

// UserData.dll
typedef std::int32_t(PALMAPI* PFN_UmGetLibVersion)(std::uint32_t* major, std::uint32_t* minor);
typedef std::int16_t(PALMAPI* PFN_UmGetUserCount)(void);
typedef std::int32_t(PALMAPI* PFN_UmGetUserID)(std::int16_t index, std::uint32_t* userId);
typedef std::int32_t(PALMAPI* PFN_UmGetUserText)(std::uint32_t userId, char* buf, std::int16_t* size);  // Name, Directory, Password
typedef PFN_UmGetUserText PFN_UmGetUserName, PFN_UmGetUserDirectory, PFN_UmGetUserPassword;
typedef std::int32_t(PALMAPI* PFN_UmUserQuery)(std::uint32_t userId);  // IsUserInstalled, IsUserProfile, DeleteUser
typedef PFN_UmUserQuery PFN_UmIsUserInstalled, PFN_UmIsUserProfile, PFN_UmDeleteUser;
typedef std::int32_t(PALMAPI* PFN_UmSetUserText)(std::uint32_t userId, const char* text);  // Name, Directory
typedef PFN_UmSetUserText PFN_UmSetUserName, PFN_UmSetUserDirectory;
typedef std::int32_t(PALMAPI* PFN_UmSetUserInstall)(std::uint32_t userId, std::int32_t install);
typedef std::int32_t(PALMAPI* PFN_UmSetUserSyncPreferences)(std::uint32_t userId, std::uint32_t creatorId, std::int32_t code);  // Perm, Temp
typedef PFN_UmSetUserSyncPreferences PFN_UmSetUserPermSyncPreferences, PFN_UmSetUserTempSyncPreferences;
typedef std::int32_t(PALMAPI* PFN_UmGetUserSyncPreferences)(std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code);  // Perm, Temp
typedef PFN_UmGetUserSyncPreferences PFN_UmGetUserPermSyncPreferences, PFN_UmGetUserTempSyncPreferences;
typedef std::int32_t(PALMAPI* PFN_UmDropUserSyncPreferences)(std::uint32_t userId, std::uint32_t creatorId);  // Remove/Delete...
typedef PFN_UmDropUserSyncPreferences PFN_UmRemoveUserTempSyncPreferences, PFN_UmDeleteUserPermSyncPreferences,
    PFN_UmDeleteUserTempSyncPreferences;
typedef std::int32_t(PALMAPI* PFN_UmAddUser)(const char* name, std::int32_t profileUser);
typedef std::int32_t(PALMAPI* PFN_UmGetRootDirectory)(char* buf, std::int16_t* size);
typedef std::int32_t(PALMAPI* PFN_UmInstallMask)(std::uint32_t userId, std::uint32_t mask);  // IsSet, Clear, Set
typedef PFN_UmInstallMask PFN_UmIsInstallMaskSet, PFN_UmClearInstallMask, PFN_UmSetInstallMask;
typedef std::int32_t(PALMAPI* PFN_UmGetString)(std::uint32_t userId, const char* section, const char* key, char* buf, std::int32_t* size, const char* fallback);
typedef std::int32_t(PALMAPI* PFN_UmSetString)(std::uint32_t userId, const char* section, const char* key, const char* value);
typedef std::int32_t(PALMAPI* PFN_UmGetInteger)(std::uint32_t userId, const char* section, const char* key, std::int32_t* value, std::int32_t fallback);
typedef std::int32_t(PALMAPI* PFN_UmSetInteger)(std::uint32_t userId, const char* section, const char* key, std::int32_t value);
typedef std::int32_t(PALMAPI* PFN_UmDeleteKey)(std::uint32_t userId, const char* section, const char* key);
typedef std::int32_t(PALMAPI* PFN_UmGetIDFrom)(const char* text, std::uint32_t* userId);  // Path, Name
typedef PFN_UmGetIDFrom PFN_UmGetIDFromPath, PFN_UmGetIDFromName;
typedef std::int32_t(PALMAPI* PFN_UmSlotGetExpMgrVersion)(std::uint32_t userId, std::uint32_t* version);
typedef std::int32_t(PALMAPI* PFN_UmSlotGetSlotCount)(std::uint32_t userId, std::uint16_t* count);
typedef std::int32_t(PALMAPI* PFN_UmSlotGetInfo)(std::uint32_t userId, std::uint32_t* slotRefs, std::uint16_t* count);
typedef std::int32_t(PALMAPI* PFN_UmSlotGetMediaType)(std::uint32_t userId, std::uint32_t slotRef, std::uint32_t* mediaType);
// UmSlotGetDisplayName and UmSlotGetInstallDirectory take a 32-bit size (long*).
typedef std::int32_t(PALMAPI* PFN_UmSlotGetDisplayName)(std::uint32_t userId, std::uint32_t slotRef, char* buf, std::int32_t* size);
typedef PFN_UmSlotGetDisplayName PFN_UmSlotGetInstallDirectory;

// HSAPI.DLL. The enum arguments (HSConnectionType, HsStatusType) are 32-bit.
typedef std::int32_t(PALMAPI* PFN_HsGetApiVersion)(std::uint32_t* version);
typedef std::int32_t(PALMAPI* PFN_HsGetSyncStatus)(std::uint32_t* status);
typedef std::int32_t(PALMAPI* PFN_HsCheckApiStatus)(void);
typedef std::int32_t(PALMAPI* PFN_HsDisplayCustomDlg)(void);
typedef std::int32_t(PALMAPI* PFN_HsDisplayLog)(std::uint32_t userId);
typedef std::int32_t(PALMAPI* PFN_HsDisplayFileLink)(std::uint32_t userId);
typedef std::int32_t(PALMAPI* PFN_HsResetComm)(void);
typedef std::int32_t(PALMAPI* PFN_HsSetCommStatus)(std::int32_t connType, std::uint32_t status);
typedef std::int32_t(PALMAPI* PFN_HsGetCommStatus)(std::int32_t connType, std::uint32_t* status);
typedef std::int32_t(PALMAPI* PFN_HsSetAppStatus)(std::int32_t statusType, std::uint32_t startFlags);
typedef std::int32_t(PALMAPI* PFN_HsRefreshConduitInfo)(void);

// instaide.dll. The block is a FileInstallType; the binding hands it over as bytes.
// PlmGetLibVesion is in none of Palm's published headers; it is taken to have the prototype
// of its siblings UmGetLibVersion and PlmGetLibVersion (two DWORD pointers: major, minor).
typedef std::int32_t(PALMAPI* PFN_PlmGetLibVesion)(std::uint32_t* major, std::uint32_t* minor);
typedef std::int32_t(PALMAPI* PFN_PltGetUserCount)(void);
typedef std::int32_t(PALMAPI* PFN_PltGetUser)(std::uint32_t index, char* user, std::int16_t* size);
typedef std::int32_t(PALMAPI* PFN_PltInstallFile)(char* user, char* filePath);
typedef std::int32_t(PALMAPI* PFN_PltGetFileCount)(char* user, char* extension);
typedef std::int32_t(PALMAPI* PFN_PltGetFileName)(char* user, std::uint32_t index, char* extension, char* fileName, std::int16_t* size);
typedef std::int32_t(PALMAPI* PFN_PltGetFileInfo)(char* user, std::uint32_t index, char* extension, char* fileName, std::int16_t* size, std::uint32_t* fileSize);
typedef std::int32_t(PALMAPI* PFN_PltRemoveInstallFile)(char* user, char* fileName);
typedef std::int32_t(PALMAPI* PFN_PltGetPath)(std::uint16_t pathType, char* path, std::int16_t* size);
typedef std::int32_t(PALMAPI* PFN_PltSetPath)(std::uint16_t pathType, char* path);
typedef std::int32_t(PALMAPI* PFN_PltGetInstallFileFilter)(char* filter, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_PltGetFileTypesCount)(void);
typedef std::int32_t(PALMAPI* PFN_PltGetFileTypeExtension)(std::int32_t index, char* buf, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_PltGetInstallConduitCount)(void);
typedef std::int32_t(PALMAPI* PFN_PltGetInstallConduitInfo)(std::uint32_t index, void* block, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_PltInstallMask)(char* user, std::uint32_t mask);  // IsSet, Reset
typedef PFN_PltInstallMask PFN_PltIsInstallMaskSet, PFN_PltResetInstallMask;
typedef std::int32_t(PALMAPI* PFN_PltGetInstallCreatorInfo)(std::uint32_t creatorId, void* block, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_PltSetInstallRegistry)(void);
typedef std::int32_t(PALMAPI* PFN_PltGetRegistryPath)(std::uint32_t index, char* buf, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_PltGetUserDirectory)(char* user, char* buf, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_PltIsUserProfile)(char* user);
typedef std::int32_t(PALMAPI* PFN_PlmGetUserNameFromID)(std::uint32_t userId, char* user, std::int16_t* size);
typedef std::int32_t(PALMAPI* PFN_PlmGetUserIDFromName)(char* user, std::uint32_t* userId);
typedef std::int32_t(PALMAPI* PFN_PltInstallFileToDest)(char* user, char* filePath, char* destName);
typedef std::int32_t(PALMAPI* PFN_PltGetInstallFileFilterForUser)(char* user, char* filter, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_PlmSlotGetFileCount)(std::uint32_t userId, std::uint32_t slotId, std::int32_t* count);
typedef std::int32_t(PALMAPI* PFN_PlmSlotGetFileInfo)(std::uint32_t userId, std::uint32_t slotId, std::uint32_t index, char* fileName, std::int32_t* size, std::uint32_t* fileSize);
typedef std::int32_t(PALMAPI* PFN_PlmSlotFile)(std::uint32_t userId, std::uint32_t slotId, const char* fileName);  // Install, Remove
typedef PFN_PlmSlotFile PFN_PlmSlotInstallFile, PFN_PlmSlotRemoveInstallFile, PFN_PlmMoveInstallFileToHandheld;
typedef std::int32_t(PALMAPI* PFN_PlmSlotMoveInstallFile)(std::uint32_t userId, std::uint32_t slotFrom, const char* fileName, std::uint32_t slotTo);
typedef std::int32_t(PALMAPI* PFN_PlmMoveInstallFileToSlot)(std::uint32_t userId, const char* fileName, std::uint32_t slotTo);

// A conduit module's own name (a plain C export, not PALMAPI).
typedef std::int32_t (*PFN_GetConduitName)(char* name, std::uint16_t size);
}

}  // namespace palm
