#include "src/core/DataFiles.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "src/core/OVProfile.h"
#include "src/core/misc/AsciiCase.h"
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

namespace {

// "ovcurr.dat", "ovprof12.dat", ...: the tool's own files, whatever their letter case.
bool IsDataFileName(const std::string& name) {
  return name.size() > 6 && ov::EqualNoCase(std::string_view(name).substr(0, 2), "ov") &&
         ov::EqualNoCase(std::string_view(name).substr(name.size() - 4), ".dat");
}

bool SameBytes(const std::string& a, const std::string& b) {
  std::FILE* fa = std::fopen(a.c_str(), "rb");
  std::FILE* fb = std::fopen(b.c_str(), "rb");
  bool same = fa != nullptr && fb != nullptr;
  char ba[65536], bb[65536];
  while (same) {
    const std::size_t na = std::fread(ba, 1, sizeof ba, fa);
    const std::size_t nb = std::fread(bb, 1, sizeof bb, fb);
    if (na != nb || std::ferror(fa) || std::ferror(fb) || (na != 0 && std::memcmp(ba, bb, na) != 0)) same = false;
    if (na == 0) break;
  }
  if (fa) std::fclose(fa);
  if (fb) std::fclose(fb);
  return same;
}

// Whether path names a file directly inside dir (dir ends in the separator); the file's name in
// *pName. Windows compares without regard to letter case, as its file names do.
bool IsFileIn(const std::string& path, const std::string& dir, std::string* pName) {
  if (dir.empty() || path.size() <= dir.size()) return false;
#ifdef _WIN32
  if (!ov::EqualNoCase(std::string_view(path).substr(0, dir.size()), dir)) return false;
  if (path.find_first_of("\\/", dir.size()) != std::string::npos) return false;
#else
  if (path.compare(0, dir.size(), dir) != 0) return false;
  if (path.find('/', dir.size()) != std::string::npos) return false;
#endif
  *pName = path.substr(dir.size());
  return true;
}

}  // namespace

DataFileMove MoveDataFiles(const std::string& fromDir, const std::string& installDir, const std::string& dataDir) {
  DataFileMove result;
  if (fromDir.empty() || dataDir.empty()) return result;
  for (const std::string& name : os::ListFiles(fromDir.c_str())) {
    if (!IsDataFileName(name)) continue;
    const std::string from = fromDir + name;
    const std::string to = dataDir + name;
    if (os::FileExists(to.c_str())) {
      result.kept.push_back(name);
      continue;
    }
    // Copied beside its place, checked, then named: a half copy never takes the name.
    const std::string temp = to + ".moving";
    const bool bCopied = os::CopyFile(from.c_str(), temp.c_str()) && SameBytes(from, temp) &&
                         os::ReplaceFile(temp.c_str(), to.c_str());
    if (!bCopied) {
      os::RemoveFile(temp.c_str());
      result.failed.push_back(name);
      continue;
    }
    // The copy is in place and whole; a copy that cannot be removed stays, and is not taken
    // again because the data directory now has the file.
    os::RemoveFile(from.c_str());
    result.moved.push_back(name);
  }
  if (result.moved.empty()) return result;

  // The catalogue names its profiles by full path: those the older build saw in its own
  // directory are in the data directory now.
  const std::string catalogue = dataDir + "ovprof.dat";
  if (!os::FileExists(catalogue.c_str())) return result;
  OVProfMgr mgr(catalogue.c_str());
  if (!mgr.Load()) return result;
  bool bChanged = false;
  for (OVProfile* pProfile : mgr.Profiles()) {
    std::string name;
    if (IsFileIn(pProfile->GetFileName(), installDir, &name) && os::FileExists((dataDir + name).c_str())) {
      pProfile->SetFileName((dataDir + name).c_str());
      bChanged = true;
    }
  }
  if (bChanged) result.bCatalogueRewritten = mgr.Save();
  return result;
}

DataFileMove MoveVirtualStoreDataFiles() {
  const std::string exeDir = ExecutableDirectory();
  const std::string dataDir = DataDirectory();
  if (exeDir.empty() || dataDir.empty() || dataDir == exeDir) return {};
  char store[4096];
  if (!os::GetVirtualStoreDirectory(exeDir.c_str(), store, sizeof store)) return {};
  return MoveDataFiles(store, exeDir, dataDir);
}
