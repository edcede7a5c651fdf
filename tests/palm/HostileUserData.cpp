// A user data library that misbehaves: one user whose name and directory calls fill the whole
// buffer they are offered with letters and leave no terminator.
#include <cstdint>
#include <cstring>

#include "common/palm/PalmApi.h"

#ifdef _WIN32
#define HOSTILE_EXPORT extern "C" __declspec(dllexport)
#else
#define HOSTILE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {
std::int32_t Fill(char fill, char* buf, std::int16_t* size) {
  if (buf == nullptr || size == nullptr || *size <= 0) return palm::USERDATA_ERR_INVALID_PARAM;
  std::memset(buf, fill, static_cast<std::size_t>(*size));
  return 0;
}
}  // namespace

HOSTILE_EXPORT std::int16_t PALMAPI UmGetUserCount(void) { return 1; }

HOSTILE_EXPORT std::int32_t PALMAPI UmGetUserID(std::int16_t, std::uint32_t* userId) {
  *userId = 0x600DF00D;
  return 0;
}

HOSTILE_EXPORT std::int32_t PALMAPI UmGetUserName(std::uint32_t, char* buf, std::int16_t* size) {
  return Fill('N', buf, size);
}

HOSTILE_EXPORT std::int32_t PALMAPI UmGetUserDirectory(std::uint32_t, char* buf, std::int16_t* size) {
  return Fill('D', buf, size);
}
