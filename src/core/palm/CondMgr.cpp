// The conduit catalogue CCondMgr, the conduit module CCondObj and the cache file form of a
// conduit record.
#include "src/core/palm/CondMgr.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "src/core/misc/AsciiCase.h"
#include "src/core/misc/Endian.h"
#include "src/core/misc/CxFile.h"
#include "src/core/misc/CxList.h"
#include "src/core/palm/PalmLib.h"

#define OV_SOURCE_NAME "common\\palm\\CondMgr"
#include "src/core/misc/Assert.h"

namespace {

// Offsets of the fields in the 540-byte file record.
constexpr std::size_t kOffCreatorID = 0;
constexpr std::size_t kOffCreator = 4;
constexpr std::size_t kOffIntegrate = 12;
constexpr std::size_t kOffModule = 16;
constexpr std::size_t kOffDirectory = 276;
constexpr std::size_t kOffFile = 308;
constexpr std::size_t kOffRemote = 340;
constexpr std::size_t kOffPriority = 372;
constexpr std::size_t kOffInfo = 376;
constexpr std::size_t kOffTitle = 440;
constexpr std::size_t kOffObject = 504;
constexpr std::size_t kOffPresent = 508;
constexpr std::size_t kOffReserved = 512;
constexpr std::size_t kOffKind = 532;
constexpr std::size_t kOffAction = 536;
static_assert(kOffAction + 4 == COND_FILE_RECORD_SIZE);
static_assert(kOffReserved + COND_RESERVED_LEN == kOffKind);
static_assert(kOffTitle + COND_TITLE_LEN == kOffObject);

// The areas of the install conduit information block that the catalogue reads.
constexpr std::size_t kInstallTextArea = 256;  // module path at 324, display name at 584
static_assert(palm::kInstallInfoModuleOffset + kInstallTextArea == palm::kInstallInfoCreatorOffset);
static_assert(palm::kInstallInfoNameOffset + kInstallTextArea == palm::kInstallInfoSize);

// Length of the text in a field of nWidth bytes, never counting past nWidth - 1: a text without
// a terminator inside its field ends at the field's last byte.
std::size_t FieldTextLen(const char* pField, std::size_t nWidth) {
  const void* pEnd = std::memchr(pField, '\0', nWidth - 1);
  return pEnd ? static_cast<std::size_t>(static_cast<const char*>(pEnd) - pField) : nWidth - 1;
}

// Copies the text of a source area of nSrcWidth bytes into a field of nDstWidth bytes: up to the
// first zero byte, at most up to the area's last byte, which counts as the terminator when
// there is none before it, and at most nDstWidth - 1 bytes; the rest of the field is zero.
void CopyText(char* pDst, std::size_t nDstWidth, const void* pSrc, std::size_t nSrcWidth) {
  const std::size_t nLen = std::min(FieldTextLen(static_cast<const char*>(pSrc), nSrcWidth), nDstWidth - 1);
  std::memcpy(pDst, pSrc, nLen);
  std::memset(pDst + nLen, 0, nDstWidth - nLen);
}

void PutText(unsigned char* pBytes, std::size_t nOffset, const char* pField, std::size_t nWidth) {
  const std::size_t nLen = FieldTextLen(pField, nWidth);
  std::memcpy(pBytes + nOffset, pField, nLen);
  std::memset(pBytes + nOffset + nLen, 0, nWidth - nLen);
}

void GetText(const unsigned char* pBytes, std::size_t nOffset, char* pField, std::size_t nWidth) {
  CopyText(pField, nWidth, pBytes + nOffset, nWidth);
}

// A Palm library or a conduit module filled nOffered bytes of a field: whatever it wrote, the
// text ends inside the area offered.
void TerminateFill(char* pField, std::size_t nOffered) { pField[nOffered - 1] = '\0'; }

// Paths and creator texts are byte strings, equal without regard to the letter case of A to Z.
using ov::EqualNoCase;

// A Palm text call: the size is offered by reference, preset to the width of the area filled.
template <typename Fn>
void FillText(Fn fn, const char* szCreator, char* pField, std::size_t nWidth) {
  std::int32_t nSize = static_cast<std::int32_t>(nWidth);
  fn(szCreator, pField, &nSize);
  TerminateFill(pField, nWidth);
}

}  // namespace

// -------------------------------------------------------------------------------------------------
// The file form of a record

void CondRecordToBytes(const CONDUIT_REC& rec, unsigned char* pBytes) {
  StoreLE32(pBytes + kOffCreatorID, rec.dwCreatorID);
  PutText(pBytes, kOffCreator, rec.szCreator, COND_CREATOR_LEN);
  StoreLE32(pBytes + kOffIntegrate, rec.dwIntegrate);
  PutText(pBytes, kOffModule, rec.szModule, COND_MODULE_LEN);
  PutText(pBytes, kOffDirectory, rec.szDirectory, COND_SHORT_TEXT_LEN);
  PutText(pBytes, kOffFile, rec.szFile, COND_SHORT_TEXT_LEN);
  PutText(pBytes, kOffRemote, rec.szRemote, COND_SHORT_TEXT_LEN);
  StoreLE32(pBytes + kOffPriority, rec.dwPriority);
  PutText(pBytes, kOffInfo, rec.szInfo, COND_INFO_LEN);
  PutText(pBytes, kOffTitle, rec.szTitle, COND_TITLE_LEN);
  StoreLE32(pBytes + kOffObject, 0);  // a module object means nothing outside this process
  StoreLE32(pBytes + kOffPresent, rec.dwModulePresent);
  std::memset(pBytes + kOffReserved, 0, COND_RESERVED_LEN);
  StoreLE32(pBytes + kOffKind, rec.dwKind);
  StoreLE32(pBytes + kOffAction, rec.dwAction);
}

void CondRecordFromBytes(const unsigned char* pBytes, CONDUIT_REC* pRec) {
  std::memset(pRec, 0, sizeof *pRec);
  pRec->dwCreatorID = LoadLE32(pBytes + kOffCreatorID);
  GetText(pBytes, kOffCreator, pRec->szCreator, COND_CREATOR_LEN);
  pRec->dwIntegrate = LoadLE32(pBytes + kOffIntegrate);
  GetText(pBytes, kOffModule, pRec->szModule, COND_MODULE_LEN);
  GetText(pBytes, kOffDirectory, pRec->szDirectory, COND_SHORT_TEXT_LEN);
  GetText(pBytes, kOffFile, pRec->szFile, COND_SHORT_TEXT_LEN);
  GetText(pBytes, kOffRemote, pRec->szRemote, COND_SHORT_TEXT_LEN);
  pRec->dwPriority = LoadLE32(pBytes + kOffPriority);
  GetText(pBytes, kOffInfo, pRec->szInfo, COND_INFO_LEN);
  GetText(pBytes, kOffTitle, pRec->szTitle, COND_TITLE_LEN);
  pRec->pCondObj = nullptr;
  pRec->dwModulePresent = LoadLE32(pBytes + kOffPresent);
  pRec->dwKind = LoadLE32(pBytes + kOffKind);
  pRec->dwAction = LoadLE32(pBytes + kOffAction);
}

bool IsOrganizerCreator(const char* szCreator) {
  if (!szCreator || !*szCreator) return false;
  for (const char* szOrganizer : kOrganizerCreators) {
    if (std::strcmp(szCreator, szOrganizer) == 0) return true;
  }
  return false;
}

// -------------------------------------------------------------------------------------------------
// CCondObj

const char* CCondObj::EntryName(int nEntry) {
  static const char* const kNames[kEntryCount] = {"OpenConduit",    "CfgConduit",
                                                  "ConfigureConduit", "GetConduitInfo",
                                                  "GetConduitName", "GetConduitVersion"};
  return (nEntry >= 0 && nEntry < kEntryCount) ? kNames[nEntry] : nullptr;
}

CCondObj::CCondObj(const char* szModule) : m_hModule(nullptr), m_apfnEntries{} { Load(szModule); }

CCondObj::~CCondObj() { Unload(); }

bool CCondObj::Load(const char* szModule) {
  if (!szModule || !*szModule) return false;
  Unload();
  m_hModule = os::LoadLibrary(szModule);
  if (!m_hModule) return false;
  for (int i = 0; i < kEntryCount; ++i) m_apfnEntries[i] = os::FindSymbol(m_hModule, EntryName(i));
  return true;
}

void CCondObj::Unload() {
  if (m_hModule) {
    os::FreeLibrary(m_hModule);
    m_hModule = nullptr;
  }
  for (void*& pfn : m_apfnEntries) pfn = nullptr;
}

std::int32_t CCondObj::GetName(char* szName, std::uint16_t nSize) {
  void* pfn = m_apfnEntries[GetConduitName];
  if (!pfn) return palm::ERR_NOT_BOUND;
  const std::int32_t nResult = reinterpret_cast<palm::PFN_GetConduitName>(pfn)(szName, nSize);
  if (szName && nSize > 0) TerminateFill(szName, nSize);
  return nResult;
}

void* CCondObj::GetEntry(int nEntry) const {
  return (nEntry >= 0 && nEntry < kEntryCount) ? m_apfnEntries[nEntry] : nullptr;
}

// -------------------------------------------------------------------------------------------------
// CCondMgr: the one instance

CCondMgr* CCondMgr::m_pInst = nullptr;

namespace {
// The instance lives in static storage of its own, constructed on first use and destroyed at
// program exit by the reaper below.
alignas(CCondMgr) unsigned char s_abInstance[sizeof(CCondMgr)];
bool s_bConstructed = false;
}  // namespace

// Constructed with this file's statics, before main, so it is destroyed after anything that
// used the catalogue while the program ran: the catalogue goes last.
struct CCondMgrReaper {
  ~CCondMgrReaper() { CCondMgr::DestroyInstance(); }
};
namespace {
CCondMgrReaper s_reaper;
}

CCondMgr* CCondMgr::GetInstance() {
  if (m_pInst) return m_pInst;
  if (!s_bConstructed) {
    new (s_abInstance) CCondMgr();
    s_bConstructed = true;
  }
  m_pInst = std::launder(reinterpret_cast<CCondMgr*>(s_abInstance));
  OV_ASSERT(m_pInst);
  return m_pInst;
}

void CCondMgr::DestroyInstance() {
  if (!s_bConstructed) return;
  std::launder(reinterpret_cast<CCondMgr*>(s_abInstance))->~CCondMgr();
  s_bConstructed = false;
  m_pInst = nullptr;
}

CCondMgr::CCondMgr() : m_pConduits(new (std::nothrow) CxList) { OV_ASSERT(m_pConduits); }

CCondMgr::~CCondMgr() { RemoveAll(); }

// -------------------------------------------------------------------------------------------------
// CCondMgr: the records

CONDUIT_REC* CCondMgr::GetFirst() { return static_cast<CONDUIT_REC*>(m_pConduits->GetFirst()); }

CONDUIT_REC* CCondMgr::GetNext() { return static_cast<CONDUIT_REC*>(m_pConduits->GetNext()); }

std::uint32_t CCondMgr::GetCount() const { return m_pConduits->GetCount(); }

void CCondMgr::RemoveAll() {
  for (CONDUIT_REC* pRec : Records()) {
    delete pRec->pCondObj;  // releases the module
    delete pRec;
  }
  m_pConduits->RemoveAll(false);
}

CONDUIT_REC* CCondMgr::FindConduit(const char* szCreator, const char* szModule) {
  if (!szCreator || !*szCreator || !szModule || !*szModule) return nullptr;

  // The short form of the path asked about; the same for every record, so it is asked once.
  char szShort[COND_MODULE_LEN];
  const bool bShort = os::GetShortPath(szModule, szShort, sizeof szShort) && szShort[0] != '\0';

  for (CONDUIT_REC* pRec : Records()) {
    if (!EqualNoCase(pRec->szCreator, szCreator)) continue;
    if (EqualNoCase(pRec->szModule, szModule) || (bShort && EqualNoCase(pRec->szModule, szShort))) {
      return pRec;
    }
  }
  return nullptr;
}

bool CCondMgr::IsListed(const CONDUIT_REC* pRec) {
  return pRec && FindConduit(pRec->szCreator, pRec->szModule) != nullptr;
}

// -------------------------------------------------------------------------------------------------
// CCondMgr: enumeration

bool CCondMgr::LoadConduits(std::uint32_t dwFlags) {
  RemoveAll();
  if (dwFlags & COND_SRC_REGISTERED) LoadRegistered(dwFlags);
  if (dwFlags & COND_SRC_INSTALL) LoadInstall();
  if (dwFlags & COND_SRC_BACKUP) LoadBackup();
  return true;
}

void CCondMgr::AddEnumerated(const CONDUIT_REC& work, std::uint32_t dwKind) {
  CONDUIT_REC* pData = new (std::nothrow) CONDUIT_REC(work);
  OV_ASSERT(pData!=NULL);
  pData->dwKind = dwKind;
  pData->pCondObj = new (std::nothrow) CCondObj(pData->szModule);
  // A name the module gives replaces the title; without one the title stays as it was.
  if (pData->pCondObj) pData->pCondObj->GetName(pData->szTitle, COND_TITLE_LEN);
  m_pConduits->Add(pData);
}

void CCondMgr::LoadRegistered(std::uint32_t dwFlags) {
  const std::int32_t nCount = std::min(palm::CmGetConduitCount(), COND_MAX_LIBRARY_COUNT);
  for (std::int32_t i = 0; i < nCount; ++i) {
    CONDUIT_REC work;
    std::memset(&work, 0, sizeof work);

    // The creator text: four characters and the terminator.
    std::int32_t nSize = 5;
    palm::CmGetConduitCreatorID(i, work.szCreator, &nSize);
    TerminateFill(work.szCreator, 5);
    if ((dwFlags & COND_SRC_ORGANIZER_ONLY) && !IsOrganizerCreator(work.szCreator)) continue;

    FillText(palm::CmGetCreatorName, work.szCreator, work.szModule, COND_MODULE_LEN);
    // A conduit registered twice is listed once, at its first index.
    if (IsListed(&work)) continue;

    palm::CmConvertStringToCreatorID(work.szCreator, &work.dwCreatorID);
    palm::CmGetCreatorIntegrate(work.szCreator, &work.dwIntegrate);
    palm::CmGetCreatorPriority(work.szCreator, &work.dwPriority);
    FillText(palm::CmGetCreatorFile, work.szCreator, work.szFile, COND_SHORT_TEXT_LEN);
    FillText(palm::CmGetCreatorDirectory, work.szCreator, work.szDirectory, COND_SHORT_TEXT_LEN);
    FillText(palm::CmGetCreatorInfo, work.szCreator, work.szInfo, COND_INFO_LEN);
    FillText(palm::CmGetCreatorRemote, work.szCreator, work.szRemote, COND_SHORT_TEXT_LEN);
    FillText(palm::CmGetCreatorTitle, work.szCreator, work.szTitle, COND_TITLE_LEN);

    // Existence only; a relative path is taken against the current directory (the Palm Desktop
    // core directory once the binding has started).
    if (os::FileExists(work.szModule)) {
      work.dwModulePresent = 1;
    } else {
      work.dwModulePresent = 0;
      if (!(dwFlags & COND_SRC_KEEP_MISSING) || work.szModule[0] == '\0') continue;
    }
    AddEnumerated(work, COND_KIND_REGISTERED);
  }
}

void CCondMgr::LoadInstall() {
  const std::int32_t nCount = std::min(palm::PltGetInstallConduitCount(), COND_MAX_LIBRARY_COUNT);
  for (std::int32_t i = 0; i < nCount; ++i) {
    unsigned char abBlock[palm::kInstallInfoSize];
    std::memset(abBlock, 0, sizeof abBlock);
    CONDUIT_REC work;
    std::memset(&work, 0, sizeof work);

    std::int32_t nSize = palm::kInstallInfoSize;
    if (palm::PltGetInstallConduitInfo(static_cast<std::uint32_t>(i), abBlock, &nSize) <= 0) continue;

    // The four identifier bytes: the creator ID read least significant byte first, and the
    // creator text in the order the block stores them.
    const unsigned char* pbCreator = abBlock + palm::kInstallInfoCreatorOffset;
    work.dwCreatorID = LoadLE32(pbCreator);
    std::memcpy(work.szCreator, pbCreator, 4);
    // Texts stop at the end of their area in the block and are cut to fit their field.
    CopyText(work.szModule, COND_MODULE_LEN, abBlock + palm::kInstallInfoModuleOffset, kInstallTextArea);
    CopyText(work.szTitle, COND_TITLE_LEN, abBlock + palm::kInstallInfoNameOffset, kInstallTextArea);
    AddEnumerated(work, COND_KIND_INSTALL);
  }
}

void CCondMgr::LoadBackup() {
  CONDUIT_REC work;
  std::memset(&work, 0, sizeof work);
  std::int32_t nSize = COND_MODULE_LEN;
  palm::CmGetBackupConduit(work.szModule, &nSize);
  TerminateFill(work.szModule, COND_MODULE_LEN);
  work.dwCreatorID = BACKUP_CREATOR_ID;
  AddEnumerated(work, COND_KIND_BACKUP);
}

// -------------------------------------------------------------------------------------------------
// CCondMgr: the cache file

bool CCondMgr::LoadFromFile(const char* szPath) {
  if (!szPath || !*szPath) return false;
  RemoveAll();

  CxFile file;
  if (!file.Open(szPath, "rb")) return false;
  unsigned char abRecord[COND_FILE_RECORD_SIZE];
  // Record by record; a trailing partial record ends the read.
  while (file.ReadBytes(abRecord, sizeof abRecord)) {
    CONDUIT_REC* pData = new (std::nothrow) CONDUIT_REC;
    if (!pData) break;  // the records read so far stay
    CondRecordFromBytes(abRecord, pData);
    m_pConduits->Add(pData);
  }
  file.Close();
  return GetCount() > 0;
}

bool CCondMgr::SaveToFile(const char* szPath) {
  if (!szPath || !*szPath) return false;

  CxFile file;
  if (!file.Open(szPath, "wb")) return false;
  unsigned char abRecord[COND_FILE_RECORD_SIZE];
  for (const CONDUIT_REC* pRec : Records()) {
    CondRecordToBytes(*pRec, abRecord);
    if (!file.WriteBytes(abRecord, sizeof abRecord)) break;
  }
  // The file replaces the previous one only when every record was written.
  return file.Close();
}
