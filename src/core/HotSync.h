// Whether a HotSync is running now, asked of Palm's HotSync API (HSAPI.DLL). Settings written
// while HotSync synchronizes a handheld may be read half-way or overwritten by it, so the tools
// that write them ask first.
#pragma once

enum class HotSyncState {
  NotRunning,  // no HotSync Manager, one that is idle, or no HotSync API to ask
  Syncing,     // a handheld is being synchronized
  Unknown,     // HotSync Manager gave another answer, or did not say whether it synchronizes
};

HotSyncState CheckHotSync();
