// The tool's own directory, and handing a document, program or web address to the system.
#pragma once

#include <cstddef>

// The directory of a module, ending in the path separator ("C:\\Tools\\", "/opt/orvane/"; the
// root of a drive is "C:\\"), so that callers append a bare file name. module nullptr means the
// running executable; otherwise any address inside the module (executable or shared library).
// False, with "" in buf when cap allows, when buf is null, cap is 0, the module's path cannot be
// found, or the directory does not fit into cap bytes (a directory is never cut short).
bool GetModuleDirectory(const void* module, char* buf, std::size_t cap = 260);

// The directory where the tool writes its data files, ending in the path separator: the
// executable's own directory when the user may write there (where existing installations keep
// them), otherwise the user's own data directory (os::GetUserDataDirectory), made when missing.
// When that cannot be made its path is still given, so that a save fails and names it. False, with
// "" in buf when cap allows, when no directory can be found or it does not fit into cap bytes.
bool GetDataDirectory(char* buf, std::size_t cap = 260);

// The path of the data file szName to write: in GetDataDirectory. To read: that same file when it
// exists; otherwise the file of that name beside the executable when it exists there (data an
// installation held before its directory became read-only; it is read from there until the
// first save writes it to the data directory); otherwise the data directory's path. False, with
// "" in buf, when the directory cannot be found or the path does not fit into cap bytes.
bool GetDataFileForWriting(const char* szName, char* buf, std::size_t cap = 260);
bool GetDataFileForReading(const char* szName, char* buf, std::size_t cap = 260);

// Hands target to the system's opener with the verb "open". False, doing nothing, for a null or
// empty target; true otherwise, whether or not anything could be opened.
bool OpenWithShell(const char* target);
