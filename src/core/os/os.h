// The OS layer: every service the tool, the stand-in Palm Desktop and the tests need from the
// operating system, behind one small interface. os_win32.cpp implements it with the Win32 API,
// os_posix.cpp with POSIX; no other file includes <windows.h> or POSIX headers.
//
// Texts are single-byte strings (the ANSI code page on Windows, bytes on POSIX). Buffers are
// given with their capacity in bytes, terminator included; nothing is ever written past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace os {

// The separator between a directory and a name: '\\' on Windows, '/' on POSIX.
#ifdef _WIN32
inline constexpr char kPathSep = '\\';
#else
inline constexpr char kPathSep = '/';
#endif

// The full path of the running executable (GetModuleFileNameA; /proc/self/exe).
// False when it cannot be found or does not fit into cap bytes; buf then holds "".
bool GetExecutablePath(char* buf, std::size_t cap);

// The full path of the loaded module (executable or shared library) that contains the given
// address; "" when it cannot be found. The stand-in libraries use it to find their own directory.
std::string GetModulePathOf(const void* address);

// Reads one key of an INI file with GetPrivateProfileStringA semantics: section and key are
// matched without regard to letter case, the value is trimmed of surrounding blanks (and of
// one pair of enclosing quotes), def is used when the file, the section or the key is absent
// (or section or key is nullptr), less its trailing spaces and one pair of enclosing quotes,
// and the result is cut to cap - 1 bytes and terminated. Only the first section of a name is
// searched and the first key of a name in it counts; a line without '=' is no value. A
// relative file name is taken from the current directory. Returns the number of bytes
// copied, terminator excluded. cap 0 copies nothing and returns 0.
std::size_t ReadIniString(const char* file, const char* section, const char* key,
                          const char* def, char* buf, std::size_t cap);

// A key opened under HKEY_CURRENT_USER, or nullptr.
using RegKey = void*;

// Opens subkey (backslash-separated, "Software\\...") under HKEY_CURRENT_USER for reading.
// On POSIX the per-user registry is a .reg export file at
// ${XDG_CONFIG_HOME:-$HOME/.config}/orvane/HKCU.reg. Returns nullptr when it cannot be opened.
RegKey RegOpenCurrentUserKey(const char* subkey);

enum class RegResult { Ok, MoreData, Failed };

// Reads the value name of an open key as bytes into buf, offering *size bytes. On return *size
// holds the number of bytes the value needs, terminator included (RegQueryValueExA). MoreData
// means it does not fit into what was offered; buf then holds "" when it has room for it.
// A null buf asks for the size alone (Ok). A string value is always read terminated.
RegResult RegQueryString(RegKey key, const char* name, char* buf, std::uint32_t* size);

void RegCloseKey(RegKey key);

// A loaded library, or nullptr.
using Library = void*;

// Why a library did not load.
enum class LoadFailure {
  None,
  NotFound,           // no file of that name
  WrongArchitecture,  // a library for another processor or word size (Windows' error 193)
  Other,              // anything else, a missing dependency among them
};
struct LoadError {
  LoadFailure kind = LoadFailure::None;
  std::uint32_t code = 0;  // the system's error code (GetLastError); 0 on POSIX
  std::string text;        // the system's own words (FormatMessageA; dlerror)
};

// Loads a library by path (LoadLibraryA; dlopen). A relative path with a directory part, or a
// bare name, is looked for in the current directory first, as Windows does. A library found as
// a file is loaded by its full path, and on Windows with LOAD_WITH_ALTERED_SEARCH_PATH, so that
// the libraries it imports are found in its own directory first, wherever the current directory
// is. On failure *pError, when given, says why (it is cleared on success).
Library LoadLibrary(const char* path, LoadError* pError = nullptr);
// The address exported under name, or nullptr.
void* FindSymbol(Library lib, const char* name);
void FreeLibrary(Library lib);

bool SetCurrentDirectory(const char* path);
// The current directory, without a trailing separator; false when it does not fit.
bool GetCurrentDirectory(char* buf, std::size_t cap);

// True when path names an existing file or directory (GetFileAttributesA).
bool FileExists(const char* path);

// What a path names, following symbolic links (stat; GetFileAttributesA, and for what is not a
// directory the type of the opened handle). Other is anything that is neither a regular file nor
// a directory: a device, a FIFO (named pipe), a socket. Asking never opens a FIFO or a pipe, so it
// never waits for the other end.
enum class FileKind { Missing, Regular, Directory, Other };
FileKind GetFileKind(const char* path);
// GetFileKind(path) == FileKind::Regular.
bool IsRegularFile(const char* path);

// The system's text for an errno value ("No such file or directory"); "" for 0. The C library
// sets errno on both systems; ReplaceFile below sets it too when it fails.
std::string ErrnoText(int nErrno);

// The short (8.3) form of path (GetShortPathNameA). POSIX has none: false, buf "".
bool GetShortPath(const char* path, char* buf, std::size_t cap);

// Moves the file from over the file to, replacing it in one step where the system allows
// (rename; MoveFileExA with MOVEFILE_REPLACE_EXISTING). The safe write of the data files uses it.
// The contents of from are flushed to the disk first (fsync; FlushFileBuffers), and the move
// itself afterwards (fsync of the directory; MOVEFILE_WRITE_THROUGH), so that a power cut right
// after a save leaves the old file or the new one whole, never an empty one. On failure errno
// tells why (on Windows mapped from the system's error code); from is then left as it was.
bool ReplaceFile(const char* from, const char* to);
// Deletes a file; false when it could not be deleted.
bool RemoveFile(const char* path);

// Hands target to the system's opener with the verb "open" (ShellExecuteA with empty
// parameters and working directory, shown normally, with COM initialised apartment-threaded for
// the call as the shell asks). On POSIX an existing executable file is
// started detached; anything else goes to xdg-open. Returns at once, without waiting for the
// program: false when nothing could be started at all, or when xdg-open ended with a failure
// within its first 0.1 s (it could not run); a later failure of xdg-open is not seen.
bool ShellOpen(const char* target);

// Whether the current user may create files in the directory path: its permissions grant the
// user write access (POSIX: the mode bits of the user's class, also for root, and a file system
// that is not read-only; Windows: a probe file can be created and is removed again).
bool IsWritableDirectory(const char* path);

// The user's own directory for the tool's data, without a trailing separator: %APPDATA%\Orvane
// (the shell's folder for application data) on Windows, ${XDG_DATA_HOME:-$HOME/.local/share}/orvane
// on POSIX. It may not exist yet. False, with "" in buf, when it cannot be found or does not fit.
//
// Windows: the folder is asked for in UTF-16 (SHGetFolderPathW) and given in the ANSI code page
// only when that names it exactly; a folder with letters the code page lacks ("C:\Users\Jürgen"
// on a Russian system) is made and given in its short 8.3 form, which is plain ASCII. When it has
// no short form either (8.3 names switched off on its volume), the result is false and
// UserDataDirectoryProblem says which folder it was. GetExecutablePath follows the same rule.
bool GetUserDataDirectory(char* buf, std::size_t cap);
// Why the last GetUserDataDirectory failed, naming the folder as far as the console or a message
// box can show it; "" when it did not fail or there is nothing more to say.
std::string UserDataDirectoryProblem();

// The copy of directory dir that Windows' file virtualization keeps for a program that is not
// elevated and writes where it may not (%LOCALAPPDATA%\VirtualStore\<dir without its drive>),
// ending in the separator, when that directory exists. False, with "" in buf, when it does not,
// for a directory without a drive letter, and always on POSIX, which has no such copy.
bool GetVirtualStoreDirectory(const char* dir, char* buf, std::size_t cap);

// The names (not paths) of the regular files in directory dir, in no particular order; empty
// when it cannot be read.
std::vector<std::string> ListFiles(const char* dir);

// Copies the file from to to, replacing to (CopyFileA; read and write). False when it could not.
bool CopyFile(const char* from, const char* to);

// A request to stop from the console: Ctrl+C or Ctrl+Break (SetConsoleCtrlHandler), SIGINT or
// SIGTERM (POSIX). Once installed, the first request only sets a flag that StopRequested reads,
// so that a long command can stop between two users; a second request ends the process as the
// system would have. Installing again arms the handler again.
void InstallStopRequestHandler();
bool StopRequested();
// Forgets a request (for a program that runs several commands, and for tests).
void ClearStopRequest();

// Windows: takes the current directory out of the search for libraries (SetDllDirectoryA(""),
// looked up at run time), so that a library named without a path is never taken from wherever the
// program was started. Done once when the program starts (the OS layer does it before main);
// nothing on POSIX, whose loader never searches the current directory.
void RestrictLibrarySearch();

// Creates the directory path and every missing parent; true when it exists afterwards.
bool MakeDirectories(const char* path);

// The number of bytes of the character that starts at p in the local 8-bit code page, n bytes
// being left: 1 to n, 0 when n is 0. Windows asks the ANSI code page (a lead byte of a
// double-byte character set takes two); POSIX reads UTF-8, and a byte that starts no valid
// sequence counts as one character.
std::size_t CharLength(const char* p, std::size_t n);

// Local 8-bit text as UTF-16: from the ANSI code page on Windows, from UTF-8 on POSIX (a byte
// that starts no valid sequence becomes U+FFFD). For output that must not depend on a code page.
std::u16string LocalToUtf16(const std::string& text);

// Local 8-bit text as a console shows it. On Windows, when the process has a console whose output
// code page is not the ANSI one, the text is converted to that code page (characters it lacks
// become '?'); otherwise, and on POSIX, the text is returned unchanged.
std::string ToConsoleText(const std::string& text);

// The login name of the user running the program, in UTF-8 (it goes into JSON as it is): Windows
// GetUserNameW converted to UTF-8; POSIX the password entry of the real user ID (getpwuid), else
// $USER. "" when neither says.
std::string GetLoginName();

}  // namespace os
