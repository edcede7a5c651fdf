#include "src/core/HotSync.h"

#include <cstdint>

#include "src/core/OVUtil.h"

HotSyncState CheckHotSync() {
  // Not running, or no HotSync API to ask (HSAPI.DLL missing: nothing can be known, and the
  // window writes all the same).
  if (palm::HsCheckApiStatus() != 0) return HotSyncState::NotRunning;
  std::uint32_t status = palm::HOTSYNC_STATUS_IDLE;
  if (palm::HsGetSyncStatus(&status) != 0) return HotSyncState::Unknown;
  return status == palm::HOTSYNC_STATUS_IDLE ? HotSyncState::NotRunning : HotSyncState::Syncing;
}
