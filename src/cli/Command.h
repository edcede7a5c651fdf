// The commands of orvanectl: each one a Command in its own file, declaring its options and
// arguments on its CLI11 subcommand (the help is made from them) and running once the command
// line was read whole.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "src/cli/Cli.h"
#include "src/cli/Output.h"

namespace CLI {
class App;
}

namespace cli {

inline constexpr const char* kProgram = "orvanectl";

// What a command writes to.
struct Context {
  std::ostream& out;  // results
  std::ostream& err;  // messages
  bool bJson;

  Output Results() const { return Output(out, bJson); }
};

class Command {
 public:
  // name as typed, summary for the command list, usage as the help's usage line shows what
  // follows the name ("USER [CONDUIT...]").
  Command(const char* szName, const char* szSummary, const char* szUsage)
      : m_name(szName), m_summary(szSummary), m_usage(szUsage) {}
  virtual ~Command() = default;
  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;

  const std::string& Name() const { return m_name; }
  const std::string& Summary() const { return m_summary; }
  const std::string& UsageLine() const { return m_usage; }

  // What the command's help says below its options (paragraphs ending in a blank line).
  virtual std::string Notes() const { return ""; }
  // Command lines that show the command at work, one a line, each with what it does after "#".
  virtual std::vector<std::string> Examples() const = 0;
  // Declares the options and arguments on the command's subcommand (and its help text).
  virtual void Declare(CLI::App& app) = 0;
  // Runs with what the command line gave; returns the exit code.
  virtual int Run(const Context& c) = 0;

 private:
  std::string m_name, m_summary, m_usage;
};

// The commands, in the order the help lists them.
std::unique_ptr<Command> MakeUsersCommand();
std::unique_ptr<Command> MakeConduitsCommand();
std::unique_ptr<Command> MakeShowCommand();
std::unique_ptr<Command> MakeOverviewCommand();
std::unique_ptr<Command> MakeApplyCommand();
std::unique_ptr<Command> MakeProfilesCommand();
std::unique_ptr<Command> MakeExportProfileCommand();
std::unique_ptr<Command> MakeImportProfileCommand();
std::unique_ptr<Command> MakeHistoryCommand();
std::unique_ptr<Command> MakeUndoCommand();

// The history file's notices (set aside, could not be written), each as a note on err.
void TellHistory(const std::vector<std::string>& notices, const Context& c);

// Bad usage: what is wrong (our text with escaped parts) and where the help is; kExitUsage.
int Usage(std::ostream& err, const std::string& text);
// "orvanectl: text" on err, in the console's code page. Outside text in it must be escaped.
void Say(std::ostream& err, const std::string& text);

// A path as given, made absolute against the current directory: opening the installation moves
// the current directory to Palm Desktop's. "-" and "" stay as they are.
std::string AbsolutePath(const std::string& path);

}  // namespace cli
