#include "src/core/ProfileText.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "src/logic/Main.h"
#include "src/core/UserActions.h"

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

std::string FormatProfileText(const std::vector<ProfileRec>& recs, const std::string& description,
                              const std::function<std::string(std::uint32_t)>& title) {
  std::string out = std::string(kProfileTextHeader) + "\n";
  if (!description.empty()) out += "# " + OneLine(description) + "\n";
  out += "# creator  action                  conduit\n";
  for (const ProfileRec& rec : recs) {
    std::string line = CreatorIdText(rec.dwCreatorID);
    line.resize(std::max<std::size_t>(line.size() + 1, 11), ' ');
    line += ActionWord(rec.dwAction);
    const std::string name = title ? OneLine(title(rec.dwCreatorID)) : std::string();
    if (!name.empty()) {
      line.resize(std::max<std::size_t>(line.size() + 1, 35), ' ');
      line += "# " + name;
    }
    out += line + "\n";
  }
  return out;
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
    if (line.size() > kProfileTextMaxLine) {
      return Fail(nLine, "the line is longer than " + std::to_string(kProfileTextMaxLine) + " bytes");
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();

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
  std::FILE* fp = (szPath && *szPath) ? std::fopen(szPath, "rb") : nullptr;
  if (!fp) return Fail(0, "the file could not be opened");
  std::string bytes;
  char buf[65536];
  bool bTooLarge = false, bError = false;
  for (;;) {
    const std::size_t n = std::fread(buf, 1, sizeof buf, fp);
    bytes.append(buf, n);
    if (bytes.size() > kProfileTextMaxBytes) {
      bTooLarge = true;
      break;
    }
    if (n < sizeof buf) {
      bError = std::ferror(fp) != 0;
      break;
    }
  }
  std::fclose(fp);
  if (bError) return Fail(0, "the file could not be read");

  // A saved profile: a count, least significant byte first, and exactly that many records.
  if (!bTooLarge && bytes.size() >= 4 && bytes.compare(0, 6, "Orvane") != 0) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    auto le32 = [p](std::size_t off) {
      return static_cast<std::uint32_t>(p[off]) | static_cast<std::uint32_t>(p[off + 1]) << 8 |
             static_cast<std::uint32_t>(p[off + 2]) << 16 | static_cast<std::uint32_t>(p[off + 3]) << 24;
    };
    const std::uint64_t n = le32(0);
    if (bytes.size() == 4 + 8 * n) {
      ProfileReadResult r;
      r.bOk = true;
      for (std::uint64_t i = 0; i < n; ++i) {
        r.recs.push_back({le32(4 + 8 * i), le32(8 + 8 * i)});
      }
      return r;
    }
  }
  if (bTooLarge) return Fail(0, "the file is larger than " + std::to_string(kProfileTextMaxBytes / 1024) + " KiB");
  return ParseProfileText(bytes);
}
