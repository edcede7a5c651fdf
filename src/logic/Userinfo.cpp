#include "src/logic/Userinfo.h"

#include <cstdio>

#include "src/core/OVUtil.h"
#include "src/logic/Main.h"

namespace {

// Every text the user data library gives: 256 bytes, terminator included.
constexpr int kTextLen = 256;
constexpr std::uint32_t kMediaWild = 0x77696C64;  // 'wild': no particular media

struct MediaType {
  std::uint32_t dwCode;
  const char* szName;
};
constexpr MediaType kMediaTypes[] = {
    {0x63667368, "Compact Flash"},          // 'cfsh'
    {0x6D73746B, "Memory Stick"},           // 'mstk'
    {0x6D6D6364, "Multimedia Card"},        // 'mmcd'
    {0x706E7073, "Plug & Play Connector"},  // 'pnps'
    {0x706F7365, "Palm OS Emulator"},       // 'pose'
    {0x72616D64, "RAM Disk"},               // 'ramd'
    {0x73646967, "Secure Digital"},         // 'sdig'
    {0x736D6564, "SmartMedia"},             // 'smed'
};
constexpr const char* kMediaUnknown = "Not Specified";

// A text buffer as the library left it, read only up to its last byte: a library that writes
// no terminator must not make us read past the buffer.
std::string BufferText(char (&buf)[kTextLen]) {
  buf[kTextLen - 1] = '\0';
  return buf;
}

std::string Decimal(long long n) {
  char sz[24];
  std::snprintf(sz, sizeof sz, "%lld", n);
  return sz;
}

}  // namespace

const char* MediaTypeName(std::uint32_t dwMediaType) {
  for (const MediaType& m : kMediaTypes) {
    if (m.dwCode == dwMediaType) return m.szName;
  }
  return kMediaUnknown;
}

void UserInfoLogic::LoadUserInfo(std::uint32_t userId) {
  m_dwUserId = userId;

  // Only a positive answer means a profile: the library's errors, and the binding's answer for
  // a missing entry point, are negative.
  if (palm::UmIsUserProfile(userId) > 0) m_bProfile = true;

  {
    char buf[kTextLen] = {};
    std::int16_t nSize = kTextLen;
    palm::UmGetUserName(userId, buf, &nSize);
    m_userName = BufferText(buf);
  }
  {
    char buf[kTextLen] = {};
    std::int16_t nSize = kTextLen;
    palm::UmGetUserDirectory(userId, buf, &nSize);
    m_dataDir = BufferText(buf);
  }
  {
    char buf[kTextLen] = {};
    std::int16_t nSize = kTextLen;
    palm::UmGetRootDirectory(buf, &nSize);
    m_rootDir = BufferText(buf);
  }

  m_slots.clear();
  std::uint16_t nCount = 0;
  palm::UmSlotGetSlotCount(userId, &nCount);
  if (nCount == 0) return;

  // The array holds what the library said there are; the count it gives back is the number
  // filled and is never trusted beyond the array.
  std::vector<std::uint32_t> refs(nCount, 0);
  std::uint16_t nFilled = nCount;
  palm::UmSlotGetInfo(userId, refs.data(), &nFilled);
  if (nFilled > nCount) nFilled = nCount;

  m_slots.reserve(nFilled);
  for (std::uint16_t i = 0; i < nFilled; ++i) {
    const std::uint32_t ref = refs[i];

    std::uint32_t dwMediaType = kMediaWild;
    palm::UmSlotGetMediaType(userId, ref, &dwMediaType);

    char buf[kTextLen] = {};
    std::int32_t nSize = kTextLen;
    palm::UmSlotGetDisplayName(userId, ref, buf, &nSize);

    m_slots.push_back({Decimal(i + 1), Decimal(static_cast<std::int32_t>(ref)), MediaTypeName(dwMediaType),
                       BufferText(buf)});
  }
}

void UserInfoLogic::btnActionsClick() {
  if (m_pMain) m_pMain->OpenSyncActions(m_dwUserId, m_userName);
}
