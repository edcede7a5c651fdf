#include "src/core/misc/ModuleDir.h"

#include <cstring>
#include <string>

#include "src/core/os/os.h"

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

bool OpenWithShell(const char* target) {
  if (!target || !*target) return false;
  return os::ShellOpen(target);
}
