#include "palmdesk/DemoMaker.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

#include "src/core/os/os.h"

namespace palmdesk {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLibraries[] = {"condmgr.dll", "UserData.dll", "HSAPI.DLL", "instaide.dll"};
// Copied when it was built; the demo works without it.
constexpr const char* kHotSync = "hotsync.exe";

std::uint32_t Code(const char* four) { return FourCC(four); }

bool ParseCount(std::string_view text, int max, int* out) {
  int v = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 10);
  if (text.empty() || ec != std::errc() || p != text.data() + text.size() || v < 0 || v > max) return false;
  *out = v;
  return true;
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  char last = dir.back();
  if (last == '/' || last == '\\') return dir + name;
  return dir + os::kPathSep + name;
}

struct RealUser {
  const char* name;
  const char* dir;
  bool profile;
  std::vector<Slot> expansionSlots;
};

const std::vector<RealUser>& RealUsers() {
  static const std::vector<RealUser> users = {
      {"Alice Smith", "SmithA", false, {{1, Code("sdig"), "SD Card"}}},
      {"Bob Jones", "JonesB", false, {{1, Code("mstk"), "Memory Stick"}, {2, Code("cfsh"), "CompactFlash"}}},
      {"Carol Nguyen", "NguyenC", false, {}},
      {"David Okafor", "OkaforD", false, {{3, Code("mmcd"), "MultiMediaCard"}, {8, Code("xSld"), "Expansion Sled"}}},
      {"Sales Team", "SalesTeam", true, {{1, Code("sdig"), "Team Card"}}},
  };
  return users;
}

const char* const kFirstNames[] = {"Anna", "Ben", "Chloe", "Dmitri", "Elena", "Farid", "Grace", "Hiro",
                                   "Ines", "Jonas", "Kemal", "Lena", "Marco", "Nadia", "Oscar", "Priya",
                                   "Quinn", "Rosa", "Sven", "Tara"};
const char* const kLastNames[] = {"Adler", "Brook", "Costa", "Dahl", "Evans", "Fischer", "Garcia", "Hall",
                                  "Ito", "Jensen", "Kowalski", "Lopez", "Moreau", "Novak", "Olsen", "Patel",
                                  "Quist", "Rossi", "Schmidt", "Tanaka"};

struct RealConduit {
  Conduit conduit;
  const char* sample;  // the module is a copy of this sample
  const char* name;    // what the module answers for itself
};

const std::vector<RealConduit>& RealConduits() {
  static const std::vector<RealConduit> conduits = {
      {{"addr", "addrcond.dll", "Address Book", "address", "address.dat", "AddressDB", "Address Book conduit", 0, 2},
       "sample_named", "Address Book"},
      {{"date", "datecond.dll", "Date Book", "datebook", "datebook.dat", "DatebookDB", "Date Book conduit", 0, 2},
       "sample_named", "Date Book"},
      {{"todo", "todocond.dll", "To Do List", "todo", "todo.dat", "ToDoDB", "To Do List conduit", 0, 2},
       "sample_named", "To Do List"},
      {{"memo", "memocond.dll", "Memo Pad", "memopad", "memopad.dat", "MemoDB", "Memo Pad conduit", 0, 2},
       "sample_named", "Memo Pad"},
      {{"exps", "expcond.dll", "Expense", "expense", "expense.dat", "ExpenseDB", "", 0, 3}, "sample_named",
       "Expense"},
      {{"mail", "mailcond.dll", "Mail", "mail", "", "MailDB", "Desktop mail", 1, 3}, "sample_named", "Mail"},
      // Answers no name of its own: the registered title shows.
      {{"npad", "npadcond.dll", "Note Pad", "notepad", "notepad.dat", "NotePadDB", "", 0, 2}, "sample_nameless",
       ""},
      {{"QkSy", "qsync32.dll", "QuickSheet Sync", "QuickSheet", "", "QSDB", "Spreadsheets", 0, 4}, "sample_named",
       "QuickSheet Sync 3.1"},
  };
  return conduits;
}

// The sync preferences of the realistic installation, as Palm Desktop would have left them: every
// user has a default for every conduit (registered, install, backup), and the defaults differ from user to user;
// three users have one-time actions pending for their next HotSync.
constexpr std::int32_t kSync = 0;        // SYNC_PREF_SYNCHRONIZE
constexpr std::int32_t kPcToHh = 1;      // SYNC_PREF_PC_TO_HH: Desktop overwrites handheld
constexpr std::int32_t kHhToPc = 2;      // SYNC_PREF_HH_TO_PC: Handheld overwrites Desktop
constexpr std::int32_t kNothing = 3;     // SYNC_PREF_DO_NOTHING

// The creator ID under which the backup conduit's preferences are kept.
constexpr std::uint32_t kBackupCreatorId = 0xFFFFFFFFu;

struct RealPreference {
  const char* user;
  const char* creator;
  std::int32_t code;
};

// Defaults that are not "Synchronize the files".
constexpr RealPreference kRealDefaults[] = {
    // Never syncs Memo Pad nor Mail.
    {"Alice Smith", "memo", kNothing},
    {"Alice Smith", "mail", kNothing},
    // Keeps the address book on the handheld, files no expenses.
    {"Bob Jones", "addr", kHhToPc},
    {"Bob Jones", "exps", kNothing},
    {"Bob Jones", "mail", kNothing},
    // The calendar comes from the desktop.
    {"Carol Nguyen", "date", kPcToHh},
    {"Carol Nguyen", "npad", kNothing},
    // No spreadsheets.
    {"David Okafor", "QkSy", kNothing},
    // The profile fills new handhelds from the desktop and takes nothing back.
    {"Sales Team", "addr", kPcToHh},
    {"Sales Team", "date", kPcToHh},
    {"Sales Team", "todo", kPcToHh},
    {"Sales Team", "memo", kPcToHh},
    {"Sales Team", "exps", kNothing},
    {"Sales Team", "mail", kNothing},
    {"Sales Team", "npad", kNothing},
    {"Sales Team", "QkSy", kNothing},
};

// One-time actions, in force at the next HotSync only.
constexpr RealPreference kRealOneTime[] = {
    {"Alice Smith", "addr", kPcToHh},   // the address book restored from the desktop
    {"Bob Jones", "date", kHhToPc},     // the handheld's calendar wins once
    {"David Okafor", "todo", kNothing}, // To Do List left alone once
};

// The journal lines of the realistic installation's preferences.
std::string RealJournal(const Description& d) {
  auto userId = [&](const char* name) {
    for (const User& u : d.users) {
      if (u.name == name) return u.id;
    }
    return std::uint32_t{0};
  };
  std::string text;
  for (const User& u : d.users) {
    for (const RealConduit& c : RealConduits()) {
      JournalLine line;
      line.userId = u.id;
      line.creatorId = Code(c.conduit.creator.c_str());
      line.code = kSync;
      for (const RealPreference& p : kRealDefaults) {
        if (u.name == p.user && c.conduit.creator == p.creator) line.code = p.code;
      }
      text += FormatJournalLine(line);
    }
    // Files to install go to the handheld; the backup takes the handheld's databases.
    for (const InstallConduit& c : d.installConduits) {
      JournalLine line;
      line.userId = u.id;
      line.creatorId = FourCC(c.creator);
      line.code = kPcToHh;
      text += FormatJournalLine(line);
    }
    if (d.hasBackup) {
      JournalLine line;
      line.userId = u.id;
      line.creatorId = kBackupCreatorId;
      line.code = kHhToPc;
      text += FormatJournalLine(line);
    }
  }
  for (const RealPreference& p : kRealOneTime) {
    JournalLine line;
    line.permanent = false;
    line.userId = userId(p.user);
    line.creatorId = Code(p.creator);
    line.code = p.code;
    text += FormatJournalLine(line);
  }
  return text;
}

// A creator text no realistic conduit uses: "c" and three of 62 characters.
std::string MadeCreator(int i) {
  static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  std::string s = "c";
  s += digits[(i / (62 * 62)) % 62];
  s += digits[(i / 62) % 62];
  s += digits[i % 62];
  return s;
}

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

}  // namespace

bool ParseDemoArgs(int argc, const char* const* argv, DemoOptions* out, std::string* error, bool* help) {
  DemoOptions o;
  *help = false;
  bool haveDir = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i] ? argv[i] : "";
    if (arg == "-h" || arg == "--help") {
      *help = true;
      return true;
    }
    int* target = nullptr;
    int max = 0;
    std::string_view name;
    if (arg.rfind("--users", 0) == 0) {
      target = &o.users;
      max = kDemoMaxUsers;
      name = "--users";
    } else if (arg.rfind("--conduits", 0) == 0) {
      target = &o.conduits;
      max = kDemoMaxConduits;
      name = "--conduits";
    }
    if (target) {
      std::string_view value;
      if (arg.size() == name.size()) {
        if (i + 1 >= argc || argv[i + 1] == nullptr) return Fail(error, std::string(name) + " needs a number");
        value = argv[++i];
      } else if (arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
      } else {
        return Fail(error, "unknown option " + std::string(arg));
      }
      if (!ParseCount(value, max, target)) {
        return Fail(error, std::string(name) + " takes a whole number from 0 to " + std::to_string(max) + ", not \"" +
                               std::string(value) + "\"");
      }
      continue;
    }
    if (!arg.empty() && arg.front() == '-') return Fail(error, "unknown option " + std::string(arg));
    if (arg.empty()) return Fail(error, "the directory name is empty");
    if (haveDir) return Fail(error, "only one directory may be given");
    o.dir = std::string(arg);
    haveDir = true;
  }
  if (!haveDir) return Fail(error, "no directory given");
  *out = o;
  return true;
}

Description MakeDemoDescription(const DemoOptions& options, const std::string& coreDir, std::vector<DemoModule>* modules) {
  Description d;
  d.hasRoot = true;
  d.root = coreDir;

  const int userCount = options.users < 0 ? static_cast<int>(RealUsers().size()) : options.users;
  for (int i = 0; i < userCount; ++i) {
    User u;
    u.id = 271828u + static_cast<std::uint32_t>(i) * 104729u;
    if (i < static_cast<int>(RealUsers().size())) {
      const RealUser& r = RealUsers()[static_cast<std::size_t>(i)];
      u.name = r.name;
      u.directory = Join(coreDir, r.dir);
      u.profile = r.profile;
      u.expansionSlots = r.expansionSlots;
    } else {
      const int k = i - static_cast<int>(RealUsers().size());
      const char* first = kFirstNames[k % 20];
      const char* last = kLastNames[(k / 20) % 20];
      u.name = std::string(first) + " " + last;
      std::string dir = std::string(last) + first[0];
      if (k >= 400) {
        u.name += " " + std::to_string(k / 400 + 1);
        dir += std::to_string(k / 400 + 1);
      }
      u.directory = Join(coreDir, dir);
      if (k % 3 == 0) u.expansionSlots.push_back({1, Code("sdig"), "SD Card"});
    }
    d.users.push_back(std::move(u));
  }

  const int conduitCount = options.conduits < 0 ? static_cast<int>(RealConduits().size()) : options.conduits;
  for (int i = 0; i < conduitCount; ++i) {
    if (i < static_cast<int>(RealConduits().size())) {
      const RealConduit& r = RealConduits()[static_cast<std::size_t>(i)];
      d.conduits.push_back(r.conduit);
      modules->push_back({r.conduit.module, r.sample});
      if (*r.name) d.moduleNames[r.conduit.module] = r.name;
    } else {
      char number[16];
      std::snprintf(number, sizeof number, "%04d", i + 1);
      Conduit c;
      c.creator = MadeCreator(i);
      c.module = std::string("cond") + number + ".dll";
      c.title = std::string("Conduit ") + number;
      c.remote = std::string("Data") + number + "DB";
      c.priority = 2;
      d.conduits.push_back(c);
      modules->push_back({c.module, "sample_named"});
      d.moduleNames[c.module] = std::string("Demo Conduit ") + number;
    }
  }

  d.installConduits.push_back({"Inst", "instcond.dll", "Install", "Install", "prc;pdb;pqa", 0});
  d.installConduits.push_back({"lnch", "cardinst.dll", "Install to Card", "Launcher", "prc;pdb;jpg;mp3", 1});
  modules->push_back({"instcond.dll", "sample_named"});
  modules->push_back({"cardinst.dll", "sample_nameless"});
  d.moduleNames["instcond.dll"] = "Install Tool";

  d.hasBackup = true;
  d.backup = "Backup20.dll";
  modules->push_back({d.backup, "sample_named"});
  d.moduleNames["backup20.dll"] = "Backup";
  return d;
}

bool MakeDemo(const DemoOptions& options, const std::string& sourceDir, std::string* error) {
  std::error_code ec;
  const fs::path dir(options.dir);
  fs::create_directories(dir, ec);
  if (!fs::is_directory(dir, ec)) return Fail(error, "cannot make the directory " + options.dir);
  const fs::path source(sourceDir);

  std::string core = fs::absolute(dir, ec).lexically_normal().string();
  if (ec) core = options.dir;
  while (core.size() > 1 && (core.back() == '/' || core.back() == '\\')) core.pop_back();

  std::vector<DemoModule> modules;
  const Description d = MakeDemoDescription(options, core, &modules);

  auto copy = [&](const fs::path& from, const std::string& to) {
    std::error_code e;
    fs::copy_file(from, dir / to, fs::copy_options::overwrite_existing, e);
    if (e) return Fail(error, "cannot copy " + from.string() + " to " + (dir / to).string() + ": " + e.message());
    return true;
  };
  for (const char* lib : kLibraries) {
    if (!copy(source / lib, lib)) return false;
  }
  // Every module is a copy of its own, never a link: a system loader takes two names of one
  // file for one module, and each must answer its own name.
  for (const DemoModule& m : modules) {
    if (!copy(source / (m.sample + ".dll"), m.file)) return false;
  }
  if (fs::exists(source / kHotSync, ec) && !copy(source / kHotSync, kHotSync)) return false;

  auto write = [&](const char* name, const std::string& text) {
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) return Fail(error, "cannot write " + (dir / name).string());
    return true;
  };
  fs::remove(dir / kJournalFile, ec);
  // The realistic installation comes with its users' sync preferences; a sized one has none,
  // so that a benchmark starts from users who never synced.
  if (options.users < 0 && options.conduits < 0 && !write(kJournalFile, RealJournal(d))) return false;
  return write(kDescriptionFile, FormatDescription(d));
}

}  // namespace palmdesk
