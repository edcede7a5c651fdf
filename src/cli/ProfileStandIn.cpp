// STAND-IN until src/core/ProfileStore.h is on this branch (see ProfileStandIn.h).
#include "src/cli/ProfileStandIn.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "src/core/DataFiles.h"
#include "src/core/misc/AsciiCase.h"
#include "src/core/os/os.h"
#include "src/core/OVProfile.h"
#include "src/core/OVUtil.h"

namespace cli::standin {

namespace {

bool ParseNumber(const std::string& text, unsigned long long limit, unsigned long long* pValue) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  unsigned long long v = 0;
  for (char c : text) v = v * 10 + static_cast<unsigned>(c - '0');
  if (v > limit) return false;
  *pValue = v;
  return true;
}

// By text: exact matches first, else matches ignoring case; one, none or several.
template <class T, class F>
Lookup ByText(const std::vector<T*>& items, const std::string& key, F text, T** ppFound) {
  for (int pass = 0; pass < 2; ++pass) {
    int n = 0;
    for (T* p : items) {
      const std::string t = text(*p);
      if ((pass == 0 ? t == key : ov::EqualNoCase(t.c_str(), key.c_str())) && n++ == 0) *ppFound = p;
    }
    if (n) return n == 1 ? Lookup::Found : Lookup::Ambiguous;
  }
  return Lookup::NotFound;
}

}  // namespace

Lookup FindProfile(OVProfMgr& mgr, const std::string& key, OVProfile** ppProfile) {
  std::vector<OVProfile*> all;
  for (OVProfile* p = mgr.GetFirst(); p; p = mgr.GetNext()) all.push_back(p);
  OVProfile* pByText = nullptr;
  const Lookup byText = ByText(all, key, [](const OVProfile& p) { return std::string(p.GetDescription()); }, &pByText);
  unsigned long long n = 0;
  OVProfile* pByNumber = ParseNumber(key, all.size(), &n) && n >= 1 ? all[n - 1] : nullptr;
  if (byText == Lookup::Ambiguous) return Lookup::Ambiguous;
  if (byText == Lookup::Found && pByNumber && pByNumber != pByText) return Lookup::Ambiguous;
  OVProfile* p = byText == Lookup::Found ? pByText : pByNumber;
  if (!p) return Lookup::NotFound;
  *ppProfile = p;
  return Lookup::Found;
}

Lookup FindUser(const std::vector<const UserRecord*>& users, const std::string& key, const UserRecord** ppUser,
                std::string (*name)(const UserRecord&)) {
  const UserRecord* pByName = nullptr;
  const Lookup byName = ByText(users, key, name, &pByName);
  const UserRecord* pById = nullptr;
  unsigned long long id = 0;
  if (ParseNumber(key, 0xFFFFFFFFull, &id)) {
    for (const UserRecord* p : users) {
      if (p->userId == id) pById = p;
    }
  }
  if (byName == Lookup::Ambiguous) return Lookup::Ambiguous;
  if (byName == Lookup::Found && pById && pById != pByName) return Lookup::Ambiguous;
  const UserRecord* p = byName == Lookup::Found ? pByName : pById;
  if (!p) return Lookup::NotFound;
  *ppUser = p;
  return Lookup::Found;
}

bool IsValidDescription(const std::string& text) {
  if (text.empty() || text.size() > kDescriptionMax) return false;
  if (text.find_first_not_of(' ') == std::string::npos) return false;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

bool WriteFileReplacing(const std::string& path, const std::string& bytes, std::string* pError) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (fs::exists(st) && !fs::is_regular_file(st)) {
    *pError = "it is not a regular file";
    return false;
  }
  std::string temp;
  std::FILE* fp = nullptr;
  for (int i = 0; i < 100 && !fp; ++i) {
    temp = path + ".tmp" + std::to_string(i);
    if (os::FileExists(temp.c_str())) continue;
    errno = 0;
    fp = std::fopen(temp.c_str(), "wb");
    if (!fp) {
      *pError = std::strerror(errno ? errno : EIO);
      return false;
    }
  }
  if (!fp) {
    *pError = "no temporary file could be made beside it";
    return false;
  }
  errno = 0;
  bool bOk = std::fwrite(bytes.data(), 1, bytes.size(), fp) == bytes.size() && std::fflush(fp) == 0;
  int nError = errno;
  if (std::fclose(fp) != 0 && bOk) {
    bOk = false;
    nError = errno;
  }
  if (!bOk) {
    os::RemoveFile(temp.c_str());
    *pError = std::strerror(nError ? nError : EIO);
    return false;
  }
  if (!os::ReplaceFile(temp.c_str(), path.c_str())) {
    os::RemoveFile(temp.c_str());
    *pError = "the written file could not replace it";
    return false;
  }
  return true;
}

std::string NewProfilePath(OVProfMgr& mgr) {
  const std::string dir = DataDirectory();
  if (dir.empty()) return "";
  const long long first = static_cast<long long>(mgr.GetCount()) + 1;
  for (long long n = first; n < first + 10000 && n <= INT_MAX; ++n) {
    const std::string path = dir + "ovprof" + std::to_string(n) + ".dat";
    if (path.size() >= OVPROF_PATH_SIZE - 1) break;
    if (os::FileExists(path.c_str())) continue;
    bool bUsed = false;
    for (OVProfile* p = mgr.GetFirst(); p && !bUsed; p = mgr.GetNext()) bUsed = ov::EqualNoCase(p->GetFileName(), path.c_str());
    if (!bUsed) return path;
  }
  return "";
}

ProfileReadResult ReadProfileFile(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (fs::exists(st) && !fs::is_regular_file(st)) {
    ProfileReadResult r;
    r.error = "not a regular file";
    return r;
  }
  return ::ReadProfileFile(path.c_str());
}

}  // namespace cli::standin
