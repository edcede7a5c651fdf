#include "src/core/ProfileText.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "src/core/Actions.h"
#include "src/core/ProfileStore.h"
#include "src/core/UserActions.h"
#include "src/core/os/os.h"

namespace {

struct Word {
  const char* szWord;
  std::uint32_t dwAction;
};
constexpr Word kWords[] = {{"sync", ACTION_SYNC},
                           {"desktop-overwrites", ACTION_PC2HH},
                           {"handheld-overwrites", ACTION_HH2PC},
                           {"nothing", ACTION_NOTHING}};
constexpr const char* kOff = "off:";

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

bool ParseNumber32(const std::string& text, std::uint32_t* pValue) {
  if (text.empty()) return false;
  std::uint64_t v = 0;
  std::size_t i = 0;
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    i = 2;
  }
  for (; i < text.size(); ++i) {
    const char c = text[i];
    unsigned d;
    if (c >= '0' && c <= '9') {
      d = static_cast<unsigned>(c - '0');
    } else if (base == 16 && ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')) {
      d = static_cast<unsigned>((c | 0x20) - 'a' + 10);
    } else {
      return false;
    }
    v = v * base + d;
    if (v > 0xFFFFFFFFull) return false;
  }
  *pValue = static_cast<std::uint32_t>(v);
  return true;
}

// Control bytes would break the line a text is written into.
std::string OneLine(const std::string& text) {
  std::string s = text;
  for (char& c : s) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return s;
}

ProfileReadResult Fail(std::size_t nLine, std::string error) {
  ProfileReadResult r;
  r.nLine = nLine;
  r.error = std::move(error);
  return r;
}

// Splits a line (comment removed) into fields separated by blanks and tabs.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

// A printable form of a field for a message: at most 40 bytes, control bytes as '?'.
std::string Quote(const std::string& field) {
  std::string s = field.substr(0, 40);
  for (char& c : s) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return "\"" + s + (field.size() > 40 ? "...\"" : "\"");
}

}  // namespace

std::string ActionWord(std::uint32_t dwAction) {
  const std::uint32_t dwLow = dwAction & ACTION_CODE_MASK;
  const std::uint32_t dwHigh = dwAction & ~ACTION_CODE_MASK;
  if (dwHigh == 0 || dwHigh == ACTION_DISABLED) {
    for (const Word& w : kWords) {
      if (w.dwAction == dwLow) return (dwHigh ? std::string(kOff) : std::string()) + w.szWord;
    }
  }
  char sz[11];
  std::snprintf(sz, sizeof sz, "0x%08X", static_cast<unsigned>(dwAction));
  return sz;
}

bool ParseActionWord(const std::string& text, std::uint32_t* pdwAction) {
  std::string word = Lower(text);
  std::uint32_t dwHigh = 0;
  if (word.rfind(kOff, 0) == 0) {
    word.erase(0, std::strlen(kOff));
    dwHigh = ACTION_DISABLED;
  }
  for (const Word& w : kWords) {
    if (word == w.szWord) {
      *pdwAction = dwHigh | w.dwAction;
      return true;
    }
  }
  return dwHigh == 0 && ParseNumber32(text, pdwAction);
}

bool FormatProfileText(const std::vector<ProfileRec>& recs, const std::string& description,
                       const std::function<std::string(std::uint32_t)>& title, std::string* pText,
                       std::size_t* pnLeftOut, std::string* pWhy) {
  std::string out = std::string(kProfileTextHeader) + "\n";
  // Comments are cut on a whole character so that each line stays within kProfileTextMaxLine.
  if (!description.empty()) out += "# " + LocalTextPrefix(OneLine(description), kProfileTextMaxLine - 2) + "\n";
  out += "# creator  action                  conduit\n";
  // The reader refuses a conduit listed twice; the first record is the one that counts.
  std::vector<ProfileRec> unique;
  {
    std::map<std::uint32_t, bool> seen;
    for (const ProfileRec& rec : recs) {
      if (seen.emplace(rec.dwCreatorID, true).second) unique.push_back(rec);
    }
  }
  const std::size_t nLeftOut = recs.size() - unique.size();
  if (unique.size() > kProfileTextMaxEntries) unique.clear();  // refused below
  for (const ProfileRec& rec : unique) {
    std::string line = CreatorIdText(rec.dwCreatorID);
    line.resize(std::max<std::size_t>(line.size() + 1, 11), ' ');
    line += ActionWord(rec.dwAction);
    const std::string name = title ? OneLine(title(rec.dwCreatorID)) : std::string();
    if (!name.empty()) {
      line.resize(std::max<std::size_t>(line.size() + 1, 35), ' ');
      line += "# " + LocalTextPrefix(name, kProfileTextMaxLine - line.size() - 2);
    }
    out += line + "\n";
    if (out.size() > kProfileTextMaxBytes) break;  // refused below; no need to go on
  }
  if (pnLeftOut) *pnLeftOut = nLeftOut;
  std::string why;
  if (recs.size() - nLeftOut > kProfileTextMaxEntries) {
    why = "the profile has more than " + std::to_string(kProfileTextMaxEntries) +
          " conduits, more than a profile text may hold";
  } else if (out.size() > kProfileTextMaxBytes) {
    why = "the profile's text would be larger than " + std::to_string(kProfileTextMaxBytes / 1024) +
          " KiB, more than a profile text may hold";
  }
  if (!why.empty()) {
    if (pText) pText->clear();
    if (pWhy) *pWhy = why;
    return false;
  }
  if (pText) *pText = std::move(out);
  return true;
}

std::string FormatProfileText(const std::vector<ProfileRec>& recs, const std::string& description,
                              const std::function<std::string(std::uint32_t)>& title) {
  std::string text;
  FormatProfileText(recs, description, title, &text, nullptr, nullptr);
  return text;
}

ProfileReadResult ParseProfileText(const std::string& bytes) {
  if (bytes.size() > kProfileTextMaxBytes) {
    return Fail(0, "the file is larger than " + std::to_string(kProfileTextMaxBytes / 1024) + " KiB");
  }
  if (bytes.find('\0') != std::string::npos) {
    const std::size_t nLine = 1 + static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.find('\0')), '\n'));
    return Fail(nLine, "a zero byte: this is not a text file");
  }

  ProfileReadResult result;
  std::map<std::uint32_t, std::size_t> seen;  // creator ID -> line
  bool bHeader = false;
  std::size_t pos = 0, nLine = 0;
  // A UTF-8 byte order mark, which some editors write, is not part of the first line.
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
  while (pos < bytes.size()) {
    ++nLine;
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(pos, end - pos);
    pos = end + 1;
    // The line end is no part of the line, whether LF or CR LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kProfileTextMaxLine) {
      return Fail(nLine, "the line is longer than " + std::to_string(kProfileTextMaxLine) + " bytes");
    }

    if (!bHeader) {
      const std::vector<std::string> f = Fields(line);
      if (f.empty()) continue;
      if (f == Fields(kProfileTextHeader)) {
        bHeader = true;
        continue;
      }
      if (f.size() == 4 && f[0] == "Orvane" && f[1] == "conduit" && f[2] == "profile") {
        return Fail(nLine, "version " + Quote(f[3]) + " of the profile format is not known (this tool reads 1)");
      }
      return Fail(nLine, std::string("not an Orvane profile: the first line must be \"") + kProfileTextHeader + "\"");
    }

    const std::size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    const std::vector<std::string> f = Fields(line);
    if (f.empty()) continue;
    if (f.size() < 2) return Fail(nLine, "the conduit " + Quote(f[0]) + " has no action");
    if (f.size() > 2) return Fail(nLine, "unexpected " + Quote(f[2]) + " after the action (a comment starts with #)");
    ProfileRec rec{};
    if (!ParseCreatorId(f[0], &rec.dwCreatorID)) {
      return Fail(nLine, Quote(f[0]) + " is not a creator ID (four characters, or 0x and up to eight hex digits)");
    }
    if (!ParseActionWord(f[1], &rec.dwAction)) {
      return Fail(nLine, Quote(f[1]) +
                             " is not an action (sync, desktop-overwrites, handheld-overwrites, nothing, the same "
                             "after off:, or a number)");
    }
    const auto [it, bNew] = seen.emplace(rec.dwCreatorID, nLine);
    if (!bNew) {
      return Fail(nLine, "the conduit " + f[0] + " is listed twice (lines " + std::to_string(it->second) + " and " +
                             std::to_string(nLine) + ")");
    }
    if (result.recs.size() >= kProfileTextMaxEntries) {
      return Fail(nLine, "more than " + std::to_string(kProfileTextMaxEntries) + " conduits");
    }
    result.recs.push_back(rec);
  }
  if (!bHeader) {
    return Fail(0, std::string("the file is empty: an Orvane profile starts with \"") + kProfileTextHeader + "\"");
  }
  result.bOk = true;
  return result;
}

ProfileReadResult ReadProfileFile(const char* szPath) {
  if (!szPath || !*szPath) return Fail(0, "no file was named");
  // Checked before opening: opening a FIFO for reading waits for a writer, and a device may
  // never end.
  switch (os::GetFileKind(szPath)) {
    case os::FileKind::Directory:
      return Fail(0, "this is a directory, not a profile file");
    case os::FileKind::Other:
      return Fail(0, "this is not a regular file (a device, a pipe or a socket), so it is not read");
    case os::FileKind::Missing:  // opening tells why
    case os::FileKind::Regular:
      break;
  }
  errno = 0;
  std::FILE* fp = std::fopen(szPath, "rb");
  if (!fp) {
    const std::string why = os::ErrnoText(errno);
    return Fail(0, "the file could not be opened" + (why.empty() ? std::string() : ": " + why));
  }
  // At most one byte more than a text may hold: enough to tell a text that is too large.
  std::string bytes;
  char buf[65536];
  bool bError = false;
  while (bytes.size() <= kProfileTextMaxBytes) {
    const std::size_t n = std::fread(buf, 1, std::min(sizeof buf, kProfileTextMaxBytes + 1 - bytes.size()), fp);
    bytes.append(buf, n);
    if (n == 0) {
      bError = std::ferror(fp) != 0;
      break;
    }
  }
  std::fclose(fp);
  if (bError) return Fail(0, "the file could not be read");

  if (bytes.substr(0, 4).find('\0') != std::string::npos) {
    // A saved profile, read as the main window reads it.
    const ProfileFileRead saved = ReadProfileRecords(szPath);
    if (saved.state == ProfileFileRead::State::Whole) {
      ProfileReadResult r;
      r.bOk = true;
      r.recs = saved.recs;
      return r;
    }
    if (saved.state == ProfileFileRead::State::NotOpened) {
      const std::string why = os::ErrnoText(saved.nErrno);
      return Fail(0, "the file could not be opened" + (why.empty() ? std::string() : ": " + why));
    }
    if (!saved.bCountRead) return Fail(0, "a damaged saved profile: it ends before its count of conduits");
    return Fail(0, "a damaged saved profile: it announces " + std::to_string(saved.nAnnounced) +
                       " conduits but holds " + std::to_string(saved.recs.size()) + " whole");
  }
  return ParseProfileText(bytes);
}
