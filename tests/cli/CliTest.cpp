// orvanectl against temporary Palm Desktop installations: every command in-process (RunCli), with
// what it writes read back from the stand-in's journal and the data files beside the test
// executable, and the real executable run as a child process.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstring>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "src/core/os/os.h"
#include "src/core/OVProfile.h"
#include "src/cli/Cli.h"
#include "tests/support/PalmFixture.h"

namespace fs = std::filesystem;

namespace {

fs::path ExeDir() {
  char buf[4096];
  if (!os::GetExecutablePath(buf, sizeof buf)) return {};
  return fs::path(buf).parent_path();
}

fs::path DataFile(const std::string& name) { return ExeDir() / name; }

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The names of the tool's data files beside the executable, sorted.
std::vector<std::string> DataFiles() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(ExeDir(), ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("ov", 0) == 0 && name.size() > 4 && name.compare(name.size() - 4, 4, ".dat") == 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

constexpr std::uint32_t kFirstUser = 1001;
constexpr std::uint32_t kDate = 0x64617465, kMemo = 0x6D656D6F, kAddr = 0x61646472;
constexpr std::uint32_t kInst = 0x496E7374;  // the install conduit "Inst"
constexpr std::uint32_t kBackup = 0xFFFFFFFF;
// The conduits in list order and the codes their default actions give.
const std::vector<std::uint32_t> kCreators = {kDate, kMemo, kAddr, kInst, kBackup};
const std::vector<std::int32_t> kDefaultCodes = {0, 0, 0, 1, 2};

struct Result {
  int code;
  std::string out, err;
};

class CliTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(os::GetCurrentDirectory(m_szCwd, sizeof m_szCwd));
    fixture::ClearRegistryCorePath();
    fixture::RemoveKestrowIni();
    RemoveDataFiles();
  }

  void TearDown() override {
    os::SetCurrentDirectory(m_szCwd);
    fixture::RemoveKestrowIni();
    RemoveDataFiles();
    m_insts.clear();
  }

  static void RemoveDataFiles() {
    std::error_code ec;
    for (const std::string& name : DataFiles()) fs::remove(DataFile(name), ec);
    fs::remove(DataFile("ovhist.jsonl"), ec);
    fs::remove_all(ExeDir() / "work", ec);
  }

  // Users named by names (IDs from 1001); Date Book, Memo Pad and Address Book with their
  // modules, an install conduit and the backup conduit.
  fixture::Installation& Standard(const std::vector<std::string>& names = {"Alice", "Bob", "Carol"}) {
    m_insts.push_back(std::make_unique<fixture::Installation>());
    fixture::Installation& inst = *m_insts.back();
    for (std::size_t i = 0; i < names.size(); ++i) {
      fixture::User u;
      u.id = kFirstUser + static_cast<std::uint32_t>(i);
      u.name = names[i];
      u.directory = "dir" + std::to_string(u.id);
      inst.AddUser(u);
    }
    const struct { const char* creator; const char* module; const char* title; } registered[] = {
        {"date", "datebook.dll", "Date Book"}, {"memo", "memopad.dll", "Memo Pad"}, {"addr", "address.dll", "Address Book"}};
    for (const auto& r : registered) {
      fixture::Conduit c;
      c.creator = r.creator;
      c.module = r.module;
      c.title = r.title;
      inst.AddConduit(c);
      inst.AddModule("sample_named", r.module, r.title);
    }
    inst.AddInstallConduit({"Inst", "instcond.dll", "Install Tool"});
    inst.SetBackupConduit("backup.dll");
    inst.AddModule("sample_named", "backup.dll", "Backup");
    return inst;
  }

  // Commits inst and points kestrow.ini at it.
  static fixture::Installation& Use(fixture::Installation& inst) {
    inst.Commit();
    fixture::PointKestrowIniAt(inst.str());
    return inst;
  }

  Result Run(std::vector<std::string> args) const {
    args.insert(args.begin(), "orvanectl");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::ostringstream out, err;
    const int code = RunCli(static_cast<int>(args.size()), argv.data(), out, err);
    EXPECT_TRUE(CurrentDirectory() == m_szCwd) << "the current directory is put back";
    return {code, out.str(), err.str()};
  }

  static std::string CurrentDirectory() {
    char buf[4096];
    return os::GetCurrentDirectory(buf, sizeof buf) ? buf : "";
  }

  // The journal lines that writing codes (in kCreators order) for users gives.
  static std::vector<fixture::JournalEntry> Expected(bool permanent, const std::vector<std::uint32_t>& users,
                                                     const std::vector<std::int32_t>& codes) {
    std::vector<fixture::JournalEntry> v;
    for (std::uint32_t user : users) {
      for (std::size_t i = 0; i < kCreators.size(); ++i) v.push_back({permanent, user, kCreators[i], codes[i]});
    }
    return v;
  }

  // A file in a work directory beside the executable.
  static std::string WorkFile(const std::string& name, const std::string& bytes) {
    fs::create_directories(ExeDir() / "work");
    const fs::path path = ExeDir() / "work" / name;
    WriteBytes(path, bytes);
    return path.string();
  }

  char m_szCwd[4096] = {};
  std::vector<std::unique_ptr<fixture::Installation>> m_insts;
};

// -------------------------------------------------------------------------------------------------
// The command line

TEST_F(CliTest, BadUsageSaysWhatIsWrongAndTouchesNothing) {
  fixture::Installation& inst = Use(Standard());
  const struct {
    std::vector<std::string> args;
    const char* said;
  } cases[] = {
      {{}, "no command given"},
      {{"frob"}, "unknown command \"frob\""},
      {{"users", "--all"}, "unknown option --all"},
      {{"show"}, "show needs a user"},
      {{"apply", "--profile", "a", "--profile-file", "b"}, "cannot be given together"},
      {{"apply", "--users"}, "--users needs a value"},
      {{"apply", "--users="}, "--users needs all or a list"},
      {{"apply", "--dry-run=yes"}, "--dry-run takes no value"},
      {{"apply", "--next-only", "--next-only"}, "--next-only is given twice"},
      {{"apply", "everyone"}, "apply takes no argument"},
      {{"export-profile", "Office"}, "export-profile needs a profile and a file"},
      {{"import-profile"}, "import-profile needs one file"},
  };
  for (const auto& c : cases) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.code, cli::kExitUsage) << c.said;
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("orvanectl --help"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << c.said;
  }
  EXPECT_TRUE(inst.ReadJournal().empty());
  EXPECT_TRUE(DataFiles().empty());

  const Result help = Run({"--help"});
  EXPECT_EQ(help.code, cli::kExitOk);
  EXPECT_NE(help.out.find("Usage: orvanectl"), std::string::npos);
  EXPECT_NE(help.out.find("Exit codes"), std::string::npos);
  // The help names --version and where the installation is looked for on each system.
  for (const char* said : {"--version", "kestrow.ini", "HKEY_CURRENT_USER", "~/.config/orvane/HKCU.reg"}) {
    EXPECT_NE(help.out.find(said), std::string::npos) << said;
  }
  const Result version = Run({"--version"});
  EXPECT_EQ(version.code, cli::kExitOk);
  EXPECT_EQ(version.out.rfind("orvanectl ", 0), 0u) << version.out;
  // Every command's help shows it at work.
  for (const char* cmd : {"users", "conduits", "show", "apply", "profiles", "export-profile", "import-profile"}) {
    const Result h = Run({"help", cmd});
    EXPECT_EQ(h.code, cli::kExitOk) << cmd;
    EXPECT_NE(h.out.find("Examples:\n  orvanectl " + std::string(cmd)), std::string::npos) << cmd << ":\n" << h.out;
  }
}

TEST_F(CliTest, WithoutAnInstallationOrUsersTheCommandsEndWithThree) {
  for (const char* cmd : {"users", "conduits", "apply"}) {
    const Result r = Run({cmd});
    EXPECT_EQ(r.code, cli::kExitNoPalm) << cmd;
    EXPECT_NE(r.err.find("no Palm Desktop installation was found"), std::string::npos) << r.err;
  }
  EXPECT_TRUE(DataFiles().empty());

  // An installation without users, and one whose user count is Palm's failure.
  fixture::Installation& empty = Use(Standard({}));
  for (const char* cmd : {"users", "apply"}) {
    const Result r = Run({cmd});
    EXPECT_EQ(r.code, cli::kExitNoPalm) << cmd;
    EXPECT_NE(r.err.find("no Palm users were found"), std::string::npos) << r.err;
  }
  EXPECT_TRUE(empty.ReadJournal().empty());
  fixture::Installation& broken = Standard();
  broken.SetFault("user_count", "-3");
  Use(broken);
  const Result r = Run({"show", "Alice"});
  EXPECT_EQ(r.code, cli::kExitNoPalm);
  EXPECT_NE(r.err.find("Can not find any Palm users"), std::string::npos) << r.err;
}

// -------------------------------------------------------------------------------------------------
// Listings

TEST_F(CliTest, UsersAndConduitsAreListedAsTextAndAsJson) {
  Use(Standard({"Alice", "Bob \"B\" Smith"}));
  const Result users = Run({"users"});
  ASSERT_EQ(users.code, cli::kExitOk) << users.err;
  EXPECT_EQ(users.out, "User ID  Name\n1001     Alice\n1002     Bob \"B\" Smith\n");
  const Result usersJson = Run({"--json", "users"});
  EXPECT_EQ(usersJson.out, "[\n {\"id\": 1001, \"name\": \"Alice\"},\n {\"id\": 1002, \"name\": \"Bob \\\"B\\\" Smith\"}\n]\n");

  const Result conduits = Run({"conduits"});
  ASSERT_EQ(conduits.code, cli::kExitOk) << conduits.err;
  EXPECT_EQ(conduits.out,
            "Creator     Kind        Action                       Title\n"
            "date        registered  Synchronize the files        Date Book\n"
            "memo        registered  Synchronize the files        Memo Pad\n"
            "addr        registered  Synchronize the files        Address Book\n"
            "Inst        install     Desktop overwrites handheld  Install Tool\n"
            "0xFFFFFFFF  backup      Handheld overwrites Desktop  Backup\n");
  const Result conduitsJson = Run({"conduits", "--json"});
  EXPECT_NE(conduitsJson.out.find("{\"title\": \"Install Tool\", \"creator\": \"Inst\", \"creatorId\": \"0x496E7374\", "
                                  "\"kind\": \"install\", \"action\": \"Desktop overwrites handheld\", "
                                  "\"actionValue\": \"0x00000002\", \"enabled\": true, \"syncPreference\": 1}"),
            std::string::npos)
      << conduitsJson.out;
}

// The user data library's codes, each as the default and as a one-time action: 0 to 4 by name
// (1 is desktop-overwrites-handheld, whatever a conduit's own sync types call 1), anything else
// "Unknown (n)", a preference never written "not set", and the next HotSync falling back to the
// default only where no one-time action is set.
TEST_F(CliTest, ShowDecodesTheUserDataLibrarysCodesAndNeverGuesses) {
  fixture::Installation& inst = Use(Standard());
  std::ofstream journal(inst.dir() / "palmdesk.journal", std::ios::binary);
  journal << "perm 1002 0x64617465 0\n"   // date: default synchronize, no one-time action
          << "perm 1002 0x6D656D6F 1\n"   // memo: default desktop overwrites, once handheld overwrites
          << "temp 1002 0x6D656D6F 2\n"
          << "perm 1002 0x61646472 4\n"   // addr: custom, once do nothing
          << "temp 1002 0x61646472 3\n"
          << "temp 1002 0x496E7374 7\n"   // Inst: no default, once an unknown code
          << "perm 1001 0xFFFFFFFF 3\n";  // backup: set for another user only
  journal.close();

  const Result r = Run({"show", "bob"});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_EQ(r.out,
            "Bob (user ID 1002)\n"
            "Conduit       Creator     Default                      Next HotSync\n"
            "Date Book     date        Synchronize the files        Synchronize the files\n"
            "Memo Pad      memo        Desktop overwrites handheld  Handheld overwrites Desktop (this time only)\n"
            "Address Book  addr        Custom                       Do Nothing (this time only)\n"
            "Install Tool  Inst        not set                      Unknown (7) (this time only)\n"
            "Backup        0xFFFFFFFF  not set                      not set\n");

  // Conduits chosen by creator, title and creator ID; JSON carries the codes.
  const Result json = Run({"--json", "show", "1002", "memo", "backup", "0x496E7374"});
  ASSERT_EQ(json.code, cli::kExitOk) << json.err;
  EXPECT_NE(json.out.find("{\"title\": \"Memo Pad\", \"creator\": \"memo\", \"creatorId\": \"0x6D656D6F\", "
                          "\"default\": {\"state\": \"set\", \"code\": 1, \"name\": \"Desktop overwrites handheld\"}, "
                          "\"next\": {\"state\": \"set\", \"code\": 2, \"name\": \"Handheld overwrites Desktop\", "
                          "\"oneTime\": true}}"),
            std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"default\": {\"state\": \"not set\"}, \"next\": {\"state\": \"not set\"}"), std::string::npos);
  EXPECT_NE(json.out.find("\"code\": 7, \"name\": \"Unknown (7)\""), std::string::npos);
}

TEST_F(CliTest, AnUnknownOrAmbiguousUserOrConduitIsRefused) {
  fixture::Installation& inst = Use(Standard({"Alice", "Bob", "bob"}));
  const struct {
    std::vector<std::string> args;
    const char* said;
  } cases[] = {
      {{"show", "Zed"}, "there is no user \"Zed\""},
      {{"show", "999"}, "there is no user \"999\""},
      {{"show", "BOB"}, "several users are named \"BOB\""},
      {{"show", "Alice", "Calendar"}, "there is no conduit \"Calendar\""},
      {{"apply", "--users", "Alice,Zed"}, "there is no user \"Zed\""},
      {{"apply", "--users", "Alice,", "--dry-run"}, "there is no user \"\""},
  };
  for (const auto& c : cases) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.code, cli::kExitUsage) << c.said;
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
  }
  EXPECT_TRUE(inst.ReadJournal().empty());
  // Exact letter case wins over a match that ignores it.
  EXPECT_EQ(Run({"show", "bob", "memo"}).out.rfind("bob (user ID 1003)", 0), 0u);
}

// -------------------------------------------------------------------------------------------------
// apply

TEST_F(CliTest, ApplyWritesEveryConduitForTheChosenUsersInListOrder) {
  fixture::Installation& inst = Use(Standard());
  Result r = Run({"apply"});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_EQ(r.out, "Wrote the default actions of 5 conduits for 3 users.\n");
  EXPECT_EQ(inst.ReadJournal(), Expected(true, {1001, 1002, 1003}, kDefaultCodes));

  fs::resize_file(inst.dir() / "palmdesk.journal", 0);
  r = Run({"apply", "--users", "Carol,1001", "--next-only"});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_EQ(inst.ReadJournal(), Expected(false, {1001, 1003}, kDefaultCodes)) << "users in list order, not as typed";
}

// The actions come from the current settings (the cache and ovcurr.dat), or from a profile laid
// over them; ovcond.dat then holds what was applied, ovcurr.dat is left alone.
TEST_F(CliTest, ApplyTakesTheCurrentSettingsOrAProfileOverThem) {
  fixture::Installation& inst = Use(Standard());
  ASSERT_EQ(Run({"conduits"}).code, cli::kExitOk);  // writes the cache, as the window's start does
  ASSERT_TRUE(fs::exists(DataFile("ovcond.dat")));
  {
    OVProfile curr;
    curr.SetFileName(DataFile("ovcurr.dat").string().c_str());
    const ProfileRec recs[] = {{kDate, 0x10002}, {kAddr, 4}};
    for (const ProfileRec& rec : recs) curr.AddRec(&rec);
    ASSERT_TRUE(curr.Save());
  }
  const std::string currBytes = ReadBytes(DataFile("ovcurr.dat"));

  Result r = Run({"apply", "--users", "Alice"});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_EQ(inst.ReadJournal(), Expected(true, {1001}, {3, 0, 2, 1, 2}));

  fs::resize_file(inst.dir() / "palmdesk.journal", 0);
  const std::string file = WorkFile("memo-off.txt", "Orvane conduit profile 1\nmemo nothing\nzzzz sync\n");
  r = Run({"apply", "--users", "Alice", "--profile-file", file});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_EQ(inst.ReadJournal(), Expected(true, {1001}, {3, 3, 2, 1, 2}));
  EXPECT_NE(r.err.find("not installed here, left out: zzzz"), std::string::npos) << r.err;

  EXPECT_EQ(ReadBytes(DataFile("ovcurr.dat")), currBytes);
  // The cache now starts the next run with what was applied (ovcurr.dat still lies over it).
  fs::remove(DataFile("ovcurr.dat"));
  EXPECT_NE(Run({"conduits"}).out.find("memo        registered  Do Nothing"), std::string::npos);
}

TEST_F(CliTest, DryRunShowsWhatWouldBeWrittenAndWritesNothing) {
  fixture::Installation& inst = Use(Standard());
  ASSERT_EQ(Run({"apply", "--users", "Bob"}).code, cli::kExitOk);
  const std::vector<fixture::JournalEntry> before = inst.ReadJournal();
  const std::string cache = ReadBytes(DataFile("ovcond.dat"));

  const std::string file = WorkFile("p.txt", "Orvane conduit profile 1\nmemo desktop-overwrites\n");
  const Result r = Run({"apply", "--dry-run", "--next-only", "--users", "Alice,Carol", "--profile-file", file});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_EQ(r.out,
            "Dry run, nothing written. Would write the next HotSync only actions of 5 conduits for 2 users:\n"
            "Conduit       Creator     Code  Action\n"
            "Date Book     date        0     Synchronize the files\n"
            "Memo Pad      memo        1     Desktop overwrites handheld\n"
            "Address Book  addr        0     Synchronize the files\n"
            "Install Tool  Inst        1     Desktop overwrites handheld\n"
            "Backup        0xFFFFFFFF  2     Handheld overwrites Desktop\n"
            "Users:\n  Alice (1001)\n  Carol (1003)\n");
  EXPECT_EQ(inst.ReadJournal(), before);
  EXPECT_EQ(ReadBytes(DataFile("ovcond.dat")), cache);
  EXPECT_FALSE(fs::exists(DataFile("ovcurr.dat")));
}

TEST_F(CliTest, UsersThatCannotBeWrittenAreNamedAndEndWithOne) {
  fixture::Installation& inst = Standard();
  inst.SetFault("sync_write_fail", "-525");
  Use(inst);
  const Result r = Run({"apply", "--users", "Alice,Carol"});
  EXPECT_EQ(r.code, cli::kExitUsersFailed);
  EXPECT_NE(r.err.find("The settings of 2 users could not be updated: Alice, Carol."), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "Wrote the default actions of 5 conduits for 0 users.\n");
  EXPECT_TRUE(fs::exists(DataFile("ovcond.dat"))) << "written as the window writes it";
}

// Nothing is written while a handheld synchronizes; a dry run may still look.
TEST_F(CliTest, ApplyRefusesWhileAHotSyncIsInProgress) {
  fixture::Installation& inst = Standard();
  inst.SetHotSync("syncing");
  Use(inst);
  Result r = Run({"apply"});
  EXPECT_EQ(r.code, cli::kExitHotSync);
  EXPECT_NE(r.err.find("a HotSync is in progress; nothing was written"), std::string::npos) << r.err;
  EXPECT_EQ(Run({"apply", "--dry-run"}).code, cli::kExitOk);
  EXPECT_TRUE(inst.ReadJournal().empty());

  inst.SetHotSync("idle");
  inst.Commit();
  r = Run({"apply", "--users", "Alice"});
  EXPECT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_EQ(inst.ReadJournal(), Expected(true, {1001}, kDefaultCodes));
}

// -------------------------------------------------------------------------------------------------
// Profiles

// Damaged, unreadable and foreign files: a clear message with the line, exit 2, and nothing
// written (no profile, no catalogue, no journal line).
TEST_F(CliTest, ABadProfileFileIsRefusedWithItsLineAndNothingIsWritten) {
  fixture::Installation& inst = Use(Standard());
  const std::string header = "Orvane conduit profile 1\n";
  const struct {
    std::string bytes;
    const char* said;
  } cases[] = {
      {"", "the file is empty"},
      {"\n\n", "the file is empty"},
      {"memo sync\n", "line 1: not an Orvane profile"},
      {"Orvane conduit profile 2\n", "line 1: version \"2\" of the profile format is not known"},
      {header + "memo synchronise\n", "line 2: \"synchronise\" is not an action"},
      {header + "# note\n\nmemo\n", "line 4: the conduit \"memo\" has no action"},
      {header + "memo sync now\n", "line 2: unexpected \"now\""},
      {header + "memorandum sync\n", "line 2: \"memorandum\" is not a creator ID"},
      {header + "0x123456789 sync\n", "line 2: \"0x123456789\" is not a creator ID"},
      {header + "memo 0x100000000\n", "line 2: \"0x100000000\" is not an action"},
      {header + "memo off:0x2\n", "line 2: \"off:0x2\" is not an action"},
      {header + "memo sync\r\ndate sync\r\nmemo nothing\r\n", "line 4: the conduit memo is listed twice (lines 2 and 4)"},
      {header + std::string("memo sync\nda\0e sync\n", 20), "line 3: a zero byte"},
      {header + std::string(2000, ' ') + "memo sync\n", "line 2: the line is longer than 1024 bytes"},
      {header + std::string(1024 * 1024, '#'), "the file is larger than 1024 KiB"},
      // A saved profile cut short is told as such, not as a text with a zero byte.
      {std::string("\x05\x00\x00\x00\x01\x02", 6), "a damaged saved profile: it announces 5 conduits but holds 0 whole"},
      {std::string("\x01\x00", 2), "a damaged saved profile: it ends before its count of conduits"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string file = WorkFile("bad" + std::to_string(++n) + ".txt", c.bytes);
    const Result imported = Run({"import-profile", file, "--name", "Bad"});
    EXPECT_EQ(imported.code, cli::kExitUsage) << c.said;
    EXPECT_NE(imported.err.find(c.said), std::string::npos) << imported.err;
    EXPECT_EQ(imported.out, "");
    const Result applied = Run({"apply", "--profile-file", file});
    EXPECT_EQ(applied.code, cli::kExitUsage) << c.said;
    EXPECT_NE(applied.err.find(c.said), std::string::npos) << applied.err;
  }
  const Result missing = Run({"import-profile", (ExeDir() / "work" / "absent.txt").string()});
  EXPECT_EQ(missing.code, cli::kExitUsage);
  EXPECT_NE(missing.err.find("absent.txt: the file could not be opened"), std::string::npos) << missing.err;

  EXPECT_TRUE(DataFiles().empty());
  EXPECT_TRUE(inst.ReadJournal().empty());
}

TEST_F(CliTest, ImportRefusesADamagedProfileListAndBadDescriptions) {
  Use(Standard());
  const std::string file = WorkFile("office.txt", "Orvane conduit profile 1\nmemo nothing\n");
  // The dialog's rule: blanks alone are a description (saved catalogues may hold one); empty,
  // over 254 bytes and more than one line are not.
  for (const std::string& name : {std::string(), std::string(255, 'x'), std::string("two\nlines")}) {
    const Result r = Run({"import-profile", file, "--name", name});
    EXPECT_EQ(r.code, cli::kExitUsage);
    EXPECT_NE(r.err.find("Invalid Orvane Profile Description."), std::string::npos) << r.err;
  }
  EXPECT_TRUE(DataFiles().empty());

  const std::string damaged("\x03\x00\x00\x00\x04\x00\x00\x00Work", 12);
  WriteBytes(DataFile("ovprof.dat"), damaged);
  const Result r = Run({"import-profile", file});
  EXPECT_EQ(r.code, cli::kExitUsage);
  EXPECT_NE(r.err.find("could not be read; no profile is added"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(DataFile("ovprof.dat")), damaged);
  EXPECT_EQ(DataFiles(), std::vector<std::string>{"ovprof.dat"});
  EXPECT_EQ(Run({"profiles"}).code, cli::kExitUsage);
  EXPECT_EQ(Run({"apply", "--profile", "Work"}).code, cli::kExitUsage);
}

// One profile prepared on one desktop, exported, imported on another and applied there, writes
// the same journal lines as applying it where it was made.
TEST_F(CliTest, AnExportedProfileImportedElsewhereWritesTheSameLines) {
  fixture::Installation& first = Use(Standard());
  const std::string made = WorkFile("made.txt",
                                    "Orvane conduit profile 1\n"
                                    "date off:desktop-overwrites\n"
                                    "addr handheld-overwrites\n"
                                    "Inst nothing\n"
                                    "0xFFFFFFFF desktop-overwrites\n");
  Result r = Run({"import-profile", made, "--name", "Office"});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_EQ(r.out, "Profile 1 \"Office\" (4 conduits) saved as " + DataFile("ovprof1.dat").string() + "\n");
  r = Run({"profiles"});
  EXPECT_EQ(r.out, "No.  Description  File\n1    Office       " + DataFile("ovprof1.dat").string() + "\n");

  r = Run({"apply", "--profile", "office"});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  const std::vector<fixture::JournalEntry> there = first.ReadJournal();
  EXPECT_EQ(there, Expected(true, {1001, 1002, 1003}, {3, 0, 2, 3, 1}));

  const std::string exported = (ExeDir() / "work" / "office.txt").string();
  r = Run({"export-profile", "1", exported});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_EQ(ReadBytes(exported),
            "Orvane conduit profile 1\n"
            "# Office\n"
            "# creator  action                  conduit\n"
            "date       off:desktop-overwrites  # Date Book\n"
            "addr       handheld-overwrites     # Address Book\n"
            "Inst       nothing                 # Install Tool\n"
            "0xFFFFFFFF desktop-overwrites      # Backup\n");

  // The other desktop: its own installation and no data files of its own yet.
  const std::string text = ReadBytes(exported);
  RemoveDataFiles();
  fixture::Installation& second = Use(Standard());
  WorkFile("office.txt", text);
  r = Run({"import-profile", exported});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  r = Run({"apply", "--profile", "office"});  // named after the file
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_EQ(second.ReadJournal(), there);
}

TEST_F(CliTest, ExportRefusesAMissingProfileAndAFileItCannotWrite) {
  Use(Standard());
  EXPECT_EQ(Run({"export-profile", "Office", "-"}).code, cli::kExitUsage);
  const std::string file = WorkFile("o.txt", "Orvane conduit profile 1\nmemo sync\n");
  ASSERT_EQ(Run({"import-profile", file, "--name", "Office"}).code, cli::kExitOk);
  const Result r = Run({"export-profile", "Office", (ExeDir() / "work" / "no" / "such" / "dir.txt").string()});
  EXPECT_EQ(r.code, cli::kExitUsage);
  EXPECT_NE(r.err.find("could not be written"), std::string::npos) << r.err;

  fs::remove(DataFile("ovprof1.dat"));
  const Result gone = Run({"export-profile", "Office", "-"});
  EXPECT_EQ(gone.code, cli::kExitUsage);
  EXPECT_NE(gone.err.find("does not exist"), std::string::npos) << gone.err;
}

// -------------------------------------------------------------------------------------------------
// Naming, escaping and the command line's edges

// A text that is one user's name and another user's ID, or one profile's description and another
// profile's number, names neither.
TEST_F(CliTest, TextThatCouldNameTwoThingsIsRefused) {
  fixture::Installation& inst = Use(Standard({"Alice", "1003", "Carol"}));
  const std::string file = WorkFile("o.txt", "Orvane conduit profile 1\nmemo sync\n");
  ASSERT_EQ(Run({"import-profile", file, "--name", "Office"}).code, cli::kExitOk);
  ASSERT_EQ(Run({"import-profile", file, "--name", "1"}).code, cli::kExitOk);
  const struct {
    std::vector<std::string> args;
    int code;
    const char* said;  // on err, or the start of out
  } cases[] = {
      {{"show", "1003", "memo"}, cli::kExitUsage, "several users are named \"1003\""},
      {{"apply", "--users", "1003", "--dry-run"}, cli::kExitUsage, "several users are named \"1003\""},
      {{"show", "1002", "memo"}, cli::kExitOk, "1003 (user ID 1002)"},
      {{"show", "carol", "memo"}, cli::kExitOk, "Carol (user ID 1003)"},
      {{"export-profile", "1", "-"}, cli::kExitUsage, "names several saved profiles"},
      {{"export-profile", "2", "-"}, cli::kExitOk, "Orvane conduit profile 1\n# 1\n"},
      {{"export-profile", "office", "-"}, cli::kExitOk, "Orvane conduit profile 1\n# Office\n"},
  };
  for (const auto& c : cases) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.code, c.code) << c.said << r.err;
    if (c.code == cli::kExitOk) {
      EXPECT_EQ(r.out.rfind(c.said, 0), 0u) << r.out;
    } else {
      EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
  }
  EXPECT_TRUE(inst.ReadJournal().empty());
}

// Names and titles reach the console escaped; JSON keeps them whole.
TEST_F(CliTest, ControlCharactersInNamesAreShownAsEscapes) {
  const std::string longName(80, 'L');
  Use(Standard({"Eve\x1b[31m", "Smith, Ann", longName}));
  const Result users = Run({"users"});
  ASSERT_EQ(users.code, cli::kExitOk) << users.err;
  EXPECT_EQ(users.out.find('\x1b'), std::string::npos);
  EXPECT_NE(users.out.find("1001     Eve\\x1b[31m\n"), std::string::npos) << users.out;
  EXPECT_NE(users.out.find("1003     " + longName + "\n"), std::string::npos) << "a long name is never empty";
  const Result json = Run({"--json", "users"});
  EXPECT_NE(json.out.find("\"name\": \"Eve\\u001b[31m\""), std::string::npos) << json.out;

  const struct {
    std::vector<std::string> users;
    const char* listed;
  } cases[] = {
      {{"\"Smith, Ann\""}, "  Smith, Ann (1002)\n"},
      {{"\"Smith, Ann\",1001"}, "  Eve\\x1b[31m (1001)\n  Smith, Ann (1002)\n"},
      {{"1002", "1001"}, "  Eve\\x1b[31m (1001)\n  Smith, Ann (1002)\n"},  // --users given twice
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"apply", "--dry-run"};
    for (const std::string& u : c.users) {
      args.push_back("--users");
      args.push_back(u);
    }
    const Result r = Run(args);
    ASSERT_EQ(r.code, cli::kExitOk) << r.err;
    EXPECT_NE(r.out.find(std::string("Users:\n") + c.listed), std::string::npos) << r.out;
  }
  const Result bad = Run({"show", "Zed\nX"});
  EXPECT_NE(bad.err.find("there is no user \"Zed\\nX\""), std::string::npos) << bad.err;
}

// Global options are options only where an option can stand.
TEST_F(CliTest, OptionsEndAtTheDoubleDashAndAreNeverTakenFromValues) {
  Use(Standard());
  const std::string file = WorkFile("-h", "Orvane conduit profile 1\nmemo sync\n");
  // "-h" is named relative to the work directory, which the run then starts in.
  const std::string start = m_szCwd;
  fs::current_path(ExeDir() / "work");
  std::snprintf(m_szCwd, sizeof m_szCwd, "%s", CurrentDirectory().c_str());
  const struct {
    std::vector<std::string> args;
    int code;
    const char* said;
  } cases[] = {
      {{"import-profile", "--", "-h"}, cli::kExitOk, "Profile 1 \"-h\" (1 conduit) saved as"},
      {{"import-profile", "--name", "--json", "--", "-h"}, cli::kExitOk, "Profile 2 \"--json\" (1 conduit) saved as"},
      {{"help", "apply"}, cli::kExitOk, "Usage: orvanectl [--json] apply"},
      {{"apply", "--help"}, cli::kExitOk, "Usage: orvanectl [--json] apply"},
      {{"help"}, cli::kExitOk, "Usage: orvanectl [--json] COMMAND"},
  };
  for (const auto& c : cases) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_EQ(r.out.rfind(c.said, 0), 0u) << r.out << r.err;
  }
  fs::current_path(start);
  std::snprintf(m_szCwd, sizeof m_szCwd, "%s", start.c_str());
}

// import-profile never replaces a profile unless asked to; export writes only through a
// temporary file, refuses what is no regular file and says why a write failed.
TEST_F(CliTest, ProfilesAreReplacedOnlyWhenAskedAndExportsNeverLoseAFile) {
  Use(Standard());
  const std::string a = WorkFile("a.txt", "Orvane conduit profile 1\nmemo sync\n");
  const std::string b = WorkFile("b.txt", "Orvane conduit profile 1\nmemo nothing\ndate nothing\n");
  ASSERT_EQ(Run({"import-profile", a, "--name", "Office"}).code, cli::kExitOk);
  Result r = Run({"import-profile", b, "--name", "office"});
  EXPECT_EQ(r.code, cli::kExitUsage);
  EXPECT_NE(r.err.find("give --replace"), std::string::npos) << r.err;
  r = Run({"import-profile", b, "--name", "office", "--replace"});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_NE(r.out.find("(2 conduits) replaced in"), std::string::npos) << r.out;
  EXPECT_EQ(Run({"profiles"}).out.find("2 "), std::string::npos) << "still one profile";

  const std::string kept = WorkFile("kept.txt", "what was there");
  fs::create_directories(ExeDir() / "work" / "dir");
  const struct {
    std::string target;
    const char* said;
  } cases[] = {
      {(ExeDir() / "work" / "dir").string(), "could not be written: "},
      {(ExeDir() / "work" / "none" / "x.txt").string(), "could not be written: "},
  };
  for (const auto& c : cases) {
    r = Run({"export-profile", "Office", c.target});
    EXPECT_EQ(r.code, cli::kExitUsage) << c.target;
    const std::size_t at = r.err.find(c.said);
    ASSERT_NE(at, std::string::npos) << r.err;
    EXPECT_GT(r.err.size(), at + std::strlen(c.said) + 2) << "a reason follows: " << r.err;
  }
  EXPECT_TRUE(fs::is_directory(ExeDir() / "work" / "dir"));
  r = Run({"export-profile", "Office", kept});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_NE(r.err.find("(2 conduits) written to"), std::string::npos) << r.err;
  ASSERT_EQ(Run({"import-profile", kept, "--name", "Back"}).code, cli::kExitOk) << "what export writes reads back";
#ifndef _WIN32
  const fs::path fifo = ExeDir() / "work" / "fifo";
  ASSERT_EQ(std::system(("mkfifo \"" + fifo.string() + "\"").c_str()), 0);
  for (const std::vector<std::string>& args : {std::vector<std::string>{"export-profile", "Office", fifo.string()},
                                               std::vector<std::string>{"apply", "--profile-file", fifo.string()},
                                               std::vector<std::string>{"import-profile", fifo.string()}}) {
    r = Run(args);  // at once: a FIFO is never opened
    EXPECT_EQ(r.code, cli::kExitUsage) << args[0];
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
#endif
}

TEST_F(CliTest, ADamagedProfileListIsAnErrorNeverAnEmptyList) {
  Use(Standard());
  WriteBytes(DataFile("ovprof.dat"), std::string("\x02\x00\x00\x00\x04\x00\x00\x00Wo", 10));
  for (const std::vector<std::string>& args : {std::vector<std::string>{"profiles"},
                                               std::vector<std::string>{"--json", "profiles"},
                                               std::vector<std::string>{"export-profile", "1", "-"}}) {
    const Result r = Run(args);
    EXPECT_EQ(r.code, cli::kExitUsage) << args.back();
    EXPECT_NE(r.err.find("could not be read"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("no profile has been saved"), std::string::npos) << r.err;
  }
}

// After a default Apply the one-time actions that override it are named, and ended on request;
// HotSync Manager that does not say what it does stops Apply unless told to go on.
TEST_F(CliTest, ApplyNamesOverridingOneTimeActionsAndStopsOnAnUnknownHotSync) {
  fixture::Installation& inst = Use(Standard());
  std::ofstream(inst.dir() / "palmdesk.journal", std::ios::binary) << "temp 1002 0x6D656D6F 3\n";
  Result r = Run({"apply"});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_NE(r.err.find("1 user has one-time actions for 1 conduit"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Bob (1002): Memo Pad"), std::string::npos) << r.err;
  r = Run({"--json", "apply"});
  EXPECT_NE(r.out.find("\"oneTimeOverrides\": [\n  {\"id\": 1002, \"name\": \"Bob\",\n   \"conduits\": [\n    {\"title\": \"Memo Pad\""),
            std::string::npos)
      << r.out;
  r = Run({"apply", "--end-one-time"});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_NE(r.out.find("Ended 1 one-time action"), std::string::npos) << r.out;
  EXPECT_EQ(Run({"apply"}).err, "") << "none left";
  EXPECT_EQ(Run({"apply", "--next-only", "--end-one-time"}).code, cli::kExitUsage);

  inst.SetHotSync("idle");
  inst.SetFault("sync_status_fail", "-1");
  inst.Commit();
  fs::resize_file(inst.dir() / "palmdesk.journal", 0);
  r = Run({"apply"});
  EXPECT_EQ(r.code, cli::kExitHotSync);
  EXPECT_NE(r.err.find("did not say"), std::string::npos) << r.err;
  EXPECT_TRUE(inst.ReadJournal().empty());
  r = Run({"apply", "--go-on-unknown", "--users", "Alice"});
  EXPECT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_EQ(inst.ReadJournal(), Expected(true, {1001}, kDefaultCodes));
}

// -------------------------------------------------------------------------------------------------
// Loading Palm Desktop, the conduit list, stopping

// A first run before kestrow.ini names anything writes no conduit list; once it does, the
// conduits are Palm Desktop's. A list cached earlier is shown until --refresh reads it afresh,
// which writes it again.
TEST_F(CliTest, TheConduitListIsCachedOnlyFromPalmDesktopAndRefreshReadsItAfresh) {
  Result r = Run({"conduits"});
  EXPECT_EQ(r.code, cli::kExitNoPalm);
  EXPECT_TRUE(DataFiles().empty());

  fixture::Installation& inst = Use(Standard());
  r = Run({"conduits"});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_NE(r.out.find("Memo Pad"), std::string::npos) << r.out;

  // A conduit installed since: the cached list does not know it, --refresh does.
  fixture::Conduit c;
  c.creator = "lnkT";
  c.module = "links.dll";
  c.title = "Links";
  inst.AddConduit(c);
  inst.AddModule("sample_named", "links.dll", "Links");
  inst.Commit();
  EXPECT_EQ(Run({"conduits"}).out.find("Links"), std::string::npos);
  r = Run({"conduits", "--refresh"});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_NE(r.out.find("Links"), std::string::npos) << r.out;
  EXPECT_NE(Run({"conduits"}).out.find("Links"), std::string::npos) << "the fresh list was written";
  EXPECT_NE(Run({"help", "conduits"}).out.find("--refresh"), std::string::npos);
}

// Palm's libraries of the other word size: the console names the 32-bit build, ends with 3 and
// writes no conduit list.
TEST_F(CliTest, LibrariesOfTheOtherWordSizeAreNamed) {
  fixture::Installation& inst = Standard();
  inst.MakeLibraryForeign("condmgr.dll");
  Use(inst);
  for (const char* cmd : {"users", "conduits", "apply"}) {
    const Result r = Run({cmd});
    EXPECT_EQ(r.code, cli::kExitNoPalm) << cmd;
    EXPECT_NE(r.err.find((inst.dir() / "condmgr.dll").string() + " is not a library for this"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("run the 32-bit orvanectl.exe"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("no Palm users"), std::string::npos) << r.err;
  }
  EXPECT_TRUE(DataFiles().empty());
  EXPECT_TRUE(inst.ReadJournal().empty());
}

#ifndef _WIN32
// Ctrl+C (SIGINT) during apply: the user being written is finished, the rest are not reached,
// who was written is said and the exit code is 5.
TEST_F(CliTest, CtrlCStopsApplyAfterTheCurrentUser) {
  fixture::Installation& inst = *m_insts.emplace_back(std::make_unique<fixture::Installation>());
  inst.AddBenchmarkUsersAndConduits(2000, 40);
  Use(inst);
  ASSERT_EQ(Run({"conduits"}).code, cli::kExitOk);
  const fs::path journal = inst.dir() / "palmdesk.journal";
  std::thread interrupt([&] {
    // Once writing has begun, as a user at the console would.
    for (int i = 0; i < 3000; ++i) {
      std::error_code ec;
      if (fs::exists(journal, ec) && fs::file_size(journal, ec) > 0) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::kill(::getpid(), SIGINT);
  });
  const Result r = Run({"apply"});
  interrupt.join();
  std::signal(SIGINT, SIG_DFL);
  EXPECT_EQ(r.code, cli::kExitStopped) << r.err;
  EXPECT_NE(r.err.find("Apply was cancelled. The settings were written for"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("They were not written for"), std::string::npos) << r.err;
  const std::vector<fixture::JournalEntry> written = inst.ReadJournal();
  ASSERT_FALSE(written.empty());
  EXPECT_EQ(written.size() % 40, 0u) << "whole users only";
  EXPECT_LT(written.size(), 2000u * 40u);
  EXPECT_NE(Run({"help", "apply"}).out.find("the exit code is 5"), std::string::npos);
}
#endif

// -------------------------------------------------------------------------------------------------
// History and undo

// Every apply is recorded with what it overwrote; history lists and shows the changes, undo
// puts back the newest one (a one-time "not set" by ending the one-time action), and an undo
// right after an undo writes the change again.
TEST_F(CliTest, HistoryRecordsAppliesAndUndoPutsThemBack) {
  fixture::Installation& inst = Use(Standard());
  std::ofstream(inst.dir() / "palmdesk.journal", std::ios::binary)
      << "perm 1001 0x6D656D6F 3\ntemp 1002 0x6D656D6F 2\n";
  ASSERT_EQ(Run({"apply", "--users", "Alice"}).code, cli::kExitOk);
  ASSERT_EQ(Run({"apply", "--next-only", "--users", "Bob"}).code, cli::kExitOk);

  Result r = Run({"history"});
  ASSERT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_NE(r.out.find("Apply   conduit list  default       1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Apply   conduit list  next HotSync  1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("console"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("orvanectl undo takes back #2."), std::string::npos) << r.out;
  r = Run({"--json", "history", "--last", "1"});
  EXPECT_NE(r.out.find("\"id\": 2,"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("\"id\": 1,"), std::string::npos) << r.out;
  r = Run({"history", "show", "1"});
  EXPECT_NE(r.out.find("Alice  1001  Memo Pad      Do Nothing  Synchronize the files"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Alice  1001  Date Book     not set     Synchronize the files"), std::string::npos) << r.out;

  // The dry run writes nothing; the undo takes Bob's one-time actions back.
  const std::size_t nJournal = inst.ReadJournal().size();
  r = Run({"undo", "--dry-run"});
  EXPECT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_NE(r.out.find("Undo would take back #2 (Apply of conduit list, next HotSync actions) for 1 user: Bob."),
            std::string::npos)
      << r.out;
  EXPECT_EQ(inst.ReadJournal().size(), nJournal);
  r = Run({"undo"});
  EXPECT_EQ(r.code, cli::kExitOk) << r.err;
  std::vector<fixture::JournalEntry> journal = inst.ReadJournal();
  std::vector<fixture::JournalEntry> undone(journal.begin() + static_cast<std::ptrdiff_t>(nJournal), journal.end());
  std::vector<fixture::JournalEntry> expected;
  for (std::size_t i = 0; i < kCreators.size(); ++i) {
    if (kCreators[i] == kMemo) expected.push_back({false, 1002, kMemo, 2});
    else expected.push_back({false, 1002, kCreators[i], 0, true});
  }
  EXPECT_EQ(undone, expected);

  // Undo of the undo; then the undo of Alice's default apply leaves her unset defaults.
  r = Run({"undo"});
  EXPECT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_NE(r.out.find("Took back #3 (Undo of #2"), std::string::npos) << r.out;
  EXPECT_EQ(inst.ReadJournal().back(), (fixture::JournalEntry{false, 1002, kBackup, 2}));
  r = Run({"history"});
  EXPECT_NE(r.out.find("undone"), std::string::npos) << r.out;
}

// undo obeys HotSync with apply's exit codes, names what it cannot put back, and the history
// command refuses what it does not know.
TEST_F(CliTest, UndoExitsAsApplyDoes) {
  fixture::Installation& inst = Use(Standard());
  std::ofstream(inst.dir() / "palmdesk.journal", std::ios::binary) << "perm 1001 0x6D656D6F 3\n";
  Result r = Run({"undo"});
  EXPECT_EQ(r.code, cli::kExitOk);
  EXPECT_EQ(r.out, "Nothing to undo.\n");
  ASSERT_EQ(Run({"apply", "--users", "Alice"}).code, cli::kExitOk);

  inst.SetHotSync("syncing");
  inst.Commit();
  const std::size_t nJournal = inst.ReadJournal().size();
  r = Run({"undo"});
  EXPECT_EQ(r.code, cli::kExitHotSync);
  EXPECT_NE(r.err.find("A HotSync is in progress."), std::string::npos) << r.err;
  EXPECT_EQ(inst.ReadJournal().size(), nJournal);

  inst.SetHotSync("idle");
  inst.SetFault("sync_write_fail", "-525");
  inst.Commit();
  r = Run({"undo"});
  EXPECT_EQ(r.code, cli::kExitUsersFailed);
  EXPECT_NE(r.err.find("The settings of 1 user could not be updated: Alice."), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Alice, Date Book (the default was not set; Palm's library cannot set it back to not set)"),
            std::string::npos)
      << r.err;

  EXPECT_EQ(Run({"history", "show", "99"}).code, cli::kExitUsage);
  EXPECT_EQ(Run({"history", "list"}).code, cli::kExitUsage);
  EXPECT_EQ(Run({"history", "show"}).code, cli::kExitUsage);
}

// -------------------------------------------------------------------------------------------------
// The real executable

#ifdef _WIN32
constexpr const char* kExeName = "orvanectl.exe";
#else
constexpr const char* kExeName = "orvanectl";
#endif

// Runs the program beside the test executable with its output in files (Wine keeps pipes open).
Result RunProgram(const std::string& args) {
  const fs::path exe = ExeDir() / kExeName, out = ExeDir() / "work" / "out.txt", err = ExeDir() / "work" / "err.txt";
  fs::create_directories(ExeDir() / "work");
  const std::string command = "\"" + exe.string() + "\" " + args + " >\"" + out.string() + "\" 2>\"" + err.string() + "\"";
#ifdef _WIN32
  // cmd.exe takes the whole line in one more pair of quotes.
  const int status = std::system(("\"" + command + "\"").c_str());
  const int code = status;
#else
  const int status = std::system(command.c_str());
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  // Text mode on Windows ends lines in CR LF.
  auto lines = [](std::string s) {
    s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
    return s;
  };
  return {code, lines(ReadBytes(out)), lines(ReadBytes(err))};
}

TEST_F(CliTest, TheProgramFindsItsInstallationBesideItself) {
  std::error_code ec;
  fs::copy_file(ORVANECTL_PATH, ExeDir() / kExeName, fs::copy_options::overwrite_existing, ec);
  ASSERT_FALSE(ec) << ec.message();
  fixture::Installation& inst = Use(Standard());

  Result r = RunProgram("users");
  EXPECT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_EQ(r.out, "User ID  Name\n1001     Alice\n1002     Bob\n1003     Carol\n");

  r = RunProgram("apply --users Bob --next-only");
  EXPECT_EQ(r.code, cli::kExitOk) << r.err;
  EXPECT_EQ(inst.ReadJournal(), Expected(false, {1002}, kDefaultCodes));
  EXPECT_TRUE(fs::exists(DataFile("ovcond.dat")));

  r = RunProgram("show Nobody");
  EXPECT_EQ(r.code, cli::kExitUsage);
  EXPECT_NE(r.err.find("there is no user \"Nobody\""), std::string::npos) << r.err;
  fs::remove(ExeDir() / kExeName, ec);
}

}  // namespace
