#include "src/core/History.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <unordered_map>
#include <unordered_set>

#include "src/core/os/os.h"
#include "src/core/palm/SyncPrefNames.h"
#include "src/core/UserActions.h"

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

// What the oldest entries are dropped down to once the file is past its bound, so that the file
// is not rewritten before every change.
std::uint64_t KeepBytes(std::uint64_t maxBytes) { return maxBytes / 4 * 3; }

std::string NowUtc() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
  if (const std::tm* p = std::gmtime(&now)) tm = *p;
  char sz[32];
  std::strftime(sz, sizeof sz, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return sz;
}

// JSON text of a UTF-8 string; a byte that is not UTF-8 becomes U+FFFD, never an exception.
std::string Quoted(const std::string& utf8) {
  return Json(utf8).dump(-1, ' ', false, Json::error_handler_t::replace);
}

void AppendValue(std::string& out, const HistValue& v) {
  switch (v.kind) {
    case HistValue::Kind::Code: out += std::to_string(v.n); break;
    case HistValue::Kind::NotSet: out += "null"; break;
    case HistValue::Kind::Failed: out += "{\"error\":" + std::to_string(v.n) + "}"; break;
    case HistValue::Kind::Untouched: out += "false"; break;
  }
}

OrderedJson ValueJson(const HistValue& v) {
  switch (v.kind) {
    case HistValue::Kind::Code: return v.n;
    case HistValue::Kind::NotSet: return nullptr;
    case HistValue::Kind::Failed: return OrderedJson{{"error", v.n}};
    case HistValue::Kind::Untouched: break;
  }
  return false;
}

bool ParseValue(const Json& j, HistValue* pv) {
  if (j.is_number_integer()) {
    const auto n = j.get<std::int64_t>();
    if (n < INT32_MIN || n > INT32_MAX) return false;
    *pv = HistValue::Code(static_cast<std::int32_t>(n));
  } else if (j.is_null()) {
    *pv = HistValue::NotSet();
  } else if (j.is_boolean() && !j.get<bool>()) {
    *pv = HistValue{};
  } else if (j.is_object() && j.size() == 1 && j.contains("error") && j["error"].is_number_integer()) {
    *pv = HistValue::Failed(j["error"].get<std::int32_t>());
  } else {
    return false;
  }
  return true;
}

bool ParseValues(const Json& j, std::size_t n, std::vector<HistValue>* pv) {
  if (!j.is_array() || j.size() != n) return false;
  pv->resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    if (!ParseValue(j[i], &(*pv)[i])) return false;
  }
  return true;
}

const char* KindName(HistKind k) {
  switch (k) {
    case HistKind::Apply: return "apply";
    case HistKind::EndOneTime: return "end-one-time";
    case HistKind::Undo: return "undo";
  }
  return "apply";
}

bool IsString(const Json& j, const char* key) { return j.contains(key) && j[key].is_string(); }

// A header line into e; false when it is not one of ours.
bool ParseHeader(const Json& j, HistEntry* e) {
  if (!IsString(j, "time") || !IsString(j, "who") || !IsString(j, "program") || !IsString(j, "kind") ||
      !IsString(j, "what") || !IsString(j, "mode") || !j.contains("conduits") || !j["conduits"].is_array()) {
    return false;
  }
  const std::string kind = j["kind"].get<std::string>();
  if (kind == "apply") e->kind = HistKind::Apply;
  else if (kind == "end-one-time") e->kind = HistKind::EndOneTime;
  else if (kind == "undo") e->kind = HistKind::Undo;
  else return false;
  const std::string mode = j["mode"].get<std::string>();
  if (mode != "default" && mode != "next") return false;
  e->bPermanent = mode == "default";
  e->time = j["time"].get<std::string>();
  e->who = j["who"].get<std::string>();
  e->program = j["program"].get<std::string>();
  e->what = j["what"].get<std::string>();
  if (e->kind == HistKind::Undo) {
    if (!j.contains("undoes") || !j["undoes"].is_number_unsigned()) return false;
    e->undoes = j["undoes"].get<std::uint64_t>();
  }
  for (const Json& c : j["conduits"]) {
    HistConduit hc;
    if (!c.is_object() || !IsString(c, "creator") || !IsString(c, "title") || !c.contains("new") ||
        !ParseCreatorId(c["creator"].get<std::string>(), &hc.dwCreatorID) || !ParseValue(c["new"], &hc.newValue)) {
      return false;
    }
    hc.title = c["title"].get<std::string>();
    e->conduits.push_back(std::move(hc));
  }
  return true;
}

bool ParseUser(const Json& j, const HistEntry& e, HistUser* u) {
  if (!j.contains("user") || !j["user"].is_number_unsigned() || !IsString(j, "name") || !j.contains("old")) return false;
  const auto id = j["user"].get<std::uint64_t>();
  if (id > 0xFFFFFFFFull) return false;
  u->userId = static_cast<std::uint32_t>(id);
  u->name = j["name"].get<std::string>();
  if (!ParseValues(j["old"], e.conduits.size(), &u->oldValues)) return false;
  if (j.contains("new") && !ParseValues(j["new"], e.conduits.size(), &u->newValues)) return false;
  return true;
}

// The text of a file; false when it exists and cannot be read. A missing file is empty.
bool ReadWhole(const std::string& path, std::string* pText, bool* pbExists) {
  pText->clear();
  *pbExists = false;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return !os::FileExists(path.c_str());
  *pbExists = true;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) pText->append(buf, n);
  const bool bOk = !std::ferror(f);
  std::fclose(f);
  return bOk;
}

}  // namespace

std::string HistValueText(const HistValue& v) {
  switch (v.kind) {
    case HistValue::Kind::Code: return palm::SyncPrefName(v.n);
    case HistValue::Kind::NotSet: return palm::kSyncPrefNotSet;
    case HistValue::Kind::Failed: return "read failed (error " + std::to_string(v.n) + ")";
    case HistValue::Kind::Untouched: break;
  }
  return "unchanged";
}

std::string HistKindText(const HistEntry& e) {
  switch (e.kind) {
    case HistKind::Apply: return "Apply";
    case HistKind::EndOneTime: return "End one-time actions";
    case HistKind::Undo: return "Undo of #" + std::to_string(e.undoes);
  }
  return {};
}

std::string HistTitleText(const HistEntry& e) {
  if (e.kind == HistKind::EndOneTime) return "End of one-time actions";
  return HistKindText(e) + (e.kind == HistKind::Undo ? " (" + e.what + ")" : " of " + e.what);
}

std::string HistModeText(const HistEntry& e) { return e.bPermanent ? "default" : "next HotSync"; }

std::string LocalToUtf8(const std::string& local) {
  bool bAscii = true;
  for (char c : local) bAscii = bAscii && static_cast<unsigned char>(c) < 0x80;
  if (bAscii) return local;
  const std::u16string u16 = os::LocalToUtf16(local);
  std::string out;
  for (std::size_t i = 0; i < u16.size(); ++i) {
    char32_t c = u16[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < u16.size() && u16[i + 1] >= 0xDC00 && u16[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (u16[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// -------------------------------------------------------------------------------------------------

HistoryFile::HistoryFile(std::string path, std::uint64_t maxBytes) : m_path(std::move(path)), m_maxBytes(maxBytes) {}

bool HistoryFile::ScanLines(const std::string& text, std::vector<Line>& lines, std::size_t* pBad) const {
  static constexpr char kPrefix[] = "{\"id\":";
  constexpr std::size_t nPrefix = sizeof kPrefix - 1;
  std::size_t pos = 0;
  std::size_t nLine = 0;
  std::unordered_set<std::uint64_t> headers;
  for (;;) {
    const std::size_t nl = text.find('\n', pos);
    // A last line without its newline was cut by a stop while it was written: the user it
    // names was not written yet, and it is dropped.
    if (nl == std::string::npos) return true;
    ++nLine;
    std::size_t i = pos + nPrefix;
    std::uint64_t id = 0;
    bool bOk = text.compare(pos, nPrefix, kPrefix) == 0 && i < nl && text[i] >= '0' && text[i] <= '9' &&
               nl > pos && text[nl - 1] == '}';
    for (; bOk && i < nl && text[i] >= '0' && text[i] <= '9'; ++i) id = id * 10 + static_cast<unsigned>(text[i] - '0');
    bOk = bOk && i < nl && text[i] == ',' && id > 0;
    // A header ("time" follows the id) comes first and once; users' lines and the end belong to
    // a header before them.
    if (bOk && text.compare(i, 8, ",\"time\":") == 0) {
      bOk = headers.insert(id).second;
    } else if (bOk) {
      bOk = (text.compare(i, 8, ",\"user\":") == 0 || text.compare(i, 7, ",\"end\":") == 0) && headers.count(id);
    }
    if (!bOk) {
      *pBad = nLine;
      return false;
    }
    lines.push_back({id, pos, nl - pos});
    pos = nl + 1;
  }
}

void HistoryFile::SetAside(const std::string& why) {
  std::string aside;
  for (int n = 1; n < 1000; ++n) {
    aside = m_path + ".damaged" + (n > 1 ? "-" + std::to_string(n) : std::string());
    if (!os::FileExists(aside.c_str())) break;
  }
  if (std::rename(m_path.c_str(), aside.c_str()) == 0) {
    m_notices.push_back("The history file " + m_path + " is not a history Orvane can read (" + why +
                        "); it was set aside as " + aside + " and a new history begun.");
  } else {
    m_notices.push_back("The history file " + m_path + " is not a history Orvane can read (" + why +
                        ") and could not be set aside: " + os::ErrnoText(errno) + ". Nothing is recorded.");
    m_path.clear();
  }
}

void HistoryFile::Fail(const std::string& what) {
  m_notices.push_back("The history file " + m_path + " could not be " + what + ": " + os::ErrnoText(errno) +
                      ". This change is not recorded in full.");
  m_pOut.reset();
}

bool HistoryFile::Load() {
  m_entries.clear();
  m_userLines.clear();
  if (m_path.empty()) return true;
  std::string text;
  bool bExists = false;
  if (!ReadWhole(m_path, &text, &bExists)) {
    m_notices.push_back("The history file " + m_path + " could not be read: " + os::ErrnoText(errno) + ".");
    return false;
  }
  std::vector<Line> lines;
  std::size_t nBad = 0;
  if (!ScanLines(text, lines, &nBad)) {
    SetAside("line " + std::to_string(nBad));
    return true;
  }
  std::unordered_map<std::uint64_t, std::size_t> byId;
  std::size_t nLine = 0;
  for (const Line& line : lines) {
    ++nLine;
    const Json j = Json::parse(text.begin() + static_cast<std::ptrdiff_t>(line.offset),
                               text.begin() + static_cast<std::ptrdiff_t>(line.offset + line.length), nullptr, false);
    bool bOk = j.is_object();
    const auto it = byId.find(line.id);
    if (bOk && j.contains("kind")) {
      HistEntry e;
      e.id = line.id;
      bOk = it == byId.end() && ParseHeader(j, &e);
      if (bOk) {
        byId.emplace(e.id, m_entries.size());
        m_entries.push_back(std::move(e));
        m_userLines.emplace_back();
      }
    } else if (bOk && j.contains("user")) {
      HistUser u;
      bOk = it != byId.end() && !m_entries[it->second].bEnded && ParseUser(j, m_entries[it->second], &u);
      if (bOk) {
        ++m_entries[it->second].nUsers;
        m_userLines[it->second].push_back(text.substr(line.offset, line.length));
      }
    } else if (bOk && j.contains("end")) {
      bOk = it != byId.end() && j["end"].is_string() && j.contains("failed") && j["failed"].is_array();
      if (bOk) {
        HistEntry& e = m_entries[it->second];
        e.bEnded = true;
        e.end = j["end"].get<std::string>();
        for (const Json& f : j["failed"]) {
          if (!f.is_number_unsigned()) bOk = false;
          else e.failed.push_back(f.get<std::uint32_t>());
        }
      }
    } else {
      bOk = false;
    }
    if (!bOk) {
      m_entries.clear();
      m_userLines.clear();
      SetAside("line " + std::to_string(nLine));
      return true;
    }
  }
  for (const HistEntry& e : m_entries) {
    if (e.kind != HistKind::Undo) continue;
    const auto it = byId.find(e.undoes);
    if (it != byId.end() && e.nUsers > 0) m_entries[it->second].bUndone = true;
  }
  return true;
}

const HistEntry* HistoryFile::Find(std::uint64_t id) const {
  for (const HistEntry& e : m_entries) {
    if (e.id == id) return &e;
  }
  return nullptr;
}

std::vector<HistUser> HistoryFile::UsersOf(const HistEntry& e) const {
  std::vector<HistUser> users;
  const std::size_t index = static_cast<std::size_t>(&e - m_entries.data());
  if (index >= m_entries.size()) return users;
  for (const std::string& line : m_userLines[index]) {
    HistUser u;
    // Load read every line already.
    if (ParseUser(Json::parse(line, nullptr, false), e, &u)) users.push_back(std::move(u));
  }
  return users;
}

const HistEntry* HistoryFile::UndoTarget() const {
  for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
    if (it->nUsers == 0) continue;
    return it->bUndone ? nullptr : &*it;
  }
  return nullptr;
}

bool HistoryFile::WriteLine(const std::string& line) {
  if (!m_pOut) return false;
  std::FILE* f = m_pOut.get();
  if (std::fwrite(line.data(), 1, line.size(), f) != line.size() || std::fputc('\n', f) == EOF ||
      std::fflush(f) != 0) {
    Fail("written");
    return false;
  }
  return true;
}

bool HistoryFile::Begin(const HistHeader& header) {
  m_pOut.reset();
  m_currentId = 0;
  if (m_path.empty()) return false;

  // The next id, the size bound and a damaged file are found from the lines' beginnings only:
  // the file is read but not parsed, as parsing a large history would cost more than the change.
  std::string text;
  bool bExists = false;
  if (!ReadWhole(m_path, &text, &bExists)) {
    Fail("read");
    return false;
  }
  std::vector<Line> lines;
  std::size_t nBad = 0;
  if (!ScanLines(text, lines, &nBad)) {
    SetAside("line " + std::to_string(nBad));
    if (m_path.empty()) return false;
    lines.clear();
    text.clear();
    bExists = false;
  }
  std::uint64_t lastId = 0;
  for (const Line& l : lines) lastId = std::max(lastId, l.id);
  const std::size_t nComplete = lines.empty() ? 0 : lines.back().offset + lines.back().length + 1;
  if (bExists && (text.size() > m_maxBytes || nComplete != text.size())) {
    // Keep the newest entries that fit in KeepBytes (whole entries, in their order), and drop a
    // cut last line; written beside and moved over the file in one step.
    // The entries in the order they begin, with the bytes of their lines.
    std::unordered_map<std::uint64_t, std::uint64_t> bytes;
    std::vector<std::uint64_t> order;
    for (const Line& l : lines) {
      const auto [it, bFirst] = bytes.try_emplace(l.id, 0);
      if (bFirst) order.push_back(l.id);
      it->second += l.length + 1;
    }
    std::unordered_set<std::uint64_t> keep;
    std::uint64_t total = 0;
    const std::uint64_t budget = text.size() > m_maxBytes ? KeepBytes(m_maxBytes) : UINT64_MAX;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
      if (total + bytes[*it] > budget) break;
      total += bytes[*it];
      keep.insert(*it);
    }
    std::string kept;
    kept.reserve(static_cast<std::size_t>(total));
    for (const Line& l : lines) {
      if (keep.count(l.id)) kept.append(text, l.offset, l.length + 1);
    }
    const std::string tmp = m_path + ".tmp";
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    const bool bWritten = f && std::fwrite(kept.data(), 1, kept.size(), f) == kept.size() && std::fflush(f) == 0;
    if (f) std::fclose(f);
    if (!bWritten || !os::ReplaceFile(tmp.c_str(), m_path.c_str())) {
      os::RemoveFile(tmp.c_str());
      Fail("trimmed to its size");
      return false;
    }
  }

  m_pOut.reset(std::fopen(m_path.c_str(), "ab"));
  if (!m_pOut) {
    Fail("opened");
    return false;
  }
  m_currentId = lastId + 1;
  OrderedJson j;
  j["id"] = m_currentId;
  j["time"] = NowUtc();
  j["who"] = os::GetLoginName();
  j["program"] = header.program;
  j["kind"] = KindName(header.kind);
  j["what"] = header.what;
  j["mode"] = header.bPermanent ? "default" : "next";
  if (header.kind == HistKind::Undo) j["undoes"] = header.undoes;
  OrderedJson conduits = OrderedJson::array();
  for (const HistConduit& c : header.conduits) {
    OrderedJson jc;
    jc["creator"] = CreatorIdText(c.dwCreatorID);
    jc["title"] = c.title;
    jc["new"] = ValueJson(c.newValue);
    conduits.push_back(std::move(jc));
  }
  j["conduits"] = std::move(conduits);
  return WriteLine(j.dump(-1, ' ', false, OrderedJson::error_handler_t::replace));
}

bool HistoryFile::User(std::uint32_t userId, const std::string& nameUtf8, const std::vector<HistValue>& oldValues,
                       const std::vector<HistValue>* pNewValues) {
  if (!m_pOut) return false;
  std::string line;
  line.reserve(64 + oldValues.size() * (pNewValues ? 4 : 2));
  line += "{\"id\":" + std::to_string(m_currentId) + ",\"user\":" + std::to_string(userId) +
          ",\"name\":" + Quoted(nameUtf8) + ",\"old\":[";
  for (std::size_t i = 0; i < oldValues.size(); ++i) {
    if (i) line += ',';
    AppendValue(line, oldValues[i]);
  }
  line += ']';
  if (pNewValues) {
    line += ",\"new\":[";
    for (std::size_t i = 0; i < pNewValues->size(); ++i) {
      if (i) line += ',';
      AppendValue(line, (*pNewValues)[i]);
    }
    line += ']';
  }
  line += '}';
  return WriteLine(line);
}

bool HistoryFile::End(const std::string& end, const std::vector<std::uint32_t>& failed) {
  if (!m_pOut) return false;
  std::string line = "{\"id\":" + std::to_string(m_currentId) + ",\"end\":" + Quoted(end) + ",\"failed\":[";
  for (std::size_t i = 0; i < failed.size(); ++i) line += (i ? "," : "") + std::to_string(failed[i]);
  line += "]}";
  const bool bOk = WriteLine(line);
  m_pOut.reset();
  return bOk;
}
