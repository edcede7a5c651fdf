// The stand-in Palm Desktop's installation description ("palmdesk.ini" in the core directory)
// and its sync-preference journal ("palmdesk.journal"): the in-memory form, the reader, the
// writer and the journal fold. The format is documented in palmdesk/README.md.
//
// The reader takes any bytes: it never reads past its input, caps every count and every text,
// and skips a line it cannot understand (noting it in Description::problems).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace palmdesk {

inline constexpr const char* kDescriptionFile = "palmdesk.ini";
inline constexpr const char* kJournalFile = "palmdesk.journal";
// The stand-in HotSync manager's state while it runs (one word: "idle" or "syncing"); see
// palmdesk/README.md.
inline constexpr const char* kHotSyncStateFile = "palmdesk.hotsync";

// Limits of the reader: further entries are ignored, longer texts are cut.
inline constexpr std::size_t kMaxUsers = 32767;  // UmGetUserCount answers a 16-bit count
inline constexpr std::size_t kMaxSlotsPerUser = 1024;
inline constexpr std::size_t kMaxConduits = 65535;
inline constexpr std::size_t kMaxInstallConduits = 4096;
inline constexpr std::size_t kMaxModuleNames = 65535;
inline constexpr std::size_t kMaxFaults = 256;
inline constexpr std::size_t kMaxProblems = 100;
inline constexpr std::size_t kMaxText = 4096;        // bytes of one field after decoding
inline constexpr std::size_t kMaxLine = 64 * 1024;   // a longer line is skipped whole
inline constexpr std::size_t kMaxFileSize = 64 * 1024 * 1024;  // the libraries read no more

struct Slot {
  std::uint32_t ref = 0;
  std::uint32_t mediaType = 0;  // four-character code, first character most significant
  std::string name;
};

struct User {
  std::uint32_t id = 0;
  std::string name;
  std::string directory;
  bool profile = false;
  std::vector<Slot> expansionSlots;
};

struct Conduit {
  std::string creator;
  std::string module;
  std::string title;
  std::string directory, file, remote, info;
  std::uint32_t integrate = 0;
  std::uint32_t priority = 2;
};

struct InstallConduit {
  std::string creator;  // up to four bytes, used as given (any byte values)
  std::string module;
  std::string name;
  std::string directory;   // the block's first area (64 bytes)
  std::string extensions;  // the block's second area (256 bytes)
  std::uint32_t mask = 0;
};

// One entry of an index list fault ("1,4:-520"): the index (or user ID) and the result the
// call answers instead.
struct FaultEntry {
  std::uint32_t key = 0;
  std::int32_t result = 0;
};

// The fault switches the libraries understand. Every "fault.<key>" line is also kept as text
// in Description::faultText, so new switches need no change to the reader's structure.
struct Faults {
  // Each switch that is not in the file is absent (no value) or false.
  std::optional<std::int16_t> userCount;       // fault.user_count: UmGetUserCount answers this
  std::optional<std::int32_t> conduitCount;    // fault.conduit_count: CmGetConduitCount answers this
  std::optional<std::int32_t> installCount;    // fault.install_count: PltGetInstallConduitCount
  std::vector<FaultEntry> installInfoFail;     // fault.install_info_fail: index[:result], result 0
  std::vector<FaultEntry> userNameFail;        // fault.user_name_fail: userId[:result], -518
  std::vector<FaultEntry> userDirectoryFail;   // fault.user_directory_fail: userId[:result], -518
  std::optional<std::int32_t> syncWriteFail;   // fault.sync_write_fail: UmSet...SyncPreferences answer
  std::optional<std::int32_t> syncReadFail;    // fault.sync_read_fail: UmGet...SyncPreferences answer
  std::optional<std::int32_t> syncStatusFail;  // fault.sync_status_fail: HsGetSyncStatus answer while running
  std::vector<FaultEntry> mediaTypeFail;       // fault.media_type_fail: slotRef[:result], -513;
                                               // UmSlotGetMediaType answers it and writes nothing
  std::optional<std::uint16_t> slotInfoCount;  // fault.slot_info_count: UmSlotGetInfo reports this
                                               // count, whatever it filled
  bool unterminatedTexts = false;              // fault.unterminated_texts = 1: the user data texts
                                               // fill the whole buffer and leave no terminator
  std::optional<std::uint16_t> slotCount;      // fault.slot_count: UmSlotGetSlotCount answers this
                                               // for every user, whatever slots the user has
  bool oversizedTexts = false;                 // fault.oversized_texts = 1: every text of every
                                               // library fills the whole buffer with no terminator
                                               // and reports a size larger than was offered

  // The entry of list for key, or nullptr.
  static const FaultEntry* Find(const std::vector<FaultEntry>& list, std::uint32_t key);
};

// Whether HotSync Manager runs, and whether a HotSync is in progress ("hotsync = ..." line).
enum class HotSync { Absent, Idle, Syncing };

// "absent", "idle" or "syncing" (letter case ignored, blanks around it allowed); false for
// anything else.
bool ParseHotSync(std::string_view text, HotSync* out);
const char* HotSyncName(HotSync state);

struct Description {
  std::vector<User> users;
  std::vector<Conduit> conduits;
  std::vector<InstallConduit> installConduits;
  bool hasBackup = false;
  std::string backup;
  bool hasRoot = false;
  std::string root;
  HotSync hotsync = HotSync::Absent;
  // Names the sample conduit modules answer, by module file name (letter case ignored).
  std::map<std::string, std::string> moduleNames;
  Faults faults;
  std::map<std::string, std::string> faultText;
  // Lines that were skipped, as "line N: reason" (at most kMaxProblems).
  std::vector<std::string> problems;

  // The name given for a module file name, or nullptr.
  const std::string* FindModuleName(std::string_view fileName) const;
};

Description ParseDescription(std::string_view text);

// The text of a description that ParseDescription reads back to the same content (problems
// excepted). Fault switches are written from faultText.
std::string FormatDescription(const Description& d);

// A field value with the bytes the format cannot hold as they are ('%', '|', control
// characters, bytes above 0x7E, leading and trailing blanks) written as %HH.
std::string EncodeField(std::string_view raw);
// The reverse: %HH becomes the byte; a '%' not followed by two hexadecimal digits stays.
std::string DecodeField(std::string_view field);

// A four-character code: its characters, first in the most significant byte.
std::uint32_t FourCC(std::string_view code);
// The four characters of a code when all are printable and none is a blank or '|', else
// "0x" and eight hexadecimal digits.
std::string FourCCText(std::uint32_t code);

// One line of the journal.
struct JournalLine {
  bool permanent = true;
  std::uint32_t userId = 0;
  std::uint32_t creatorId = 0;
  std::int32_t code = 0;
  bool erase = false;  // the preference deleted (UmDelete...SyncPreferences); code unused
};

// "perm <userId> <creatorId as 0x%08X> <code>\n" (or "temp ..."); a deletion is
// "temp-delete <userId> <creatorId as 0x%08X>\n" (or "perm-delete ...").
std::string FormatJournalLine(const JournalLine& line);
// One line, without its line end; false when it is not a journal line.
bool ParseJournalLine(std::string_view text, JournalLine* out);
// Every journal line of text, in order; lines that are not journal lines are skipped, and so is
// a last line without its line end (a write still in progress).
std::vector<JournalLine> ParseJournal(std::string_view text);

// The journal folded: the last code written for each (kind, user, creator).
class JournalFold {
 public:
  // Folds the complete lines of text; returns the number of bytes consumed (up to and
  // including the last line end), so a caller can continue with the bytes after them.
  std::size_t Add(std::string_view text);
  void Clear();
  // The code last written, or false when nothing was written for this user and creator (or it
  // was deleted after).
  bool Find(bool permanent, std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code) const;

 private:
  static std::uint64_t Key(std::uint32_t userId, std::uint32_t creatorId) {
    return (static_cast<std::uint64_t>(userId) << 32) | creatorId;
  }
  std::unordered_map<std::uint64_t, std::int32_t> m_perm;
  std::unordered_map<std::uint64_t, std::int32_t> m_temp;
};

}  // namespace palmdesk
