// orvanectl conduits: the conduits with the actions Orvane would write.
#include <CLI/CLI.hpp>

#include "src/cli/Command.h"
#include "src/cli/Installation.h"
#include "src/cli/Records.h"
#include "src/core/Actions.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/UserActions.h"

namespace cli {

namespace {

class ConduitsCommand : public Command {
 public:
  ConduitsCommand() : Command("conduits", "the conduits with the actions Orvane would write", "conduits") {}

  std::vector<std::string> Examples() const override {
    return {"orvanectl conduits", "orvanectl conduits --refresh   # read the conduits afresh from Palm Desktop"};
  }
  std::string Notes() const override {
    return "The conduits come from Orvane's conduit list (ovcond.dat), as the window shows them at\n"
           "start; --refresh reads them afresh from Palm Desktop, with the default action of their\n"
           "kind, and writes the list (the window's Refresh), for conduits installed or removed since.\n"
           "\n";
  }
  void Declare(CLI::App& app) override {
    app.add_flag("--refresh", m_bRefresh, "read the conduits afresh from Palm Desktop and write the conduit list")
        ->disable_flag_override();
  }

  int Run(const Context& c) override {
    Installation inst;
    if (const int code = inst.Open(Installation::Need::Conduits, c.err, m_bRefresh)) return code;
    Output o = c.Results();
    if (o.IsJson()) {
      Json list = Json::array();
      for (const CONDUIT_REC* r : inst.Conduits()) {
        Json item = ConduitJson(*r);
        item["kind"] = ConduitKindName(r->dwKind);
        item["action"] = ActionName(r->dwAction);
        item["actionValue"] = Hex32(r->dwAction);
        item["enabled"] = IsActionTicked(r->dwAction);
        item["syncPreference"] = SyncPrefCode(r->dwAction);
        list.push_back(std::move(item));
      }
      o.Write(list);
      return kExitOk;
    }
    std::vector<std::vector<std::string>> rows{{"Creator", "Kind", "Action", "Title"}};
    for (const CONDUIT_REC* r : inst.Conduits()) {
      rows.push_back({CreatorIdText(r->dwCreatorID), ConduitKindName(r->dwKind), ActionName(r->dwAction), ConduitTitleOf(*r)});
    }
    o.Table(rows);
    return kExitOk;
  }

 private:
  bool m_bRefresh = false;
};

}  // namespace

std::unique_ptr<Command> MakeConduitsCommand() { return std::make_unique<ConduitsCommand>(); }

}  // namespace cli
