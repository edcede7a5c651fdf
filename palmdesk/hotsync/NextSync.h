// What the stand-in HotSync manager knows about the next HotSync of an installation: its users,
// the conduits HotSync runs (registered, install and backup conduits), and for each user and
// conduit the permanent and the temporary sync preference (the temporary one, when set, decides
// the next HotSync).
//
// It reads the installation's own files in the core directory with palmdesk's reader: the
// description "palmdesk.ini" and the sync-preference journal "palmdesk.journal" that the
// stand-in user data library writes. Both may hold any bytes: the description reader skips
// what it cannot understand, and the journal reader skips damaged lines and counts them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace palmdesk {

enum class SyncConduitKind { Registered, Install, Backup };

struct SyncConduit {
  SyncConduitKind kind = SyncConduitKind::Registered;
  std::string title;
  std::string creator;          // as shown: four characters, or 0x and eight hexadecimal digits
  std::uint32_t creatorId = 0;  // the ID its preferences are stored under
};

struct SyncUser {
  std::uint32_t id = 0;
  std::string name;
};

enum class PreferenceSource { None, Permanent, Temporary };

// The preference in force for one user and conduit.
struct SyncChoice {
  PreferenceSource source = PreferenceSource::None;
  std::int32_t code = 0;  // meaningful unless source is None
};

// The preferences of one user: for each creator ID, the last permanent and the last temporary
// code written.
class UserPreferences {
 public:
  struct Entry {
    bool hasPerm = false, hasTemp = false;
    std::int32_t perm = 0, temp = 0;
  };
  // Both preferences of one conduit; neither set when none was written.
  Entry Get(std::uint32_t creatorId) const;
  // The temporary preference when there is one, else the permanent one.
  SyncChoice Find(std::uint32_t creatorId) const;
  void Set(std::uint32_t creatorId, bool permanent, std::int32_t code);
  // The preference of that kind deleted: it reads as never written.
  void Erase(std::uint32_t creatorId, bool permanent);
  std::size_t size() const { return m_entries.size(); }

 private:
  std::unordered_map<std::uint32_t, Entry> m_entries;
};

// The journal's lines, kept by user and folded for one user when that user is looked at: a
// journal of hundreds of thousands of lines loads without building an entry for every user and
// conduit. A user's lines are folded in place whenever they have doubled since the last fold,
// so memory follows the number of different preferences, not the length of the journal.
class PreferenceTable {
 public:
  // Keeps only the lines of these users from now on; without a call, every user's lines count.
  void KeepOnly(const std::vector<std::uint32_t>& userIds);
  // Takes one journal line (without its line end); false when it is not a journal line.
  bool AddLine(std::string_view line);
  UserPreferences ForUser(std::uint32_t userId) const;
  SyncChoice Find(std::uint32_t userId, std::uint32_t creatorId) const { return ForUser(userId).Find(creatorId); }

 private:
  struct Line {
    std::uint32_t creatorId;
    std::int32_t code;
    bool permanent;
    bool erase;
  };
  struct Lines {
    std::vector<Line> lines;
    std::size_t folded = 0;  // the number of lines after the last fold
  };
  static void Fold(Lines* lines);

  bool m_keepOnly = false;
  std::unordered_map<std::uint32_t, Lines> m_byUser;
};

struct JournalReadResult {
  bool found = false;            // the journal file exists and could be opened
  std::size_t lines = 0;         // journal lines read
  std::size_t skipped = 0;       // complete lines that were not journal lines
  bool partialLastLine = false;  // a last line without its line end (a write in progress): left out
};

// Reads the journal file at path into table, chunkSize bytes at a time (at least 1).
// Whatever the file holds, a line longer than any journal line is skipped without being kept.
JournalReadResult ReadJournalFile(const std::string& path, PreferenceTable* table, std::size_t chunkSize = 64 * 1024);

class NextSync {
 public:
  // Reads the installation in coreDir. Missing files give an empty installation; what was
  // missing or damaged is in the accessors below.
  void Load(const std::string& coreDir);

  const std::string& coreDir() const { return m_coreDir; }
  const std::vector<SyncUser>& users() const { return m_users; }
  const std::vector<SyncConduit>& conduits() const { return m_conduits; }
  // The preferences of one user, to be asked for each conduit.
  UserPreferences PreferencesOf(std::uint32_t userId) const { return m_prefs.ForUser(userId); }

  bool descriptionFound() const { return m_descriptionFound; }
  std::size_t descriptionProblems() const { return m_descriptionProblems; }
  const JournalReadResult& journal() const { return m_journal; }

 private:
  std::string m_coreDir;
  std::vector<SyncUser> m_users;
  std::vector<SyncConduit> m_conduits;
  PreferenceTable m_prefs;
  bool m_descriptionFound = false;
  std::size_t m_descriptionProblems = 0;
  JournalReadResult m_journal;
};

}  // namespace palmdesk
