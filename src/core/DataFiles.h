// Where the tool's own data files live ("ovcond.dat", "ovcurr.dat", "ovprof.dat", "ovprofN.dat",
// and whatever else the tool keeps). Every reader and writer of them asks here, so the window
// and the console program always use the same files.
#pragma once

#include <string>
#include <vector>

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

// What MoveDataFiles did, by file name.
struct DataFileMove {
  std::vector<std::string> moved;    // copied, checked and removed from where they were
  std::vector<std::string> kept;     // a file of that name was already in the data directory:
                                     // both were left as they are
  std::vector<std::string> failed;   // could not be copied or checked: left where they were
  bool bCatalogueRewritten = false;  // the profile catalogue's paths were moved along
};

// Moves the tool's data files ("ov*.dat") found in fromDir into dataDir. A file is copied only
// when dataDir has none of that name (what the current build wrote wins), read back and compared,
// and only then removed from fromDir: a failure leaves it there, nothing is ever lost. When any
// file moved, the profile catalogue in dataDir has the paths of its profiles that named installDir
// (where the older build saw its files) and whose file is now in dataDir rewritten to dataDir.
// The directories end in the separator.
DataFileMove MoveDataFiles(const std::string& fromDir, const std::string& installDir, const std::string& dataDir);

// An older build of the tool, started without elevation under Windows' file virtualization,
// believed it could write beside itself and had its data files redirected into the VirtualStore
// copy of its directory (os::GetVirtualStoreDirectory). This build runs as the user asks
// (virtualization off) and no longer sees them there: while the data directory is not the
// executable's own, they are moved into it (MoveDataFiles). Nothing on POSIX.
DataFileMove MoveVirtualStoreDataFiles();
