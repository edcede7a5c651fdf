#include "src/cli/Cli.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "src/core/misc/Message.h"
#include "src/core/misc/ModuleDir.h"
#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/HotSync.h"
#include "src/logic/Main.h"
#include "src/core/OVProfile.h"
#include "src/core/OVUtil.h"
#include "src/logic/ProfDetail.h"
#include "src/core/ProfileText.h"
#include "src/core/UserActions.h"
#include "src/logic/profile.h"

#ifndef ORVANE_VERSION
#define ORVANE_VERSION "unknown"
#endif

namespace {

using namespace cli;

constexpr const char* kProgram = "orvanectl";

constexpr const char* kUsage =
    "Usage: orvanectl [--json] COMMAND [ARGUMENTS]\n"
    "\n"
    "Changes Palm HotSync settings without a window, on the Palm Desktop installation that\n"
    "kestrow.ini beside orvanectl (or the registry) names, with Orvane's data files beside it.\n"
    "\n"
    "Commands:\n"
    "  users                      the handheld users (name, user ID)\n"
    "  conduits                   the conduits with the actions Orvane would write\n"
    "  show USER [CONDUIT...]     a user's default and next-HotSync action per conduit\n"
    "  apply [OPTIONS]            write the conduits' actions into users' sync preferences:\n"
    "      --profile NAME           the actions of a saved profile (its description or number)\n"
    "      --profile-file PATH      the actions of a profile file (text, or a saved ovprofN.dat)\n"
    "      --users all|USER,...     the users to write (default: all)\n"
    "      --next-only              only the next HotSync (default: the users' default actions)\n"
    "      --dry-run                show what would be written and write nothing\n"
    "  profiles                   the saved profiles\n"
    "  export-profile NAME FILE   write a saved profile as text (FILE - : standard output)\n"
    "  import-profile FILE [--name DESCRIPTION]\n"
    "                             save a profile file as a new profile\n"
    "\n"
    "Without a profile, apply writes the actions Orvane's window shows at start.\n"
    "Users are named by name or user ID; conduits by title, creator (four characters) or\n"
    "creator ID (0x...). --json prints listings and results as JSON.\n"
    "\n"
    "Exit codes: 0 done; 1 some users could not be written; 2 bad usage, or a file could not\n"
    "be read or written; 3 no Palm Desktop installation or no users; 4 a HotSync is running.\n";

// -------------------------------------------------------------------------------------------------
// Output

// Palm's texts and ours, for the console.
std::string Con(const std::string& text) { return os::ToConsoleText(text); }

// A JSON string: ASCII only, everything else as \u escapes, so no code page comes into it.
std::string Json(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char16_t c : os::LocalToUtf16(text)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
    }
  }
  return out + "\"";
}

std::string Hex32(std::uint32_t v) {
  char sz[11];
  std::snprintf(sz, sizeof sz, "0x%08X", static_cast<unsigned>(v));
  return sz;
}

// Left-aligned columns: each cell padded to its column's widest cell, two blanks between.
class Table {
 public:
  void Add(std::vector<std::string> row) { m_rows.push_back(std::move(row)); }
  void Print(std::ostream& out) const {
    std::vector<std::size_t> width;
    for (const auto& row : m_rows) {
      for (std::size_t i = 0; i < row.size(); ++i) {
        if (width.size() <= i) width.push_back(0);
        width[i] = std::max(width[i], row[i].size());
      }
    }
    for (const auto& row : m_rows) {
      std::string line;
      for (std::size_t i = 0; i < row.size(); ++i) {
        line += row[i];
        if (i + 1 < row.size()) line += std::string(width[i] - row[i].size() + 2, ' ');
      }
      out << Con(line) << '\n';
    }
  }

 private:
  std::vector<std::vector<std::string>> m_rows;
};

// -------------------------------------------------------------------------------------------------
// The command line

struct Args {
  bool bJson = false;
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // "--name" -> value ("" for a flag)
};

struct OptionSpec {
  const char* szName;
  bool bTakesValue;
};

// Bad usage: says what is wrong and how to get help.
int Usage(std::ostream& err, const std::string& text) {
  err << kProgram << ": " << os::ToConsoleText(text) << "\nRun \"" << kProgram << " --help\" for the commands.\n";
  return cli::kExitUsage;
}

// Splits the arguments after the command into options (of specs) and positional arguments.
// "--opt value" and "--opt=value" both work; "--" ends the options.
std::optional<std::string> ParseOptions(const std::vector<std::string>& in, const std::vector<OptionSpec>& specs,
                                       Args& args) {
  bool bOptionsEnd = false;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const std::string& a = in[i];
    if (bOptionsEnd || a.size() < 2 || a[0] != '-' || a == "-") {
      args.positional.push_back(a);
      continue;
    }
    if (a == "--") {
      bOptionsEnd = true;
      continue;
    }
    std::string name = a, value;
    const std::size_t eq = a.find('=');
    if (eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
    }
    const OptionSpec* pSpec = nullptr;
    for (const OptionSpec& s : specs) {
      if (name == s.szName) pSpec = &s;
    }
    if (!pSpec) return std::string("unknown option " + name);
    if (args.options.count(name)) return std::string(name + " is given twice");
    if (pSpec->bTakesValue) {
      if (eq == std::string::npos) {
        if (i + 1 >= in.size()) return std::string(name + " needs a value");
        value = in[++i];
      }
    } else if (eq != std::string::npos) {
      return std::string(name + " takes no value");
    }
    args.options[name] = value;
  }
  return std::nullopt;
}

// A path as given, made absolute against the current directory: start-up moves the current
// directory to the Palm Desktop installation.
std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path == "-") return path;
  const bool bAbsolute = path[0] == '/' || path[0] == '\\' ||
                         (os::kPathSep == '\\' && path.size() >= 2 && path[1] == ':');
  if (bAbsolute) return path;
  char cwd[4096];
  if (!os::GetCurrentDirectory(cwd, sizeof cwd)) return path;
  return std::string(cwd) + os::kPathSep + path;
}

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    items.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return items;
}

// -------------------------------------------------------------------------------------------------
// The session: the main window's logic without a window

class ConsoleView : public MainView {
 public:
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override {
    m_said.push_back(request.text);
    return ov::MessageAnswer::Ok;
  }
  void UserListChanged() override {}
  void CondListChanged() override {}
  void CondRowChanged(int) override {}
  void DetailEnabledChanged() override {}
  void SetBusy(bool) override {}
  bool RunCondDetail(CondDetailLogic&) override { return false; }
  void RunUserInfo(UserInfoLogic&) override {}
  void RunProfiles(ProfileLogic&) override {}
  void RunSyncActions(SyncActionsLogic&) override {}
  void CloseWindow() override {}
  void ProgressBegin(const std::string&, int) override {}
  bool ProgressStep(int, const std::string&) override { return true; }
  void ProgressEnd() override {}

  std::vector<std::string> m_said;
};

// What the core says while it starts (the roster's "no users" message).
std::vector<std::string>* g_pSaid = nullptr;
int CollectMessage(const char* text, const char*, ov::MessageIcon) {
  if (g_pSaid) g_pSaid->push_back(text);
  return 1;
}

// Starts the main window's logic (binding, roster, conduit list from the cache, current
// settings) and puts everything back when it ends.
class Session {
 public:
  Session() : m_logic(m_view) {
    if (!os::GetCurrentDirectory(m_szCwd, sizeof m_szCwd)) m_szCwd[0] = '\0';
    g_pSaid = &m_said;
    m_prevHook = ov::SetMessageHook(CollectMessage);
  }
  ~Session() {
    m_logic.FormDestroy();
    // The catalogue's records hold conduit modules of the installation.
    CCondMgr::GetInstance()->RemoveAll();
    ov::SetMessageHook(m_prevHook);
    g_pSaid = nullptr;
    if (m_szCwd[0]) os::SetCurrentDirectory(m_szCwd);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Starts up when Palm Desktop's libraries can be loaded; false, and with bTell the reason
  // told, when they cannot. (Start-up without them would enumerate nothing and write that into
  // the cache file.)
  bool Open(bool bTell, std::ostream& err) {
    const bool bBound = LoadPalmLibs(PLIB_CONDMGR | PLIB_USERDATA);
    FreePalmLibs(PLIB_ALL);
    if (!bBound) {
      if (!bTell) return false;
      char dir[PALM_MAX_PATH];
      if (GetPalmCorePath(dir, sizeof dir) != PALMPATH_OK) {
        err << kProgram << ": no Palm Desktop installation was found: set PDPath in section [Path] of "
            << "kestrow.ini beside " << kProgram << ", or install Palm Desktop\n";
      } else {
        err << kProgram << ": Palm Desktop's libraries could not be loaded from " << Con(dir) << "\n";
      }
      return false;
    }
    m_logic.FormCreate();
    return true;
  }

  // Says what the core said during start-up; true when it said anything.
  bool TellStartupMessages(std::ostream& err) const {
    for (const std::string& s : m_said) err << kProgram << ": " << Con(s) << "\n";
    return !m_said.empty();
  }

  MainWindowLogic& Logic() { return m_logic; }

  std::vector<const UserRecord*> Users() const {
    std::vector<const UserRecord*> v;
    for (const UserRow& row : m_logic.UserRows()) v.push_back(row.pUser);
    return v;
  }
  std::vector<const CONDUIT_REC*> Conduits() const {
    std::vector<const CONDUIT_REC*> v;
    for (const CondRow& row : m_logic.CondRows()) {
      if (row.pRec) v.push_back(row.pRec);
    }
    return v;
  }

 private:
  ConsoleView m_view;
  MainWindowLogic m_logic;
  std::vector<std::string> m_said;
  ov::MessageHook m_prevHook = nullptr;
  char m_szCwd[4096];
};

// The users a command needs: false, with the reason told, when there are none.
bool HaveUsers(Session& s, std::ostream& err) {
  if (!s.Users().empty()) return true;
  if (!s.TellStartupMessages(err)) err << kProgram << ": no Palm users were found in this Palm Desktop installation\n";
  return false;
}

// A conduit's creator as its ID reads the Palm way: the ID is what the users' preferences are
// kept under.
std::string CreatorShown(const CONDUIT_REC& rec) { return CreatorIdText(rec.dwCreatorID); }

// "1 conduit", "3 conduits".
std::string Count(std::size_t n, const char* szThing) {
  return std::to_string(n) + " " + szThing + (n == 1 ? "" : "s");
}

std::string UserShown(const UserRecord& u) { return UserNameOf(u) + " (" + std::to_string(u.userId) + ")"; }

// -------------------------------------------------------------------------------------------------
// Profiles

// Loads the profile catalogue; false, told, when "ovprof.dat" is there but cannot be read.
bool LoadCatalogue(OVProfMgr& mgr, std::ostream& err) {
  if (mgr.Load()) return true;
  const char* szFile = mgr.GetFileName();
  if (szFile[0] && os::FileExists(szFile)) {
    err << kProgram << ": the profile list " << Con(szFile) << " could not be read\n";
    return false;
  }
  return true;  // none saved yet
}

std::vector<OVProfile*> Profiles(OVProfMgr& mgr) {
  std::vector<OVProfile*> v;
  for (OVProfile* p = mgr.GetFirst(); p; p = mgr.GetNext()) v.push_back(p);
  return v;
}

// A saved profile by description (exact, else ignoring case; of several, the newest) or by its
// number in the list.
OVProfile* FindProfile(OVProfMgr& mgr, const std::string& key) {
  const std::vector<OVProfile*> all = Profiles(mgr);
  OVProfile* pFound = nullptr;
  for (OVProfile* p : all) {
    if (key == p->GetDescription()) pFound = p;
  }
  if (pFound) return pFound;
  for (OVProfile* p : all) {
    std::string a = key, b = p->GetDescription();
    if (a.size() != b.size()) continue;
    bool bSame = true;
    for (std::size_t i = 0; i < a.size() && bSame; ++i) {
      bSame = std::tolower(static_cast<unsigned char>(a[i])) == std::tolower(static_cast<unsigned char>(b[i]));
    }
    if (bSame) pFound = p;
  }
  if (pFound) return pFound;
  if (!key.empty() && key.size() < 10 && key.find_first_not_of("0123456789") == std::string::npos) {
    std::size_t n = 0;
    for (char c : key) n = n * 10 + static_cast<std::size_t>(c - '0');
    if (n >= 1 && n <= all.size()) return all[n - 1];
  }
  return nullptr;
}

// The records of a saved profile, read whole; false, told, when it cannot be.
bool ReadSavedProfile(const std::string& name, std::vector<ProfileRec>& recs, std::string* pDescription,
                      std::ostream& err) {
  OVProfMgr mgr;
  if (!LoadCatalogue(mgr, err)) return false;
  OVProfile* pProfile = FindProfile(mgr, name);
  if (!pProfile) {
    err << kProgram << ": no saved profile is named \"" << Con(name) << "\" (see " << kProgram << " profiles)\n";
    return false;
  }
  const std::string file = pProfile->GetFileName();
  const ProfileReadResult read = ReadProfileFile(file.c_str());
  if (!read.bOk) {
    err << kProgram << ": the file of profile \"" << Con(pProfile->GetDescription()) << "\", " << Con(file) << ", "
        << (os::FileExists(file.c_str()) ? "could not be read: " + read.error : std::string("does not exist"))
        << "\n";
    return false;
  }
  recs = read.recs;
  if (pDescription) *pDescription = pProfile->GetDescription();
  return true;
}

void TellProfileFileError(const std::string& path, const ProfileReadResult& read, std::ostream& err) {
  err << kProgram << ": " << Con(path);
  if (read.nLine) err << ", line " << read.nLine;
  err << ": " << Con(read.error) << "\n";
}

// -------------------------------------------------------------------------------------------------
// Commands

int CmdUsers(const Args& args, std::ostream& out, std::ostream& err) {
  Session s;
  if (!s.Open(true, err) || !HaveUsers(s, err)) return kExitNoPalm;
  const std::vector<const UserRecord*> users = s.Users();
  if (args.bJson) {
    out << "[";
    for (std::size_t i = 0; i < users.size(); ++i) {
      out << (i ? ",\n " : "\n ") << "{\"id\": " << users[i]->userId << ", \"name\": " << Json(UserNameOf(*users[i]))
          << "}";
    }
    out << "\n]\n";
    return kExitOk;
  }
  Table t;
  t.Add({"User ID", "Name"});
  for (const UserRecord* u : users) t.Add({std::to_string(u->userId), UserNameOf(*u)});
  t.Print(out);
  return kExitOk;
}

int CmdConduits(const Args& args, std::ostream& out, std::ostream& err) {
  Session s;
  if (!s.Open(true, err)) return kExitNoPalm;
  const std::vector<const CONDUIT_REC*> conduits = s.Conduits();
  if (args.bJson) {
    out << "[";
    for (std::size_t i = 0; i < conduits.size(); ++i) {
      const CONDUIT_REC& r = *conduits[i];
      out << (i ? ",\n " : "\n ") << "{\"title\": " << Json(ConduitTitleOf(r)) << ", \"creator\": " << Json(CreatorShown(r))
          << ", \"creatorId\": " << Json(Hex32(r.dwCreatorID)) << ", \"kind\": " << Json(ConduitKindName(r.dwKind))
          << ", \"action\": " << Json(ActionName(r.dwAction)) << ", \"actionValue\": " << Json(Hex32(r.dwAction))
          << ", \"enabled\": " << (IsActionTicked(r.dwAction) ? "true" : "false")
          << ", \"syncPreference\": " << SyncPrefCode(r.dwAction) << "}";
    }
    out << "\n]\n";
    return kExitOk;
  }
  Table t;
  t.Add({"Creator", "Kind", "Action", "Title"});
  for (const CONDUIT_REC* r : conduits) {
    t.Add({CreatorShown(*r), ConduitKindName(r->dwKind), ActionName(r->dwAction), ConduitTitleOf(*r)});
  }
  t.Print(out);
  return kExitOk;
}

// One user by what was typed; false, told, when it names no user or several.
bool ResolveUser(const std::vector<const UserRecord*>& users, const std::string& key, const UserRecord** ppUser,
                 std::ostream& err) {
  switch (FindUser(users, key, ppUser)) {
    case Lookup::Found: return true;
    case Lookup::Ambiguous:
      err << kProgram << ": several users are named \"" << Con(key) << "\"; name the user by user ID\n";
      return false;
    case Lookup::NotFound: break;
  }
  err << kProgram << ": there is no user \"" << Con(key) << "\" (see " << kProgram << " users)\n";
  return false;
}

std::string PrefJson(const PrefRead& r, bool bNext) {
  std::string s = "{\"state\": ";
  switch (r.state) {
    case PrefRead::State::Set:
      s += "\"set\", \"code\": " + std::to_string(r.nCode) + ", \"name\": " + Json(SyncPrefName(r.nCode));
      if (bNext) s += std::string(", \"oneTime\": ") + (r.bOneTime ? "true" : "false");
      break;
    case PrefRead::State::NotSet: s += "\"not set\""; break;
    case PrefRead::State::Failed: s += "\"failed\", \"error\": " + std::to_string(r.nResult); break;
  }
  return s + "}";
}

int CmdShow(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.positional.empty()) return Usage(err, "show needs a user");
  Session s;
  if (!s.Open(true, err) || !HaveUsers(s, err)) return kExitNoPalm;
  const UserRecord* pUser = nullptr;
  if (!ResolveUser(s.Users(), args.positional[0], &pUser, err)) return kExitUsage;

  std::vector<const CONDUIT_REC*> conduits = s.Conduits();
  if (args.positional.size() > 1) {
    std::vector<const CONDUIT_REC*> chosen;
    for (std::size_t i = 1; i < args.positional.size(); ++i) {
      const CONDUIT_REC* pRec = nullptr;
      const Lookup l = FindConduit(conduits, args.positional[i], &pRec);
      if (l != Lookup::Found) {
        err << kProgram << ": "
            << (l == Lookup::Ambiguous ? "several conduits are named \"" : "there is no conduit \"")
            << Con(args.positional[i]) << "\" (see " << kProgram << " conduits)\n";
        return kExitUsage;
      }
      chosen.push_back(pRec);
    }
    conduits = chosen;
  }

  const std::vector<UserConduitAction> actions = ReadUserActions(pUser->userId, conduits);
  if (args.bJson) {
    out << "{\"user\": {\"id\": " << pUser->userId << ", \"name\": " << Json(UserNameOf(*pUser)) << "},\n \"conduits\": [";
    for (std::size_t i = 0; i < actions.size(); ++i) {
      const CONDUIT_REC& r = *actions[i].pRec;
      out << (i ? ",\n  " : "\n  ") << "{\"title\": " << Json(ConduitTitleOf(r)) << ", \"creator\": " << Json(CreatorShown(r))
          << ", \"creatorId\": " << Json(Hex32(r.dwCreatorID)) << ", \"default\": " << PrefJson(actions[i].perm, false)
          << ", \"next\": " << PrefJson(actions[i].next, true) << "}";
    }
    out << "\n ]}\n";
    return kExitOk;
  }
  out << Con(UserNameOf(*pUser)) << " (user ID " << pUser->userId << ")\n";
  Table t;
  t.Add({"Conduit", "Creator", "Default", "Next HotSync"});
  for (const UserConduitAction& a : actions) {
    t.Add({ConduitTitleOf(*a.pRec), CreatorShown(*a.pRec), PrefReadText(a.perm),
           NextSyncText(a.next)});
  }
  t.Print(out);
  return kExitOk;
}

int CmdApply(const Args& args, std::ostream& out, std::ostream& err) {
  if (!args.positional.empty()) return Usage(err, "apply takes no argument \"" + args.positional[0] + "\"");
  const bool bProfile = args.options.count("--profile") != 0;
  const bool bProfileFile = args.options.count("--profile-file") != 0;
  if (bProfile && bProfileFile) return Usage(err, "--profile and --profile-file cannot be given together");
  const bool bDryRun = args.options.count("--dry-run") != 0;
  const bool bPermanent = args.options.count("--next-only") == 0;
  std::string usersArg = "all";
  if (auto it = args.options.find("--users"); it != args.options.end()) usersArg = it->second;
  if (usersArg.empty()) return Usage(err, "--users needs all or a list of users");

  // The profile is read whole before anything is started, so a bad one changes nothing.
  std::optional<std::vector<ProfileRec>> profile;
  if (bProfile) {
    std::vector<ProfileRec> recs;
    if (!ReadSavedProfile(args.options.at("--profile"), recs, nullptr, err)) return kExitUsage;
    profile = recs;
  } else if (bProfileFile) {
    const std::string path = AbsolutePath(args.options.at("--profile-file"));
    const ProfileReadResult read = ReadProfileFile(path.c_str());
    if (!read.bOk) {
      TellProfileFileError(args.options.at("--profile-file"), read, err);
      return kExitUsage;
    }
    profile = read.recs;
  }

  Session s;
  if (!s.Open(true, err) || !HaveUsers(s, err)) return kExitNoPalm;
  MainWindowLogic& logic = s.Logic();

  // The users, as ticks of the user list.
  const std::vector<const UserRecord*> users = s.Users();
  std::vector<bool> ticked(users.size(), usersArg == "all");
  if (usersArg != "all") {
    for (const std::string& key : SplitList(usersArg)) {
      const UserRecord* pUser = nullptr;
      if (!ResolveUser(users, key, &pUser, err)) return kExitUsage;
      for (std::size_t i = 0; i < users.size(); ++i) {
        if (users[i] == pUser) ticked[i] = true;
      }
    }
  }
  for (std::size_t i = 0; i < users.size(); ++i) logic.SetUserTicked(static_cast<int>(i), ticked[i]);
  logic.SetDefaultAction(bPermanent);

  if (profile) {
    OVProfile prof;
    std::vector<std::string> missing;
    const std::vector<const CONDUIT_REC*> conduits = s.Conduits();
    for (const ProfileRec& rec : *profile) {
      prof.AddRec(&rec);
      bool bListed = false;
      for (const CONDUIT_REC* pRec : conduits) bListed = bListed || pRec->dwCreatorID == rec.dwCreatorID;
      if (!bListed) missing.push_back(CreatorIdText(rec.dwCreatorID));
    }
    logic.ExchangeProfile(false, &prof);
    if (!missing.empty()) {
      std::string list;
      for (const std::string& m : missing) list += (list.empty() ? "" : ", ") + m;
      err << kProgram << ": note: not installed here, left out: " << Con(list) << "\n";
    }
  }

  const char* szKind = bPermanent ? "default" : "next HotSync only";
  if (bDryRun) {
    std::vector<const UserRecord*> chosen;
    for (std::size_t i = 0; i < users.size(); ++i) {
      if (ticked[i]) chosen.push_back(users[i]);
    }
    const std::vector<const CONDUIT_REC*> conduits = s.Conduits();
    if (args.bJson) {
      out << "{\"dryRun\": true, \"permanent\": " << (bPermanent ? "true" : "false") << ",\n \"users\": [";
      for (std::size_t i = 0; i < chosen.size(); ++i) {
        out << (i ? ", " : "") << "{\"id\": " << chosen[i]->userId << ", \"name\": " << Json(UserNameOf(*chosen[i])) << "}";
      }
      out << "],\n \"conduits\": [";
      for (std::size_t i = 0; i < conduits.size(); ++i) {
        const CONDUIT_REC& r = *conduits[i];
        out << (i ? ",\n  " : "\n  ") << "{\"title\": " << Json(ConduitTitleOf(r)) << ", \"creatorId\": "
            << Json(Hex32(r.dwCreatorID)) << ", \"code\": " << SyncPrefCode(r.dwAction)
            << ", \"name\": " << Json(SyncPrefName(SyncPrefCode(r.dwAction))) << "}";
      }
      out << "\n ]}\n";
      return kExitOk;
    }
    out << "Dry run, nothing written. Would write the " << szKind << " actions of " << Count(conduits.size(), "conduit")
        << " for " << Count(chosen.size(), "user") << ":\n";
    Table t;
    t.Add({"Conduit", "Creator", "Code", "Action"});
    for (const CONDUIT_REC* r : conduits) {
      const std::int32_t code = SyncPrefCode(r->dwAction);
      t.Add({ConduitTitleOf(*r), CreatorShown(*r), std::to_string(code), SyncPrefName(code)});
    }
    t.Print(out);
    out << "Users:\n";
    for (const UserRecord* u : chosen) out << "  " << Con(UserShown(*u)) << "\n";
    return kExitOk;
  }

  switch (CheckHotSync()) {
    case HotSyncState::NotRunning: break;
    case HotSyncState::Syncing:
      err << kProgram << ": a HotSync is in progress; nothing was written. Try again when it has finished.\n";
      return kExitHotSync;
    case HotSyncState::Unknown:
      err << kProgram << ": HotSync Manager did not say whether a HotSync is in progress; nothing was written\n";
      return kExitHotSync;
  }

  const RunResult result = logic.ApplyToTickedUsers();
  // As the window does: the cache file then holds the actions just applied.
  if (result.Reached() > 0) g_pCondMgr->SaveToFile(logic.GetCondFile());
  const int nOk = static_cast<int>(result.written.size());
  if (args.bJson) {
    out << "{\"permanent\": " << (bPermanent ? "true" : "false") << ", \"written\": " << nOk << ", \"failed\": [";
    for (std::size_t i = 0; i < result.failed.size(); ++i) out << (i ? ", " : "") << Json(result.failed[i].name);
    out << "]}\n";
  } else {
    out << "Wrote the " << szKind << " actions of " << Count(s.Conduits().size(), "conduit") << " for "
        << Count(static_cast<std::size_t>(nOk), "user") << ".\n";
  }
  if (result.stop != RunResult::Stop::None) {
    // HotSync started while the users were written (or stopped telling its state).
    err << kProgram << ": a HotSync is in progress; " << Con(StoppedRunText(result)) << "\n";
    return kExitHotSync;
  }
  if (!result.failed.empty()) {
    err << kProgram << ": " << Con(ApplyFailureText(RunResult::Names(result.failed))) << "\n";
    return kExitUsersFailed;
  }
  return kExitOk;
}

int CmdProfiles(const Args& args, std::ostream& out, std::ostream& err) {
  if (!args.positional.empty()) return Usage(err, "profiles takes no argument");
  OVProfMgr mgr;
  if (!LoadCatalogue(mgr, err)) return kExitUsage;
  const std::vector<OVProfile*> all = Profiles(mgr);
  if (args.bJson) {
    out << "[";
    for (std::size_t i = 0; i < all.size(); ++i) {
      out << (i ? ",\n " : "\n ") << "{\"number\": " << i + 1 << ", \"description\": " << Json(all[i]->GetDescription())
          << ", \"file\": " << Json(all[i]->GetFileName()) << "}";
    }
    out << (all.empty() ? "]\n" : "\n]\n");
    return kExitOk;
  }
  if (all.empty()) {
    err << kProgram << ": no profile has been saved yet\n";
    return kExitOk;
  }
  Table t;
  t.Add({"No.", "Description", "File"});
  for (std::size_t i = 0; i < all.size(); ++i) t.Add({std::to_string(i + 1), all[i]->GetDescription(), all[i]->GetFileName()});
  t.Print(out);
  return kExitOk;
}

// Writes text to path, or to out for "-"; false, told, when it could not be written whole (a
// partial file is removed).
bool WriteTextFile(const std::string& path, const std::string& shown, const std::string& text, std::ostream& out,
                   std::ostream& err) {
  if (path == "-") {
    out << text;
    return true;
  }
  std::FILE* fp = std::fopen(path.c_str(), "wb");
  bool bOk = fp && std::fwrite(text.data(), 1, text.size(), fp) == text.size();
  if (fp) bOk = (std::fclose(fp) == 0) && bOk;
  if (!bOk) {
    if (fp) os::RemoveFile(path.c_str());
    err << kProgram << ": " << Con(shown) << " could not be written\n";
  }
  return bOk;
}

int CmdExportProfile(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.positional.size() != 2) return Usage(err, "export-profile needs a profile and a file");
  const std::string path = AbsolutePath(args.positional[1]);
  std::vector<ProfileRec> recs;
  std::string description;
  if (!ReadSavedProfile(args.positional[0], recs, &description, err)) return kExitUsage;

  // The conduits' titles become comments: from this installation when there is one, else from
  // the cache file as it is.
  std::map<std::uint32_t, std::string> titles;
  {
    Session s;
    if (!s.Open(false, err)) {
      char szCache[PALM_MAX_PATH];
      if (GetModuleDirectory(nullptr, szCache, sizeof szCache) &&
          std::strlen(szCache) + std::strlen("ovcond.dat") < sizeof szCache) {
        std::strcat(szCache, "ovcond.dat");
        CCondMgr::GetInstance()->LoadFromFile(szCache);
      }
    }
    for (CONDUIT_REC* p = CCondMgr::GetInstance()->GetFirst(); p; p = CCondMgr::GetInstance()->GetNext()) {
      titles.emplace(p->dwCreatorID, ConduitTitleOf(*p));
    }
  }
  const std::string text = FormatProfileText(recs, description, [&titles](std::uint32_t id) {
    const auto it = titles.find(id);
    return it != titles.end() ? it->second : std::string("(not installed on the desktop it came from)");
  });
  if (!WriteTextFile(path, args.positional[1], text, out, err)) return kExitUsage;
  if (path != "-") {
    err << kProgram << ": profile \"" << Con(description) << "\" (" << recs.size() << " conduits) written to "
        << Con(args.positional[1]) << "\n";
  }
  return kExitOk;
}

int CmdImportProfile(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.positional.size() != 1) return Usage(err, "import-profile needs one file");
  const std::string& shown = args.positional[0];
  const ProfileReadResult read = ReadProfileFile(AbsolutePath(shown).c_str());
  if (!read.bOk) {
    TellProfileFileError(shown, read, err);
    return kExitUsage;
  }

  std::string description;
  if (auto it = args.options.find("--name"); it != args.options.end()) {
    description = it->second;
  } else {
    // The file's name without its directory and extension.
    description = shown.substr(shown.find_last_of("/\\") == std::string::npos ? 0 : shown.find_last_of("/\\") + 1);
    if (const std::size_t dot = description.rfind('.'); dot != std::string::npos && dot > 0) description.erase(dot);
  }
  bool bControl = false;
  for (char c : description) bControl = bControl || static_cast<unsigned char>(c) < 0x20;
  if (description.find_first_not_of(' ') == std::string::npos || bControl ||
      description.size() > PROFDETAIL_DESC_MAX) {
    err << kProgram << ": " << profdetail::kInvalidDescription << " A description is 1 to " << PROFDETAIL_DESC_MAX
        << " bytes on one line; give one with --name\n";
    return kExitUsage;
  }

  OVProfMgr mgr;
  ProfileLogic profiles(nullptr);
  profiles.SetProfMgr(&mgr);
  if (profiles.IsCatalogueUnreadable()) {
    err << kProgram << ": the profile list " << Con(mgr.GetFileName())
        << " could not be read; no profile is added until that file is removed or replaced\n";
    return kExitUsage;
  }
  char szPath[OVPROF_PATH_SIZE];
  if (!profiles.NewProfilePath(szPath, sizeof szPath)) {
    err << kProgram << ": no file name could be found for a new profile beside " << kProgram << "\n";
    return kExitUsage;
  }
  OVProfile* pProfile = mgr.NewProfile();
  if (!pProfile) return kExitUsage;
  pProfile->SetDescription(description.c_str());
  pProfile->SetFileName(szPath);
  for (const ProfileRec& rec : read.recs) pProfile->AddRec(&rec);
  if (!pProfile->Save()) {
    err << kProgram << ": the profile could not be saved to " << Con(szPath) << "\n";
    return kExitUsage;
  }
  if (!mgr.Save()) {
    // The file name was free before: removing it leaves the disk as it was.
    os::RemoveFile(szPath);
    err << kProgram << ": the profile list " << Con(mgr.GetFileName()) << " could not be written; nothing was added\n";
    return kExitUsage;
  }
  if (args.bJson) {
    out << "{\"number\": " << mgr.GetCount() << ", \"description\": " << Json(description) << ", \"file\": " << Json(szPath)
        << ", \"conduits\": " << read.recs.size() << "}\n";
  } else {
    out << "Profile " << mgr.GetCount() << " \"" << Con(description) << "\" (" << Count(read.recs.size(), "conduit") << ") saved as "
        << Con(szPath) << "\n";
  }
  return kExitOk;
}

struct Command {
  const char* szName;
  int (*fn)(const Args&, std::ostream&, std::ostream&);
  std::vector<OptionSpec> options;
};

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"users", CmdUsers, {}},
      {"conduits", CmdConduits, {}},
      {"show", CmdShow, {}},
      {"apply",
       CmdApply,
       {{"--profile", true}, {"--profile-file", true}, {"--users", true}, {"--next-only", false}, {"--dry-run", false}}},
      {"profiles", CmdProfiles, {}},
      {"export-profile", CmdExportProfile, {}},
      {"import-profile", CmdImportProfile, {{"--name", true}}},
  };
  return commands;
}

}  // namespace

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err) {
  std::vector<std::string> rest;
  bool bJson = false, bHelp = false, bVersion = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i] ? argv[i] : "";
    if (a == "--json") {
      bJson = true;
    } else if (a == "--help" || a == "-h" || a == "/?") {
      bHelp = true;
    } else if (a == "--version") {
      bVersion = true;
    } else {
      rest.push_back(a);
    }
  }
  if (bHelp) {
    out << kUsage;
    return kExitOk;
  }
  if (bVersion) {
    out << kProgram << " " << ORVANE_VERSION << "\n";
    return kExitOk;
  }
  if (rest.empty()) return Usage(err, "no command given");
  const Command* pCommand = nullptr;
  for (const Command& c : Commands()) {
    if (rest[0] == c.szName) pCommand = &c;
  }
  if (!pCommand) return Usage(err, "unknown command \"" + rest[0] + "\"");
  Args args;
  args.bJson = bJson;
  if (auto error = ParseOptions({rest.begin() + 1, rest.end()}, pCommand->options, args)) return Usage(err, *error);
  return pCommand->fn(args, out, err);
}
