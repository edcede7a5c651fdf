// Every entry point of Palm Desktop's four libraries that the binding looks up, per library in
// the order of its entry-point table, with the bytes its arguments take on the stack of 32-bit
// Windows (__stdcall: every argument rounded up to 4 bytes; the callee pops them, so the linker
// names the export Name@<bytes> before the name is stripped to the plain one Palm exports).
//
// The one table of these facts: the binding's name tables and the stand-in's export checks are
// built from it by the preprocessor, and scripts/check-i686-abi.sh reads the lines
// "X(<LIBRARY>, <name>, <bytes>)" to check the linked 32-bit libraries. Keep one entry a line.
//
// The byte counts follow the prototypes of Palm's Conduit Development Kit 4.03 headers
// (condmgr.h, UserData.h, Hsapi.h, InstAide.h); PalmApi.h declares those prototypes.
#pragma once

// condmgr.dll (50)
#define PALM_CONDMGR_ENTRIES(X)                \
  X(CONDMGR, CmGetLibVersion, 0)               \
  X(CONDMGR, CmConvertCreatorIDToString, 12)   \
  X(CONDMGR, CmConvertStringToCreatorID, 8)    \
  X(CONDMGR, CmGetConduitCount, 0)             \
  X(CONDMGR, CmGetCreatorIDList, 8)            \
  X(CONDMGR, CmGetConduitCreatorID, 12)        \
  X(CONDMGR, CmGetConduitByCreator, 8)         \
  X(CONDMGR, CmInstallConduit, 4)              \
  X(CONDMGR, CmInstallCreator, 8)              \
  X(CONDMGR, CmRemoveConduitByCreatorID, 4)    \
  X(CONDMGR, CmSetCreatorPriority, 8)          \
  X(CONDMGR, CmGetCreatorPriority, 8)          \
  X(CONDMGR, CmSetCreatorName, 8)              \
  X(CONDMGR, CmGetCreatorName, 12)             \
  X(CONDMGR, CmSetCreatorDirectory, 8)         \
  X(CONDMGR, CmGetCreatorDirectory, 12)        \
  X(CONDMGR, CmSetCreatorRemote, 8)            \
  X(CONDMGR, CmGetCreatorRemote, 12)           \
  X(CONDMGR, CmSetCreatorUser, 8)              \
  X(CONDMGR, CmGetCreatorUser, 12)             \
  X(CONDMGR, CmSetCreatorTitle, 8)             \
  X(CONDMGR, CmGetCreatorTitle, 12)            \
  X(CONDMGR, CmSetCreatorInfo, 8)              \
  X(CONDMGR, CmGetCreatorInfo, 12)             \
  X(CONDMGR, CmSetCreatorFile, 8)              \
  X(CONDMGR, CmGetCreatorFile, 12)             \
  X(CONDMGR, CmGetCreatorType, 4)              \
  X(CONDMGR, CmSetCreatorIntegrate, 8)         \
  X(CONDMGR, CmGetCreatorIntegrate, 8)         \
  X(CONDMGR, CmSetCreatorModule, 8)            \
  X(CONDMGR, CmGetCreatorModule, 12)           \
  X(CONDMGR, CmSetCreatorArgument, 8)          \
  X(CONDMGR, CmGetCreatorArgument, 12)         \
  X(CONDMGR, CmSetComPort, 8)                  \
  X(CONDMGR, CmGetComPort, 12)                 \
  X(CONDMGR, CmSetBackupConduit, 4)            \
  X(CONDMGR, CmGetBackupConduit, 8)            \
  X(CONDMGR, CmSetNotifierDll, 8)              \
  X(CONDMGR, CmGetNotifierDll, 12)             \
  X(CONDMGR, CmSetPCIdentifier, 4)             \
  X(CONDMGR, CmGetPCIdentifier, 4)             \
  X(CONDMGR, CmGetCorePath, 8)                 \
  X(CONDMGR, CmSetCorePath, 4)                 \
  X(CONDMGR, CmGetHotSyncExecPath, 8)          \
  X(CONDMGR, CmSetHotSyncExecPath, 4)          \
  X(CONDMGR, CmSetCreatorValueDword, 12)       \
  X(CONDMGR, CmGetCreatorValueDword, 16)       \
  X(CONDMGR, CmSetCreatorValueString, 12)      \
  X(CONDMGR, CmGetCreatorValueString, 20)      \
  X(CONDMGR, CmRestoreHotSyncSettings, 4)

// UserData.dll (37)
#define PALM_USERDATA_ENTRIES(X)                   \
  X(USERDATA, UmGetLibVersion, 8)                  \
  X(USERDATA, UmGetUserCount, 0)                   \
  X(USERDATA, UmGetUserID, 8)                      \
  X(USERDATA, UmGetUserName, 12)                   \
  X(USERDATA, UmGetUserDirectory, 12)              \
  X(USERDATA, UmGetUserPassword, 12)               \
  X(USERDATA, UmIsUserInstalled, 4)                \
  X(USERDATA, UmIsUserProfile, 4)                  \
  X(USERDATA, UmSetUserName, 8)                    \
  X(USERDATA, UmSetUserDirectory, 8)               \
  X(USERDATA, UmSetUserInstall, 8)                 \
  X(USERDATA, UmSetUserPermSyncPreferences, 12)    \
  X(USERDATA, UmSetUserTempSyncPreferences, 12)    \
  X(USERDATA, UmGetUserPermSyncPreferences, 12)    \
  X(USERDATA, UmGetUserTempSyncPreferences, 12)    \
  X(USERDATA, UmRemoveUserTempSyncPreferences, 8)  \
  X(USERDATA, UmDeleteUserPermSyncPreferences, 8)  \
  X(USERDATA, UmDeleteUserTempSyncPreferences, 8)  \
  X(USERDATA, UmAddUser, 8)                        \
  X(USERDATA, UmDeleteUser, 4)                     \
  X(USERDATA, UmGetRootDirectory, 8)               \
  X(USERDATA, UmIsInstallMaskSet, 8)               \
  X(USERDATA, UmClearInstallMask, 8)               \
  X(USERDATA, UmSetInstallMask, 8)                 \
  X(USERDATA, UmGetString, 24)                     \
  X(USERDATA, UmSetString, 16)                     \
  X(USERDATA, UmGetInteger, 20)                    \
  X(USERDATA, UmSetInteger, 16)                    \
  X(USERDATA, UmDeleteKey, 12)                     \
  X(USERDATA, UmGetIDFromPath, 8)                  \
  X(USERDATA, UmGetIDFromName, 8)                  \
  X(USERDATA, UmSlotGetExpMgrVersion, 8)           \
  X(USERDATA, UmSlotGetSlotCount, 8)               \
  X(USERDATA, UmSlotGetInfo, 12)                   \
  X(USERDATA, UmSlotGetMediaType, 12)              \
  X(USERDATA, UmSlotGetDisplayName, 16)            \
  X(USERDATA, UmSlotGetInstallDirectory, 16)

// HSAPI.DLL (11)
#define PALM_HSAPI_ENTRIES(X)            \
  X(HSAPI, HsGetApiVersion, 4)           \
  X(HSAPI, HsGetSyncStatus, 4)           \
  X(HSAPI, HsCheckApiStatus, 0)          \
  X(HSAPI, HsDisplayCustomDlg, 0)        \
  X(HSAPI, HsDisplayLog, 4)              \
  X(HSAPI, HsDisplayFileLink, 4)         \
  X(HSAPI, HsResetComm, 0)               \
  X(HSAPI, HsSetCommStatus, 8)           \
  X(HSAPI, HsGetCommStatus, 8)           \
  X(HSAPI, HsSetAppStatus, 8)            \
  X(HSAPI, HsRefreshConduitInfo, 0)

// instaide.dll (33). The first name is the library's own spelling.
#define PALM_INSTAIDE_ENTRIES(X)                  \
  X(INSTAIDE, PlmGetLibVesion, 8)                 \
  X(INSTAIDE, PltGetUserCount, 0)                 \
  X(INSTAIDE, PltGetUser, 12)                     \
  X(INSTAIDE, PltInstallFile, 8)                  \
  X(INSTAIDE, PltGetFileCount, 8)                 \
  X(INSTAIDE, PltGetFileName, 20)                 \
  X(INSTAIDE, PltGetFileInfo, 24)                 \
  X(INSTAIDE, PltRemoveInstallFile, 8)            \
  X(INSTAIDE, PltGetPath, 12)                     \
  X(INSTAIDE, PltSetPath, 8)                      \
  X(INSTAIDE, PltGetInstallFileFilter, 8)         \
  X(INSTAIDE, PltGetFileTypesCount, 0)            \
  X(INSTAIDE, PltGetFileTypeExtension, 12)        \
  X(INSTAIDE, PltGetInstallConduitCount, 0)       \
  X(INSTAIDE, PltGetInstallConduitInfo, 12)       \
  X(INSTAIDE, PltIsInstallMaskSet, 8)             \
  X(INSTAIDE, PltResetInstallMask, 8)             \
  X(INSTAIDE, PltGetInstallCreatorInfo, 12)       \
  X(INSTAIDE, PltSetInstallRegistry, 0)           \
  X(INSTAIDE, PltGetRegistryPath, 12)             \
  X(INSTAIDE, PltGetUserDirectory, 12)            \
  X(INSTAIDE, PltIsUserProfile, 4)                \
  X(INSTAIDE, PlmGetUserNameFromID, 12)           \
  X(INSTAIDE, PlmGetUserIDFromName, 8)            \
  X(INSTAIDE, PltInstallFileToDest, 12)           \
  X(INSTAIDE, PltGetInstallFileFilterForUser, 12) \
  X(INSTAIDE, PlmSlotGetFileCount, 12)            \
  X(INSTAIDE, PlmSlotGetFileInfo, 24)             \
  X(INSTAIDE, PlmSlotInstallFile, 12)             \
  X(INSTAIDE, PlmSlotRemoveInstallFile, 12)       \
  X(INSTAIDE, PlmSlotMoveInstallFile, 16)         \
  X(INSTAIDE, PlmMoveInstallFileToSlot, 12)       \
  X(INSTAIDE, PlmMoveInstallFileToHandheld, 12)
