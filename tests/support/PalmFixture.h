// Test fixtures: temporary Palm Desktop installations built from the stand-in Palm Desktop, and
// the two places the tool looks for the core directory (kestrow.ini beside the test executable,
// the per-user registry).
//
// A test executable's tests share its directory (kestrow.ini lives there), so CTest runs the
// tests of one executable one at a time; different executables run in parallel.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/TestFiles.h"

namespace fixture {

namespace fs = std::filesystem;

// A fresh empty directory, removed with everything in it on destruction.
using TempDir = testfiles::ScratchDir;

// The directory of the stand-in libraries, sample conduit modules and hotsync.exe as built.
fs::path PalmdeskBuildDir();

// One expansion slot of a user.
struct Slot {
  std::uint32_t ref;
  std::uint32_t mediaType;  // four-character code, first character in the most significant byte
  std::string name;
};

struct User {
  std::uint32_t id;
  std::string name;
  std::string directory;
  bool profile = false;
  std::vector<Slot> expansionSlots;
};

// A conduit registered with the conduit manager.
struct Conduit {
  std::string creator;  // four characters
  std::string module;   // as the conduit manager reports it (relative names resolve in the core directory)
  std::string title;
  std::string directory, file, remote, info;
  std::uint32_t integrate = 0, priority = 2;
};

struct InstallConduit {
  std::string creator;  // four bytes, stored as given
  std::string module;
  std::string name;
};

// One line of the stand-in user data library's sync-preference journal.
struct JournalEntry {
  bool permanent;
  std::uint32_t userId;
  std::uint32_t creatorId;
  std::int32_t code;
  bool erase = false;  // a deletion ("temp-delete ..."); code is 0
  bool operator==(const JournalEntry&) const = default;
};

// A complete Palm Desktop core directory in a temporary directory. The constructor copies the
// stand-in libraries named by libs (bits 1 condmgr.dll, 2 UserData.dll, 4 HSAPI.DLL,
// 8 instaide.dll) into it; the description the libraries read is written by Commit.
class Installation {
 public:
  explicit Installation(unsigned libs = 15);
  const fs::path& dir() const { return m_dir.path(); }
  std::string str() const { return m_dir.str(); }

  Installation& AddUser(const User& user);
  Installation& AddConduit(const Conduit& conduit);
  Installation& AddInstallConduit(const InstallConduit& conduit);
  Installation& SetBackupConduit(const std::string& module);
  Installation& SetRootDirectory(const std::string& dir);
  // The description's "hotsync" line: "absent" (also when never set), "idle" or "syncing".
  Installation& SetHotSync(const std::string& state);
  // A fault switch of the description file (see palmdesk/README.md), for example
  // SetFault("user_count", "-3").
  Installation& SetFault(const std::string& key, const std::string& value);

  // Writes the description file. The libraries check it on every call and read it again when
  // it changed; each Commit moves the file's modification time on so that they notice.
  void Commit();

  // Copies a sample conduit module built with the stand-ins ("sample_named", "sample_longname",
  // "sample_nameless") into the installation under the file name asName (a relative path; its
  // directories are made). A named module answers conduitName when one is given (written into
  // the description, committed again if it was committed before), else its built-in name
  // ("Sample Conduit"; sample_longname's is longer than 64 bytes).
  void AddModule(const std::string& sample, const std::string& asName, const std::string& conduitName = "");
  // The conduits of the window tests: each registered conduit of the list (creator, module,
  // title) with a sample module that answers its title, the install conduit "Install Tool"
  // (creator "Inst") and the backup conduit with a module named "Backup".
  struct Registered {
    const char* creator;
    const char* module;
    const char* title;
  };
  Installation& AddWindowConduits(const std::vector<Registered>& registered);
  // The benchmarks' installation: nUsers users (IDs from 100000, "User 1"...) and nConduits
  // conduits, all but the last registered (creators "B000"..., modules that answer "Conduit 1"...)
  // and the backup conduit last, with no module.
  Installation& AddBenchmarkUsersAndConduits(unsigned nUsers, unsigned nConduits);
  // Commit, and point kestrow.ini beside the test executable at the installation.
  void Publish();

  // Replaces one library by a variant build (for example "UserData_noslots.dll").
  void UseVariant(const std::string& variantFile, const std::string& asName);
  // Removes one library file of the installation.
  void RemoveLibrary(const std::string& fileName);
  // Makes one library file one that the system refuses as being of the other word size (the
  // 64-bit tool meeting Palm's 32-bit libraries).
  void MakeLibraryForeign(const std::string& fileName);

  // Every sync-preference call the stand-in recorded, in order.
  std::vector<JournalEntry> ReadJournal() const;

 private:
  TempDir m_dir;
  std::string m_description;
  std::vector<User> m_users;
  std::vector<Conduit> m_conduits;
  std::vector<InstallConduit> m_installs;
  std::string m_backup, m_root;
  bool m_hasBackup = false, m_hasRoot = false;
  std::string m_hotsync;
  std::map<std::string, std::string> m_faults;
  std::map<std::string, std::string> m_moduleNames;
  bool m_committed = false;
  fs::file_time_type m_lastWrite{};
};

// kestrow.ini beside the running test executable: written with the given text, or removed.
void WriteKestrowIni(const std::string& text);
void RemoveKestrowIni();
// Points kestrow.ini at dir ("[Path]\nPDPath=<dir>").
void PointKestrowIniAt(const std::string& dir);

// The registry value DesktopPath under HKEY_CURRENT_USER\Software\U.S. Robotics\Pilot Desktop\Core:
// set, or removed (with the key, when nothing else is in it). On POSIX the fixture first points
// XDG_CONFIG_HOME at a temporary directory of its own, so a test never touches the real per-user
// registry file; on Windows the value found before the first change is restored at process exit.
void SetRegistryCorePath(const std::string& dir);
void ClearRegistryCorePath();

}  // namespace fixture
