// What several commands say about users, conduits and profiles: finding them by what was
// typed (told when that fails), and their JSON.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "src/cli/Output.h"
#include "src/core/ProfileText.h"

class OVProfile;
class OVProfMgr;
struct CONDUIT_REC;
struct UserRecord;

namespace cli {

// "0x496E7374".
std::string Hex32(std::uint32_t v);

// {"title": ..., "creator": ..., "creatorId": ...}
Json ConduitJson(const CONDUIT_REC& rec);

// One user by name or user ID; false, told, when it names no user or is ambiguous.
bool ResolveUser(const std::vector<const UserRecord*>& users, const std::string& key, const UserRecord** ppUser,
                 std::ostream& err);

// The profile catalogue read: false, told, when "ovprof.dat" is there but cannot be read (a
// missing one is an empty catalogue).
bool LoadCatalogue(OVProfMgr& mgr, std::ostream& err, const char* szConsequence = "");
// A saved profile by description or number, told when none or several match.
OVProfile* ResolveProfile(OVProfMgr& mgr, const std::string& key, std::ostream& err);
// The records of a saved profile, read whole; false, told, when it cannot be.
bool ReadSavedProfile(const std::string& key, std::vector<ProfileRec>& recs, std::string* pDescription,
                      std::ostream& err);
// A profile file read whole (text or saved form); false, told with its line, when it cannot be.
bool ReadProfileArgument(const std::string& shown, std::vector<ProfileRec>& recs, std::ostream& err);

}  // namespace cli
