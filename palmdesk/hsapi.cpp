// The stand-in HotSync API library, HSAPI.DLL. The tool binds its entry points but never calls
// them; each answers -1 ("not available").
#include <cstdint>

#include "common/palm/PalmApi.h"
#include "palmdesk/Runtime.h"

#define PALMDESK_STUB(name) \
  PALMDESK_EXPORT std::int32_t PALMAPI name(void) { return -1; }
PALMDESK_STUB(HsGetApiVersion)
PALMDESK_STUB(HsGetSyncStatus)
PALMDESK_STUB(HsCheckApiStatus)
PALMDESK_STUB(HsDisplayCustomDlg)
PALMDESK_STUB(HsDisplayLog)
PALMDESK_STUB(HsDisplayFileLink)
PALMDESK_STUB(HsResetComm)
PALMDESK_STUB(HsSetCommStatus)
PALMDESK_STUB(HsGetCommStatus)
PALMDESK_STUB(HsSetAppStatus)
PALMDESK_STUB(HsRefreshConduitInfo)
