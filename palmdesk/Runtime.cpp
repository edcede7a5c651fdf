#include "palmdesk/Runtime.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "src/core/os/os.h"

namespace palmdesk {
namespace {

namespace fs = std::filesystem;

// An address inside this library, to find the library's own file.
void Anchor() {}

struct State {
  std::mutex mutex;
  bool located = false;
  std::string coreDir;
  fs::path descPath;
  fs::path journalPath;
  fs::path hotSyncPath;

  bool loaded = false;
  bool present = false;
  fs::file_time_type mtime{};
  Description desc;
  std::unordered_map<std::uint32_t, std::size_t> userIndex;
  std::unordered_map<std::string, std::size_t> conduitIndex;

  std::FILE* journal = nullptr;
  JournalFold fold;
  std::uintmax_t folded = 0;

  ~State() {
    if (journal) std::fclose(journal);
  }
};

State& TheState() {
  static State state;
  return state;
}

void Locate(State& s) {
  if (s.located) return;
  s.located = true;
  const std::string self = os::GetModulePathOf(reinterpret_cast<const void*>(&Anchor));
  fs::path dir = self.empty() ? fs::path(".") : fs::path(self).parent_path();
  s.coreDir = dir.string();
  while (s.coreDir.size() > 1 && (s.coreDir.back() == '/' || s.coreDir.back() == '\\')) s.coreDir.pop_back();
  s.descPath = dir / kDescriptionFile;
  s.journalPath = dir / kJournalFile;
  s.hotSyncPath = dir / kHotSyncStateFile;
}

// The bytes of path from offset to its end, at most limit of them.
std::string ReadFrom(const fs::path& path, std::uintmax_t offset, std::uintmax_t limit) {
  std::string data;
  std::FILE* f = std::fopen(path.string().c_str(), "rb");
  if (!f) return data;
  if (offset == 0 || std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0) {
    char buf[64 * 1024];
    while (data.size() < limit) {
      std::size_t want = sizeof buf;
      if (limit - data.size() < want) want = static_cast<std::size_t>(limit - data.size());
      std::size_t got = std::fread(buf, 1, want, f);
      if (got == 0) break;
      data.append(buf, got);
    }
  }
  std::fclose(f);
  return data;
}

// One file-status look-up per call: the modification time alone tells a changed description
// (the fixture moves it on with every commit; an editor's save moves it too).
void Refresh(State& s) {
  Locate(s);
  std::error_code ec;
  const fs::file_time_type mtime = fs::last_write_time(s.descPath, ec);
  const bool present = !ec;
  if (s.loaded && present == s.present && (!present || mtime == s.mtime)) return;

  s.loaded = true;
  s.present = present;
  s.mtime = present ? mtime : fs::file_time_type{};
  s.desc = present ? ParseDescription(ReadFrom(s.descPath, 0, kMaxFileSize)) : Description();
  s.userIndex.clear();
  for (std::size_t i = 0; i < s.desc.users.size(); ++i) s.userIndex.emplace(s.desc.users[i].id, i);
  s.conduitIndex.clear();
  for (std::size_t i = 0; i < s.desc.conduits.size(); ++i) s.conduitIndex.emplace(s.desc.conduits[i].creator, i);
}

}  // namespace

Session::Session() : m_lock(TheState().mutex) { Refresh(TheState()); }

Session::~Session() = default;

const Description& Session::desc() const { return TheState().desc; }

const std::string& Session::coreDir() const { return TheState().coreDir; }

const User* Session::FindUser(std::uint32_t userId) const {
  const State& s = TheState();
  auto it = s.userIndex.find(userId);
  return it == s.userIndex.end() ? nullptr : &s.desc.users[it->second];
}

const Conduit* Session::FindConduit(const char* creator) const {
  if (creator == nullptr) return nullptr;
  const State& s = TheState();
  auto it = s.conduitIndex.find(creator);
  return it == s.conduitIndex.end() ? nullptr : &s.desc.conduits[it->second];
}

HotSync Session::hotSync() const {
  const State& s = TheState();
  HotSync state = s.desc.hotsync;
  // A word and a line end at most; anything longer or unknown is no state.
  const std::string text = ReadFrom(s.hotSyncPath, 0, 64);
  if (!text.empty() && !ParseHotSync(text, &state)) state = s.desc.hotsync;
  return state;
}

bool Session::AppendJournal(const JournalLine& line) {
  State& s = TheState();
  if (!s.journal) s.journal = std::fopen(s.journalPath.string().c_str(), "ab");
  if (!s.journal) return false;
  const std::string text = FormatJournalLine(line);
  bool ok = std::fwrite(text.data(), 1, text.size(), s.journal) == text.size();
  ok = (std::fflush(s.journal) == 0) && ok;
  if (!ok) {
    // Start afresh at the next call rather than keep a stream in an error state.
    std::fclose(s.journal);
    s.journal = nullptr;
  }
  return ok;
}

bool Session::FindPreference(bool permanent, std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code) {
  State& s = TheState();
  std::error_code ec;
  std::uintmax_t size = fs::file_size(s.journalPath, ec);
  if (ec) size = 0;
  if (size < s.folded) {
    // The journal was replaced or shortened: fold it again from its start.
    s.fold.Clear();
    s.folded = 0;
  }
  if (size > s.folded) {
    const std::string tail = ReadFrom(s.journalPath, s.folded, size - s.folded);
    s.folded += s.fold.Add(tail);
  }
  return s.fold.Find(permanent, userId, creatorId, code);
}

}  // namespace palmdesk
