#include "tests/support/PalmFixture.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#include "src/core/os/os.h"
#include "palmdesk/Description.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#endif

#ifndef PALMDESK_BUILD_DIR
#error "PALMDESK_BUILD_DIR must name the build's bin directory"
#endif

namespace fixture {
namespace {

constexpr const char* kLibraryFiles[4] = {"condmgr.dll", "UserData.dll", "HSAPI.DLL", "instaide.dll"};
constexpr const char* kCoreKey = "Software\\U.S. Robotics\\Pilot Desktop\\Core";

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void CopyInto(const fs::path& from, const fs::path& to) {
  if (to.has_parent_path()) fs::create_directories(to.parent_path());
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

fs::path ExecutableDir() {
  char buf[4096];
  if (!os::GetExecutablePath(buf, sizeof buf)) return fs::current_path();
  return fs::path(buf).parent_path();
}

palmdesk::Description ToDescription(const std::vector<User>& users, const std::vector<Conduit>& conduits,
                                    const std::vector<InstallConduit>& installs) {
  palmdesk::Description d;
  for (const User& u : users) {
    palmdesk::User pu;
    pu.id = u.id;
    pu.name = u.name;
    pu.directory = u.directory;
    pu.profile = u.profile;
    for (const Slot& s : u.expansionSlots) pu.expansionSlots.push_back({s.ref, s.mediaType, s.name});
    d.users.push_back(std::move(pu));
  }
  for (const Conduit& c : conduits) {
    palmdesk::Conduit pc;
    pc.creator = c.creator;
    pc.module = c.module;
    pc.title = c.title;
    pc.directory = c.directory;
    pc.file = c.file;
    pc.remote = c.remote;
    pc.info = c.info;
    pc.integrate = c.integrate;
    pc.priority = c.priority;
    d.conduits.push_back(std::move(pc));
  }
  for (const InstallConduit& c : installs) {
    palmdesk::InstallConduit pc;
    pc.creator = c.creator;
    pc.module = c.module;
    pc.name = c.name;
    d.installConduits.push_back(std::move(pc));
  }
  return d;
}

}  // namespace

fs::path PalmdeskBuildDir() { return fs::path(PALMDESK_BUILD_DIR); }

// ---------------------------------------------------------------------------------------------
// Installation

Installation::Installation(unsigned libs) {
  for (unsigned bit = 0; bit < 4; ++bit) {
    if (libs & (1u << bit)) CopyInto(PalmdeskBuildDir() / kLibraryFiles[bit], dir() / kLibraryFiles[bit]);
  }
}

Installation& Installation::AddUser(const User& user) {
  m_users.push_back(user);
  return *this;
}

Installation& Installation::AddConduit(const Conduit& conduit) {
  m_conduits.push_back(conduit);
  return *this;
}

Installation& Installation::AddInstallConduit(const InstallConduit& conduit) {
  m_installs.push_back(conduit);
  return *this;
}

Installation& Installation::SetBackupConduit(const std::string& module) {
  m_backup = module;
  m_hasBackup = true;
  return *this;
}

Installation& Installation::AddWindowConduits(const std::vector<Registered>& registered) {
  for (const Registered& r : registered) {
    Conduit c;
    c.creator = r.creator;
    c.module = r.module;
    c.title = r.title;
    AddConduit(c);
    AddModule("sample_named", r.module, r.title);
  }
  AddInstallConduit({"Inst", "instcond.dll", "Install Tool"});
  SetBackupConduit("backup.dll");
  AddModule("sample_named", "backup.dll", "Backup");
  return *this;
}

Installation& Installation::AddBenchmarkUsersAndConduits(unsigned nUsers, unsigned nConduits) {
  for (unsigned i = 0; i < nUsers; ++i) {
    User u;
    u.id = 100000 + i;
    u.name = "User " + std::to_string(i + 1);
    u.directory = "user" + std::to_string(i + 1);
    AddUser(u);
  }
  for (unsigned i = 0; i + 1 < nConduits; ++i) {
    char creator[8];
    std::snprintf(creator, sizeof creator, "B%03u", i % 1000);
    Conduit c;
    c.creator = creator;
    c.module = "cond" + std::to_string(i) + ".dll";
    c.title = "Conduit " + std::to_string(i + 1);
    AddConduit(c);
    AddModule("sample_named", c.module, c.title);
  }
  SetBackupConduit("");
  return *this;
}

void Installation::Publish() {
  Commit();
  PointKestrowIniAt(str());
}

Installation& Installation::SetRootDirectory(const std::string& dir) {
  m_root = dir;
  m_hasRoot = true;
  return *this;
}

Installation& Installation::SetHotSync(const std::string& state) {
  m_hotsync = state;
  return *this;
}

Installation& Installation::SetFault(const std::string& key, const std::string& value) {
  m_faults[key] = value;
  return *this;
}

void Installation::Commit() {
  palmdesk::Description d = ToDescription(m_users, m_conduits, m_installs);
  d.hasBackup = m_hasBackup;
  d.backup = m_backup;
  d.hasRoot = m_hasRoot;
  d.root = m_root;
  d.faultText = m_faults;
  if (!m_hotsync.empty() && !palmdesk::ParseHotSync(m_hotsync, &d.hotsync)) {
    std::fprintf(stderr, "fixture: unknown hotsync state '%s'\n", m_hotsync.c_str());
    std::abort();
  }
  for (const auto& [file, name] : m_moduleNames) d.moduleNames[file] = name;
  m_description = palmdesk::FormatDescription(d);

  const fs::path path = dir() / palmdesk::kDescriptionFile;
  WriteFile(path, m_description);
  // The libraries parse the description again only when its size or modification time
  // changed: make sure every commit moves the time on. Whole seconds, because the Windows
  // runtime reports modification times in seconds.
  std::error_code ec;
  auto t = fs::last_write_time(path, ec);
  if (!ec) {
    if (m_committed && t <= m_lastWrite) t = m_lastWrite + std::chrono::seconds(1);
    fs::last_write_time(path, t, ec);
    m_lastWrite = t;
  }
  m_committed = true;
}

void Installation::AddModule(const std::string& sample, const std::string& asName, const std::string& conduitName) {
  CopyInto(PalmdeskBuildDir() / (sample + ".dll"), dir() / asName);
  if (!conduitName.empty()) {
    const std::string file = fs::path(asName).filename().string();
    m_moduleNames[file] = conduitName;
    if (m_committed) Commit();
  }
}

void Installation::UseVariant(const std::string& variantFile, const std::string& asName) {
  CopyInto(PalmdeskBuildDir() / variantFile, dir() / asName);
}

void Installation::RemoveLibrary(const std::string& fileName) {
  std::error_code ec;
  fs::remove(dir() / fileName, ec);
}

void Installation::MakeLibraryForeign(const std::string& fileName) {
  const fs::path path = dir() / fileName;
  std::string bytes = ReadFile(path);
#ifdef _WIN32
  // Windows refuses an image it cannot run, of the other word size or none at all, with one
  // error (193); a file that is no image is the one this build can make.
  bytes = "not a library of this word size";
#else
  // The ELF header's class byte: 1 is 32-bit, 2 is 64-bit.
  if (bytes.size() > 4) bytes[4] = bytes[4] == 1 ? 2 : 1;
#endif
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<JournalEntry> Installation::ReadJournal() const {
  std::vector<JournalEntry> entries;
  for (const palmdesk::JournalLine& l : palmdesk::ParseJournal(ReadFile(dir() / palmdesk::kJournalFile))) {
    entries.push_back({l.permanent, l.userId, l.creatorId, l.code, l.erase});
  }
  return entries;
}

// ---------------------------------------------------------------------------------------------
// kestrow.ini

void WriteKestrowIni(const std::string& text) { WriteFile(ExecutableDir() / "kestrow.ini", text); }

void RemoveKestrowIni() {
  std::error_code ec;
  fs::remove(ExecutableDir() / "kestrow.ini", ec);
}

void PointKestrowIniAt(const std::string& dir) { WriteKestrowIni("[Path]\nPDPath=" + dir + "\n"); }

// ---------------------------------------------------------------------------------------------
// The per-user registry

#ifdef _WIN32

namespace {

// Removes the value, and the key too when nothing else is left in it.
void DeleteCorePath() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kCoreKey, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, "DesktopPath");
  DWORD subkeys = 1, values = 1;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(key);
  if (subkeys == 0 && values == 0) RegDeleteKeyA(HKEY_CURRENT_USER, kCoreKey);
}

void WriteCorePath(const std::string& dir) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kCoreKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExA(key, "DesktopPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(dir.c_str()),
                 static_cast<DWORD>(dir.size() + 1));
  RegCloseKey(key);
}

// A real Palm Desktop's value survives the tests: it is read before the first change and put
// back when the process ends.
struct SavedCorePath {
  bool had = false;
  std::string value;
  SavedCorePath() {
    // RegOpenKeyExA and RegQueryValueExA, not Vista's RegGetValueA: the i686 build keeps to XP.
    char buf[4096] = {};
    DWORD size = sizeof buf - 1;
    DWORD type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kCoreKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    if (RegQueryValueExA(key, "DesktopPath", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
      buf[sizeof buf - 1] = '\0';
      had = true;
      value = buf;
    }
    RegCloseKey(key);
  }
  ~SavedCorePath() {
    if (had) {
      WriteCorePath(value);
    } else {
      DeleteCorePath();
    }
  }
};

void SaveCorePathOnce() { static SavedCorePath saved; }

}  // namespace

void SetRegistryCorePath(const std::string& dir) {
  SaveCorePathOnce();
  WriteCorePath(dir);
}

// Removes the value "DesktopPath" (and the key, when that leaves it empty).
void ClearRegistryCorePath() {
  SaveCorePathOnce();
  DeleteCorePath();
}

#else

namespace {

// The per-user registry file of this process: XDG_CONFIG_HOME points at a temporary directory
// of the fixture's own from the first use on, for the rest of the process.
fs::path RegistryFile() {
  static TempDir config;  // removed when the process ends
  static const bool pointed = [] { return ::setenv("XDG_CONFIG_HOME", config.str().c_str(), 1) == 0; }();
  (void)pointed;
  return config.path() / "orvane" / "HKCU.reg";
}

std::string RegEscape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

void SetRegistryCorePath(const std::string& dir) {
  const fs::path file = RegistryFile();
  fs::create_directories(file.parent_path());
  WriteFile(file, std::string("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\") + kCoreKey +
                      "]\n\"DesktopPath\"=\"" + RegEscape(dir) + "\"\n");
}

void ClearRegistryCorePath() {
  std::error_code ec;
  fs::remove(RegistryFile(), ec);
}

#endif

}  // namespace fixture
