// The command line of orvanectl: the commands and their options are declared once on a CLI11
// application, which reads the arguments and makes the help; what CLI11 refuses is said in
// orvanectl's own words.
#include "src/cli/Cli.h"

#include <CLI/CLI.hpp>

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "src/cli/Command.h"

#ifndef ORVANE_VERSION
#define ORVANE_VERSION "unknown"
#endif

namespace cli {

namespace {

constexpr const char* kDescription =
    "Changes Palm HotSync settings without a window, with Orvane's data files in its data\n"
    "directory. The Palm Desktop installation is the one that PDPath in section [Path] of\n"
    "kestrow.ini beside orvanectl names, else the one Palm Desktop's registry value names\n"
    "(DesktopPath under HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core; on Linux\n"
    "the same value in ~/.config/orvane/HKCU.reg, which stands in for the registry).\n";

// "Examples:" and the command lines, for a command's help.
std::string ExamplesText(const std::vector<std::string>& examples) {
  if (examples.empty()) return {};
  std::string text = "Examples:\n";
  for (const std::string& e : examples) text += "  " + e + "\n";
  return text + "\n";
}

constexpr const char* kFooter =
    "Run \"orvanectl help COMMAND\" (or \"orvanectl COMMAND --help\") for a command's options.\n"
    "\n"
    "Without a profile, apply writes the actions Orvane's window shows at start.\n"
    "Users are named by name or user ID; a text that is one user's name and another user's ID\n"
    "names neither and is refused. Saved profiles are named by description or number, by the same\n"
    "rule. Conduits are named by title, creator (four characters) or creator ID (0x...).\n"
    "Options end at \"--\": what follows is an argument however it begins. --json prints listings\n"
    "and results as JSON (ASCII, other characters as \\u escapes); in text, control characters of\n"
    "names and titles are shown as escapes (\\n, \\x1b).\n"
    "\n";

constexpr const char* kExitCodes =
    "Exit codes: 0 done; 1 some users could not be written; 2 bad usage, or a file could not\n"
    "be read or written; 3 no Palm Desktop installation or no users; 4 a HotSync is in progress,\n"
    "or HotSync Manager did not say whether one is (apply, undo); 5 stopped by Ctrl+C or Ctrl+Break\n"
    "(apply).";

// The help: the usage line first, then what CLI11 lays out from the declarations.
class HelpFormatter : public CLI::Formatter {
 public:
  HelpFormatter() { column_width(28); }
  void SetUsage(const CLI::App* app, std::string usage) { m_usage[app] = std::move(usage); }

  std::string make_help(const CLI::App* app, std::string name, CLI::AppFormatMode mode) const override {
    if (mode == CLI::AppFormatMode::Sub) return make_expanded(app);
    std::string s = make_usage(app, name) + "\n";
    s += app->get_parent() ? app->get_description() + ".\n" : make_description(app);
    s += make_positionals(app) + make_groups(app, mode) + make_subcommands(app, mode);
    const std::string footer = make_footer(app);
    if (!footer.empty()) s += "\n" + footer + "\n";
    return s;
  }
  std::string make_usage(const CLI::App* app, std::string) const override {
    const auto it = m_usage.find(app);
    return "Usage: " + std::string(kProgram) + " [--json] " +
           (it != m_usage.end() ? it->second : std::string("COMMAND [ARGUMENTS]")) + "\n";
  }
  std::string make_description(const CLI::App* app) const override { return app->get_description(); }

 private:
  std::map<const CLI::App*, std::string> m_usage;
};

// A CLI11 refusal in our words: "--users needs a value", "--dry-run takes no value", ...
std::string Refusal(const CLI::ParseError& e) {
  const std::string what = e.what();
  const std::size_t colon = what.find(':');
  const std::string name = what.substr(0, colon);
  if (what.find(" was given a disallowed flag override") != std::string::npos) {
    const std::string flag = what.substr(0, what.find(" was given"));
    return (flag.rfind("-", 0) == 0 ? flag : "--" + flag) + " takes no value";
  }
  if (colon != std::string::npos) {
    if (what.find(" required ", colon) != std::string::npos && what.find(" missing", colon) != std::string::npos) {
      return name + " needs a value";
    }
    if (what.find(": At Most ") != std::string::npos) return name + " is given twice";
  }
  return what;
}

bool IsOption(const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; }

// "--users=" gives the option an empty value, where CLI11 would take the next argument as its
// value: such an argument becomes the option and an empty argument. Values of options and
// everything after "--" are left as they are.
std::vector<std::string> SplitEmptyValues(CLI::App& app, const std::vector<std::string>& args) {
  std::vector<std::string> out;
  CLI::App* scope = nullptr;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      out.insert(out.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    if (!scope && !IsOption(a)) {
      for (CLI::App* sub : app.get_subcommands({})) {
        if (sub->get_name() == a) scope = sub;
      }
    }
    if (a.rfind("--", 0) == 0) {
      const std::size_t eq = a.find('=');
      const std::string name = a.substr(0, eq);
      const CLI::Option* opt = scope ? scope->get_option_no_throw(name) : nullptr;
      if (!opt) opt = app.get_option_no_throw(name);
      if (opt && opt->get_items_expected_max() > 0) {
        if (eq == std::string::npos) {
          out.push_back(a);
          if (i + 1 < args.size()) out.push_back(args[++i]);
          continue;
        }
        if (eq + 1 == a.size()) {
          out.push_back(name);
          out.push_back("");
          continue;
        }
      }
    }
    out.push_back(a);
  }
  return out;
}

}  // namespace

}  // namespace cli

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err) {
  using namespace cli;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(argv[i] ? argv[i] : "");
  // The Windows way of asking for help, alone.
  if (args.size() == 1 && args[0] == "/?") args[0] = "--help";

  CLI::App app(kDescription, kProgram);
  auto formatter = std::make_shared<HelpFormatter>();
  app.formatter(formatter);
  app.footer(std::string(kFooter) + kExitCodes);
  app.set_help_flag("-h,--help", "show this help (after a command: the command's help)");
  app.allow_extras();
  app.require_subcommand(0, 1);
  bool bJson = false, bVersion = false;
  app.add_flag("--json", bJson, "print listings and results as JSON")->disable_flag_override();
  app.add_flag("--version", bVersion, "show the version")->disable_flag_override();

  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(MakeUsersCommand());
  commands.push_back(MakeConduitsCommand());
  commands.push_back(MakeShowCommand());
  commands.push_back(MakeOverviewCommand());
  commands.push_back(MakeApplyCommand());
  commands.push_back(MakeProfilesCommand());
  commands.push_back(MakeExportProfileCommand());
  commands.push_back(MakeImportProfileCommand());
  commands.push_back(MakeHistoryCommand());
  commands.push_back(MakeUndoCommand());
  std::map<const CLI::App*, Command*> byApp;
  for (const auto& command : commands) {
    CLI::App* sub = app.add_subcommand(command->Name(), command->Summary());
    sub->allow_extras();
    sub->fallthrough();
    sub->group("Commands");
    sub->footer(command->Notes() + ExamplesText(command->Examples()) + kExitCodes);
    command->Declare(*sub);
    formatter->SetUsage(sub, command->UsageLine());
    byApp[sub] = command.get();
  }
  CLI::App* help = app.add_subcommand("help", "this help, or a command's help");
  help->group("Commands");
  help->allow_extras();
  help->fallthrough();
  help->footer(kExitCodes);
  std::string topic;
  help->add_option("COMMAND", topic, "the command");
  formatter->SetUsage(help, "help [COMMAND]");

  args = SplitEmptyValues(app, args);
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    return Usage(err, Refusal(e));
  }

  // What CLI11 did not take: an option nobody declares, or an argument nobody expects.
  const std::vector<CLI::App*> chosen = app.get_subcommands();
  CLI::App* sub = chosen.empty() ? nullptr : chosen.front();
  auto leftOf = [](const CLI::App& a) {
    std::vector<std::string> v;
    for (const std::string& s : a.remaining()) {
      if (s != "--") v.push_back(s);
    }
    return v;
  };
  std::vector<std::string> left = leftOf(app);
  for (const std::string& a : left) {
    if (IsOption(a)) return Usage(err, "unknown option " + Esc(a));
  }
  if (sub) {
    const std::vector<std::string> subLeft = leftOf(*sub);
    for (const std::string& a : subLeft) {
      if (IsOption(a)) return Usage(err, "unknown option " + Esc(a));
    }
    // A command's extra arguments come back to the top when nothing took them there either.
    left.insert(left.begin(), subLeft.begin(), subLeft.end());
  }
  if (!left.empty()) {
    // The first argument that is no option names the command.
    std::string first;
    for (const std::string& a : args) {
      if (a == "--" || !IsOption(a)) {
        first = a;
        break;
      }
    }
    if (!sub || first != sub->get_name()) return Usage(err, "unknown command " + Quoted(left.front()));
    if (sub == help) return Usage(err, "help takes one command");
    return Usage(err, sub->get_name() + " takes no argument " + Quoted(left.front()));
  }

  if (bVersion) {
    out << kProgram << " " << ORVANE_VERSION << "\n";
    return kExitOk;
  }
  if (!sub) return Usage(err, "no command given");
  if (sub == help) {
    if (topic.empty()) {
      // App::help would give the help of the chosen command, help itself.
      out << formatter->make_help(&app, "", CLI::AppFormatMode::Normal);
      return kExitOk;
    }
    for (const auto& [pApp, pCommand] : byApp) {
      if (pCommand->Name() == topic) {
        out << pApp->help();
        return kExitOk;
      }
    }
    return Usage(err, "unknown command " + Quoted(topic));
  }
  const Context context{out, err, bJson};
  return byApp.at(sub)->Run(context);
}
