#include "src/logic/ProfDetail.h"

#include <cstring>

#include "src/core/misc/Assert.h"
#include "src/core/os/os.h"

#define OV_SOURCE_NAME "src\\ProfDetail"

std::string LocalTextPrefix(const std::string& text, std::size_t nMaxBytes) {
  std::size_t n = 0;
  while (n < text.size()) {
    const std::size_t len = os::CharLength(text.data() + n, text.size() - n);
    if (n + len > nMaxBytes) break;
    n += len;
  }
  return text.substr(0, n);
}

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

bool ProfDetailLogic::btnOKClick(const std::string& description) {
  // Blanks are a description; only no character at all is refused.
  if (description.empty()) {
    if (m_pView) {
      ov::MessageRequest request;
      request.text = profdetail::kInvalidDescription;
      request.caption = profdetail::kErrorCaption;
      request.icon = ov::MessageIcon::Error;
      m_pView->ShowMessage(request);
    }
    return false;
  }
  const std::string kept = LocalTextPrefix(description, PROFDETAIL_DESC_MAX);
  std::memcpy(m_szDescription, kept.data(), kept.size());
  m_szDescription[kept.size()] = '\0';
  return true;
}
