#include "src/cli/Records.h"

#include <cstdio>
#include <ostream>

#include "src/cli/Command.h"
#include "src/cli/Installation.h"
#include "src/core/ProfileStore.h"
#include "src/core/os/os.h"
#include "src/core/OVProfile.h"
#include "src/core/OVUtil.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/UserActions.h"

namespace cli {

std::string Hex32(std::uint32_t v) {
  char sz[11];
  std::snprintf(sz, sizeof sz, "0x%08X", static_cast<unsigned>(v));
  return sz;
}

Json ConduitJson(const CONDUIT_REC& rec) {
  return {{"title", JsonText(ConduitTitleOf(rec))},
          {"creator", JsonText(CreatorIdText(rec.dwCreatorID))},
          {"creatorId", Hex32(rec.dwCreatorID)}};
}

bool ResolveUser(const std::vector<const UserRecord*>& users, const std::string& key, const UserRecord** ppUser,
                 std::ostream& err) {
  switch (FindUser(users, key, ppUser)) {
    case Lookup::Found: return true;
    case Lookup::Ambiguous:
      Say(err, "several users are named " + Quoted(key) +
                   ", or it is one user's name and another's user ID; name the user by another name or user ID");
      return false;
    case Lookup::NotFound: break;
  }
  Say(err, "there is no user " + Quoted(key) + " (see " + kProgram + " users)");
  return false;
}

bool LoadCatalogue(OVProfMgr& mgr, std::ostream& err, const char* szConsequence) {
  std::string why;
  if (::LoadCatalogue(mgr, &why)) return true;
  Say(err, "the profile list " + Esc(mgr.GetLoadFileName()) + " could not be read" + szConsequence +
               (why.empty() ? "" : " (" + Esc(why) + ")"));
  return false;
}

OVProfile* ResolveProfile(OVProfMgr& mgr, const std::string& key, std::ostream& err) {
  OVProfile* pProfile = nullptr;
  switch (FindProfile(mgr, key, &pProfile)) {
    case Lookup::Found: return pProfile;
    case Lookup::Ambiguous:
      Say(err, Quoted(key) + " names several saved profiles (a description and a number); see " + kProgram + " profiles");
      return nullptr;
    case Lookup::NotFound: break;
  }
  Say(err, "no saved profile is named " + Quoted(key) + " (see " + kProgram + " profiles)");
  return nullptr;
}

bool ReadSavedProfile(const std::string& key, std::vector<ProfileRec>& recs, std::string* pDescription,
                      std::ostream& err) {
  OVProfMgr mgr;
  if (!LoadCatalogue(mgr, err)) return false;
  OVProfile* pProfile = ResolveProfile(mgr, key, err);
  if (!pProfile) return false;
  const std::string file = pProfile->GetFileName();
  const ProfileReadResult read = ReadProfileFile(file.c_str());
  if (!read.bOk) {
    Say(err, "the file of profile " + Quoted(pProfile->GetDescription()) + ", " + Esc(file) + ", " +
                 (os::FileExists(file.c_str()) ? "could not be read: " + Esc(read.error) : std::string("does not exist")));
    return false;
  }
  recs = read.recs;
  if (pDescription) *pDescription = pProfile->GetDescription();
  return true;
}

bool ReadProfileArgument(const std::string& shown, std::vector<ProfileRec>& recs, std::ostream& err) {
  const ProfileReadResult read = ReadProfileFile(AbsolutePath(shown).c_str());
  if (!read.bOk) {
    std::string text = Esc(shown);
    if (read.nLine) text += ", line " + std::to_string(read.nLine);
    Say(err, text + ": " + Esc(read.error));
    return false;
  }
  recs = read.recs;
  return true;
}

}  // namespace cli
