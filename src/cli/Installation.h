// The one step every command that needs Palm Desktop begins with: open a session on the
// installation that kestrow.ini (or the registry) names, with the conduit list as the window
// shows it at start, and tell plainly why that failed. Leaves the process as it found it: the
// session is closed, the current directory and the message hook are put back.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "src/core/misc/Message.h"
#include "src/core/Session.h"

struct CONDUIT_REC;
struct UserRecord;

namespace cli {

class Installation {
 public:
  enum class Need {
    Users,              // the roster (at least one user)
    Conduits,           // the conduit list, users or not
    UsersAndConduits,   // both
  };

  Installation();
  ~Installation();
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;

  // Opens the session as the window does (the libraries are loaded once Palm Desktop's
  // directory is the current one): kExitOk, or kExitNoPalm with the reason told on err (no
  // installation, libraries that do not load, or of the other word size, no users). With
  // conduits, the list comes from the cache file (an enumeration is written to it), or with
  // bRefresh afresh from Palm Desktop (and written), with the current settings ("ovcurr.dat")
  // laid over it.
  int Open(Need need, std::ostream& err, bool bRefresh = false);
  // Whether Palm Desktop's libraries load; opens when they do, says nothing when they do not.
  bool OpenQuietly(Need need);

  OVSession& Session() { return m_session; }
  std::vector<const UserRecord*> Users() const { return m_session.Users(); }
  std::vector<CONDUIT_REC*> Conduits() const { return m_session.Conduits(); }

 private:
  // Opens the session; false, with the session closed again, when the libraries did not load.
  bool Start(Need need, bool bRefresh);

  OVSession m_session;
  ov::MessageHook m_prevHook;
  std::vector<std::string> m_said;  // what the core said while starting
  char m_szCwd[4096];
};

// A user's whole name: the roster keeps 63 bytes and leaves a longer name empty, so such a
// name is asked for again (empty only when the library gives none).
std::string FullUserName(const UserRecord& user);
// The name as messages and lists show it: the whole name, or "user 271828" without one.
std::string UserShown(const UserRecord& user);

}  // namespace cli
