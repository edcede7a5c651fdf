// The stand-in install aide, instaide.dll: the install conduits of the description. The
// install conduit information block is Palm's FileInstallType, 840 bytes:
//   0 directory (64)  64 extensions (256)  320 mask (32-bit)  324 module (256)
//   580 creator ID (32-bit)  584 display name (256)
// 32-bit values lie least significant byte first, as they do in memory on Windows.
// Results as Palm's InstAide.h numbers them: PltGetInstallConduitInfo answers 1 when it filled
// the block; -514 no such index, -502 a size below 840, -516 a missing block or size.
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "src/core/misc/Endian.h"
#include "src/core/palm/PalmApi.h"
#include "palmdesk/Runtime.h"

namespace {

using palmdesk::Session;
constexpr std::int32_t kBadParam = palm::INSTAIDE_ERR_INVALID_BUFFER;
constexpr std::int32_t kNoIndex = palm::INSTAIDE_ERR_INVALID_INDEX;
constexpr std::int32_t kTooSmall = palm::INSTAIDE_ERR_BUFFER_TOO_SMALL;
// What the entry points the stand-in does not carry out answer. The install aide has no "not
// supported"; its "not found" says that the stand-in keeps nothing for the call.
constexpr std::int32_t kNotSupported = palm::INSTAIDE_ERR_NOT_FOUND;

// Copies text into the block's area of cap bytes, cut to cap - 1 bytes and terminated; with
// overfill (fault.oversized_texts), fills the whole area with the text over and over instead
// and leaves no terminator.
void PutArea(unsigned char* block, int offset, int cap, const std::string& text, bool overfill) {
  if (overfill) {
    for (int i = 0; i < cap; ++i) block[offset + i] = static_cast<unsigned char>(text.empty() ? 'x' : text[static_cast<std::size_t>(i) % text.size()]);
    return;
  }
  std::size_t n = text.size() < static_cast<std::size_t>(cap - 1) ? text.size() : static_cast<std::size_t>(cap - 1);
  std::memcpy(block + offset, text.data(), n);
  block[offset + static_cast<int>(n)] = '\0';
}

}  // namespace

// Version 6.1 (major, minor), as the user data library's UmGetLibVersion reports it.
PALMDESK_EXPORT std::int32_t PALMAPI PlmGetLibVesion(std::uint32_t* major, std::uint32_t* minor) {
  if (major == nullptr || minor == nullptr) return kBadParam;
  *major = 6;
  *minor = 1;
  return 0;
}

PALMDESK_EXPORT std::int32_t PALMAPI PltGetInstallConduitCount(void) {
  Session s;
  if (s.desc().faults.installCount) return *s.desc().faults.installCount;
  return static_cast<std::int32_t>(s.desc().installConduits.size());
}

// Fills the block and answers 1; a fault switch can make one index answer something else and
// leave the block alone.
PALMDESK_EXPORT std::int32_t PALMAPI PltGetInstallConduitInfo(std::uint32_t index, void* block, std::int32_t* size) {
  if (block == nullptr || size == nullptr) return kBadParam;
  Session s;
  if (const palmdesk::FaultEntry* f = palmdesk::Faults::Find(s.desc().faults.installInfoFail, index)) return f->result;
  const auto& list = s.desc().installConduits;
  if (index >= list.size()) return kNoIndex;
  if (*size < palm::kInstallInfoSize) {
    *size = palm::kInstallInfoSize;
    return kTooSmall;
  }
  const palmdesk::InstallConduit& c = list[index];
  auto* b = static_cast<unsigned char*>(block);
  std::memset(b, 0, palm::kInstallInfoSize);
  const bool overfill = s.desc().faults.oversizedTexts;
  PutArea(b, 0, 64, c.directory, overfill);
  PutArea(b, 64, 256, c.extensions, overfill);
  StoreLE32(b + offsetof(palm::FileInstallType, dwMask), c.mask);
  PutArea(b, palm::kInstallInfoModuleOffset, 256, c.module, overfill);
  // The creator ID as Palm keeps it: a DWORD whose most significant byte is the first
  // character ('Inst' is 0x496E7374), so the block holds the characters in reverse order.
  StoreLE32(b + palm::kInstallInfoCreatorOffset, palmdesk::FourCC(c.creator));
  PutArea(b, palm::kInstallInfoNameOffset, 256, c.name, overfill);
  // A library that overruns its own size reports more than the block holds.
  *size = overfill ? INT32_MAX : palm::kInstallInfoSize;
  return 1;
}

// The rest of the install aide's entry points, with Palm's prototypes so that a caller's
// stack stays as it was: present so that every name binds, never called by the tool.
#define PALMDESK_STUB(name, params) \
  PALMDESK_EXPORT std::int32_t PALMAPI name params { return kNotSupported; }
using std::int16_t;
using std::int32_t;
using std::uint16_t;
using std::uint32_t;
PALMDESK_STUB(PltGetUserCount, (void))
PALMDESK_STUB(PltGetUser, (uint32_t, char*, int16_t*))
PALMDESK_STUB(PltInstallFile, (char*, char*))
PALMDESK_STUB(PltGetFileCount, (char*, char*))
PALMDESK_STUB(PltGetFileName, (char*, uint32_t, char*, char*, int16_t*))
PALMDESK_STUB(PltGetFileInfo, (char*, uint32_t, char*, char*, int16_t*, uint32_t*))
PALMDESK_STUB(PltRemoveInstallFile, (char*, char*))
PALMDESK_STUB(PltGetPath, (uint16_t, char*, int16_t*))
PALMDESK_STUB(PltSetPath, (uint16_t, char*))
PALMDESK_STUB(PltGetInstallFileFilter, (char*, int32_t*))
PALMDESK_STUB(PltGetFileTypesCount, (void))
PALMDESK_STUB(PltGetFileTypeExtension, (int32_t, char*, int32_t*))
PALMDESK_STUB(PltIsInstallMaskSet, (char*, uint32_t))
PALMDESK_STUB(PltResetInstallMask, (char*, uint32_t))
PALMDESK_STUB(PltGetInstallCreatorInfo, (uint32_t, void*, int32_t*))
PALMDESK_STUB(PltSetInstallRegistry, (void))
PALMDESK_STUB(PltGetRegistryPath, (uint32_t, char*, int32_t*))
PALMDESK_STUB(PltGetUserDirectory, (char*, char*, int32_t*))
PALMDESK_STUB(PltIsUserProfile, (char*))
PALMDESK_STUB(PlmGetUserNameFromID, (uint32_t, char*, int16_t*))
PALMDESK_STUB(PlmGetUserIDFromName, (char*, uint32_t*))
PALMDESK_STUB(PltInstallFileToDest, (char*, char*, char*))
PALMDESK_STUB(PltGetInstallFileFilterForUser, (char*, char*, int32_t*))
PALMDESK_STUB(PlmSlotGetFileCount, (uint32_t, uint32_t, int32_t*))
PALMDESK_STUB(PlmSlotGetFileInfo, (uint32_t, uint32_t, uint32_t, char*, int32_t*, uint32_t*))
PALMDESK_STUB(PlmSlotInstallFile, (uint32_t, uint32_t, const char*))
PALMDESK_STUB(PlmSlotRemoveInstallFile, (uint32_t, uint32_t, const char*))
PALMDESK_STUB(PlmSlotMoveInstallFile, (uint32_t, uint32_t, const char*, uint32_t))
PALMDESK_STUB(PlmMoveInstallFileToSlot, (uint32_t, const char*, uint32_t))
PALMDESK_STUB(PlmMoveInstallFileToHandheld, (uint32_t, uint32_t, const char*))

// Every export has exactly the prototype and calling convention of Palm's (PalmApi.h).
PALM_INSTAIDE_ENTRIES(PALMDESK_CHECK_EXPORT)
