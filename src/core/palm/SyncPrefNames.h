// The names a user reads for the sync preference codes of Palm's user data library, shared by
// every program that shows what a handheld's next HotSync will do (the tool's windows, its
// console program, and the stand-in HotSync manager), so that they all say the same.
//
// The codes are the user data library's own numbering (SYNC_PREF_* in PalmApi.h, and 4 for a
// custom setting). A conduit's own interface numbers its sync types differently; those numbers
// are never named here.
#pragma once

#include <cstdint>
#include <string>

#include "src/core/palm/PalmApi.h"

namespace palm {

// The code Palm Desktop writes for a custom setting (never written by this tool).
inline constexpr std::int32_t SYNC_PREF_CUSTOM = 4;

// A preference never written.
inline constexpr const char* kSyncPrefNotSet = "not set";
// Appended to the next HotSync's action when a one-time (temporary) preference decides it.
inline constexpr const char* kOneTimeMark = " (this time only)";

// "Synchronize the files", "Desktop overwrites handheld", "Handheld overwrites Desktop",
// "Do Nothing", "Custom", else "Unknown (n)".
inline std::string SyncPrefName(std::int32_t nCode) {
  switch (nCode) {
    case SYNC_PREF_SYNCHRONIZE: return "Synchronize the files";
    case SYNC_PREF_PC_TO_HH: return "Desktop overwrites handheld";
    case SYNC_PREF_HH_TO_PC: return "Handheld overwrites Desktop";
    case SYNC_PREF_DO_NOTHING: return "Do Nothing";
    case SYNC_PREF_CUSTOM: return "Custom";
    default: return "Unknown (" + std::to_string(nCode) + ")";
  }
}

// The next HotSync's action: the one-time preference's name, marked, when one is set.
inline std::string NextSyncText(std::int32_t nCode, bool bOneTime) {
  return bOneTime ? SyncPrefName(nCode) + kOneTimeMark : SyncPrefName(nCode);
}

}  // namespace palm
