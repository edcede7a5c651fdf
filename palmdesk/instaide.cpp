// The stand-in install aide, instaide.dll: the install conduits of the description. The
// install conduit information block is 840 bytes:
//   0 directory (64)  64 extensions (256)  320 mask (32-bit)  324 module (256)
//   580 creator (4 bytes, as given)  584 display name (256)
// Results: above 0 success; errors lie in -500 to -701.
#include <cstring>
#include <type_traits>

#include "common/palm/PalmApi.h"
#include "palmdesk/Runtime.h"

namespace {

using palmdesk::Session;
constexpr std::int32_t kBadParam = palm::INSTAIDE_ERR_INVALID_PARAM;
constexpr std::int32_t kNotFound = palm::INSTAIDE_ERR_NOT_FOUND;
constexpr std::int32_t kTooSmall = palm::INSTAIDE_ERR_BUFFER_TOO_SMALL;
// What the entry points the tool never calls answer.
constexpr std::int32_t kNotSupported = -701;

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

PALMDESK_EXPORT std::int32_t PALMAPI PlmGetLibVesion(void) { return 0x0601; }

PALMDESK_EXPORT std::int32_t PALMAPI PltGetInstallConduitCount(void) {
  Session s;
  if (s.desc().faults.hasInstallCount) return s.desc().faults.installCount;
  return static_cast<std::int32_t>(s.desc().installConduits.size());
}

// Fills the block and answers 1; a fault switch can make one index answer something else and
// leave the block alone.
PALMDESK_EXPORT std::int32_t PALMAPI PltGetInstallConduitInfo(std::uint32_t index, void* block, std::int32_t* size) {
  if (block == nullptr || size == nullptr) return kBadParam;
  Session s;
  if (const palmdesk::FaultEntry* f = palmdesk::Faults::Find(s.desc().faults.installInfoFail, index)) return f->result;
  const auto& list = s.desc().installConduits;
  if (index >= list.size()) return kNotFound;
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
  for (int i = 0; i < 4; ++i) b[320 + i] = static_cast<unsigned char>((c.mask >> (8 * i)) & 0xFF);
  PutArea(b, palm::kInstallInfoModuleOffset, 256, c.module, overfill);
  std::memcpy(b + palm::kInstallInfoCreatorOffset, c.creator.data(), c.creator.size() < 4 ? c.creator.size() : 4);
  PutArea(b, palm::kInstallInfoNameOffset, 256, c.name, overfill);
  // A library that overruns its own size reports more than the block holds.
  *size = overfill ? INT32_MAX : palm::kInstallInfoSize;
  return 1;
}

// The rest of the install aide's entry points: present so that every name binds, never called
// by the tool.
#define PALMDESK_STUB(name) \
  PALMDESK_EXPORT std::int32_t PALMAPI name(void) { return kNotSupported; }
PALMDESK_STUB(PltGetUserCount)
PALMDESK_STUB(PltGetUser)
PALMDESK_STUB(PltInstallFile)
PALMDESK_STUB(PltGetFileCount)
PALMDESK_STUB(PltGetFileName)
PALMDESK_STUB(PltGetFileInfo)
PALMDESK_STUB(PltRemoveInstallFile)
PALMDESK_STUB(PltGetPath)
PALMDESK_STUB(PltSetPath)
PALMDESK_STUB(PltGetInstallFileFilter)
PALMDESK_STUB(PltGetFileTypesCount)
PALMDESK_STUB(PltGetFileTypeExtension)
PALMDESK_STUB(PltIsInstallMaskSet)
PALMDESK_STUB(PltResetInstallMask)
PALMDESK_STUB(PltGetInstallCreatorInfo)
PALMDESK_STUB(PltSetInstallRegistry)
PALMDESK_STUB(PltGetRegistryPath)
PALMDESK_STUB(PltGetUserDirectory)
PALMDESK_STUB(PltIsUserProfile)
PALMDESK_STUB(PlmGetUserNameFromID)
PALMDESK_STUB(PlmGetUserIDFromName)
PALMDESK_STUB(PltInstallFileToDest)
PALMDESK_STUB(PltGetInstallFileFilterForUser)
PALMDESK_STUB(PlmSlotGetFileCount)
PALMDESK_STUB(PlmSlotGetFileInfo)
PALMDESK_STUB(PlmSlotInstallFile)
PALMDESK_STUB(PlmSlotRemoveInstallFile)
PALMDESK_STUB(PlmSlotMoveInstallFile)
PALMDESK_STUB(PlmMoveInstallFileToSlot)
PALMDESK_STUB(PlmMoveInstallFileToHandheld)

static_assert(std::is_same_v<decltype(&PltGetInstallConduitCount), palm::PFN_PltGetInstallConduitCount>);
static_assert(std::is_same_v<decltype(&PltGetInstallConduitInfo), palm::PFN_PltGetInstallConduitInfo>);
