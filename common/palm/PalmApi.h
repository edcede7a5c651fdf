// Prototypes of the Palm Desktop library entry points that Orvane calls, after Palm's Conduit
// Development Kit documentation. Both sides use them: the binding (function pointer types of its
// entry-point tables) and the stand-in Palm Desktop (the exported functions).
//
// Widths follow 32-bit Windows, where these libraries come from: DWORD and long are 32 bits,
// WORD and short 16. Fixed-width types keep those widths on 64-bit Linux.
#pragma once

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define PALMAPI __stdcall
#else
#define PALMAPI
#endif

namespace palm {

// Results of the conduit manager: 0 success, -1000 to -1029 errors.
inline constexpr std::int32_t CONDMGR_ERR_BUFFER_TOO_SMALL = -1010;
inline constexpr std::int32_t CONDMGR_ERR_INVALID_PARAM = -1001;
inline constexpr std::int32_t CONDMGR_ERR_NOT_FOUND = -1002;
// Results of the user data library: 0 success, -500 to -529 errors.
inline constexpr std::int32_t USERDATA_ERR_INVALID_PARAM = -501;
inline constexpr std::int32_t USERDATA_ERR_INVALID_USER = -505;
inline constexpr std::int32_t USERDATA_ERR_BUFFER_TOO_SMALL = -509;
inline constexpr std::int32_t USERDATA_ERR_SAVE = -516;
inline constexpr std::int32_t USERDATA_ERR_CANNOT_WRITE = -525;
// The stand-in user data library's answer for an item it does not have: an expansion slot, or
// a sync preference that was never written.
inline constexpr std::int32_t USERDATA_ERR_NOT_FOUND = -502;
// Results of the install aide: above 0 success; its errors lie in -500 to -701 and overlap the
// user data numbers with other meanings.
inline constexpr std::int32_t INSTAIDE_ERR_INVALID_PARAM = -600;
inline constexpr std::int32_t INSTAIDE_ERR_NOT_FOUND = -601;
inline constexpr std::int32_t INSTAIDE_ERR_BUFFER_TOO_SMALL = -602;
// The binding's own answer for an entry point (or a conduit module's GetConduitName) that is
// not bound.
inline constexpr std::int32_t ERR_NOT_BOUND = -100;

// Size of the install aide's install conduit information block and the offsets the tool reads.
inline constexpr int kInstallInfoSize = 840;
inline constexpr int kInstallInfoModuleOffset = 324;   // module path, 256 bytes
inline constexpr int kInstallInfoCreatorOffset = 580;  // creator identifier, 4 bytes
inline constexpr int kInstallInfoNameOffset = 584;     // display name, 256 bytes

// Sync preference codes written with UmSet...SyncPreferences.
inline constexpr std::int32_t SYNC_PREF_SYNCHRONIZE = 0;
inline constexpr std::int32_t SYNC_PREF_PC_TO_HH = 1;
inline constexpr std::int32_t SYNC_PREF_HH_TO_PC = 2;
inline constexpr std::int32_t SYNC_PREF_DO_NOTHING = 3;

extern "C" {
// condmgr.dll
typedef std::int32_t(PALMAPI* PFN_CmGetConduitCount)(void);
typedef std::int32_t(PALMAPI* PFN_CmGetConduitCreatorID)(std::int32_t index, char* creator, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_CmGetCreatorText)(const char* creator, char* buf, std::int32_t* size);  // Name, File, Directory, Remote, Info, Title
typedef std::int32_t(PALMAPI* PFN_CmConvertStringToCreatorID)(const char* creator, std::uint32_t* id);
typedef std::int32_t(PALMAPI* PFN_CmGetCreatorValue)(const char* creator, std::uint32_t* value);  // Integrate, Priority
typedef std::int32_t(PALMAPI* PFN_CmGetBackupConduit)(char* module, std::int32_t* size);

// instaide.dll
typedef std::int32_t(PALMAPI* PFN_PltGetInstallConduitCount)(void);
typedef std::int32_t(PALMAPI* PFN_PltGetInstallConduitInfo)(std::uint32_t index, void* block, std::int32_t* size);

// UserData.dll
typedef std::int16_t(PALMAPI* PFN_UmGetUserCount)(void);
typedef std::int32_t(PALMAPI* PFN_UmGetUserID)(std::int16_t index, std::uint32_t* userId);
typedef std::int32_t(PALMAPI* PFN_UmGetUserText)(std::uint32_t userId, char* buf, std::int16_t* size);  // Name, Directory
typedef std::int32_t(PALMAPI* PFN_UmIsUserProfile)(std::uint32_t userId);
typedef std::int32_t(PALMAPI* PFN_UmGetRootDirectory)(char* buf, std::int16_t* size);
typedef std::int32_t(PALMAPI* PFN_UmSlotGetSlotCount)(std::uint32_t userId, std::uint16_t* count);
typedef std::int32_t(PALMAPI* PFN_UmSlotGetInfo)(std::uint32_t userId, std::uint32_t* slotRefs, std::uint16_t* count);
typedef std::int32_t(PALMAPI* PFN_UmSlotGetMediaType)(std::uint32_t userId, std::uint32_t slotRef, std::uint32_t* mediaType);
typedef std::int32_t(PALMAPI* PFN_UmSlotGetDisplayName)(std::uint32_t userId, std::uint32_t slotRef, char* buf, std::int32_t* size);
typedef std::int32_t(PALMAPI* PFN_UmSetUserSyncPreferences)(std::uint32_t userId, std::uint32_t creatorId, std::int32_t code);  // Perm, Temp
typedef std::int32_t(PALMAPI* PFN_UmGetUserSyncPreferences)(std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code);  // Perm, Temp

// A conduit module's own name (a plain C export, not PALMAPI).
typedef std::int32_t (*PFN_GetConduitName)(char* name, std::uint16_t size);
}

}  // namespace palm
