// Palm's libraries are 32-bit Windows DLLs whose entry points are __stdcall: the callee pops its
// arguments, so a prototype that disagrees with the library in its arguments or its calling
// convention corrupts the caller's stack, and a structure that lies differently is read wrongly.
// The 32-bit Windows build (the one that talks to Palm Desktop) checks here, at compile time,
// that every prototype of PalmApi.h takes exactly the argument bytes PalmEntries.h documents
// and that the structures keep their offsets. Other builds compile nothing from this file.
#include <cstddef>

#include "src/core/palm/CondMgr.h"
#include "src/core/palm/PalmApi.h"

#if defined(_WIN32) && !defined(_WIN64)

namespace {

// The bytes a __stdcall function pops: every argument rounded up to 4. Only a PALMAPI
// (__stdcall) pointer type matches; a prototype declared without it does not compile here.
template <typename Pfn>
struct StdcallArgBytes;
template <typename R, typename... Args>
struct StdcallArgBytes<R(PALMAPI*)(Args...)> {
  static constexpr std::size_t value = (std::size_t{0} + ... + ((sizeof(Args) + 3) / 4 * 4));
};

#define PALM_CHECK_ARG_BYTES(lib, name, bytes)                       \
  static_assert(StdcallArgBytes<palm::PFN_##name>::value == (bytes), \
                #name ": the prototype in PalmApi.h does not take the documented argument bytes");
PALM_CONDMGR_ENTRIES(PALM_CHECK_ARG_BYTES)
PALM_USERDATA_ENTRIES(PALM_CHECK_ARG_BYTES)
PALM_HSAPI_ENTRIES(PALM_CHECK_ARG_BYTES)
PALM_INSTAIDE_ENTRIES(PALM_CHECK_ARG_BYTES)
#undef PALM_CHECK_ARG_BYTES

// The install conduit information block (FileInstallType) and the creator list item keep their
// sizes and offsets through the static_asserts beside them in PalmApi.h, compiled here too.

// On 32-bit Windows a conduit record lies in memory exactly as its 540-byte cache file record
// (the pointer slot is 4 bytes there), as the tool's first Windows builds wrote it.
static_assert(sizeof(CONDUIT_REC) == COND_FILE_RECORD_SIZE);
static_assert(offsetof(CONDUIT_REC, dwCreatorID) == 0);
static_assert(offsetof(CONDUIT_REC, szCreator) == 4);
static_assert(offsetof(CONDUIT_REC, dwIntegrate) == 12);
static_assert(offsetof(CONDUIT_REC, szModule) == 16);
static_assert(offsetof(CONDUIT_REC, szDirectory) == 276);
static_assert(offsetof(CONDUIT_REC, szFile) == 308);
static_assert(offsetof(CONDUIT_REC, szRemote) == 340);
static_assert(offsetof(CONDUIT_REC, dwPriority) == 372);
static_assert(offsetof(CONDUIT_REC, szInfo) == 376);
static_assert(offsetof(CONDUIT_REC, szTitle) == 440);
static_assert(offsetof(CONDUIT_REC, pCondObj) == 504);
static_assert(offsetof(CONDUIT_REC, dwModulePresent) == 508);
static_assert(offsetof(CONDUIT_REC, byReserved) == 512);
static_assert(offsetof(CONDUIT_REC, dwKind) == 532);
static_assert(offsetof(CONDUIT_REC, dwAction) == 536);

}  // namespace

#endif
