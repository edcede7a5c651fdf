#include "palmdesk/Description.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace palmdesk {
namespace {

constexpr std::size_t kMaxFields = 16;
constexpr std::size_t kMaxFaultEntries = 4096;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A fault switch's value is kept as raw text and written back as it is, so it also loses the
// carriage returns at its edges, which a line end would otherwise swallow on the way back.
std::string_view TrimRaw(std::string_view s) {
  while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = ToLower(c);
  return out;
}

bool HasHexPrefix(std::string_view s) { return s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'); }

// An unsigned 32-bit number, decimal or 0x hexadecimal, nothing else around it.
bool ParseU32(std::string_view s, std::uint32_t* out) {
  s = Trim(s);
  int base = 10;
  if (HasHexPrefix(s)) {
    s.remove_prefix(2);
    base = 16;
  }
  if (s.empty()) return false;
  std::uint32_t v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (ec != std::errc() || p != s.data() + s.size()) return false;
  *out = v;
  return true;
}

// A signed 64-bit number: optional '-', decimal; or 0x hexadecimal (taken as unsigned 32 bits).
bool ParseI64(std::string_view s, std::int64_t* out) {
  s = Trim(s);
  if (HasHexPrefix(s)) {
    std::uint32_t v = 0;
    if (!ParseU32(s, &v)) return false;
    *out = v;
    return true;
  }
  if (s.empty()) return false;
  if (s.front() == '+') s.remove_prefix(1);
  std::int64_t v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 10);
  if (ec != std::errc() || p != s.data() + s.size()) return false;
  *out = v;
  return true;
}

// A 32-bit result code: a signed decimal in the int32 range, or 0x hexadecimal bits.
bool ParseI32(std::string_view s, std::int32_t* out) {
  std::int64_t v = 0;
  if (!ParseI64(s, &v)) return false;
  if (v < INT32_MIN || v > static_cast<std::int64_t>(UINT32_MAX)) return false;
  *out = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
  return true;
}

bool ParseFlag(std::string_view s, bool* out) {
  std::string v = Lower(Trim(s));
  if (v.empty() || v == "0" || v == "no" || v == "false") {
    *out = false;
    return true;
  }
  if (v == "1" || v == "yes" || v == "true" || v == "profile") {
    *out = true;
    return true;
  }
  return false;
}

bool ParseMediaType(std::string_view field, std::uint32_t* out) {
  std::string_view t = Trim(field);
  if (HasHexPrefix(t)) return ParseU32(t, out);
  std::string code = DecodeField(t);
  if (code.size() == 4) {
    *out = FourCC(code);
    return true;
  }
  return ParseU32(t, out);
}

// "3,5:-520" into entries; false when any part is not understood.
bool ParseFaultList(std::string_view s, std::int32_t defaultResult, std::vector<FaultEntry>* out) {
  std::vector<FaultEntry> list;
  while (true) {
    std::size_t comma = s.find(',');
    std::string_view part = Trim(s.substr(0, comma));
    if (!part.empty()) {
      FaultEntry e;
      e.result = defaultResult;
      std::size_t colon = part.find(':');
      if (!ParseU32(part.substr(0, colon), &e.key)) return false;
      if (colon != std::string_view::npos && !ParseI32(part.substr(colon + 1), &e.result)) return false;
      if (list.size() < kMaxFaultEntries) list.push_back(e);
    }
    if (comma == std::string_view::npos) break;
    s.remove_prefix(comma + 1);
  }
  *out = std::move(list);
  return true;
}

std::string CutText(std::string s) {
  if (s.size() > kMaxText) s.resize(kMaxText);
  return s;
}

class Reader {
 public:
  explicit Reader(Description* d) : m_d(d) {}

  void Line(std::size_t number, std::string_view line) {
    m_number = number;
    line = Trim(line);
    if (line.empty() || line.front() == '#' || line.front() == ';') return;
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return Problem("no '='");
    std::string key = Lower(Trim(line.substr(0, eq)));
    std::string_view value = line.substr(eq + 1);
    m_fields.clear();
    while (m_fields.size() < kMaxFields) {
      std::size_t bar = value.find('|');
      m_fields.push_back(Trim(value.substr(0, bar)));
      if (bar == std::string_view::npos) break;
      value.remove_prefix(bar + 1);
    }
    if (key == "root") {
      m_d->hasRoot = true;
      m_d->root = Text(0);
    } else if (key == "backup") {
      m_d->hasBackup = true;
      m_d->backup = Text(0);
    } else if (key == "hotsync") {
      if (!ParseHotSync(Raw(0), &m_d->hotsync)) Problem("bad hotsync state");
    } else if (key == "user") {
      UserLine();
    } else if (key == "slot") {
      SlotLine();
    } else if (key == "conduit") {
      ConduitLine();
    } else if (key == "install") {
      InstallLine();
    } else if (key == "name") {
      NameLine();
    } else if (key.rfind("fault.", 0) == 0 && key.size() > 6) {
      FaultLine(key.substr(6), TrimRaw(line.substr(eq + 1)));
    } else {
      Problem("unknown key");
    }
  }

 private:
  std::string_view Raw(std::size_t i) const { return i < m_fields.size() ? m_fields[i] : std::string_view(); }
  std::string Text(std::size_t i) const { return CutText(DecodeField(Raw(i))); }
  bool Has(std::size_t i) const { return i < m_fields.size() && !m_fields[i].empty(); }

  void Problem(const char* what) {
    if (m_d->problems.size() < kMaxProblems) {
      m_d->problems.push_back("line " + std::to_string(m_number) + ": " + what);
    }
  }

  void UserLine() {
    if (m_d->users.size() >= kMaxUsers) return Problem("too many users");
    User u;
    if (!ParseU32(Raw(0), &u.id)) return Problem("bad user ID");
    if (!ParseFlag(Raw(3), &u.profile)) return Problem("bad profile flag");
    u.name = Text(1);
    u.directory = Text(2);
    m_d->users.push_back(std::move(u));
    m_slotsAllowed = true;
  }

  void SlotLine() {
    if (m_d->users.empty() || !m_slotsAllowed) return Problem("slot without a user");
    User& u = m_d->users.back();
    if (u.expansionSlots.size() >= kMaxSlotsPerUser) return Problem("too many slots");
    Slot s;
    if (!ParseU32(Raw(0), &s.ref)) return Problem("bad slot reference");
    if (!ParseMediaType(Raw(1), &s.mediaType)) return Problem("bad media type");
    s.name = Text(2);
    u.expansionSlots.push_back(std::move(s));
  }

  void ConduitLine() {
    if (m_d->conduits.size() >= kMaxConduits) return Problem("too many conduits");
    Conduit c;
    c.creator = Text(0);
    c.module = Text(1);
    c.title = Text(2);
    c.directory = Text(3);
    c.file = Text(4);
    c.remote = Text(5);
    c.info = Text(6);
    if (Has(7) && !ParseU32(Raw(7), &c.integrate)) return Problem("bad integrate value");
    if (Has(8) && !ParseU32(Raw(8), &c.priority)) return Problem("bad priority");
    m_d->conduits.push_back(std::move(c));
  }

  void InstallLine() {
    if (m_d->installConduits.size() >= kMaxInstallConduits) return Problem("too many install conduits");
    InstallConduit c;
    c.creator = DecodeField(Raw(0));
    if (c.creator.size() > 4) c.creator.resize(4);
    c.module = Text(1);
    c.name = Text(2);
    c.directory = Text(3);
    c.extensions = Text(4);
    if (Has(5) && !ParseU32(Raw(5), &c.mask)) return Problem("bad install mask");
    m_d->installConduits.push_back(std::move(c));
  }

  void NameLine() {
    std::string file = Lower(Text(0));
    if (file.empty()) return Problem("name without a module file name");
    if (m_d->moduleNames.size() >= kMaxModuleNames && !m_d->moduleNames.count(file)) {
      return Problem("too many module names");
    }
    m_d->moduleNames[file] = Text(1);
  }

  // A switch is read from its text as kept (cut to kMaxText), so that the text and the switch
  // always agree; a value that cannot be read skips the line whole, like any other bad line,
  // and an earlier line of the same switch stays in force.
  void FaultLine(const std::string& key, std::string_view value) {
    if (m_d->faultText.size() >= kMaxFaults && !m_d->faultText.count(key)) return Problem("too many faults");
    const std::string text(TrimRaw(CutText(std::string(value))));
    Faults& f = m_d->faults;
    std::int64_t n = 0;
    std::int32_t v = 0;
    bool ok = true;
    if (key == "user_count") {
      ok = ParseI64(text, &n);
      if (ok) f.userCount = static_cast<std::int16_t>(std::clamp<std::int64_t>(n, INT16_MIN, INT16_MAX));
    } else if (key == "conduit_count") {
      ok = ParseI32(text, &v);
      if (ok) f.conduitCount = v;
    } else if (key == "install_count") {
      ok = ParseI32(text, &v);
      if (ok) f.installCount = v;
    } else if (key == "install_info_fail") {
      ok = ParseFaultList(text, 0, &f.installInfoFail);
    } else if (key == "user_name_fail") {
      // By default Palm's ERR_UM_OTHER_USERSDAT_ACCESS_PROBLEM: the users file cannot be read.
      ok = ParseFaultList(text, -518, &f.userNameFail);
    } else if (key == "user_directory_fail") {
      ok = ParseFaultList(text, -518, &f.userDirectoryFail);
    } else if (key == "sync_write_fail") {
      ok = ParseI32(text, &v);
      if (ok) f.syncWriteFail = v;
    } else if (key == "sync_read_fail") {
      ok = ParseI32(text, &v);
      if (ok) f.syncReadFail = v;
    } else if (key == "sync_status_fail") {
      ok = ParseI32(text, &v);
      if (ok) f.syncStatusFail = v;
    } else if (key == "media_type_fail") {
      // By default Palm's ERR_UM_NOT_FOUND.
      ok = ParseFaultList(text, -513, &f.mediaTypeFail);
    } else if (key == "slot_info_count") {
      ok = ParseI64(text, &n) && n >= 0 && n <= UINT16_MAX;
      if (ok) f.slotInfoCount = static_cast<std::uint16_t>(n);
    } else if (key == "unterminated_texts") {
      ok = ParseI64(text, &n);
      if (ok) f.unterminatedTexts = n != 0;
    } else if (key == "slot_count") {
      ok = ParseI64(text, &n) && n >= 0 && n <= UINT16_MAX;
      if (ok) f.slotCount = static_cast<std::uint16_t>(n);
    } else if (key == "oversized_texts") {
      ok = ParseI64(text, &n);
      if (ok) f.oversizedTexts = n != 0;
    }
    // Keys the reader does not know are kept in faultText only.
    if (!ok) return Problem("bad fault value");
    m_d->faultText[key] = text;
  }

  Description* m_d;
  std::size_t m_number = 0;
  bool m_slotsAllowed = false;
  std::vector<std::string_view> m_fields;
};

void AppendFields(std::string* out, std::string_view key, std::initializer_list<std::string> fields) {
  *out += key;
  *out += " = ";
  bool first = true;
  for (const std::string& f : fields) {
    if (!first) *out += " | ";
    first = false;
    *out += f;
  }
  *out += '\n';
}

std::string Num(std::uint32_t v) { return std::to_string(v); }

}  // namespace

const FaultEntry* Faults::Find(const std::vector<FaultEntry>& list, std::uint32_t key) {
  for (const FaultEntry& e : list) {
    if (e.key == key) return &e;
  }
  return nullptr;
}

const std::string* Description::FindModuleName(std::string_view fileName) const {
  auto it = moduleNames.find(Lower(fileName));
  return it == moduleNames.end() ? nullptr : &it->second;
}

Description ParseDescription(std::string_view text) {
  Description d;
  Reader reader(&d);
  std::size_t number = 0;
  while (!text.empty()) {
    ++number;
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxLine) {
      if (d.problems.size() < kMaxProblems) d.problems.push_back("line " + std::to_string(number) + ": too long");
      continue;
    }
    reader.Line(number, line);
  }
  return d;
}

std::string EncodeField(std::string_view raw) {
  std::size_t lead = 0;
  while (lead < raw.size() && IsBlank(raw[lead])) ++lead;
  std::size_t trail = raw.size();
  while (trail > lead && IsBlank(raw[trail - 1])) --trail;
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(raw[i]);
    bool edgeBlank = (i < lead || i >= trail);
    if (edgeBlank || c == '%' || c == '|' || c < 0x20 || c == 0x7F) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string DecodeField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '%' && i + 2 < field.size() && HexDigit(field[i + 1]) >= 0 && HexDigit(field[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(field[i + 1]) * 16 + HexDigit(field[i + 2]));
      i += 2;
    } else {
      out += field[i];
    }
  }
  return out;
}

bool ParseHotSync(std::string_view text, HotSync* out) {
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\r' || text.front() == '\n')) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
  const std::string word = Lower(text);
  if (word == "absent") {
    *out = HotSync::Absent;
  } else if (word == "idle") {
    *out = HotSync::Idle;
  } else if (word == "syncing") {
    *out = HotSync::Syncing;
  } else {
    return false;
  }
  return true;
}

const char* HotSyncName(HotSync state) {
  switch (state) {
    case HotSync::Idle: return "idle";
    case HotSync::Syncing: return "syncing";
    case HotSync::Absent: break;
  }
  return "absent";
}

std::uint32_t FourCC(std::string_view code) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    v = (v << 8) | (i < code.size() ? static_cast<unsigned char>(code[i]) : 0u);
  }
  return v;
}

std::string FourCCText(std::uint32_t code) {
  std::string s;
  for (int shift = 24; shift >= 0; shift -= 8) {
    char c = static_cast<char>((code >> shift) & 0xFF);
    if (c <= ' ' || c > '~' || c == '|' || c == '%') {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
      return hex;
    }
    s += c;
  }
  // A code that reads as hexadecimal digits after "0x" would be taken for a number.
  if (HasHexPrefix(s)) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
    return hex;
  }
  return s;
}

std::string FormatDescription(const Description& d) {
  std::string out;
  out += "# Stand-in Palm Desktop installation (see palmdesk/README.md)\n";
  if (d.hasRoot) AppendFields(&out, "root", {EncodeField(d.root)});
  if (d.hasBackup) AppendFields(&out, "backup", {EncodeField(d.backup)});
  if (d.hotsync != HotSync::Absent) AppendFields(&out, "hotsync", {HotSyncName(d.hotsync)});
  for (const User& u : d.users) {
    AppendFields(&out, "user", {Num(u.id), EncodeField(u.name), EncodeField(u.directory), u.profile ? "1" : "0"});
    for (const Slot& s : u.expansionSlots) {
      AppendFields(&out, "slot", {Num(s.ref), FourCCText(s.mediaType), EncodeField(s.name)});
    }
  }
  for (const Conduit& c : d.conduits) {
    AppendFields(&out, "conduit",
                 {EncodeField(c.creator), EncodeField(c.module), EncodeField(c.title), EncodeField(c.directory),
                  EncodeField(c.file), EncodeField(c.remote), EncodeField(c.info), Num(c.integrate),
                  Num(c.priority)});
  }
  for (const InstallConduit& c : d.installConduits) {
    AppendFields(&out, "install",
                 {EncodeField(c.creator), EncodeField(c.module), EncodeField(c.name), EncodeField(c.directory),
                  EncodeField(c.extensions), Num(c.mask)});
  }
  for (const auto& [file, name] : d.moduleNames) {
    AppendFields(&out, "name", {EncodeField(file), EncodeField(name)});
  }
  for (const auto& [key, value] : d.faultText) {
    // The key as read, zero bytes included.
    AppendFields(&out, "fault." + key, {value});
  }
  return out;
}

std::string FormatJournalLine(const JournalLine& line) {
  char buf[80];
  if (line.erase) {
    std::snprintf(buf, sizeof buf, "%s-delete %lu 0x%08lX\n", line.permanent ? "perm" : "temp",
                  static_cast<unsigned long>(line.userId), static_cast<unsigned long>(line.creatorId));
    return buf;
  }
  std::snprintf(buf, sizeof buf, "%s %lu 0x%08lX %ld\n", line.permanent ? "perm" : "temp",
                static_cast<unsigned long>(line.userId), static_cast<unsigned long>(line.creatorId),
                static_cast<long>(line.code));
  return buf;
}

bool ParseJournalLine(std::string_view text, JournalLine* out) {
  std::string_view tokens[5];
  std::size_t n = 0;
  while (n < 5) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    if (text.empty()) break;
    std::size_t end = 0;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    tokens[n++] = text.substr(0, end);
    text.remove_prefix(end);
  }
  JournalLine line;
  if (n == 3 && (tokens[0] == "perm-delete" || tokens[0] == "temp-delete")) {
    line.permanent = tokens[0] == "perm-delete";
    line.erase = true;
    if (!ParseU32(tokens[1], &line.userId) || !ParseU32(tokens[2], &line.creatorId)) return false;
    *out = line;
    return true;
  }
  if (n != 4) return false;
  if (tokens[0] == "perm") {
    line.permanent = true;
  } else if (tokens[0] == "temp") {
    line.permanent = false;
  } else {
    return false;
  }
  if (!ParseU32(tokens[1], &line.userId) || !ParseU32(tokens[2], &line.creatorId) ||
      !ParseI32(tokens[3], &line.code)) {
    return false;
  }
  *out = line;
  return true;
}

std::vector<JournalLine> ParseJournal(std::string_view text) {
  std::vector<JournalLine> lines;
  while (true) {
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) break;
    std::string_view l = text.substr(0, end);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    JournalLine line;
    if (ParseJournalLine(l, &line)) lines.push_back(line);
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::size_t JournalFold::Add(std::string_view text) {
  std::size_t consumed = 0;
  while (true) {
    std::size_t end = text.find('\n', consumed);
    if (end == std::string_view::npos) break;
    std::string_view l = text.substr(consumed, end - consumed);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    JournalLine line;
    if (ParseJournalLine(l, &line)) {
      auto& fold = line.permanent ? m_perm : m_temp;
      if (line.erase) {
        fold.erase(Key(line.userId, line.creatorId));
      } else {
        fold[Key(line.userId, line.creatorId)] = line.code;
      }
    }
    consumed = end + 1;
  }
  return consumed;
}

void JournalFold::Clear() {
  m_perm.clear();
  m_temp.clear();
}

bool JournalFold::Find(bool permanent, std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code) const {
  const auto& map = permanent ? m_perm : m_temp;
  auto it = map.find(Key(userId, creatorId));
  if (it == map.end()) return false;
  *code = it->second;
  return true;
}

}  // namespace palmdesk
