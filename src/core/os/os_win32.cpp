// The OS layer on Windows: thin wrappers over the Win32 API (ANSI forms).
#include "src/core/os/os.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

// <windows.h> maps these names to their A/W forms; ours are plain functions.
#undef LoadLibrary
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef ReplaceFile

namespace os {
namespace {

// Capacities the Win32 calls take as DWORD; a larger buffer is simply used in part.
DWORD ClampCap(std::size_t cap) { return cap > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(cap); }

std::size_t CopyCut(std::string_view text, char* buf, std::size_t cap) {
  if (buf == nullptr || cap == 0) return 0;
  const std::size_t n = text.size() < cap - 1 ? text.size() : cap - 1;
  if (n != 0) std::memcpy(buf, text.data(), n);
  buf[n] = '\0';
  return n;
}

// The full form of a path, relative ones resolved against the current directory; the path
// itself when that fails.
std::string FullPath(const char* path) {
  char stackBuf[MAX_PATH];
  DWORD n = ::GetFullPathNameA(path, MAX_PATH, stackBuf, nullptr);
  if (n == 0) return path;
  if (n < MAX_PATH) return std::string(stackBuf, n);
  std::string out(n, '\0');
  const DWORD m = ::GetFullPathNameA(path, n, out.data(), nullptr);
  if (m == 0 || m >= n) return path;
  out.resize(m);
  return out;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Sets the error mode of the calling thread where Windows has it (7 and later), else the
// process's (XP, Vista): the program must start on XP, so the newer call is looked up, not
// imported. Returns the mode to put back.
using SetThreadErrorModeFn = BOOL(WINAPI*)(DWORD, LPDWORD);
SetThreadErrorModeFn FindSetThreadErrorMode() {
  static const SetThreadErrorModeFn fn = [] {
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    return kernel != nullptr
               ? reinterpret_cast<SetThreadErrorModeFn>(
                     reinterpret_cast<void*>(::GetProcAddress(kernel, "SetThreadErrorMode")))
               : nullptr;
  }();
  return fn;
}

DWORD QuietErrorMode() {
  const DWORD quiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
  if (SetThreadErrorModeFn fn = FindSetThreadErrorMode()) {
    DWORD old = 0;
    if (fn(quiet, &old)) return old;
  }
  return ::SetErrorMode(quiet);
}

void RestoreErrorMode(DWORD old) {
  if (SetThreadErrorModeFn fn = FindSetThreadErrorMode()) {
    if (fn(old, nullptr)) return;
  }
  ::SetErrorMode(old);
}

}  // namespace

bool GetExecutablePath(char* buf, std::size_t cap) {
  if (buf == nullptr || cap == 0) return false;
  const DWORD size = ClampCap(cap);
  const DWORD n = ::GetModuleFileNameA(nullptr, buf, size);
  if (n == 0 || n >= size) {  // failed, or cut to the buffer
    buf[0] = '\0';
    return false;
  }
  return true;
}

std::string GetModulePathOf(const void* address) {
  HMODULE module = nullptr;
  if (address == nullptr ||
      !::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module)) {
    return {};
  }
  std::string path(MAX_PATH, '\0');
  while (true) {
    const DWORD n = ::GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

std::size_t ReadIniString(const char* file, const char* section, const char* key,
                          const char* def, char* buf, std::size_t cap) {
  if (buf == nullptr || cap == 0) return 0;
  if (file == nullptr || *file == '\0' || section == nullptr || key == nullptr) {
    // Trailing spaces of the default are dropped, as GetPrivateProfileStringA does.
    // The default as GetPrivateProfileStringA gives it: trailing spaces and one pair of
    // enclosing quotes dropped.
    std::string_view text = def != nullptr ? def : "";
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
      text = text.substr(1, text.size() - 2);
    return CopyCut(text, buf, cap);
  }
  // A name without a directory would be looked for in the Windows directory.
  const std::string full = FullPath(file);
  return ::GetPrivateProfileStringA(section, key, def != nullptr ? def : "", buf, ClampCap(cap),
                                    full.c_str());
}

RegKey RegOpenCurrentUserKey(const char* subkey) {
  if (subkey == nullptr) return nullptr;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
  return key;
}

RegResult RegQueryString(RegKey key, const char* name, char* buf, std::uint32_t* size) {
  if (key == nullptr || size == nullptr) return RegResult::Failed;
  const DWORD offered = *size;
  DWORD type = REG_NONE;
  DWORD got = offered;
  const LONG rc = ::RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, &type,
                                     reinterpret_cast<BYTE*>(buf), &got);
  *size = got;
  if (rc == ERROR_MORE_DATA) {
    if (buf != nullptr && offered > 0) buf[0] = '\0';
    return RegResult::MoreData;
  }
  if (rc != ERROR_SUCCESS) return RegResult::Failed;
  // A string value stored without its terminator is given one: callers rely on it.
  if (buf != nullptr && IsStringType(type) && (got == 0 || buf[got - 1] != '\0')) {
    if (got < offered) {
      buf[got] = '\0';
      *size = got + 1;
    } else {
      *size = got + 1;
      if (offered > 0) buf[0] = '\0';
      return RegResult::MoreData;
    }
  }
  return RegResult::Ok;
}

void RegCloseKey(RegKey key) {
  if (key != nullptr) ::RegCloseKey(static_cast<HKEY>(key));
}

Library LoadLibrary(const char* path) {
  if (path == nullptr || *path == '\0') return nullptr;
  // A relative path is taken from the current directory when the file is there; otherwise the
  // system's own search decides.
  std::string name = path;
  const std::string full = FullPath(path);
  if (::GetFileAttributesA(full.c_str()) != INVALID_FILE_ATTRIBUTES) name = full;
  // A library that fails to load must not stop the program with an error box.
  const DWORD oldMode = QuietErrorMode();
  HMODULE lib = ::LoadLibraryA(name.c_str());
  RestoreErrorMode(oldMode);
  return lib;
}

void* FindSymbol(Library lib, const char* name) {
  if (lib == nullptr || name == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(lib), name));
}

void FreeLibrary(Library lib) {
  if (lib != nullptr) ::FreeLibrary(static_cast<HMODULE>(lib));
}

bool SetCurrentDirectory(const char* path) {
  return path != nullptr && *path != '\0' && ::SetCurrentDirectoryA(path) != 0;
}

bool GetCurrentDirectory(char* buf, std::size_t cap) {
  if (buf == nullptr || cap == 0) return false;
  const DWORD size = ClampCap(cap);
  const DWORD n = ::GetCurrentDirectoryA(size, buf);
  if (n == 0 || n >= size) {  // failed, or the needed size is reported
    buf[0] = '\0';
    return false;
  }
  return true;
}

bool FileExists(const char* path) {
  return path != nullptr && *path != '\0' && ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

bool GetShortPath(const char* path, char* buf, std::size_t cap) {
  if (buf == nullptr || cap == 0) return false;
  buf[0] = '\0';
  if (path == nullptr || *path == '\0') return false;
  const DWORD size = ClampCap(cap);
  const DWORD n = ::GetShortPathNameA(path, buf, size);
  if (n == 0 || n >= size) {
    buf[0] = '\0';
    return false;
  }
  return true;
}

FileKind GetFileKind(const char* path) {
  if (path == nullptr || *path == '\0') return FileKind::Missing;
  // Device and pipe namespaces ("\\.\pipe\x", "\\.\COM1"): opening one could connect to a
  // pipe server or wait for a device, so they are told apart by name alone.
  if (std::strncmp(path, "\\\\.\\", 4) == 0 || std::strncmp(path, "//./", 4) == 0) return FileKind::Other;
  const DWORD attributes = ::GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return FileKind::Directory;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DEVICE)) return FileKind::Other;
  // Device names ("NUL", "CON", "COM1") may have the attributes of a file, or none; the type of
  // the handle tells. Opening with no access right reads nothing and waits for nothing.
  const HANDLE h = ::CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    // There but not to be opened now (a file locked by another program), or not there at all.
    return attributes == INVALID_FILE_ATTRIBUTES ? FileKind::Missing : FileKind::Regular;
  }
  const DWORD type = ::GetFileType(h);
  ::CloseHandle(h);
  return type == FILE_TYPE_DISK ? FileKind::Regular : FileKind::Other;
}

bool IsRegularFile(const char* path) { return GetFileKind(path) == FileKind::Regular; }

std::string ErrnoText(int nErrno) {
  if (nErrno == 0) return {};
  // The C runtime of Windows keeps strerror's text per thread.
  const char* text = std::strerror(nErrno);
  return text ? std::string(text) : "error " + std::to_string(nErrno);
}

bool ReplaceFile(const char* from, const char* to) {
  if (from == nullptr || to == nullptr || *from == '\0' || *to == '\0') {
    errno = EINVAL;
    return false;
  }
  if (::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0) return true;
  // The callers report errno, as for the C library's calls.
  switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      errno = ENOENT;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      errno = EACCES;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      errno = ENOSPC;
      break;
    case ERROR_NOT_SAME_DEVICE:
      errno = EXDEV;
      break;
    default:
      errno = EIO;
      break;
  }
  return false;
}

bool RemoveFile(const char* path) {
  return path != nullptr && *path != '\0' && ::DeleteFileA(path) != 0;
}

bool IsWritableDirectory(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  const DWORD attributes = ::GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  // Access rights on Windows are only known by trying: a probe file that removes itself.
  std::string probe(path);
  if (probe.back() != '\\' && probe.back() != '/') probe += '\\';
  probe += "~orvane-probe-" + std::to_string(::GetCurrentProcessId()) + ".tmp";
  const HANDLE h = ::CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(h);
  return true;
}

bool GetUserDataDirectory(char* buf, std::size_t cap) {
  if (buf == nullptr || cap == 0) return false;
  buf[0] = '\0';
  char appData[MAX_PATH] = {};
  if (::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData) != S_OK || !appData[0]) {
    return false;
  }
  const std::string dir = std::string(appData) + "\\Orvane";
  if (dir.size() + 1 > cap) return false;
  std::memcpy(buf, dir.c_str(), dir.size() + 1);
  return true;
}

bool MakeDirectories(const char* path) {
  if (path == nullptr || *path == '\0') return false;
  const std::string p(path);
  for (std::size_t i = 1; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == '\\' || p[i] == '/') {
      const std::string part = p.substr(0, i);
      // Drive roots ("C:") and the parts of a UNC name cannot be created and need not be.
      if (part.size() <= 2 || part.back() == ':') continue;
      ::CreateDirectoryA(part.c_str(), nullptr);
    }
  }
  const DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ShellOpen(const char* target) {
  if (target == nullptr || *target == '\0') return false;
  const HINSTANCE result = ::ShellExecuteA(nullptr, "open", target, "", "", SW_SHOW);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

std::size_t CharLength(const char* p, std::size_t n) {
  if (n == 0) return 0;
  return (n >= 2 && IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(p[0]))) ? 2 : 1;
}

std::u16string LocalToUtf16(const std::string& text) {
  if (text.empty() || text.size() > 0x7FFFFFFF) return {};
  const int nIn = static_cast<int>(text.size());
  const int nOut = MultiByteToWideChar(CP_ACP, 0, text.data(), nIn, nullptr, 0);
  if (nOut <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(nOut), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), nIn, wide.data(), nOut);
  return std::u16string(wide.begin(), wide.end());
}

std::string ToConsoleText(const std::string& text) {
  const UINT cp = GetConsoleOutputCP();
  if (cp == 0 || cp == GetACP() || text.empty() || text.size() > 0x7FFFFFFF) return text;
  const std::u16string utf16 = LocalToUtf16(text);
  const std::wstring wide(utf16.begin(), utf16.end());
  const int nIn = static_cast<int>(wide.size());
  const int nOut = WideCharToMultiByte(cp, 0, wide.data(), nIn, nullptr, 0, nullptr, nullptr);
  if (nOut <= 0) return text;
  std::string out(static_cast<std::size_t>(nOut), '\0');
  WideCharToMultiByte(cp, 0, wide.data(), nIn, out.data(), nOut, nullptr, nullptr);
  return out;
}

std::string GetLoginName() {
  // UNLEN (256) characters and the terminator.
  wchar_t wsz[257];
  DWORD nSize = sizeof wsz / sizeof wsz[0];
  if (!GetUserNameW(wsz, &nSize) || nSize == 0) return {};
  const int nIn = static_cast<int>(wcslen(wsz));
  const int nOut = WideCharToMultiByte(CP_UTF8, 0, wsz, nIn, nullptr, 0, nullptr, nullptr);
  if (nOut <= 0) return {};
  std::string out(static_cast<std::size_t>(nOut), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wsz, nIn, out.data(), nOut, nullptr, nullptr);
  return out;
}

}  // namespace os
