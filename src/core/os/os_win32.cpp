// The OS layer on Windows: thin wrappers over the Win32 API (ANSI forms).
#include "src/core/os/os.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// <windows.h> maps these names to their A/W forms; ours are plain functions.
#undef LoadLibrary
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef ReplaceFile
#undef CopyFile

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

// The system's text for an error code, without its line break; "error N" when it has none.
// Some texts name the file they are about as "%1" (error 193: "%1 is not a valid Win32
// application"): subject stands in for it.
std::string SystemErrorText(DWORD code, const std::string& subject = "the file") {
  char* text = nullptr;
  const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string out = (n != 0 && text != nullptr) ? std::string(text, n) : std::string();
  if (text != nullptr) ::LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ' || out.back() == '.'))
    out.pop_back();
  if (out.empty()) return "error " + std::to_string(code);
  for (std::size_t at = out.find("%1"); at != std::string::npos; at = out.find("%1", at + subject.size())) {
    out.replace(at, 2, subject);
  }
  return out;
}

// ---- the tool's own paths: asked for in UTF-16, handed on in the ANSI code page ----
//
// The rest of the tool, Palm's libraries and the data files speak the ANSI code page, so a path
// is handed on in it only when it names the same file: converted without a best-fit letter and
// without the default character, or else in its short 8.3 form (ASCII where 8.3 names exist).

// wide in the ANSI code page, when every character has its own code there.
bool ExactAnsi(const std::wstring& wide, std::string& out) {
  out.clear();
  if (wide.empty()) return true;
  if (wide.size() > 0x7FFFFFFF) return false;
  const int nIn = static_cast<int>(wide.size());
  // A UTF-8 ANSI code page (a Windows 10 option) holds every character; it takes no flags.
  const bool utf8 = ::GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  const int nOut = ::WideCharToMultiByte(CP_ACP, flags, wide.data(), nIn, nullptr, 0, nullptr,
                                         utf8 ? nullptr : &usedDefault);
  if (nOut <= 0 || usedDefault) return false;
  out.resize(static_cast<std::size_t>(nOut));
  ::WideCharToMultiByte(CP_ACP, flags, wide.data(), nIn, out.data(), nOut, nullptr, utf8 ? nullptr : &usedDefault);
  if (usedDefault) out.clear();
  return !usedDefault;
}

// The short form of an existing path.
bool ShortPathW(const std::wstring& wide, std::wstring& out) {
  const DWORD need = ::GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (need == 0) return false;
  out.assign(need, L'\0');
  const DWORD n = ::GetShortPathNameW(wide.c_str(), out.data(), need);
  if (n == 0 || n >= need) return false;
  out.resize(n);
  return true;
}

// A path as ANSI text that names the same file or directory: exact, or its short form (the path
// must exist for that).
bool AnsiPathOf(const std::wstring& wide, std::string& out) {
  if (ExactAnsi(wide, out)) return true;
  std::wstring shortPath;
  return ShortPathW(wide, shortPath) && ExactAnsi(shortPath, out);
}

// ANSI text as UTF-16.
std::wstring WideOf(const std::string& text) {
  if (text.empty() || text.size() > 0x7FFFFFFF) return {};
  const int nIn = static_cast<int>(text.size());
  const int nOut = ::MultiByteToWideChar(CP_ACP, 0, text.data(), nIn, nullptr, 0);
  if (nOut <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(nOut), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), nIn, wide.data(), nOut);
  return wide;
}

// UTF-16 in code page cp (the ANSI one, the console's, UTF-8); characters it lacks become its
// default character. "" for none.
std::string NarrowOf(const std::wstring& wide, UINT cp) {
  if (wide.empty() || wide.size() > 0x7FFFFFFF) return {};
  const int nIn = static_cast<int>(wide.size());
  const int nOut = ::WideCharToMultiByte(cp, 0, wide.data(), nIn, nullptr, 0, nullptr, nullptr);
  if (nOut <= 0) return {};
  std::string out(static_cast<std::size_t>(nOut), '\0');
  ::WideCharToMultiByte(cp, 0, wide.data(), nIn, out.data(), nOut, nullptr, nullptr);
  return out;
}

// The full path of a module in UTF-16; "" when it cannot be found.
std::wstring ModuleFileNameW(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    const DWORD n = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

// A shell folder (SHGetFolderPathW) in UTF-16; "" when there is none.
std::wstring ShellFolderW(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return {};
  return path;
}

std::string g_userDataProblem;

// Text that names a folder as well as the ANSI code page can: letters it lacks become '?'.
std::string ShownPath(const std::wstring& wide) { return NarrowOf(wide, CP_ACP); }

// Ctrl+C and Ctrl+Break: the first sets the flag, a later one is left to the system (which ends
// the process); closing the console, logging off and shutting down always are.
volatile LONG g_stopRequested = 0;

BOOL WINAPI OnConsoleControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
  return ::InterlockedExchange(&g_stopRequested, 1) == 0 ? TRUE : FALSE;
}

// Before main: no library of the tool's is ever searched for in the current directory.
[[maybe_unused]] const bool g_libraryDirectoryRestricted = [] {
  RestrictLibrarySearch();
  return true;
}();

}  // namespace

bool GetExecutablePath(char* buf, std::size_t cap) {
  if (buf == nullptr || cap == 0) return false;
  buf[0] = '\0';
  std::string path;
  if (!AnsiPathOf(ModuleFileNameW(nullptr), path) || path.empty() || path.size() + 1 > cap) return false;
  std::memcpy(buf, path.c_str(), path.size() + 1);
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
  std::string path;
  return AnsiPathOf(ModuleFileNameW(module), path) ? path : std::string();
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

Library LoadLibrary(const char* path, LoadError* pError) {
  if (pError) *pError = {};
  if (path == nullptr || *path == '\0') {
    if (pError) *pError = {LoadFailure::NotFound, ERROR_INVALID_PARAMETER, "no library was named"};
    return nullptr;
  }
  // A relative path is taken from the current directory when the file is there; otherwise the
  // system's own search decides. A file loaded by its full path has the libraries it imports
  // looked for in its own directory first (LOAD_WITH_ALTERED_SEARCH_PATH): Palm's libraries and
  // conduit modules bring their own, and the current directory is not searched (SetDllDirectory).
  const std::string full = FullPath(path);
  const bool bFile = ::GetFileAttributesA(full.c_str()) != INVALID_FILE_ATTRIBUTES;
  // A library that fails to load must not stop the program with an error box.
  const DWORD oldMode = QuietErrorMode();
  HMODULE lib = bFile ? ::LoadLibraryExA(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                      : ::LoadLibraryA(path);
  const DWORD err = lib ? 0 : ::GetLastError();
  RestoreErrorMode(oldMode);
  if (lib == nullptr && pError) {
    pError->code = err;
    pError->text = SystemErrorText(err, bFile ? full : std::string(path));
    if (!bFile) {
      pError->kind = LoadFailure::NotFound;
    } else if (err == ERROR_BAD_EXE_FORMAT) {
      pError->kind = LoadFailure::WrongArchitecture;
    } else {
      pError->kind = LoadFailure::Other;  // ERROR_MOD_NOT_FOUND here is a missing dependency
    }
  }
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
  // The new contents reach the disk before the name does: otherwise a crash just after the move
  // can leave the name on an empty file. The move itself is written through.
  DWORD err = ERROR_SUCCESS;
  const HANDLE h = ::CreateFileA(from, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    err = ::GetLastError();
  } else {
    if (!::FlushFileBuffers(h)) err = ::GetLastError();
    ::CloseHandle(h);
  }
  if (err == ERROR_SUCCESS) {
    if (::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) return true;
    err = ::GetLastError();
  }
  // The callers report errno, as for the C library's calls.
  switch (err) {
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
  g_userDataProblem.clear();
  const std::wstring appData = ShellFolderW(CSIDL_APPDATA);
  if (appData.empty()) return false;
  const std::wstring wide = appData + L"\\Orvane";
  std::string dir;
  if (!ExactAnsi(wide, dir)) {
    // The short form needs the folder itself.
    ::CreateDirectoryW(wide.c_str(), nullptr);
    if (!AnsiPathOf(wide, dir)) {
      g_userDataProblem = "the folder " + ShownPath(wide) +
                          " has letters that the system's code page for programs lacks and no short (8.3) name";
      return false;
    }
  }
  if (dir.size() + 1 > cap) return false;
  std::memcpy(buf, dir.c_str(), dir.size() + 1);
  return true;
}

std::string UserDataDirectoryProblem() { return g_userDataProblem; }

bool GetVirtualStoreDirectory(const char* dir, char* buf, std::size_t cap) {
  if (buf == nullptr || cap == 0) return false;
  buf[0] = '\0';
  const std::wstring wideDir = WideOf(dir != nullptr ? dir : "");
  // "C:\Program Files (x86)\Orvane" keeps its copy under "VirtualStore\Program Files (x86)\Orvane".
  if (wideDir.size() < 3 || wideDir[1] != L':' || (wideDir[2] != L'\\' && wideDir[2] != L'/')) return false;
  const std::wstring local = ShellFolderW(CSIDL_LOCAL_APPDATA);
  if (local.empty()) return false;
  std::wstring store = local + L"\\VirtualStore" + wideDir.substr(2);
  while (!store.empty() && (store.back() == L'\\' || store.back() == L'/')) store.pop_back();
  const DWORD attributes = ::GetFileAttributesW(store.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  std::string out;
  if (!AnsiPathOf(store, out)) return false;
  out += '\\';
  if (out.size() + 1 > cap) return false;
  std::memcpy(buf, out.c_str(), out.size() + 1);
  return true;
}

std::vector<std::string> ListFiles(const char* dir) {
  std::vector<std::string> names;
  if (dir == nullptr || *dir == '\0') return names;
  std::string pattern(dir);
  if (pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA found;
  const HANDLE h = ::FindFirstFileA(pattern.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))) names.push_back(found.cFileName);
  } while (::FindNextFileA(h, &found));
  ::FindClose(h);
  return names;
}

bool CopyFile(const char* from, const char* to) {
  return from != nullptr && to != nullptr && *from != '\0' && *to != '\0' && ::CopyFileA(from, to, FALSE) != 0;
}

void InstallStopRequestHandler() {
  ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool StopRequested() { return ::InterlockedCompareExchange(&g_stopRequested, 0, 0) != 0; }

void ClearStopRequest() { ::InterlockedExchange(&g_stopRequested, 0); }

void RestrictLibrarySearch() {
  // Windows XP SP1 and later have it; looked up so that nothing older refuses to start.
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  const auto fn = kernel != nullptr ? reinterpret_cast<SetDllDirectoryFn>(reinterpret_cast<void*>(
                                          ::GetProcAddress(kernel, "SetDllDirectoryA")))
                                    : nullptr;
  if (fn != nullptr) fn("");
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
  // The shell may hand the verb to an extension that uses COM: it asks its callers for an
  // apartment-threaded COM. A thread already in another mode (RPC_E_CHANGED_MODE) keeps it.
  const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const HINSTANCE result = ::ShellExecuteA(nullptr, "open", target, "", "", SW_SHOW);
  if (SUCCEEDED(com)) ::CoUninitialize();
  // ShellExecuteA answers a value above 32 for success, an error code up to 32 otherwise.
  return reinterpret_cast<INT_PTR>(result) > 32;
}

std::size_t CharLength(const char* p, std::size_t n) {
  if (n == 0) return 0;
  return (n >= 2 && IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(p[0]))) ? 2 : 1;
}

std::u16string LocalToUtf16(const std::string& text) {
  const std::wstring wide = WideOf(text);
  return std::u16string(wide.begin(), wide.end());
}

std::string ToConsoleText(const std::string& text) {
  const UINT cp = GetConsoleOutputCP();
  if (cp == 0 || cp == GetACP() || text.empty() || text.size() > 0x7FFFFFFF) return text;
  const std::string out = NarrowOf(WideOf(text), cp);
  return out.empty() ? text : out;
}

std::string GetLoginName() {
  // UNLEN (256) characters and the terminator.
  wchar_t wsz[257];
  DWORD nSize = sizeof wsz / sizeof wsz[0];
  if (!GetUserNameW(wsz, &nSize) || nSize == 0) return {};
  return NarrowOf(wsz, CP_UTF8);
}

}  // namespace os
