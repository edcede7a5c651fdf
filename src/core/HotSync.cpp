#include "src/core/HotSync.h"

#include <cstdint>

#include "src/core/OVUtil.h"

HotSyncState CheckHotSync() {
  // Only HotSync Manager's own "not found" means that it is not running; without HSAPI.DLL (or
  // its entry point) there is nobody to ask and the tool writes as it always did. Any other
  // answer leaves the state unknown.
  const std::int32_t nApi = palm::HsCheckApiStatus();
  if (nApi == palm::HSAPI_ERR_HOTSYNC_NOT_FOUND || nApi == palm::ERR_NOT_BOUND) return HotSyncState::NotRunning;
  if (nApi != 0) return HotSyncState::Unknown;
  std::uint32_t status = palm::HOTSYNC_STATUS_IDLE;
  if (palm::HsGetSyncStatus(&status) != 0) return HotSyncState::Unknown;
  return status == palm::HOTSYNC_STATUS_IDLE ? HotSyncState::NotRunning : HotSyncState::Syncing;
}
