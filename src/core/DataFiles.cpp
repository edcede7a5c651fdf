#include "src/core/DataFiles.h"

#include "src/core/misc/ModuleDir.h"
#include "src/core/os/os.h"

namespace {

// The executable's directory, ending in the separator; empty when it cannot be found.
std::string ExecutableDirectory() {
  char szDir[4096];
  return GetModuleDirectory(nullptr, szDir, sizeof szDir) ? std::string(szDir) : std::string();
}

}  // namespace

std::string DataDirectory() {
  const std::string exeDir = ExecutableDirectory();
  if (!exeDir.empty() && os::IsWritableDirectory(exeDir.c_str())) return exeDir;
  char szUserDir[4096];
  if (!os::GetUserDataDirectory(szUserDir, sizeof szUserDir)) return {};
  os::MakeDirectories(szUserDir);
  return std::string(szUserDir) + os::kPathSep;
}

std::string DataFileForWriting(const std::string& name) {
  if (name.empty()) return {};
  const std::string dir = DataDirectory();
  return dir.empty() ? std::string() : dir + name;
}

std::string DataFileForReading(const std::string& name) {
  std::string path = DataFileForWriting(name);
  if (path.empty() || os::FileExists(path.c_str())) return path;
  const std::string exeDir = ExecutableDirectory();
  if (!exeDir.empty() && os::FileExists((exeDir + name).c_str())) return exeDir + name;
  return path;
}
