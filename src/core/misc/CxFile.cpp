#include "src/core/misc/CxFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>

#include "src/core/misc/Endian.h"
#include "src/core/os/os.h"

#define OV_SOURCE_NAME "common\\misc\\CxFile"
#include "src/core/misc/Assert.h"

namespace {

// A name beside szTarget for its temporary file: the target's name followed by ".~" and six hex
// digits that differ from call to call and from process to process.
std::string TempNameFor(const char* szTarget) {
  static std::atomic<std::uint64_t> s_nCalls{0};
  std::uint64_t x = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  x ^= reinterpret_cast<std::uintptr_t>(&s_nCalls);  // differs between processes where addresses are randomised
  x += 0x9E3779B97F4A7C15ull * (s_nCalls.fetch_add(1) + 1);
  // splitmix64 finaliser
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  x ^= x >> 31;

  static const char kHex[] = "0123456789abcdef";
  std::string strName = szTarget;
  strName += ".~";
  for (int i = 0; i < 6; ++i) strName += kHex[(x >> (4 * i)) & 0xF];
  return strName;
}

}  // namespace

CxFile::CxFile() : m_fp(nullptr), m_bFailed(false), m_nErrno(0) {}

CxFile::~CxFile() { Close(); }

bool CxFile::Open(const char* szPath, const char* szMode) {
  if (!szPath || !*szPath || !szMode || !*szMode) return false;
  if (m_fp) return false;
  m_nErrno = 0;

  if (szMode[0] == 'w') {
    // A few attempts in case a leftover temporary file happens to carry the same name.
    m_nErrno = EEXIST;
    for (int nAttempt = 0; nAttempt < 8 && !m_fp; ++nAttempt) {
      std::string strTemp = TempNameFor(szPath);
      if (os::FileExists(strTemp.c_str())) continue;
      errno = 0;
      m_fp = std::fopen(strTemp.c_str(), szMode);
      if (!m_fp) {
        m_nErrno = errno;  // the directory is missing or not writable
        return false;
      }
      m_nErrno = 0;
      m_strTemp = std::move(strTemp);
      m_strTarget = szPath;
    }
  } else {
    errno = 0;
    m_fp = std::fopen(szPath, szMode);
    if (!m_fp) m_nErrno = errno;
  }
  m_bFailed = false;
  return m_fp != nullptr;
}

bool CxFile::Close() {
  if (!m_fp) return true;

  if (m_strTemp.empty()) {
    std::fclose(m_fp);
    m_fp = nullptr;
    return true;
  }

  bool bOk = !m_bFailed;
  errno = 0;
  if (std::fflush(m_fp) != 0 || std::ferror(m_fp)) bOk = false;
  if (!bOk && m_nErrno == 0) m_nErrno = errno;
  errno = 0;
  if (std::fclose(m_fp) != 0) {
    if (bOk) m_nErrno = errno;
    bOk = false;
  }
  m_fp = nullptr;
  if (bOk) {
    bOk = os::ReplaceFile(m_strTemp.c_str(), m_strTarget.c_str());
    if (!bOk) m_nErrno = errno;
  }
  if (!bOk) os::RemoveFile(m_strTemp.c_str());
  m_strTemp.clear();
  m_strTarget.clear();
  m_bFailed = false;
  return bOk;
}

bool CxFile::ReadBytes(void* pBuf, std::size_t nBytes) {
  OV_ASSERT(m_fp && pBuf);
  return std::fread(pBuf, 1, nBytes, m_fp) == nBytes;
}

namespace {
// The bytes that may still be written before every write fails; negative: no limit.
long long g_nWriteBudget = -1;
}  // namespace

void CxFile::FailWritesAfter(long long nBytes) { g_nWriteBudget = nBytes; }

bool CxFile::WriteBytes(const void* pBuf, std::size_t nBytes) {
  OV_ASSERT(m_fp && pBuf);
  if (m_bFailed) return false;
  if (g_nWriteBudget >= 0) {
    if (static_cast<unsigned long long>(g_nWriteBudget) < nBytes) {
      m_bFailed = true;
      m_nErrno = ENOSPC;
      return false;
    }
    g_nWriteBudget -= static_cast<long long>(nBytes);
  }
  errno = 0;
  if (std::fwrite(pBuf, 1, nBytes, m_fp) != nBytes) {
    m_bFailed = true;
    m_nErrno = errno;
    return false;
  }
  return true;
}

bool CxFile::ReadString(char* szBuf, std::uint32_t nBufSize, std::int32_t* pnLen) {
  OV_ASSERT(m_fp&&szBuf);
  if (nBufSize > 0) szBuf[0] = '\0';

  unsigned char b[4];
  if (!ReadBytes(b, sizeof b)) {
    if (pnLen) *pnLen = 0;
    return false;
  }
  const std::int32_t n = static_cast<std::int32_t>(LoadLE32(b));
  if (pnLen) *pnLen = n;

  if (n <= 0) return nBufSize > 0;
  if (static_cast<std::uint32_t>(n) >= nBufSize) return false;  // n + 1 bytes do not fit
  if (!ReadBytes(szBuf, static_cast<std::size_t>(n))) {
    szBuf[0] = '\0';
    return false;
  }
  szBuf[n] = '\0';
  return true;
}

bool CxFile::ReadDword(std::uint32_t* pdwVal) {
  OV_ASSERT(m_fp && pdwVal);
  unsigned char b[4];
  if (!ReadBytes(b, sizeof b)) {
    *pdwVal = 0;
    return false;
  }
  *pdwVal = LoadLE32(b);
  return true;
}

bool CxFile::WriteString(const char* szStr) {
  OV_ASSERT(m_fp);
  const std::size_t nLen = szStr ? std::strlen(szStr) : 0;
  if (nLen > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    m_bFailed = true;  // cannot be stored; the file must not be committed without it
    return false;
  }
  unsigned char b[4];
  StoreLE32(b, static_cast<std::uint32_t>(nLen));
  if (!WriteBytes(b, sizeof b)) return false;
  return nLen == 0 || WriteBytes(szStr, nLen);
}

bool CxFile::WriteDword(std::uint32_t dwVal) {
  OV_ASSERT(m_fp);
  unsigned char b[4];
  StoreLE32(b, dwVal);
  return WriteBytes(b, sizeof b);
}
