// The OS layer on POSIX (Linux): INI files and the per-user registry are read from text files,
// libraries are loaded with dlopen, the shell opener is xdg-open.
#include "src/core/os/os.h"

#include "src/core/misc/AsciiCase.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <limits.h>
#include <link.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace os {
namespace {

// Copies text into buf, cut to cap - 1 bytes and terminated. Returns the bytes copied.
std::size_t CopyCut(std::string_view text, char* buf, std::size_t cap) {
  if (buf == nullptr || cap == 0) return 0;
  const std::size_t n = std::min(text.size(), cap - 1);
  if (n != 0) std::memcpy(buf, text.data(), n);
  buf[n] = '\0';
  return n;
}

using ov::EqualNoCase;

// The blanks that the Windows profile reader trims: the C white space and Ctrl-Z, the old
// end-of-file mark.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The text up to its first NUL: a NUL byte in a file ends a name or a value there.
std::string_view UpToNul(std::string_view s) {
  const std::size_t nul = s.find('\0');
  return nul == std::string_view::npos ? s : s.substr(0, nul);
}

// Reads a whole file. UTF-16LE text (with its byte order mark) is narrowed to single bytes,
// characters beyond one byte becoming '?'; a UTF-8 byte order mark is dropped.
bool ReadTextFile(const char* path, std::string& out) {
  out.clear();
  if (path == nullptr || *path == '\0') return false;
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  char chunk[65536];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) out.append(chunk, got);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) return false;
  if (out.size() >= 2 && static_cast<unsigned char>(out[0]) == 0xFF &&
      static_cast<unsigned char>(out[1]) == 0xFE) {
    std::string narrow;
    narrow.reserve(out.size() / 2);
    for (std::size_t i = 2; i + 1 < out.size(); i += 2) {
      const unsigned unit = static_cast<unsigned char>(out[i]) |
                            (static_cast<unsigned>(static_cast<unsigned char>(out[i + 1])) << 8);
      narrow.push_back(unit < 0x100 ? static_cast<char>(unit) : '?');
    }
    out.swap(narrow);
  } else if (out.size() >= 3 && out.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    out.erase(0, 3);
  }
  return true;
}

// Splits text into lines at CR and LF (runs of them end one line).
template <typename Fn>
void ForEachLine(std::string_view text, Fn&& fn) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    if (!fn(text.substr(pos, end - pos))) return;
    pos = end;
    while (pos < text.size() && (text[pos] == '\n' || text[pos] == '\r')) ++pos;
  }
}

// Copies a profile value the way the Windows profile reader does: one pair of matching
// enclosing quotes (" or ') is removed, then the value is cut to the buffer.
std::size_t CopyProfileValue(std::string_view value, char* buf, std::size_t cap) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return CopyCut(value, buf, cap);
}

// Looks key up in section of an INI text. Keys before the first section header belong to no
// section and are never found; only the first section of a name is searched, and the first
// key of a name in it wins. A line without '=' names a key without a value, which is absent.
bool FindIniValue(std::string_view text, std::string_view section, std::string_view key,
                  std::string& value) {
  bool inSection = false;   // inside the first section named `section`
  bool sectionSeen = false;  // that section has been met (later ones of the name are ignored)
  bool found = false;
  ForEachLine(text, [&](std::string_view line) {
    line = Trim(line);
    if (line.empty()) return true;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        if (inSection) return false;  // the section ended without the key
        const std::string_view name = UpToNul(Trim(line.substr(1, close - 1)));
        if (!sectionSeen && !name.empty() && EqualNoCase(name, section)) {
          inSection = sectionSeen = true;
        }
        return true;
      }
      // A '[' without a closing ']' is an ordinary line.
    }
    if (!inSection) return true;
    const std::size_t eq = line.find('=');
    std::string_view name = line.substr(0, eq);
    if (eq != std::string_view::npos) name = Trim(name);
    if (!EqualNoCase(UpToNul(name), key)) return true;
    if (eq != std::string_view::npos) {
      value.assign(UpToNul(Trim(line.substr(eq + 1))));
      found = true;
    }
    return false;  // the first key of the name decides, with or without a value
  });
  return found;
}

// ---- the per-user registry: a .reg export file ----

struct RegValue {
  std::string name;
  std::string data;
};

struct RegKeyData {
  std::vector<RegValue> values;
};

std::string RegistryFilePath() {
  std::string dir;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && *xdg == '/') {
    dir = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return {};
    dir = std::string(home) + "/.config";
  }
  return dir + "/orvane/HKCU.reg";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = ov::LowerAscii(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Parses the quoted string at the start of s (s[0] == '"'), undoing the \\ and \" escapes.
// Returns the length consumed, or 0 when the string is not closed.
std::size_t ParseRegString(std::string_view s, std::string& out) {
  out.clear();
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
      out.push_back(s[++i]);
    } else if (s[i] == '"') {
      return i + 1;
    } else {
      out.push_back(s[i]);
    }
  }
  return 0;
}

// Parses "aa,bb,..." (hexadecimal bytes) into bytes; false on anything else.
bool ParseHexBytes(std::string_view s, std::string& out) {
  out.clear();
  s = Trim(s);
  if (s.empty()) return true;
  while (true) {
    const std::size_t comma = s.find(',');
    const std::string_view item = Trim(s.substr(0, comma));
    if (item.empty() || item.size() > 2) return false;
    int byte = 0;
    for (char c : item) {
      const int d = HexDigit(c);
      if (d < 0) return false;
      byte = byte * 16 + d;
    }
    out.push_back(static_cast<char>(byte));
    if (comma == std::string_view::npos) return true;
    s.remove_prefix(comma + 1);
  }
}

// Turns the data part of a value line into the bytes that RegQueryValueExA gives. Strings
// get their terminator; text held as UTF-16 in a version 5 export (hex(1), hex(2), hex(7)) is
// narrowed to single bytes. False for a form this reader does not know.
bool ParseRegData(std::string_view s, bool unicodeFile, std::string& out) {
  s = Trim(s);
  if (!s.empty() && s.front() == '"') {
    const std::size_t used = ParseRegString(s, out);
    if (used == 0 || !Trim(s.substr(used)).empty()) return false;
    out.push_back('\0');
    return true;
  }
  if (s.size() > 6 && EqualNoCase(s.substr(0, 6), "dword:")) {
    const std::string_view digits = Trim(s.substr(6));
    if (digits.empty() || digits.size() > 8) return false;
    std::uint32_t v = 0;
    for (char c : digits) {
      const int d = HexDigit(c);
      if (d < 0) return false;
      v = v * 16 + static_cast<std::uint32_t>(d);
    }
    out.clear();
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return true;
  }
  if (s.size() >= 4 && EqualNoCase(s.substr(0, 4), "hex:")) return ParseHexBytes(s.substr(4), out);
  if (s.size() >= 4 && EqualNoCase(s.substr(0, 4), "hex(")) {
    const std::size_t close = s.find("):");
    if (close == std::string_view::npos || close == 4) return false;
    unsigned type = 0;
    for (char c : s.substr(4, close - 4)) {
      const int d = HexDigit(c);
      if (d < 0 || type > 0xFFFFFFF) return false;
      type = type * 16 + static_cast<unsigned>(d);
    }
    if (!ParseHexBytes(s.substr(close + 2), out)) return false;
    if (unicodeFile && (type == 1 || type == 2 || type == 7)) {
      std::string narrow;
      for (std::size_t i = 0; i + 1 < out.size(); i += 2) {
        const unsigned unit = static_cast<unsigned char>(out[i]) |
                              (static_cast<unsigned>(static_cast<unsigned char>(out[i + 1])) << 8);
        narrow.push_back(unit < 0x100 ? static_cast<char>(unit) : '?');
      }
      out.swap(narrow);
    }
    return true;
  }
  return false;
}

// Reads the values of one key from the registry file. False when the file is missing, is not
// a registry export, or does not hold the key. A key exists when its own header or a header
// of one of its subkeys is present. Malformed lines are skipped.
bool LoadRegKey(const char* subkey, RegKeyData& key) {
  std::string text;
  const std::string file = RegistryFilePath();
  if (file.empty() || !ReadTextFile(file.c_str(), text)) return false;

  std::string wanted = "HKEY_CURRENT_USER";
  if (*subkey != '\0') {
    wanted += '\\';
    wanted += subkey;
  }

  bool headerSeen = false;
  bool unicodeFile = false;
  bool exists = false;
  bool inKey = false;
  std::string pending;  // a value line continued with a trailing backslash
  ForEachLine(text, [&](std::string_view raw) {
    std::string_view line = Trim(raw);
    if (!headerSeen) {
      if (line.empty()) return true;
      if (line == "Windows Registry Editor Version 5.00") {
        unicodeFile = true;
      } else if (line != "REGEDIT4") {
        return false;  // not a registry export
      }
      headerSeen = true;
      return true;
    }
    if (!pending.empty()) {
      pending += line;
      if (!pending.empty() && pending.back() == '\\') {
        pending.pop_back();
        return true;
      }
      line = pending;
    } else {
      if (line.empty() || line.front() == ';') return true;
      if (line.front() == '[') {
        pending.clear();
        inKey = false;
        if (line.back() != ']') return true;
        const std::string_view path = line.substr(1, line.size() - 2);
        if (EqualNoCase(path, wanted)) {
          inKey = exists = true;
        } else if (path.size() > wanted.size() && path[wanted.size()] == '\\' &&
                   EqualNoCase(path.substr(0, wanted.size()), wanted)) {
          exists = true;
        }
        return true;
      }
      if (!inKey) return true;
      if (line.back() == '\\') {
        pending.assign(line.substr(0, line.size() - 1));
        return true;
      }
    }
    const std::string current(line);
    pending.clear();
    std::string_view rest = current;

    std::string name;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else if (rest.front() == '"') {
      const std::size_t used = ParseRegString(rest, name);
      if (used == 0) return true;
      rest.remove_prefix(used);
    } else {
      return true;
    }
    rest = Trim(rest);
    if (rest.empty() || rest.front() != '=') return true;
    rest.remove_prefix(1);

    auto it = std::find_if(key.values.begin(), key.values.end(),
                           [&](const RegValue& v) { return EqualNoCase(v.name, name); });
    if (Trim(rest) == "-") {  // "Name"=- removes the value
      if (it != key.values.end()) key.values.erase(it);
      return true;
    }
    std::string data;
    if (!ParseRegData(rest, unicodeFile, data)) return true;
    if (it != key.values.end()) {
      it->data = std::move(data);
    } else {
      key.values.push_back({std::move(name), std::move(data)});
    }
    return true;
  });
  return exists;
}

// Makes a relative path absolute against the current directory.
std::string AbsolutePath(const char* path) {
  if (path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (::getcwd(cwd, sizeof cwd) == nullptr) return std::string("./") + path;
  std::string out = cwd;
  if (out.empty() || out.back() != '/') out += '/';
  out += path;
  return out;
}

bool IsExecutableFile(const char* path) {
  struct stat st;
  return ::stat(path, &st) == 0 && S_ISREG(st.st_mode) && ::access(path, X_OK) == 0;
}

// Searches PATH for an executable program name.
std::string FindOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string_view rest = path;
  while (true) {
    const std::size_t colon = rest.find(':');
    std::string dir(rest.substr(0, colon));
    if (dir.empty()) dir = ".";
    const std::string candidate = dir + "/" + name;
    if (IsExecutableFile(candidate.c_str())) return candidate;
    if (colon == std::string_view::npos) return {};
    rest.remove_prefix(colon + 1);
  }
}

// Starts program with argv detached from this process: in a new session, reparented to init
// (double fork, so no zombie is left), with standard input and output on /dev/null and no
// other descriptor of ours. True when the program was started (its exec succeeded) and, with
// nWaitMs above 0, did not end with a failure within that time (an opener that finds nothing to
// show the target with may end at once with a non-zero status). The wait ends as soon as the
// program does.
bool SpawnDetached(const std::string& program, const std::vector<std::string>& args, int nWaitMs = 0) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  int report[2];  // the grandchild writes errno here when exec fails; exec closes it
  if (::pipe2(report, O_CLOEXEC) != 0) return false;

  const pid_t child = ::fork();
  if (child < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (child == 0) {
    ::close(report[0]);
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild < 0) {
      const int err = errno;
      (void)!::write(report[1], &err, sizeof err);
      ::_exit(1);
    }
    if (grandchild > 0) {
      for (int waited = 0; waited < nWaitMs; waited += 5) {
        int status = 0;
        if (::waitpid(grandchild, &status, WNOHANG) == grandchild) {
          if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            const int failed = -1;
            (void)!::write(report[1], &failed, sizeof failed);
          }
          break;
        }
        ::usleep(5000);
      }
      ::_exit(0);
    }
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
      ::dup2(null, 0);
      ::dup2(null, 1);
      ::dup2(null, 2);
      if (null > 2) ::close(null);
    }
    // Every other descriptor is closed when the program starts.
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
      const long max = ::sysconf(_SC_OPEN_MAX);
      for (int fd = 3; fd < (max > 0 && max < 65536 ? max : 65536); ++fd)
        if (fd != report[1]) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    ::execv(program.c_str(), argv.data());
    const int err = errno;
    (void)!::write(report[1], &err, sizeof err);
    ::_exit(127);
  }

  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int err = 0;
  ssize_t got;
  while ((got = ::read(report[0], &err, sizeof err)) < 0 && errno == EINTR) {
  }
  ::close(report[0]);
  return got == 0;  // closed by a successful exec, nothing written
}

}  // namespace

bool GetExecutablePath(char* buf, std::size_t cap) {
  if (buf == nullptr || cap == 0) return false;
  buf[0] = '\0';
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof path || static_cast<std::size_t>(n) >= cap)
    return false;
  std::memcpy(buf, path, static_cast<std::size_t>(n));
  buf[n] = '\0';
  return true;
}

std::string GetModulePathOf(const void* address) {
  Dl_info info{};
  link_map* map = nullptr;
  if (address == nullptr ||
      ::dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0) {
    return {};
  }
  // The executable's own entry has an empty name.
  if (map == nullptr || map->l_name == nullptr || map->l_name[0] == '\0') {
    char path[PATH_MAX];
    return GetExecutablePath(path, sizeof path) ? std::string(path) : std::string();
  }
  if (map->l_name[0] == '/') return map->l_name;
  char resolved[PATH_MAX];
  return ::realpath(map->l_name, resolved) != nullptr ? std::string(resolved) : std::string();
}

std::size_t ReadIniString(const char* file, const char* section, const char* key,
                          const char* def, char* buf, std::size_t cap) {
  if (buf == nullptr || cap == 0) return 0;
  // Trailing spaces of the default are dropped, as Windows does.
  std::string_view defText = def != nullptr ? def : "";
  while (!defText.empty() && defText.back() == ' ') defText.remove_suffix(1);

  std::string text;
  std::string value;
  if (section != nullptr && key != nullptr && ReadTextFile(file, text) &&
      FindIniValue(text, Trim(section), Trim(key), value)) {
    return CopyProfileValue(value, buf, cap);
  }
  return CopyProfileValue(defText, buf, cap);
}

RegKey RegOpenCurrentUserKey(const char* subkey) {
  if (subkey == nullptr) return nullptr;
  auto* key = new RegKeyData;
  if (!LoadRegKey(subkey, *key)) {
    delete key;
    return nullptr;
  }
  return key;
}

RegResult RegQueryString(RegKey key, const char* name, char* buf, std::uint32_t* size) {
  if (key == nullptr || size == nullptr) return RegResult::Failed;
  const auto& values = static_cast<RegKeyData*>(key)->values;
  const std::string_view wanted = name != nullptr ? name : "";
  const auto it = std::find_if(values.begin(), values.end(),
                               [&](const RegValue& v) { return EqualNoCase(v.name, wanted); });
  if (it == values.end()) return RegResult::Failed;
  if (it->data.size() > UINT32_MAX) return RegResult::Failed;
  const std::uint32_t offered = *size;
  *size = static_cast<std::uint32_t>(it->data.size());
  if (buf == nullptr) return RegResult::Ok;  // a question for the size alone
  if (it->data.size() > offered) {
    if (offered > 0) buf[0] = '\0';
    return RegResult::MoreData;
  }
  if (!it->data.empty()) std::memcpy(buf, it->data.data(), it->data.size());
  return RegResult::Ok;
}

void RegCloseKey(RegKey key) { delete static_cast<RegKeyData*>(key); }

Library LoadLibrary(const char* path, LoadError* pError) {
  if (pError) *pError = {};
  if (path == nullptr || *path == '\0') {
    if (pError) *pError = {LoadFailure::NotFound, 0, "no library was named"};
    return nullptr;
  }
  // dlopen never searches the current directory, and a relative name would match a library
  // of the same name loaded earlier from another directory: always give it a full path. The
  // libraries it needs are found through its own run path ($ORIGIN), as the system decides.
  const std::string full = AbsolutePath(path);
  Library lib = ::dlopen(full.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (lib == nullptr && pError) {
    const char* why = ::dlerror();
    pError->text = why ? why : "";
    struct stat st;
    if (::stat(full.c_str(), &st) != 0) {
      pError->kind = LoadFailure::NotFound;
    } else if (pError->text.find("wrong ELF class") != std::string::npos ||
               pError->text.find("ELF file's machine") != std::string::npos) {
      // The loader's words for a library of the other word size or another processor.
      pError->kind = LoadFailure::WrongArchitecture;
    } else {
      pError->kind = LoadFailure::Other;
    }
  }
  return lib;
}

void* FindSymbol(Library lib, const char* name) {
  if (lib == nullptr || name == nullptr) return nullptr;
  return ::dlsym(lib, name);
}

void FreeLibrary(Library lib) {
  if (lib != nullptr) ::dlclose(lib);
}

bool SetCurrentDirectory(const char* path) {
  return path != nullptr && *path != '\0' && ::chdir(path) == 0;
}

bool GetCurrentDirectory(char* buf, std::size_t cap) {
  if (buf == nullptr || cap == 0) return false;
  buf[0] = '\0';
  char path[PATH_MAX];
  if (::getcwd(path, sizeof path) == nullptr) return false;
  if (std::strlen(path) >= cap) return false;
  CopyCut(path, buf, cap);
  return true;
}

bool FileExists(const char* path) {
  struct stat st;
  return path != nullptr && *path != '\0' && ::stat(path, &st) == 0;
}

FileKind GetFileKind(const char* path) {
  struct stat st;
  if (path == nullptr || *path == '\0' || ::stat(path, &st) != 0) return FileKind::Missing;
  if (S_ISREG(st.st_mode)) return FileKind::Regular;
  if (S_ISDIR(st.st_mode)) return FileKind::Directory;
  return FileKind::Other;
}

bool IsRegularFile(const char* path) { return GetFileKind(path) == FileKind::Regular; }

// strerror_r comes in two forms: the GNU one returns the text, the XSI one fills buf.
[[maybe_unused]] static std::string StrerrorResult(const char* result, const char*, int nErrno) {
  return result ? std::string(result) : "error " + std::to_string(nErrno);
}
[[maybe_unused]] static std::string StrerrorResult(int result, const char* buf, int nErrno) {
  return result == 0 ? std::string(buf) : "error " + std::to_string(nErrno);
}

std::string ErrnoText(int nErrno) {
  if (nErrno == 0) return {};
  char buf[256] = {};
  return StrerrorResult(::strerror_r(nErrno, buf, sizeof buf), buf, nErrno);
}

bool GetShortPath(const char*, char* buf, std::size_t cap) {
  if (buf != nullptr && cap > 0) buf[0] = '\0';
  return false;
}

namespace {

// fsync of the file or directory at path; errno tells why it failed.
bool SyncPath(const char* path, int flags) {
  int fd;
  while ((fd = ::open(path, flags | O_CLOEXEC)) < 0 && errno == EINTR) {
  }
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  const int err = errno;
  ::close(fd);
  errno = err;
  return ok;
}

// The directory part of path ("." for a bare name).
std::string DirectoryOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  if (slash == nullptr) return ".";
  if (slash == path) return "/";
  return std::string(path, static_cast<std::size_t>(slash - path));
}

}  // namespace

bool ReplaceFile(const char* from, const char* to) {
  if (from == nullptr || to == nullptr || *from == '\0' || *to == '\0') {
    errno = EINVAL;
    return false;
  }
  // The new contents reach the disk before the name does: otherwise a crash just after the rename
  // can leave the name on an empty file.
  if (!SyncPath(from, O_RDONLY)) return false;
  if (std::rename(from, to) != 0) return false;
  // The rename itself is made durable through the directory. A file system that cannot sync a
  // directory (EINVAL) has nothing more to do.
  if (!SyncPath(DirectoryOf(to).c_str(), O_RDONLY | O_DIRECTORY) && errno != EINVAL) return false;
  return true;
}

bool RemoveFile(const char* path) {
  return path != nullptr && *path != '\0' && ::unlink(path) == 0;
}

bool IsWritableDirectory(const char* path) {
  struct stat st;
  if (path == nullptr || *path == '\0' || ::stat(path, &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  // The class of the user decides, as the permissions say it; root too, so that a directory
  // installed read-only stays untouched whoever runs the tool.
  mode_t bit = S_IWOTH;
  if (st.st_uid == ::geteuid()) {
    bit = S_IWUSR;
  } else if (st.st_gid == ::getegid()) {
    bit = S_IWGRP;
  } else {
    gid_t groups[256];
    const int n = ::getgroups(256, groups);
    for (int i = 0; i < n; ++i) {
      if (groups[i] == st.st_gid) bit = S_IWGRP;
    }
  }
  return (st.st_mode & bit) != 0 && ::access(path, W_OK) == 0;
}

bool GetUserDataDirectory(char* buf, std::size_t cap) {
  if (buf == nullptr || cap == 0) return false;
  buf[0] = '\0';
  std::string dir;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && *xdg == '/') {
    dir = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home != '/') return false;
    dir = std::string(home) + "/.local/share";
  }
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  dir += "/orvane";
  if (dir.size() + 1 > cap) return false;
  std::memcpy(buf, dir.c_str(), dir.size() + 1);
  return true;
}

bool MakeDirectories(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  std::string p(path);
  for (std::size_t i = 1; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == '/') {
      const std::string part = p.substr(0, i);
      if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
  }
  struct stat st;
  return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {
// How long ShellOpen watches the opener for a failure: short enough that a window does not
// notice it.
constexpr int kOpenerFailureMs = 100;
}  // namespace

bool ShellOpen(const char* target) {
  if (target == nullptr || *target == '\0') return false;
  // A bare name means a file of the current directory, as the Windows shell finds it there.
  const std::string path = std::strchr(target, '/') != nullptr ? std::string(target)
                                                                : std::string("./") + target;
  if (IsExecutableFile(path.c_str())) return SpawnDetached(path, {});
  const std::string opener = FindOnPath("xdg-open");
  if (opener.empty()) return false;
  // The caller is a window that must not freeze, so the opener is not waited for: only a
  // failure within the first moment is seen (a launcher that cannot run at all); one that
  // fails later, or that keeps running, counts as opened.
  return SpawnDetached(opener, {target}, kOpenerFailureMs);
}

std::size_t CharLength(const char* p, std::size_t n) {
  if (n == 0) return 0;
  const unsigned char c = static_cast<unsigned char>(p[0]);
  std::size_t len;
  std::uint32_t min;
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) {
    len = 2;
    min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    len = 3;
    min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    len = 4;
    min = 0x10000;
  } else {
    return 1;
  }
  if (len > n) return 1;
  std::uint32_t cp = c & (0x7F >> len);
  for (std::size_t i = 1; i < len; ++i) {
    const unsigned char k = static_cast<unsigned char>(p[i]);
    if ((k & 0xC0) != 0x80) return 1;
    cp = (cp << 6) | (k & 0x3F);
  }
  // Overlong forms, surrogates and values past Unicode are no characters.
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 1;
  return len;
}

std::u16string LocalToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t len = CharLength(text.data() + i, text.size() - i);
    const unsigned char c = static_cast<unsigned char>(text[i]);
    std::uint32_t cp;
    if (len == 1) {
      cp = c < 0x80 ? c : 0xFFFD;
    } else {
      cp = c & (0x7F >> len);
      for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += len;
  }
  return out;
}

std::string ToConsoleText(const std::string& text) { return text; }

std::string UserDataDirectoryProblem() { return {}; }

bool GetVirtualStoreDirectory(const char*, char* buf, std::size_t cap) {
  if (buf != nullptr && cap > 0) buf[0] = '\0';
  return false;
}

std::vector<std::string> ListFiles(const char* dir) {
  std::vector<std::string> names;
  if (dir == nullptr || *dir == '\0') return names;
  DIR* d = ::opendir(dir);
  if (d == nullptr) return names;
  std::string base(dir);
  if (base.back() != '/') base += '/';
  while (const dirent* entry = ::readdir(d)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (IsRegularFile((base + name).c_str())) names.push_back(name);
  }
  ::closedir(d);
  return names;
}

bool CopyFile(const char* from, const char* to) {
  if (from == nullptr || to == nullptr || *from == '\0' || *to == '\0') return false;
  std::FILE* in = std::fopen(from, "rb");
  if (in == nullptr) return false;
  std::FILE* out = std::fopen(to, "wb");
  if (out == nullptr) {
    std::fclose(in);
    return false;
  }
  char chunk[65536];
  std::size_t got;
  bool ok = true;
  while (ok && (got = std::fread(chunk, 1, sizeof chunk, in)) > 0) ok = std::fwrite(chunk, 1, got, out) == got;
  ok = ok && !std::ferror(in);
  std::fclose(in);
  ok = std::fclose(out) == 0 && ok;
  return ok;
}

namespace {
volatile std::sig_atomic_t g_stopRequested = 0;

extern "C" void OnStopSignal(int) { g_stopRequested = 1; }
}  // namespace

void InstallStopRequestHandler() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // The first signal sets the flag and puts the system's handling back, so that a second one ends
  // the process; no SA_RESTART: a wait for a child or a sleep ends early and the flag is seen.
  action.sa_flags = SA_RESETHAND;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() { return g_stopRequested != 0; }

void ClearStopRequest() { g_stopRequested = 0; }

void RestrictLibrarySearch() {}

std::string GetLoginName() {
  if (const struct passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_name != nullptr && *pw->pw_name) {
    return pw->pw_name;
  }
  const char* user = std::getenv("USER");
  return user != nullptr ? user : "";
}

}  // namespace os
