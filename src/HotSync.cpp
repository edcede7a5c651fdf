#include "src/HotSync.h"

// The HotSync API wrappers are not bound yet: until they are, no HotSync is ever reported.
HotSyncState CheckHotSync() { return HotSyncState::NotRunning; }
