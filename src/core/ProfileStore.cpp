#include "src/core/ProfileStore.h"

#include <climits>
#include <cstdio>

#include "src/core/DataFiles.h"
#include "src/core/misc/AsciiCase.h"
#include "src/core/misc/CxFile.h"
#include "src/core/os/os.h"

namespace {

// How many numbers past the first candidate a new profile's file name may look at.
constexpr long long kMaxNameTries = 10000;

std::vector<OVProfile*> AllProfiles(OVProfMgr& mgr) {
  std::vector<OVProfile*> all;
  for (OVProfile* p : mgr.Profiles()) all.push_back(p);
  return all;
}

// The profiles whose description is key exactly or, when none is, ignoring ASCII case.
std::vector<OVProfile*> ByDescription(const std::vector<OVProfile*>& all, const std::string& key) {
  std::vector<OVProfile*> found;
  for (OVProfile* p : all) {
    if (key == p->GetDescription()) found.push_back(p);
  }
  if (!found.empty()) return found;
  for (OVProfile* p : all) {
    if (ov::EqualNoCase(key, p->GetDescription())) found.push_back(p);
  }
  return found;
}

// The profile numbered by key ("1" is the first), or null when key is not all digits or no
// profile has that number.
OVProfile* ByNumber(const std::vector<OVProfile*>& all, const std::string& key) {
  if (key.empty() || key.find_first_not_of("0123456789") != std::string::npos) return nullptr;
  std::size_t n = 0;
  for (char c : key) {
    n = n * 10 + static_cast<std::size_t>(c - '0');
    if (n > all.size()) return nullptr;  // also ends long keys before they overflow
  }
  return n >= 1 ? all[n - 1] : nullptr;
}

bool PathUsed(OVProfMgr& mgr, const char* szPath) {
  for (OVProfile* p : mgr.Profiles()) {
    if (ov::EqualNoCase(p->GetFileName(), szPath)) return true;
  }
  return false;
}

std::size_t NumberOf(OVProfMgr& mgr, const OVProfile* pProfile) {
  std::size_t n = 0;
  for (OVProfile* p : mgr.Profiles()) {
    ++n;
    if (p == pProfile) return n;
  }
  return 0;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The system's reason, as the end of a sentence.
std::string Because(int nErrno) {
  const std::string text = os::ErrnoText(nErrno);
  return text.empty() ? std::string() : ": " + text;
}

}  // namespace

std::string LocalTextPrefix(const std::string& text, std::size_t nMaxBytes) {
  std::size_t n = 0;
  while (n < text.size()) {
    const std::size_t len = os::CharLength(text.data() + n, text.size() - n);
    if (n + len > nMaxBytes) break;
    n += len;
  }
  return text.substr(0, n);
}

Lookup FindProfile(OVProfMgr& mgr, const std::string& key, OVProfile** ppFound) {
  const std::vector<OVProfile*> all = AllProfiles(mgr);
  const std::vector<OVProfile*> named = ByDescription(all, key);
  if (named.size() > 1) return Lookup::Ambiguous;
  OVProfile* pNumbered = ByNumber(all, key);
  OVProfile* pNamed = named.empty() ? nullptr : named[0];
  // Text that names one profile by description and another by number is refused: either
  // reading could be the one meant.
  if (pNamed && pNumbered && pNamed != pNumbered) return Lookup::Ambiguous;
  OVProfile* pFound = pNamed ? pNamed : pNumbered;
  if (!pFound) return Lookup::NotFound;
  if (ppFound) *ppFound = pFound;
  return Lookup::Found;
}

bool StorableDescription(const std::string& text, LongDescription onLong, std::string* pStored, std::string* pWhy) {
  std::string why;
  if (text.empty()) {
    why = "A description needs at least one character.";
  } else if (text.find('\0') != std::string::npos) {
    why = "A description cannot hold a zero byte.";
  } else if (text.find_first_of("\r\n") != std::string::npos) {
    why = "A description is one line: it cannot hold a line break.";
  } else if (text.size() > kProfileDescriptionMax && onLong == LongDescription::Refuse) {
    why = "A description is at most " + std::to_string(kProfileDescriptionMax) + " bytes; this one has " +
          std::to_string(text.size()) + ".";
  }
  if (!why.empty()) {
    if (pWhy) *pWhy = why;
    return false;
  }
  if (pStored) *pStored = LocalTextPrefix(text, kProfileDescriptionMax);
  return true;
}

bool IsStorableDescription(const std::string& text, std::string* pWhy) {
  return StorableDescription(text, LongDescription::Refuse, nullptr, pWhy);
}

bool NewProfilePath(OVProfMgr* pMgr, char* buf, std::size_t cap) {
  if (!buf || cap == 0) return false;
  buf[0] = '\0';
  const std::string dir = DataDirectory();
  if (dir.empty()) return false;
  const long long first = static_cast<long long>(pMgr ? pMgr->GetCount() : 0) + 1;
  for (long long n = first; n < first + kMaxNameTries && n <= INT_MAX; ++n) {
    const int len = std::snprintf(buf, cap, "%sovprof%lld.dat", dir.c_str(), n);
    // A longer number does not fit either.
    if (len < 0 || static_cast<std::size_t>(len) >= cap || static_cast<std::size_t>(len) > kProfilePathMax) break;
    if (os::FileExists(buf)) continue;
    if (!pMgr || !PathUsed(*pMgr, buf)) return true;
  }
  buf[0] = '\0';
  return false;
}

namespace {

enum class CatalogueRead { Read, NoneSaved, Unreadable };

CatalogueRead ReadCatalogue(OVProfMgr& mgr) {
  if (mgr.Load()) return CatalogueRead::Read;
  const char* szFile = mgr.GetLoadFileName();
  // A missing file means that no profile was saved yet.
  if (szFile[0] == '\0' || !os::FileExists(szFile)) return CatalogueRead::NoneSaved;
  return CatalogueRead::Unreadable;
}

std::string UnreadableCatalogue(const OVProfMgr& mgr) {
  return "The profile list " + std::string(mgr.GetLoadFileName()) +
         " could not be read (it is damaged or not readable); it is not written over until it is removed or replaced.";
}

}  // namespace

bool LoadCatalogue(OVProfMgr& mgr, std::string* pWhy) {
  if (ReadCatalogue(mgr) != CatalogueRead::Unreadable) return true;
  if (pWhy) *pWhy = UnreadableCatalogue(mgr);
  return false;
}

bool ImportProfile(OVProfMgr& mgr, const std::vector<ProfileRec>& recs, const std::string& description,
                   bool bReplace, ImportReport* pReport, const char* szPath) {
  ImportReport report;
  using Failure = ImportReport::Failure;
  // Every failure after the catalogue was read leaves the catalogue in memory as it is on disk.
  auto fail = [&](Failure failure, std::string why, bool bReload) {
    report.failure = failure;
    report.why = std::move(why);
    report.pProfile = nullptr;
    if (bReload) {
      mgr.Clear();
      LoadCatalogue(mgr, nullptr);
    }
    if (pReport) *pReport = report;
    return false;
  };

  switch (ReadCatalogue(mgr)) {
    case CatalogueRead::Unreadable:
      return fail(Failure::CatalogueUnreadable, UnreadableCatalogue(mgr), false);
    case CatalogueRead::NoneSaved:
      mgr.Clear();  // no profile is saved, whatever was in memory
      break;
    case CatalogueRead::Read:
      break;
  }
  std::string why;
  if (!IsStorableDescription(description, &why)) return fail(Failure::BadDescription, why, false);

  std::vector<OVProfile*> same;
  for (OVProfile* p : AllProfiles(mgr)) {
    if (ov::EqualNoCase(description, p->GetDescription())) same.push_back(p);
  }
  if (same.size() > 1) {
    return fail(Failure::DescriptionExists,
                std::to_string(same.size()) + " profiles are described " + Quoted(description) +
                    " already.",
                false);
  }
  if (same.size() == 1 && !bReplace) {
    return fail(Failure::DescriptionExists,
                "Profile " + std::to_string(NumberOf(mgr, same[0])) + " is described " +
                    Quoted(same[0]->GetDescription()) + " already.",
                false);
  }

  if (same.size() == 1) {
    // Only the existing profile's file is rewritten (in one step, through a temporary file); its
    // catalogue entry, description spelling included, stays as it is, so there is nothing to
    // undo when the write fails.
    OVProfile* pProfile = same[0];
    report.file = pProfile->GetFileName();
    report.bReplaced = true;
    if (report.file.empty()) {
      return fail(Failure::ProfileNotWritten, "Profile " + Quoted(description) + " has no file name.", true);
    }
    pProfile->Clear();
    for (const ProfileRec& rec : recs) pProfile->AddRec(&rec);
    if (!pProfile->Save()) {
      return fail(Failure::ProfileNotWritten, "The profile could not be saved to " + report.file + ".", true);
    }
    report.pProfile = pProfile;
    report.nNumber = NumberOf(mgr, pProfile);
    if (pReport) *pReport = report;
    return true;
  }

  char szNew[OVPROF_PATH_SIZE];
  if (szPath && *szPath) {
    report.file = szPath;
    // The name shown to the user is kept, but never at the cost of a file already there.
    if (report.file.size() > kProfilePathMax) {
      return fail(Failure::NoFileName, "The file name " + report.file + " is too long.", false);
    }
    if (os::FileExists(szPath) || PathUsed(mgr, szPath)) {
      return fail(Failure::ProfileNotWritten,
                  "The profile could not be saved to " + report.file + ": something is already there.", false);
    }
  } else {
    if (!NewProfilePath(&mgr, szNew, sizeof szNew)) {
      return fail(Failure::NoFileName, "No file name could be found for a new profile in the data directory.", false);
    }
    report.file = szNew;
  }

  OVProfile* pProfile = mgr.NewProfile();
  if (!pProfile) return fail(Failure::ProfileNotWritten, "Out of memory.", true);
  pProfile->SetDescription(description.c_str());
  pProfile->SetFileName(report.file.c_str());
  for (const ProfileRec& rec : recs) pProfile->AddRec(&rec);
  if (!pProfile->Save()) {
    return fail(Failure::ProfileNotWritten, "The profile could not be saved to " + report.file + ".", true);
  }
  if (!mgr.Save()) {
    // The file name was free before: removing it leaves the disk as it was.
    os::RemoveFile(report.file.c_str());
    return fail(Failure::CatalogueNotWritten,
                "The profile list could not be saved to " + std::string(mgr.GetFileName()) + ".", true);
  }
  report.pProfile = pProfile;
  report.nNumber = mgr.GetCount();
  if (pReport) *pReport = report;
  return true;
}

bool WriteFileReplacing(const std::string& path, const std::string& bytes, std::string* pWhy) {
  auto fail = [pWhy](std::string why) {
    if (pWhy) *pWhy = std::move(why);
    return false;
  };
  if (path.empty()) return fail("no file was named");
  switch (os::GetFileKind(path.c_str())) {
    case os::FileKind::Directory:
      return fail(path + " is a directory; give the name of a file");
    case os::FileKind::Other:
      return fail(path + " is not a regular file (a device, a pipe or a socket); give the name of a file");
    case os::FileKind::Missing:
    case os::FileKind::Regular:
      break;
  }
  CxFile file;
  if (!file.Open(path.c_str(), "wb")) {
    return fail("no file could be created beside " + path + Because(file.LastErrno()) +
                " (does its directory exist, and may you write there?)");
  }
  file.WriteBytes(bytes.data(), bytes.size());
  // Close moves the temporary file into place only when every write succeeded.
  if (!file.Close()) return fail(path + " could not be written" + Because(file.LastErrno()) + "; it was left as it was");
  return true;
}
