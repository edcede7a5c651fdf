// Where the tool's own data files live ("ovcond.dat", "ovcurr.dat", "ovprof.dat", "ovprofN.dat",
// and whatever else the tool keeps). Every reader and writer of them asks here, so the window
// and the console program always use the same files.
#pragma once

#include <string>

// The directory where the tool writes its data files, ending in the path separator: the
// executable's own directory when the user may write there (where existing installations keep
// them), otherwise the user's own data directory (os::GetUserDataDirectory), made when missing.
// When that cannot be made its path is still given, so that a save fails and names it. Empty
// when no directory can be found.
std::string DataDirectory();
// The path of the data file name to write: in DataDirectory. Empty when there is no directory
// or no name.
std::string DataFileForWriting(const std::string& name);
// The data file name to read: the data directory's file when it exists; otherwise the file of
// that name beside the executable when it exists there (data an installation held before its
// directory became read-only; it is read from there until the first save writes it to the data
// directory); otherwise the data directory's path. Empty when there is no directory.
std::string DataFileForReading(const std::string& name);
