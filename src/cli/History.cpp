// orvanectl history: the changes Orvane made (Apply, the end of one-time actions, Undo), newest
// last, and one change user by user and conduit by conduit.
#include <CLI/CLI.hpp>

#include <algorithm>

#include "src/cli/Command.h"
#include "src/cli/Records.h"
#include "src/core/DataFiles.h"
#include "src/core/History.h"
#include "src/core/Session.h"
#include "src/core/UserActions.h"

namespace cli {

namespace {

// The state of an entry in a word: "undone", "stopped (HotSync)", "unfinished" (no end: the
// program stopped while writing), or "".
std::string StateText(const HistEntry& e) {
  if (!e.bEnded) return "unfinished";
  if (e.bUndone) return "undone";
  if (e.end == "hotsync") return "stopped (HotSync)";
  if (e.end == "hotsync-unknown") return "stopped (HotSync unknown)";
  if (e.end == "cancelled") return "cancelled";
  return "";
}

Json ValueJson(const HistValue& v) {
  switch (v.kind) {
    case HistValue::Kind::Code: return {{"code", v.n}, {"name", HistValueText(v)}};
    case HistValue::Kind::NotSet: return {{"code", nullptr}, {"name", HistValueText(v)}};
    case HistValue::Kind::Failed: return {{"error", v.n}, {"name", HistValueText(v)}};
    case HistValue::Kind::Untouched: break;
  }
  return nullptr;
}

Json EntryJson(const HistEntry& e) {
  Json j = {{"id", e.id},     {"time", e.time},       {"who", e.who},
            {"program", e.program}, {"change", HistKindText(e)}, {"what", e.what},
            {"mode", e.bPermanent ? "default" : "next"}, {"users", e.nUsers}, {"failed", e.failed.size()},
            {"end", e.bEnded ? e.end : "unfinished"},    {"undone", e.bUndone}};
  if (e.kind == HistKind::Undo) j["undoes"] = e.undoes;
  return j;
}

class HistoryCommand : public Command {
 public:
  HistoryCommand()
      : Command("history", "the changes made to users' settings, and what each one changed", "history [show ID]") {}

  std::vector<std::string> Examples() const override {
    return {"orvanectl history --last 5          # the five newest changes",
            "orvanectl history show 12           # change 12, user by user and conduit by conduit",
            "orvanectl --json history            # every change, for a script"};
  }
  void Declare(CLI::App& app) override {
    app.add_option("WHAT", m_what, "show: one change in full")->type_name("show");
    app.add_option("ID", m_id, "the change's number (the ID column)");
    app.add_option("--last", m_nLast, "only the N newest changes")->type_name("N")->check(CLI::PositiveNumber);
  }
  std::string Notes() const override {
    return "Every Apply (window and console), every end of one-time actions and every undo is\n"
           "recorded in ovhist.jsonl in Orvane's data directory, with each user's values before it.\n"
           "\"orvanectl undo\" takes back the newest change that is not undone yet.\n"
           "\n";
  }

  int Run(const Context& c) override {
    if (!m_what.empty() && m_what != "show") return Usage(c.err, "history takes \"show ID\" or nothing");
    if (m_what == "show" && m_id == 0) return Usage(c.err, "history show needs the change's number");
    HistoryFile history(DataFileForWriting(kDataFileHistory));
    const bool bRead = history.Load();
    TellHistory(history.Notices(), c);
    if (!bRead) return kExitUsage;
    Output o = c.Results();
    if (m_what == "show") return Show(history, o, c);

    const std::vector<HistEntry>& all = history.Entries();
    const std::size_t nFrom = m_nLast > 0 && static_cast<std::size_t>(m_nLast) < all.size() ? all.size() - m_nLast : 0;
    if (o.IsJson()) {
      Json j = Json::array();
      for (std::size_t i = nFrom; i < all.size(); ++i) j.push_back(EntryJson(all[i]));
      o.Write(j);
      return kExitOk;
    }
    if (all.empty()) {
      o.Line("No changes recorded yet.");
      return kExitOk;
    }
    std::vector<std::vector<std::string>> rows{{"ID", "Time (UTC)", "Who", "Program", "Change", "What", "Actions", "Users", "State"}};
    for (std::size_t i = nFrom; i < all.size(); ++i) {
      const HistEntry& e = all[i];
      rows.push_back({std::to_string(e.id), e.time, e.who, e.program, HistKindText(e), e.what, HistModeText(e),
                      std::to_string(e.nUsers), StateText(e)});
    }
    o.Table(rows);
    if (const HistEntry* pTarget = history.UndoTarget()) o.Line("orvanectl undo takes back #" + std::to_string(pTarget->id) + ".");
    return kExitOk;
  }

 private:
  int Show(const HistoryFile& history, Output& o, const Context& c) const {
    const HistEntry* pEntry = history.Find(m_id);
    if (!pEntry) {
      Say(c.err, "there is no change " + std::to_string(m_id) + " in the history");
      return kExitUsage;
    }
    const HistEntry& e = *pEntry;
    const std::vector<HistUser> users = history.UsersOf(e);
    if (o.IsJson()) {
      Json j = EntryJson(e);
      Json jUsers = Json::array();
      for (const HistUser& u : users) {
        Json changes = Json::array();
        for (std::size_t k = 0; k < e.conduits.size(); ++k) {
          if (u.oldValues[k].kind == HistValue::Kind::Untouched) continue;
          changes.push_back({{"creatorId", Hex32(e.conduits[k].dwCreatorID)},
                             {"title", e.conduits[k].title},
                             {"old", ValueJson(u.oldValues[k])},
                             {"new", ValueJson(u.NewAt(k, e.conduits))}});
        }
        jUsers.push_back({{"id", u.userId}, {"name", u.name}, {"conduits", changes}});
      }
      j["changes"] = jUsers;
      o.Write(j);
      return kExitOk;
    }
    o.Line("#" + std::to_string(e.id) + " " + Esc(HistTitleText(e)) + " (" + HistModeText(e) +
           " actions), " + e.time + " by " + Esc(e.who) + " (" + e.program + ")" +
           (StateText(e).empty() ? "" : ", " + StateText(e)) + ":");
    std::vector<std::vector<std::string>> rows{{"User", "ID", "Conduit", "Before", "After"}};
    for (const HistUser& u : users) {
      for (std::size_t k = 0; k < e.conduits.size(); ++k) {
        if (u.oldValues[k].kind == HistValue::Kind::Untouched) continue;
        const std::string title = e.conduits[k].title.empty() ? CreatorIdText(e.conduits[k].dwCreatorID) : e.conduits[k].title;
        rows.push_back({u.name, std::to_string(u.userId), title, HistValueText(u.oldValues[k]),
                        HistValueText(u.NewAt(k, e.conduits))});
      }
    }
    o.Table(rows);
    return kExitOk;
  }

  std::string m_what;
  std::uint64_t m_id = 0;
  int m_nLast = 0;
};

}  // namespace

std::unique_ptr<Command> MakeHistoryCommand() { return std::make_unique<HistoryCommand>(); }

}  // namespace cli
