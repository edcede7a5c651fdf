#include "src/core/OVProfile.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <string>

#include "src/core/misc/CxFile.h"
#include "src/core/misc/CxList.h"
#include "src/core/DataFiles.h"

#define OV_SOURCE_NAME "src\\OVUtil"
#include "src/core/misc/Assert.h"

namespace {

const char kDefaultDescription[] = "Orvane Profile Description";
const char kCatalogueName[] = "ovprof.dat";

// Copies at most cap - 1 bytes of szSrc into szDst and terminates it.
void CopyCut(char* szDst, std::size_t cap, const char* szSrc) {
  std::size_t n = 0;
  while (n + 1 < cap && szSrc[n] != '\0') {
    szDst[n] = szSrc[n];
    ++n;
  }
  szDst[n] = '\0';
}

// Destroys every profile of pList and empties it.
void DestroyProfiles(CxList* pList) {
  for (void* p = pList->GetFirst(); p; p = pList->GetNext()) delete static_cast<OVProfile*>(p);
  pList->RemoveAll(false);
}

// Copies text whole into szDst (cap bytes) and returns true; "" and false when it does not fit.
bool CopyWhole(char* szDst, std::size_t cap, const std::string& text) {
  if (text.empty() || text.size() >= cap) {
    szDst[0] = '\0';
    return false;
  }
  std::memcpy(szDst, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// OVProfile

OVProfile::OVProfile()
    : m_pDataList(new (std::nothrow) CxList), m_pFile(new (std::nothrow) CxFile) {
  CopyCut(m_szDescription, sizeof m_szDescription, kDefaultDescription);
  m_szFileName[0] = '\0';
}

OVProfile::~OVProfile() {
  if (m_pDataList) Clear();
  delete m_pDataList;
  delete m_pFile;
}

ProfileRec* OVProfile::FindRec(std::uint32_t dwCreatorID) {
  if (!m_pDataList) return nullptr;
  for (void* p = m_pDataList->GetFirst(); p; p = m_pDataList->GetNext()) {
    ProfileRec* pRec = static_cast<ProfileRec*>(p);
    if (pRec->dwCreatorID == dwCreatorID) return pRec;
  }
  return nullptr;
}

std::vector<ProfileRec*> OVProfile::Records() const {
  std::vector<ProfileRec*> recs;
  if (!m_pDataList) return recs;
  recs.reserve(m_pDataList->GetCount());
  for (void* p = m_pDataList->GetFirst(); p; p = m_pDataList->GetNext()) recs.push_back(static_cast<ProfileRec*>(p));
  return recs;
}

ProfileRec* OVProfile::AddRec(const ProfileRec* pRec) {
  if (!pRec) return nullptr;
  OV_ASSERT(m_pDataList!=NULL);
  ProfileRec* pNew = new (std::nothrow) ProfileRec(*pRec);
  if (!pNew) return nullptr;
  m_pDataList->Add(pNew);
  return pNew;
}

void OVProfile::Clear() {
  OV_ASSERT(m_pDataList!=NULL);
  for (void* p = m_pDataList->GetFirst(); p; p = m_pDataList->GetNext()) delete static_cast<ProfileRec*>(p);
  m_pDataList->RemoveAll(false);
}

std::uint32_t OVProfile::GetCount() const { return m_pDataList ? m_pDataList->GetCount() : 0; }

std::vector<ProfileRec> OVProfile::GetRecords() const {
  std::vector<ProfileRec> recs;
  if (!m_pDataList) return recs;
  recs.reserve(m_pDataList->GetCount());
  for (void* p = m_pDataList->GetFirst(); p; p = m_pDataList->GetNext()) recs.push_back(*static_cast<ProfileRec*>(p));
  return recs;
}

ProfileFileRead ReadProfileRecords(const char* szPath) {
  ProfileFileRead read;
  CxFile file;
  if (!file.Open(szPath, "rb")) {
    read.nErrno = file.LastErrno();
    return read;
  }
  read.bCountRead = file.ReadDword(&read.nAnnounced);
  bool bWhole = read.bCountRead;
  // One record at a time: a count the file cannot back ends at the first read past its end, and
  // only records read whole take memory.
  for (std::uint32_t i = 0; bWhole && i < read.nAnnounced; ++i) {
    ProfileRec rec{};
    bWhole = file.ReadDword(&rec.dwCreatorID) && file.ReadDword(&rec.dwAction);
    if (bWhole) read.recs.push_back(rec);
  }
  file.Close();
  read.state = bWhole ? ProfileFileRead::State::Whole : ProfileFileRead::State::Damaged;
  return read;
}

bool OVProfile::Load() {
  OV_ASSERT(m_pDataList!=NULL);
  Clear();
  const ProfileFileRead read = ReadProfileRecords(m_szFileName);
  for (const ProfileRec& rec : read.recs) {
    ProfileRec* pRec = new (std::nothrow) ProfileRec(rec);
    OV_ASSERT(pRec!=NULL);
    m_pDataList->Add(pRec);
  }
  return read.state == ProfileFileRead::State::Whole;
}

bool OVProfile::Save() {
  OV_ASSERT(m_pFile!=NULL);
  OV_ASSERT(m_pDataList!=NULL);
  if (!m_pFile->Open(m_szFileName, "wb")) return false;

  bool bOk = m_pFile->WriteDword(m_pDataList->GetCount());
  for (void* p = m_pDataList->GetFirst(); bOk && p; p = m_pDataList->GetNext()) {
    const ProfileRec* pRec = static_cast<const ProfileRec*>(p);
    OV_ASSERT(m_pFile!=NULL);
    OV_ASSERT(pRec!=NULL);
    bOk = m_pFile->WriteDword(pRec->dwCreatorID) && m_pFile->WriteDword(pRec->dwAction);
  }
  // Close commits the file only when every write succeeded.
  const bool bCommitted = m_pFile->Close();
  return bOk && bCommitted;
}

void OVProfile::SetDescription(const char* szDescription) {
  if (szDescription) CopyCut(m_szDescription, sizeof m_szDescription, szDescription);
}

void OVProfile::SetFileName(const char* szFileName) {
  if (szFileName) CopyCut(m_szFileName, sizeof m_szFileName, szFileName);
}

// ---------------------------------------------------------------------------------------------
// OVProfMgr

OVProfMgr::OVProfMgr()
    : m_pDataList(new (std::nothrow) CxList), m_pFile(new (std::nothrow) CxFile), m_bDataFile(true) {
  // A path that does not fit is left empty rather than cut: a cut path names another file.
  CopyWhole(m_szFileName, sizeof m_szFileName, DataFileForWriting(kCatalogueName));
  FindLoadFileName();
}

OVProfMgr::OVProfMgr(const char* szFileName)
    : m_pDataList(new (std::nothrow) CxList), m_pFile(new (std::nothrow) CxFile), m_bDataFile(false) {
  m_szFileName[0] = '\0';
  if (szFileName && std::strlen(szFileName) < sizeof m_szFileName) std::strcpy(m_szFileName, szFileName);
  FindLoadFileName();
}

void OVProfMgr::FindLoadFileName() {
  if (!m_bDataFile || !CopyWhole(m_szLoadName, sizeof m_szLoadName, DataFileForReading(kCatalogueName))) {
    std::strcpy(m_szLoadName, m_szFileName);
  }
}

OVProfMgr::~OVProfMgr() {
  if (m_pDataList) Clear();
  delete m_pDataList;
  delete m_pFile;
}

OVProfile* OVProfMgr::GetFirst() {
  return m_pDataList ? static_cast<OVProfile*>(m_pDataList->GetFirst()) : nullptr;
}

OVProfile* OVProfMgr::GetNext() {
  return m_pDataList ? static_cast<OVProfile*>(m_pDataList->GetNext()) : nullptr;
}

std::uint32_t OVProfMgr::GetCount() const { return m_pDataList ? m_pDataList->GetCount() : 0; }

OVProfile* OVProfMgr::NewProfile() {
  OV_ASSERT(m_pDataList!=NULL);
  OVProfile* pProfile = new (std::nothrow) OVProfile;
  if (!pProfile) return nullptr;
  m_pDataList->Add(pProfile);
  return pProfile;
}

void OVProfMgr::Clear() {
  OV_ASSERT(m_pDataList!=NULL);
  DestroyProfiles(m_pDataList);
}

bool OVProfMgr::Load() {
  OV_ASSERT(m_pDataList!=NULL);
  OV_ASSERT(m_pFile!=NULL);
  FindLoadFileName();
  if (!m_pFile->Open(m_szLoadName, "rb")) return false;

  // The entries go into a fresh list, which replaces the catalogue only when the file was read
  // cleanly; a damaged file leaves the catalogue as it was.
  CxList* pFresh = new (std::nothrow) CxList;
  OV_ASSERT(pFresh!=NULL);

  std::uint32_t nCount = 0;
  bool bWhole = m_pFile->ReadDword(&nCount);
  for (std::uint32_t i = 0; bWhole && i < nCount; ++i) {
    OV_ASSERT(m_pFile!=NULL);
    char szDescription[OVPROF_DESC_SIZE];
    char szPath[OVPROF_PATH_SIZE];
    // A string longer than its buffer is refused by ReadString (false), which ends the read.
    bWhole = m_pFile->ReadString(szDescription, sizeof szDescription) &&
             m_pFile->ReadString(szPath, sizeof szPath);
    if (!bWhole) break;
    OVProfile* pProfile = new (std::nothrow) OVProfile;
    OV_ASSERT(pProfile!=NULL);
    pProfile->SetDescription(szDescription);
    pProfile->SetFileName(szPath);
    pFresh->Add(pProfile);
  }
  m_pFile->Close();

  if (!bWhole) {
    DestroyProfiles(pFresh);
    delete pFresh;
    return false;
  }
  Clear();
  delete m_pDataList;
  m_pDataList = pFresh;
  return true;
}

bool OVProfMgr::Save() {
  OV_ASSERT(m_pDataList!=NULL);
  OV_ASSERT(m_pFile!=NULL);
  if (!m_pFile->Open(m_szFileName, "wb")) return false;

  bool bOk = m_pFile->WriteDword(m_pDataList->GetCount());
  for (void* p = m_pDataList->GetFirst(); bOk && p; p = m_pDataList->GetNext()) {
    const OVProfile* pProfile = static_cast<const OVProfile*>(p);
    OV_ASSERT(m_pFile!=NULL);
    OV_ASSERT(pProfile!=NULL);
    bOk = m_pFile->WriteString(pProfile->GetDescription()) && m_pFile->WriteString(pProfile->GetFileName());
  }
  // Close commits the file only when every write succeeded.
  const bool bCommitted = m_pFile->Close();
  return bOk && bCommitted;
}
