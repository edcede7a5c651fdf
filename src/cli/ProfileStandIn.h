// STAND-IN until src/core/ProfileStore.h is on this branch: the profile and user rules that
// the core will own (finding a profile or a user with ambiguity, the description rule, the safe
// file write, the name of a new profile file, a profile read that refuses what is not a regular
// file). Each function here is replaced by the core's own and then removed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "src/core/ProfileText.h"
#include "src/core/UserActions.h"

class OVProfile;
class OVProfMgr;
struct UserRecord;

namespace cli::standin {

// A saved profile by description (exact, else ignoring ASCII case) or by its number in the
// list. A text that names one profile by description and another by number is ambiguous, as are
// two descriptions that match alike.
Lookup FindProfile(OVProfMgr& mgr, const std::string& key, OVProfile** ppProfile);

// A user by name (exact, else ignoring ASCII case) or by user ID. A text that is one user's
// name and another user's ID is ambiguous. name gives the whole name of a user.
Lookup FindUser(const std::vector<const UserRecord*>& users, const std::string& key, const UserRecord** ppUser,
                std::string (*name)(const UserRecord&));

// The description rule: 1 to kDescriptionMax bytes, not blank, no control byte.
inline constexpr std::size_t kDescriptionMax = 254;
inline constexpr const char* kInvalidDescription = "Invalid Orvane Profile Description.";
bool IsValidDescription(const std::string& text);

// Writes bytes to path through a temporary file beside it that replaces it only when it was
// written whole; the file there before stays whole on any failure. A path that exists and is
// not a regular file (a device, a FIFO, a directory) is refused. False with the reason.
bool WriteFileReplacing(const std::string& path, const std::string& bytes, std::string* pError);

// The path of a new profile's file in the data directory: "ovprofN.dat", N from the number of
// profiles plus one past every name that exists or that an entry uses. Empty when none fits.
std::string NewProfilePath(OVProfMgr& mgr);

// ReadProfileFile that refuses, without opening it, a path that is not a regular file: a FIFO
// would block the read until someone writes into it.
ProfileReadResult ReadProfileFile(const std::string& path);

}  // namespace cli::standin
