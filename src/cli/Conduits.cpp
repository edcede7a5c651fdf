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
    return {"orvanectl conduits"};
  }
  void Declare(CLI::App&) override {}

  int Run(const Context& c) override {
    Installation inst;
    if (const int code = inst.Open(Installation::Need::Conduits, c.err)) return code;
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
};

}  // namespace

std::unique_ptr<Command> MakeConduitsCommand() { return std::make_unique<ConduitsCommand>(); }

}  // namespace cli
