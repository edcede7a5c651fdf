// The stand-in HotSync API library, HSAPI.DLL: whether HotSync Manager runs and whether a
// HotSync is in progress, as the installation's description ("hotsync = absent | idle |
// syncing") or the stand-in HotSync manager's state file (palmdesk.hotsync) say.
//
// Results as Palm's: 0 success, errors 0x10000000 + n (positive). The calls that would drive
// HotSync Manager (dialogs, logs, ports, starting and closing it) answer ERROR_HSAPI_FAILURE
// when it runs: the stand-in has nothing to drive.
#include <type_traits>

#include "src/core/palm/PalmApi.h"
#include "palmdesk/Runtime.h"

namespace {

using palmdesk::HotSync;
using palmdesk::Session;

// 0 when HotSync Manager runs, else Palm's "HotSync Manager not found".
std::int32_t Running() {
  Session s;
  return s.hotSync() == HotSync::Absent ? palm::HSAPI_ERR_HOTSYNC_NOT_FOUND : 0;
}

std::int32_t NothingToDrive() {
  const std::int32_t r = Running();
  return r != 0 ? r : palm::HSAPI_ERR_FAILURE;
}

}  // namespace

// The version of the HotSync API the library speaks; it needs no HotSync Manager.
PALMDESK_EXPORT std::int32_t PALMAPI HsGetApiVersion(std::uint32_t* version) {
  if (version == nullptr) return palm::HSAPI_ERR_INVALID_POINTER;
  *version = palm::HS_API_VERSION_2;
  return 0;
}

// 1 (HOTSYNC_STATUS_SYNCING) while a HotSync is in progress, else 0; *status is left alone
// when HotSync Manager does not run.
PALMDESK_EXPORT std::int32_t PALMAPI HsGetSyncStatus(std::uint32_t* status) {
  if (status == nullptr) return palm::HSAPI_ERR_INVALID_POINTER;
  Session s;
  const HotSync state = s.hotSync();
  if (state == HotSync::Absent) return palm::HSAPI_ERR_HOTSYNC_NOT_FOUND;
  if (s.desc().faults.syncStatusFail) return *s.desc().faults.syncStatusFail;
  *status = state == HotSync::Syncing ? palm::HOTSYNC_STATUS_SYNCING : palm::HOTSYNC_STATUS_IDLE;
  return 0;
}

PALMDESK_EXPORT std::int32_t PALMAPI HsCheckApiStatus(void) { return Running(); }

// Re-reading the conduits is immediate in the stand-in: done when HotSync Manager runs.
PALMDESK_EXPORT std::int32_t PALMAPI HsRefreshConduitInfo(void) { return Running(); }

PALMDESK_EXPORT std::int32_t PALMAPI HsDisplayCustomDlg(void) { return NothingToDrive(); }
PALMDESK_EXPORT std::int32_t PALMAPI HsDisplayLog(std::uint32_t) { return NothingToDrive(); }
PALMDESK_EXPORT std::int32_t PALMAPI HsDisplayFileLink(std::uint32_t) { return NothingToDrive(); }
PALMDESK_EXPORT std::int32_t PALMAPI HsResetComm(void) { return NothingToDrive(); }
PALMDESK_EXPORT std::int32_t PALMAPI HsSetCommStatus(std::int32_t, std::uint32_t) { return NothingToDrive(); }
PALMDESK_EXPORT std::int32_t PALMAPI HsGetCommStatus(std::int32_t, std::uint32_t* status) {
  if (status == nullptr) return palm::HSAPI_ERR_INVALID_POINTER;
  return NothingToDrive();
}
PALMDESK_EXPORT std::int32_t PALMAPI HsSetAppStatus(std::int32_t, std::uint32_t) { return NothingToDrive(); }

// Every export has exactly the prototype and calling convention of Palm's (PalmApi.h).
PALM_HSAPI_ENTRIES(PALMDESK_CHECK_EXPORT)
