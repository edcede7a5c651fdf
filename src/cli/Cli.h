// orvanectl: Orvane without a window, for administrators and scripts. It runs the same window
// logic as the main window (the same start-up, conduit list, Apply loop and data files beside
// the executable), reads users' sync preferences back, and carries profiles between desktops as
// text. Results go to out, messages to err.
//
// Exit codes (also in the usage text):
//   0 success
//   1 some users could not be written (named on err)
//   2 bad usage, or a file named on the command line (or a profile) could not be read or written
//   3 no Palm Desktop installation, or no users found
//   4 a HotSync is in progress (apply only)
//   5 stopped by Ctrl+C or Ctrl+Break, SIGINT or SIGTERM (apply only)
#pragma once

#include <iosfwd>

namespace cli {
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsersFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoPalm = 3;
inline constexpr int kExitHotSync = 4;
inline constexpr int kExitStopped = 5;
}  // namespace cli

// Runs one command. Leaves the process as it found it: the current directory, the message hook,
// the Palm libraries (released) and the conduit catalogue (emptied).
int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err);
