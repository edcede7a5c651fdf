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
  for (OVProfile* pProfile : pList->Items<OVProfile>()) delete pProfile;
  pList->RemoveAll(false);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// OVProfile

OVProfile::OVProfile()
    : m_pDataList(new (std::nothrow) CxList), m_pFile(new (std::nothrow) CxFile) {
  CopyCut(m_szDescription, sizeof m_szDescription, kDefaultDescription);
}

OVProfile::~OVProfile() {
  if (m_pDataList) Clear();
}

ProfileRec* OVProfile::FindRec(std::uint32_t dwCreatorID) {
  for (ProfileRec* pRec : Records()) {
    if (pRec->dwCreatorID == dwCreatorID) return pRec;
  }
  return nullptr;
}

CxRange<ProfileRec> OVProfile::Records() const {
  return m_pDataList ? m_pDataList->Items<ProfileRec>() : CxRange<ProfileRec>(nullptr);
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
  for (ProfileRec* pRec : Records()) delete pRec;
  m_pDataList->RemoveAll(false);
}

std::uint32_t OVProfile::GetCount() const { return m_pDataList ? m_pDataList->GetCount() : 0; }

std::vector<ProfileRec> OVProfile::GetRecords() const {
  std::vector<ProfileRec> recs;
  recs.reserve(GetCount());
  for (const ProfileRec* pRec : Records()) recs.push_back(*pRec);
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
  const ProfileFileRead read = ReadProfileRecords(m_fileName.c_str());
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
  if (!m_pFile->Open(m_fileName.c_str(), "wb")) return false;

  bool bOk = m_pFile->WriteDword(m_pDataList->GetCount());
  for (const ProfileRec* pRec : Records()) {
    if (!bOk) break;
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
  if (szFileName) m_fileName = szFileName;
}

// ---------------------------------------------------------------------------------------------
// OVProfMgr

OVProfMgr::OVProfMgr()
    : m_pDataList(new (std::nothrow) CxList), m_pFile(new (std::nothrow) CxFile), m_bDataFile(true) {
  m_fileName = DataFileForWriting(kCatalogueName);
  FindLoadFileName();
}

OVProfMgr::OVProfMgr(const char* szFileName)
    : m_pDataList(new (std::nothrow) CxList), m_pFile(new (std::nothrow) CxFile), m_bDataFile(false) {
  if (szFileName) m_fileName = szFileName;
  FindLoadFileName();
}

void OVProfMgr::FindLoadFileName() {
  m_loadName = m_bDataFile ? DataFileForReading(kCatalogueName) : m_fileName;
}

OVProfMgr::~OVProfMgr() {
  if (m_pDataList) Clear();
}

OVProfile* OVProfMgr::GetFirst() {
  return m_pDataList ? static_cast<OVProfile*>(m_pDataList->GetFirst()) : nullptr;
}

OVProfile* OVProfMgr::GetNext() {
  return m_pDataList ? static_cast<OVProfile*>(m_pDataList->GetNext()) : nullptr;
}

CxRange<OVProfile> OVProfMgr::Profiles() const {
  return m_pDataList ? m_pDataList->Items<OVProfile>() : CxRange<OVProfile>(nullptr);
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
  DestroyProfiles(m_pDataList.get());
}

bool OVProfMgr::Load() {
  OV_ASSERT(m_pDataList!=NULL);
  OV_ASSERT(m_pFile!=NULL);
  FindLoadFileName();
  if (!m_pFile->Open(m_loadName.c_str(), "rb")) return false;

  // The entries go into a fresh list, which replaces the catalogue only when the file was read
  // cleanly; a damaged file leaves the catalogue as it was.
  std::unique_ptr<CxList> pFresh(new (std::nothrow) CxList);
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
    DestroyProfiles(pFresh.get());
    return false;
  }
  Clear();
  m_pDataList = std::move(pFresh);
  return true;
}

bool OVProfMgr::Save() {
  OV_ASSERT(m_pDataList!=NULL);
  OV_ASSERT(m_pFile!=NULL);
  // A path the file cannot hold is refused before anything is written: a reader refuses the
  // whole catalogue over one string longer than its buffer.
  for (const OVProfile* pProfile : Profiles()) {
    if (std::strlen(pProfile->GetFileName()) >= OVPROF_PATH_SIZE) return false;
  }
  if (!m_pFile->Open(m_fileName.c_str(), "wb")) return false;

  bool bOk = m_pFile->WriteDword(m_pDataList->GetCount());
  for (const OVProfile* pProfile : Profiles()) {
    if (!bOk) break;
    OV_ASSERT(m_pFile!=NULL);
    OV_ASSERT(pProfile!=NULL);
    bOk = m_pFile->WriteString(pProfile->GetDescription()) && m_pFile->WriteString(pProfile->GetFileName());
  }
  // Close commits the file only when every write succeeded.
  const bool bCommitted = m_pFile->Close();
  return bOk && bCommitted;
}
