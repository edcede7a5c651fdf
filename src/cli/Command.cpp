#include "src/cli/Command.h"

#include <ostream>

#include "src/core/os/os.h"

namespace cli {

int Usage(std::ostream& err, const std::string& text) {
  err << kProgram << ": " << os::ToConsoleText(text) << "\nRun \"" << kProgram << " --help\" for the commands.\n";
  return kExitUsage;
}

void Say(std::ostream& err, const std::string& text) { err << kProgram << ": " << os::ToConsoleText(text) << '\n'; }

void TellHistory(const std::vector<std::string>& notices, const Context& c) {
  for (const std::string& n : notices) Say(c.err, "note: " + Esc(n));
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path == "-") return path;
  const bool bAbsolute =
      path[0] == '/' || path[0] == '\\' || (os::kPathSep == '\\' && path.size() >= 2 && path[1] == ':');
  if (bAbsolute) return path;
  char cwd[4096];
  if (!os::GetCurrentDirectory(cwd, sizeof cwd)) return path;
  return std::string(cwd) + os::kPathSep + path;
}

}  // namespace cli
