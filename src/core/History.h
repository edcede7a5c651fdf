// The history of changes: every Apply, every end of one-time actions and every Undo, with what
// each user's sync preferences held before and what was written, so that the newest change can
// be taken back.
//
// The file (kDataFileHistory in the data directory) is JSON Lines, UTF-8, appended. One change is
// one entry made of lines that share its "id":
//   {"id":7,"time":"2026-12-10T17:40:00Z","who":"alice","program":"console","kind":"apply",
//    "what":"profile Sales","mode":"default","conduits":[{"creator":"memo","title":"Memo Pad","new":0},...]}
//   {"id":7,"user":1001,"name":"Alice","old":[0,null,{"error":-505},false]}     one per user reached
//   {"id":7,"end":"done","failed":[1002]}                                       when it ended
// The header is written before the first user is written; each user's line is written (and
// flushed) before that user's preferences are, so a change that a crash stops still names every
// user it may have written. A value is a sync preference code, null for "not set", {"error":n}
// for a read that failed, false for a conduit the change did not touch for that user. "new" sits
// in the header when it is the same for every user, or in each user line (an Undo's).
//
// The file is kept below a bounded size: before a change is recorded, the oldest entries are
// dropped (the file rewritten in one step) once it has grown past the bound. A file that is not
// such a history (damaged, or someone else's) is renamed aside and a new one begun; a change is
// never stopped because its history could not be written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

inline constexpr const char* kDataFileHistory = "ovhist.jsonl";
// Past this the oldest entries are dropped, whole, down to three quarters of it.
inline constexpr std::uint64_t kHistoryMaxBytes = 32ull * 1024 * 1024;

// One sync preference as the history keeps it.
struct HistValue {
  enum class Kind : std::uint8_t {
    Code,       // n is the sync preference code
    NotSet,     // never written (for the next HotSync: no one-time action)
    Failed,     // the read failed; n is the library's answer
    Untouched,  // the change did not write this conduit for this user
  };
  Kind kind = Kind::Untouched;
  std::int32_t n = 0;

  static HistValue Code(std::int32_t nCode) { return {Kind::Code, nCode}; }
  static HistValue NotSet() { return {Kind::NotSet, 0}; }
  static HistValue Failed(std::int32_t nResult) { return {Kind::Failed, nResult}; }
  bool operator==(const HistValue& o) const { return kind == o.kind && (kind == Kind::NotSet || kind == Kind::Untouched || n == o.n); }
};
// "Synchronize the files", "not set", "read failed (error -505)", "unchanged".
std::string HistValueText(const HistValue& v);

enum class HistKind { Apply, EndOneTime, Undo };

struct HistConduit {
  std::uint32_t dwCreatorID = 0;
  std::string title;        // UTF-8
  HistValue newValue;       // when every user got the same
};

struct HistUser {
  std::uint32_t userId = 0;
  std::string name;                   // UTF-8
  std::vector<HistValue> oldValues;   // one per conduit of the entry
  std::vector<HistValue> newValues;   // empty: the conduits' newValue
  HistValue NewAt(std::size_t i, const std::vector<HistConduit>& conduits) const {
    return newValues.empty() ? conduits[i].newValue : newValues[i];
  }
};

struct HistEntry {
  std::uint64_t id = 0;
  HistKind kind = HistKind::Apply;
  std::string time;     // UTC, ISO 8601
  std::string who;      // the login name
  std::string program;  // "window" or "console"
  std::string what;     // the profile's name, "conduit list", or what the undo took back
  bool bPermanent = true;  // default actions; false: the next HotSync
  std::uint64_t undoes = 0;  // for an Undo: the id of the entry taken back
  std::vector<HistConduit> conduits;
  std::size_t nUsers = 0;    // users reached (their lines)
  bool bEnded = false;       // false: stopped by a crash, or still running
  std::string end;           // "done", "hotsync", "hotsync-unknown", "cancelled"
  std::vector<std::uint32_t> failed;  // users with a write that failed
  bool bUndone = false;      // a later Undo took it back
};
// "Apply", "End one-time actions", "Undo of #7".
std::string HistKindText(const HistEntry& e);
// "Apply of profile Sales", "End one-time actions of one-time actions", "Undo of #7 (Apply of
// profile Sales)".
std::string HistTitleText(const HistEntry& e);
// "default" or "next HotSync".
std::string HistModeText(const HistEntry& e);

// Local 8-bit text (names from Palm's library, profile descriptions) as UTF-8 for the file.
std::string LocalToUtf8(const std::string& local);

// What a change is, as its header says.
struct HistHeader {
  HistKind kind = HistKind::Apply;
  std::string program;
  std::string what;  // UTF-8
  bool bPermanent = true;
  std::uint64_t undoes = 0;
  std::vector<HistConduit> conduits;
};

class HistoryFile {
 public:
  // path: the history file ("" records nothing); maxBytes: the size bound.
  explicit HistoryFile(std::string path, std::uint64_t maxBytes = kHistoryMaxBytes);

  const std::string& Path() const { return m_path; }

  // Reads every entry. A damaged or foreign file is set aside (Notices says where) and the
  // history is empty. False only when the file exists and cannot be read.
  bool Load();
  const std::vector<HistEntry>& Entries() const { return m_entries; }
  const HistEntry* Find(std::uint64_t id) const;
  // The users' lines of an entry read by Load, in the order written.
  std::vector<HistUser> UsersOf(const HistEntry& e) const;
  // The entry Undo takes back: the newest one that no Undo took back and that reached a user
  // (an Undo is an entry too, so right after one it is that Undo). Null when there is none.
  const HistEntry* UndoTarget() const;

  // Recording one change. Begin writes the header (after dropping the oldest entries when the
  // file is past its bound); User writes one user's line before that user is written; End closes
  // the entry. Each returns false once the file could not be written (Notices says why); the
  // change goes on.
  bool Begin(const HistHeader& header);
  bool IsRecording() const { return m_pOut != nullptr; }
  std::uint64_t CurrentId() const { return m_currentId; }
  bool User(std::uint32_t userId, const std::string& nameUtf8, const std::vector<HistValue>& oldValues,
            const std::vector<HistValue>* pNewValues = nullptr);
  bool End(const std::string& end, const std::vector<std::uint32_t>& failed);

  // What happened to the file that a person should be told (set aside, could not be written).
  const std::vector<std::string>& Notices() const { return m_notices; }

 private:
  struct Line {
    std::uint64_t id;
    std::size_t offset, length;  // the newline excluded
  };
  // The lines of text by the "id" each begins with; false when a line is not of this history.
  bool ScanLines(const std::string& text, std::vector<Line>& lines, std::size_t* pBad) const;
  void SetAside(const std::string& why);
  void Fail(const std::string& what);
  bool WriteLine(const std::string& line);

  std::string m_path;
  std::uint64_t m_maxBytes;
  std::vector<HistEntry> m_entries;
  std::vector<std::vector<std::string>> m_userLines;  // per entry
  std::vector<std::string> m_notices;
  // The file while a change is recorded (Begin to End), appended to.
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> m_pOut;
  std::uint64_t m_currentId = 0;
};
