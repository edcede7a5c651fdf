// A conduit manager and install aide in one library that never terminates a text: every text
// call fills all the bytes it is offered (the install aide the whole 840-byte block) with one
// letter per call. One registered conduit, one install conduit, a backup conduit. The catalogue
// tests copy it in as both condmgr.dll and instaide.dll.
#include <cstdint>
#include <cstring>

#include "src/core/palm/PalmApi.h"

#ifdef _WIN32
#define CAT_EXPORT extern "C" __declspec(dllexport)
#else
#define CAT_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {
std::int32_t Fill(char* buf, std::int32_t* size, char c) {
  if (buf == nullptr || size == nullptr || *size <= 0) return palm::CONDMGR_ERR_INVALID_POINTER;
  std::memset(buf, c, static_cast<std::size_t>(*size));
  return 0;
}
}  // namespace

CAT_EXPORT std::int32_t PALMAPI CmGetConduitCount(void) { return 1; }
CAT_EXPORT std::int32_t PALMAPI CmGetConduitCreatorID(std::int32_t, char* creator, std::int32_t* size) {
  return Fill(creator, size, 'c');
}
CAT_EXPORT std::int32_t PALMAPI CmGetCreatorName(const char*, char* buf, std::int32_t* size) { return Fill(buf, size, 'm'); }
CAT_EXPORT std::int32_t PALMAPI CmGetCreatorDirectory(const char*, char* buf, std::int32_t* size) { return Fill(buf, size, 'd'); }
CAT_EXPORT std::int32_t PALMAPI CmGetCreatorFile(const char*, char* buf, std::int32_t* size) { return Fill(buf, size, 'f'); }
CAT_EXPORT std::int32_t PALMAPI CmGetCreatorRemote(const char*, char* buf, std::int32_t* size) { return Fill(buf, size, 'r'); }
CAT_EXPORT std::int32_t PALMAPI CmGetCreatorInfo(const char*, char* buf, std::int32_t* size) { return Fill(buf, size, 'i'); }
CAT_EXPORT std::int32_t PALMAPI CmGetCreatorTitle(const char*, char* buf, std::int32_t* size) { return Fill(buf, size, 't'); }
CAT_EXPORT std::int32_t PALMAPI CmGetBackupConduit(char* buf, std::int32_t* size) { return Fill(buf, size, 'b'); }
CAT_EXPORT std::int32_t PALMAPI CmConvertStringToCreatorID(const char*, std::uint32_t* id) {
  *id = 0x63636363;
  return 0;
}
CAT_EXPORT std::int32_t PALMAPI CmGetCreatorIntegrate(const char*, std::uint32_t* value) {
  *value = 7;
  return 0;
}
CAT_EXPORT std::int32_t PALMAPI CmGetCreatorPriority(const char*, std::uint32_t* value) {
  *value = 9;
  return 0;
}

CAT_EXPORT std::int32_t PALMAPI PltGetInstallConduitCount(void) { return 1; }
CAT_EXPORT std::int32_t PALMAPI PltGetInstallConduitInfo(std::uint32_t, void* block, std::int32_t* size) {
  if (block == nullptr || size == nullptr) return palm::INSTAIDE_ERR_INVALID_BUFFER;
  if (*size < palm::kInstallInfoSize) return palm::INSTAIDE_ERR_BUFFER_TOO_SMALL;
  std::memset(block, 'k', palm::kInstallInfoSize);
  return 1;
}
