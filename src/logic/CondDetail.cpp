#include "src/logic/CondDetail.h"

#include <cstring>

#include "src/core/misc/Assert.h"
#include "src/core/palm/CondMgr.h"
#include "src/logic/Main.h"
#include "src/core/UserActions.h"

#define OV_SOURCE_NAME "src\\CondDetail"

CondChoice ChoiceForAction(std::uint32_t dwAction) {
  // The tests run in this order: switched off or "do nothing", then 2, then 4; every other
  // action is shown as synchronize, as everywhere else in the tool.
  if (dwAction > ACTION_CODE_MASK || dwAction == ACTION_NOTHING) return CondChoice::Nothing;
  if (dwAction == ACTION_PC2HH) return CondChoice::PC2HH;
  if (dwAction == ACTION_HH2PC) return CondChoice::HH2PC;
  return CondChoice::Sync;
}

CondDetailLogic::CondDetailLogic() : m_pData(nullptr), m_choice(CondChoice::None) { FormCreate(); }

void CondDetailLogic::FormCreate() { m_pData = nullptr; }

void CondDetailLogic::SetData(CONDUIT_REC* pData) {
  OV_ASSERT(pData!=NULL);
  m_pData = pData;
  TransferData(false);
}

bool CondDetailLogic::TransferData(bool bSave) {
  if (!m_pData) return false;
  if (!bSave) {
    m_title = ConduitTitleOf(*m_pData);
    m_choice = ChoiceForAction(m_pData->dwAction);
    return true;
  }
  switch (m_choice) {
    case CondChoice::Sync: m_pData->dwAction = ACTION_SYNC; break;
    case CondChoice::PC2HH: m_pData->dwAction = ACTION_PC2HH; break;
    case CondChoice::HH2PC: m_pData->dwAction = ACTION_HH2PC; break;
    default:
      // Switched off: the low 16 bits keep the earlier action for when it is switched on again.
      m_pData->dwAction |= ACTION_DISABLED;
      break;
  }
  return true;
}

bool CondDetailLogic::btnOKClick() { return TransferData(true); }
