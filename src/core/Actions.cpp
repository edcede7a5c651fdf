#include "src/core/Actions.h"

#include <cstdio>

#include "src/core/palm/CondMgr.h"
#include "src/core/palm/PalmApi.h"

void GetActionName(std::uint32_t dwAction, char* szText) {
  const char* szName;
  if (dwAction > ACTION_CODE_MASK) {
    szName = "Do Nothing";
  } else {
    switch (dwAction) {
      case ACTION_PC2HH: szName = "Desktop overwrites handheld"; break;
      case ACTION_HH2PC: szName = "Handheld overwrites Desktop"; break;
      case ACTION_NOTHING: szName = "Do Nothing"; break;
      default: szName = "Synchronize the files"; break;  // 1, and codes only a damaged file holds
    }
  }
  std::snprintf(szText, ACTION_NAME_LEN, "%s", szName);
}

std::string ActionName(std::uint32_t dwAction) {
  char sz[ACTION_NAME_LEN];
  GetActionName(dwAction, sz);
  return sz;
}

bool IsActionTicked(std::uint32_t dwAction) { return dwAction <= ACTION_CODE_MASK && dwAction != ACTION_NOTHING; }

std::int32_t SyncPrefCode(std::uint32_t dwAction) {
  if (dwAction > ACTION_CODE_MASK || dwAction == ACTION_NOTHING) return 3;
  if (dwAction == ACTION_PC2HH) return 1;
  if (dwAction == ACTION_HH2PC) return 2;
  return 0;
}

std::uint32_t DefaultActionForKind(std::uint32_t dwKind, std::uint32_t dwAction) {
  const std::uint32_t dwLow = dwKind & 0xFF;
  if (dwLow & COND_KIND_REGISTERED) return ACTION_SYNC;
  if (dwLow & COND_KIND_BACKUP) return ACTION_HH2PC;
  if (dwLow & COND_KIND_INSTALL) return ACTION_PC2HH;
  return dwAction;
}

bool ActionFromSyncPref(std::int32_t nCode, std::uint32_t* pdwAction) {
  switch (nCode) {
    case palm::SYNC_PREF_SYNCHRONIZE: *pdwAction = ACTION_SYNC; return true;
    case palm::SYNC_PREF_PC_TO_HH: *pdwAction = ACTION_PC2HH; return true;
    case palm::SYNC_PREF_HH_TO_PC: *pdwAction = ACTION_HH2PC; return true;
    case palm::SYNC_PREF_DO_NOTHING:
      // Switched off: the conduit keeps the action it had for when it is switched on again.
      *pdwAction |= ACTION_DISABLED;
      return true;
    default: return false;
  }
}
