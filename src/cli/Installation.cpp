#include "src/cli/Installation.h"

#include <cstring>
#include <ostream>
#include <vector>

#include "src/cli/Command.h"
#include "src/core/os/os.h"
#include "src/core/OVProfile.h"
#include "src/core/OVUtil.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/palm/PalmLib.h"
#include "src/core/UserActions.h"

namespace cli {

namespace {

// The session whose start-up messages are collected (one session at a time: the binding is
// process-wide).
std::vector<std::string>* g_pSaid = nullptr;

int CollectMessage(const char* text, const char*, ov::MessageIcon) {
  if (g_pSaid) g_pSaid->push_back(text);
  return 1;
}

}  // namespace

Installation::Installation() {
  if (!os::GetCurrentDirectory(m_szCwd, sizeof m_szCwd)) m_szCwd[0] = '\0';
  g_pSaid = &m_said;
  m_prevHook = ov::SetMessageHook(CollectMessage);
}

Installation::~Installation() {
  m_session.Close();
  ov::SetMessageHook(m_prevHook);
  g_pSaid = nullptr;
  if (m_szCwd[0]) os::SetCurrentDirectory(m_szCwd);
}

bool Installation::Start(Need need, bool bRefresh) {
  m_session.SetProgramName("console");
  m_session.Open();
  if (!m_session.LibrariesLoaded()) {
    m_session.Close();
    return false;
  }
  if (need == Need::Users) return true;
  // As the window starts: the cache file, or an enumeration that is written to it, then the
  // current settings over it.
  if (!m_session.LoadConduits(!bRefresh)) m_session.SaveConduitCache();
  m_session.LoadCurrentSettings();
  if (const OVProfile* pCurrent = m_session.CurrentSettings()) {
    OVSession::PutActions(pCurrent->GetRecords(), m_session.Conduits());
  }
  return true;
}

bool Installation::OpenQuietly(Need need) { return Start(need, false); }

int Installation::Open(Need need, std::ostream& err, bool bRefresh) {
  if (!Start(need, bRefresh)) {
    const PalmLoadFailure& failure = LastPalmLoadFailure();
    char dir[PALM_MAX_PATH];
    if (GetPalmCorePath(dir, sizeof dir) != PALMPATH_OK) {
      Say(err, std::string("no Palm Desktop installation was found: set PDPath in section [Path] of kestrow.ini beside ") +
                   kProgram + ", or install Palm Desktop");
    } else if (failure.why == PalmLoadFailure::Why::LoadFailed &&
               failure.error.kind == os::LoadFailure::WrongArchitecture) {
      Say(err, Esc(failure.path) + " is not a library for this " + std::to_string(sizeof(void*) * 8) + "-bit " +
                   kProgram + " (" + Esc(failure.error.text) + "); Palm Desktop's libraries are 32-bit: run the " +
                   "32-bit orvanectl.exe that the setup program installs");
    } else if (failure.why == PalmLoadFailure::Why::LoadFailed && !failure.error.text.empty()) {
      Say(err, "Palm Desktop's library " + Esc(failure.path) + " could not be loaded: " + Esc(failure.error.text));
    } else {
      Say(err, "Palm Desktop's libraries could not be loaded from " + Esc(dir));
    }
    return kExitNoPalm;
  }
  if (need != Need::Conduits && m_session.Users().empty()) {
    for (const std::string& s : m_said) Say(err, Esc(s));
    if (m_said.empty()) Say(err, "no Palm users were found in this Palm Desktop installation");
    return kExitNoPalm;
  }
  return kExitOk;
}

std::string FullUserName(const UserRecord& user) {
  std::string name = UserNameOf(user);
  if (!name.empty()) return name;
  // Asked with no room: the library answers with the size the name needs.
  std::int16_t size = 0;
  char probe[1] = {};
  palm::UmGetUserName(user.userId, probe, &size);
  if (size <= 1) return name;
  std::vector<char> buf(static_cast<std::size_t>(size) + 1, '\0');
  std::int16_t cap = size;
  if (palm::UmGetUserName(user.userId, buf.data(), &cap) < 0) return name;
  return std::string(buf.data(), strnlen(buf.data(), static_cast<std::size_t>(size)));
}

std::string UserShown(const UserRecord& user) {
  const std::string name = FullUserName(user);
  return name.empty() ? "user " + std::to_string(user.userId) : name;
}

}  // namespace cli
