// The tool's own directory, and handing a document, program or web address to the system.
#pragma once

#include <cstddef>

// The directory of a module, ending in the path separator ("C:\\Tools\\", "/opt/orvane/"; the
// root of a drive is "C:\\"), so that callers append a bare file name. module nullptr means the
// running executable; otherwise any address inside the module (executable or shared library).
// False, with "" in buf when cap allows, when buf is null, cap is 0, the module's path cannot be
// found, or the directory does not fit into cap bytes (a directory is never cut short).
bool GetModuleDirectory(const void* module, char* buf, std::size_t cap = 260);

// Hands target to the system's opener with the verb "open" (os::ShellOpen). False, doing
// nothing, for a null or empty target, and false when the system could not open it.
bool OpenWithShell(const char* target);
