#include "common/misc/WinUtil.h"

#include <cstring>
#include <string>

#include "common/os/os.h"

bool GetModuleDirectory(const void* module, char* buf, std::size_t cap) {
  if (!buf || cap == 0) return false;
  buf[0] = '\0';

  std::string strPath;
  if (!module) {
    char szExe[4096];
    if (!os::GetExecutablePath(szExe, sizeof szExe)) return false;
    strPath = szExe;
  } else {
    strPath = os::GetModulePathOf(module);
  }

  // Keep everything up to and including the last separator. Windows accepts '/' as well.
#ifdef _WIN32
  const std::size_t nSep = strPath.find_last_of("\\/");
#else
  const std::size_t nSep = strPath.find_last_of(os::kPathSep);
#endif
  if (nSep == std::string::npos) return false;
  const std::size_t nLen = nSep + 1;
  if (nLen + 1 > cap) return false;
  std::memcpy(buf, strPath.data(), nLen);
  buf[nLen] = '\0';
  return true;
}

namespace {

// dir + name into buf; false, with "" in buf, when it does not fit.
bool Join(const char* dir, const char* name, char* buf, std::size_t cap) {
  const std::size_t nDir = std::strlen(dir), nName = std::strlen(name);
  if (nDir + nName + 1 > cap) {
    buf[0] = '\0';
    return false;
  }
  std::memcpy(buf, dir, nDir);
  std::memcpy(buf + nDir, name, nName + 1);
  return true;
}

}  // namespace

bool GetDataDirectory(char* buf, std::size_t cap) {
  if (!buf || cap == 0) return false;
  char szExeDir[4096];
  if (GetModuleDirectory(nullptr, szExeDir, sizeof szExeDir) && os::IsWritableDirectory(szExeDir)) {
    return Join(szExeDir, "", buf, cap);
  }
  char szUserDir[4096];
  if (!os::GetUserDataDirectory(szUserDir, sizeof szUserDir - 1)) {
    buf[0] = '\0';
    return false;
  }
  os::MakeDirectories(szUserDir);
  const char szSep[] = {os::kPathSep, '\0'};
  std::strcat(szUserDir, szSep);
  return Join(szUserDir, "", buf, cap);
}

bool GetDataFileForWriting(const char* szName, char* buf, std::size_t cap) {
  if (!buf || cap == 0) return false;
  buf[0] = '\0';
  char szDir[4096];
  return szName && GetDataDirectory(szDir, sizeof szDir) && Join(szDir, szName, buf, cap);
}

bool GetDataFileForReading(const char* szName, char* buf, std::size_t cap) {
  if (!GetDataFileForWriting(szName, buf, cap)) return false;
  if (os::FileExists(buf)) return true;
  char szExeDir[4096], szBeside[4096];
  if (GetModuleDirectory(nullptr, szExeDir, sizeof szExeDir) && Join(szExeDir, szName, szBeside, sizeof szBeside) &&
      os::FileExists(szBeside) && std::strlen(szBeside) < cap) {
    std::memcpy(buf, szBeside, std::strlen(szBeside) + 1);
  }
  return true;
}

bool OpenWithShell(const char* target) {
  if (!target || !*target) return false;
  os::ShellOpen(target);
  return true;
}
