#include "palmdesk/hotsync/NextSync.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <unordered_set>

#include "palmdesk/Description.h"

namespace palmdesk {
namespace {

namespace fs = std::filesystem;

// The backup conduit's creator ID, under which its preferences are written.
constexpr std::uint32_t kBackupCreatorId = 0xFFFFFFFFu;

// No journal line comes near this; a longer line is damage and is skipped without being kept.
constexpr std::size_t kMaxJournalLine = 1024;

// A user's lines are folded once there are at least this many, and twice as many as after the
// last fold.
constexpr std::size_t kFoldAtLeast = 4096;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The first limit bytes of the file at path; false when it cannot be opened.
bool ReadHead(const fs::path& path, std::size_t limit, std::string* out) {
  File f(std::fopen(path.string().c_str(), "rb"));
  if (!f) return false;
  out->clear();
  char buf[64 * 1024];
  while (out->size() < limit) {
    std::size_t want = sizeof buf;
    if (limit - out->size() < want) want = limit - out->size();
    const std::size_t got = std::fread(buf, 1, want, f.get());
    if (got == 0) break;
    out->append(buf, got);
  }
  return true;
}

// The file name part of a module path, whichever separator it uses.
std::string_view FileNamePart(std::string_view path) {
  const std::size_t sep = path.find_last_of("/\\");
  return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

// The name a conduit's module answers for itself, as the description gives it, else fallback.
std::string ConduitTitle(const Description& d, const std::string& module, const std::string& fallback) {
  if (const std::string* name = d.FindModuleName(FileNamePart(module))) {
    if (!name->empty()) return *name;
  }
  return fallback;
}

}  // namespace

UserPreferences::Entry UserPreferences::Get(std::uint32_t creatorId) const {
  auto it = m_entries.find(creatorId);
  return it == m_entries.end() ? Entry() : it->second;
}

SyncChoice UserPreferences::Find(std::uint32_t creatorId) const {
  SyncChoice choice;
  auto it = m_entries.find(creatorId);
  if (it == m_entries.end()) return choice;
  if (it->second.hasTemp) {
    choice.source = PreferenceSource::Temporary;
    choice.code = it->second.temp;
  } else if (it->second.hasPerm) {
    choice.source = PreferenceSource::Permanent;
    choice.code = it->second.perm;
  }
  return choice;
}

void UserPreferences::Set(std::uint32_t creatorId, bool permanent, std::int32_t code) {
  Entry& e = m_entries[creatorId];
  if (permanent) {
    e.hasPerm = true;
    e.perm = code;
  } else {
    e.hasTemp = true;
    e.temp = code;
  }
}

void UserPreferences::Erase(std::uint32_t creatorId, bool permanent) {
  auto it = m_entries.find(creatorId);
  if (it == m_entries.end()) return;
  (permanent ? it->second.hasPerm : it->second.hasTemp) = false;
}

void PreferenceTable::KeepOnly(const std::vector<std::uint32_t>& userIds) {
  m_keepOnly = true;
  std::unordered_map<std::uint32_t, Lines> kept;
  for (std::uint32_t id : userIds) {
    auto it = m_byUser.find(id);
    kept[id] = it == m_byUser.end() ? Lines() : std::move(it->second);
  }
  m_byUser = std::move(kept);
}

bool PreferenceTable::AddLine(std::string_view text) {
  JournalLine parsed;
  if (!ParseJournalLine(text, &parsed)) return false;
  auto it = m_byUser.find(parsed.userId);
  if (it == m_byUser.end()) {
    if (m_keepOnly) return true;
    it = m_byUser.emplace(parsed.userId, Lines()).first;
  }
  Lines& user = it->second;
  user.lines.push_back({parsed.creatorId, parsed.code, parsed.permanent, parsed.erase});
  if (user.lines.size() >= kFoldAtLeast && user.lines.size() >= 2 * user.folded) Fold(&user);
  return true;
}

// Keeps the last line of each creator and kind, in their order.
void PreferenceTable::Fold(Lines* user) {
  std::unordered_set<std::uint64_t> seen;
  std::vector<Line> kept;
  for (auto it = user->lines.rbegin(); it != user->lines.rend(); ++it) {
    if (seen.insert((static_cast<std::uint64_t>(it->creatorId) << 1) | (it->permanent ? 1u : 0u)).second) {
      kept.push_back(*it);
    }
  }
  user->lines.assign(kept.rbegin(), kept.rend());
  user->folded = user->lines.size();
}

UserPreferences PreferenceTable::ForUser(std::uint32_t userId) const {
  UserPreferences prefs;
  auto it = m_byUser.find(userId);
  if (it == m_byUser.end()) return prefs;
  for (const Line& line : it->second.lines) {
    if (line.erase) {
      prefs.Erase(line.creatorId, line.permanent);
    } else {
      prefs.Set(line.creatorId, line.permanent, line.code);
    }
  }
  return prefs;
}

JournalReadResult ReadJournalFile(const std::string& path, PreferenceTable* table, std::size_t chunkSize) {
  JournalReadResult result;
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) return result;
  result.found = true;
  if (chunkSize == 0) chunkSize = 1;

  std::vector<char> chunk(chunkSize);
  std::string pending;     // the start of a line whose end has not been read yet
  bool overlong = false;   // the current line is too long to be a journal line: drop it to its end
  auto finishLine = [&](std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (table->AddLine(line)) {
      ++result.lines;
    } else if (!line.empty()) {
      ++result.skipped;
    }
  };

  while (true) {
    const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), f.get());
    if (got == 0) break;
    std::string_view data(chunk.data(), got);
    while (!data.empty()) {
      const std::size_t end = data.find('\n');
      const std::string_view piece = data.substr(0, end);
      if (overlong) {
        // Nothing of this line is kept.
      } else if (pending.size() + piece.size() > kMaxJournalLine) {
        overlong = true;
        pending.clear();
      } else if (end != std::string_view::npos && pending.empty()) {
        finishLine(piece);  // the common case: a whole line inside the chunk, no copy
      } else {
        pending.append(piece);
        if (end != std::string_view::npos) finishLine(pending);
      }
      if (end == std::string_view::npos) break;
      if (overlong) ++result.skipped;
      overlong = false;
      pending.clear();
      data.remove_prefix(end + 1);
    }
  }
  // A last line without its line end is still being written: it counts once it is complete.
  result.partialLastLine = overlong || !pending.empty();
  return result;
}

void NextSync::Load(const std::string& coreDir) {
  *this = NextSync();
  m_coreDir = coreDir;
  const fs::path dir(coreDir);

  std::string text;
  m_descriptionFound = ReadHead(dir / kDescriptionFile, kMaxFileSize, &text);
  const Description d = m_descriptionFound ? ParseDescription(text) : Description();
  m_descriptionProblems = d.problems.size();

  m_users.reserve(d.users.size());
  for (const User& u : d.users) m_users.push_back({u.id, u.name});

  // Registered conduits in the conduit manager's order. HotSync knows a conduit by its creator
  // ID, which takes exactly four characters; a creator registered twice runs once, as its first
  // registration.
  std::unordered_set<std::string> seen;
  for (const Conduit& c : d.conduits) {
    if (c.creator.size() != 4 || c.creator.find('\0') != std::string::npos) continue;
    if (!seen.insert(c.creator).second) continue;
    SyncConduit s;
    s.kind = SyncConduitKind::Registered;
    s.creatorId = FourCC(c.creator);
    s.creator = FourCCText(s.creatorId);
    s.title = ConduitTitle(d, c.module, c.title.empty() ? s.creator : c.title);
    m_conduits.push_back(std::move(s));
  }
  // Install conduits: the install aide keeps each one's creator ID as a 32-bit value, first
  // character most significant, and Orvane writes the preferences under that value.
  for (const InstallConduit& c : d.installConduits) {
    SyncConduit s;
    s.kind = SyncConduitKind::Install;
    s.creatorId = FourCC(c.creator);
    s.creator = FourCCText(FourCC(c.creator));
    s.title = ConduitTitle(d, c.module, c.name.empty() ? s.creator : c.name);
    m_conduits.push_back(std::move(s));
  }
  if (d.hasBackup) {
    SyncConduit s;
    s.kind = SyncConduitKind::Backup;
    s.creatorId = kBackupCreatorId;
    s.creator = FourCCText(kBackupCreatorId);
    s.title = ConduitTitle(d, d.backup, "Backup");
    m_conduits.push_back(std::move(s));
  }

  // Lines of users the installation does not have are never shown: they are not kept.
  std::vector<std::uint32_t> ids;
  ids.reserve(m_users.size());
  for (const SyncUser& u : m_users) ids.push_back(u.id);
  m_prefs.KeepOnly(ids);
  m_journal = ReadJournalFile((dir / kJournalFile).string(), &m_prefs);
}

}  // namespace palmdesk
