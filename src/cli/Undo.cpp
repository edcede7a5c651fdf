// orvanectl undo: takes back the newest change of the history that is not undone yet.
#include <CLI/CLI.hpp>

#include "src/cli/Command.h"
#include "src/cli/Installation.h"
#include "src/core/History.h"
#include "src/core/Session.h"
#include "src/core/UserActions.h"

namespace cli {

namespace {

std::vector<std::string> Escaped(const std::vector<std::string>& names) {
  std::vector<std::string> v;
  for (const std::string& n : names) v.push_back(Esc(n));
  return v;
}

class UndoCommand : public Command {
 public:
  UndoCommand() : Command("undo", "take back the newest change (apply, end of one-time actions, undo)", "undo [OPTIONS]") {}

  std::vector<std::string> Examples() const override {
    return {"orvanectl undo --dry-run      # what would be put back",
            "orvanectl undo                # put back the values the newest change overwrote"};
  }
  void Declare(CLI::App& app) override {
    app.add_flag("--dry-run", m_bDryRun, "show what would be put back and write nothing")->disable_flag_override();
    app.add_flag("--go-on-unknown", m_bGoOnUnknown, "write when HotSync Manager does not say whether it synchronizes")
        ->disable_flag_override();
  }
  std::string Notes() const override {
    return "Each user the change reached gets back the value recorded before it. A next-HotSync\n"
           "action that was not set is put back by ending the one-time action; a default that was\n"
           "not set stays as it is (Palm's user data library cannot unset one), and so does a value\n"
           "that could not be read before the change: both are named. The undo is itself a change\n"
           "of the history, so undo right after an undo writes the change again.\n"
           "\n";
  }

  int Run(const Context& c) override {
    Installation inst;
    if (const int code = inst.Open(Installation::Need::Users, c.err)) return code;
    OVSession& session = inst.Session();
    RunHooks hooks;
    hooks.goOnUnknown = [this] { return m_bGoOnUnknown; };
    const UndoResult r = session.Undo(hooks, m_bDryRun);
    TellHistory(r.run.historyNotices, c);
    Output o = c.Results();
    if (r.bNothing) {
      if (o.IsJson()) o.Write({{"undone", nullptr}});
      else o.Line("Nothing to undo.");
      return kExitOk;
    }
    HistoryFile history(session.HistoryPath());
    history.Load();
    const HistEntry* pEntry = history.Find(r.undoneId);
    const std::string what = pEntry ? "#" + std::to_string(r.undoneId) + " (" + Esc(HistTitleText(*pEntry)) + ", " +
                                          HistModeText(*pEntry) + " actions)"
                                    : "#" + std::to_string(r.undoneId);
    if (o.IsJson()) {
      Json left = Json::array();
      for (const UndoLeft& l : r.left) {
        left.push_back({{"user", l.user.userId}, {"name", l.user.name}, {"title", l.title}, {"why", l.why}});
      }
      Json names = Json::array(), failed = Json::array();
      for (const SessionUser& u : r.run.written) names.push_back(u.name);
      for (const SessionUser& u : r.run.failed) failed.push_back(u.name);
      Json j = {{"dryRun", m_bDryRun}, {"undone", r.undoneId}, {"restored", names}, {"failed", failed}, {"left", left}};
      if (r.run.stop != RunResult::Stop::None) {
        Json notWritten = Json::array();
        for (const SessionUser& u : r.run.notWritten) notWritten.push_back(u.name);
        j["notWritten"] = notWritten;
      }
      if (r.run.historyId) j["historyId"] = r.run.historyId;
      o.Write(j);
    } else if (m_bDryRun) {
      o.Line("Dry run, nothing written. Undo would take back " + what + " for " +
             CountText(r.run.written.size(), "user", "users") + ": " + NameList(Escaped(RunResult::Names(r.run.written))) + ".");
    } else {
      o.Line("Took back " + what + " for " + CountText(r.run.written.size(), "user", "users") + ".");
    }
    if (!r.left.empty()) {
      std::vector<UndoLeft> shown = r.left;
      for (UndoLeft& l : shown) {
        l.user.name = Esc(l.user.name);
        l.title = Esc(l.title);
      }
      Say(c.err, UndoLeftText(shown));
    }
    if (r.run.stop != RunResult::Stop::None) {
      RunResult shown = r.run;
      for (auto* list : {&shown.written, &shown.failed, &shown.notWritten}) {
        for (SessionUser& u : *list) u.name = Esc(u.name);
      }
      Say(c.err, StopReasonText(r.run.stop) + " " + StoppedRunText(shown));
      return kExitHotSync;
    }
    if (!r.run.failed.empty()) {
      Say(c.err, ApplyFailureText(Escaped(RunResult::Names(r.run.failed))));
      return kExitUsersFailed;
    }
    return kExitOk;
  }

 private:
  bool m_bDryRun = false, m_bGoOnUnknown = false;
};

}  // namespace

std::unique_ptr<Command> MakeUndoCommand() { return std::make_unique<UndoCommand>(); }

}  // namespace cli
