#include "src/logic/ProfDetail.h"

#include <cstring>

#include "src/core/misc/Assert.h"

#define OV_SOURCE_NAME "src\\ProfDetail"

ProfDetailLogic::ProfDetailLogic() : m_pView(nullptr), m_szDescription{}, m_szFileName{} {}

void ProfDetailLogic::SetFileName(const char* szFileName) {
  if (!szFileName || !szFileName[0]) {
    OV_ASSERT(0);
    return;
  }
  std::size_t n = 0;
  while (n < PROFDETAIL_PATH_MAX && szFileName[n] != '\0') ++n;
  std::memcpy(m_szFileName, szFileName, n);
  m_szFileName[n] = '\0';
}

bool ProfDetailLogic::btnOKClick(const std::string& description, bool bOutsideCodePage) {
  std::string kept, why;
  bool bStorable = StorableDescription(description, LongDescription::Cut, &kept, &why);
  if (bStorable && bOutsideCodePage) {
    bStorable = false;
    why = kDescriptionOutsideCodePage;
  }
  if (!bStorable) {
    if (m_pView) {
      ov::MessageRequest request;
      // The dialog's own words; for more than an empty field, what is wrong with the text.
      request.text = profdetail::kInvalidDescription;
      if (!description.empty()) request.text += " " + why;
      request.caption = profdetail::kErrorCaption;
      request.icon = ov::MessageIcon::Error;
      m_pView->ShowMessage(request);
    }
    return false;
  }
  std::memcpy(m_szDescription, kept.data(), kept.size());
  m_szDescription[kept.size()] = '\0';
  return true;
}
