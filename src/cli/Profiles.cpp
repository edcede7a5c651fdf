// orvanectl profiles: the saved profiles.
#include <CLI/CLI.hpp>

#include "src/cli/Command.h"
#include "src/cli/Records.h"
#include "src/core/OVProfile.h"

namespace cli {

namespace {

class ProfilesCommand : public Command {
 public:
  ProfilesCommand() : Command("profiles", "the saved profiles", "profiles") {}

  std::vector<std::string> Examples() const override {
    return {"orvanectl profiles"};
  }
  void Declare(CLI::App&) override {}

  int Run(const Context& c) override {
    OVProfMgr mgr;
    if (!LoadCatalogue(mgr, c.err)) return kExitUsage;
    std::vector<OVProfile*> all;
    for (OVProfile* p : mgr.Profiles()) all.push_back(p);
    Output o = c.Results();
    if (o.IsJson()) {
      Json list = Json::array();
      for (std::size_t i = 0; i < all.size(); ++i) {
        list.push_back({{"number", i + 1},
                        {"description", JsonText(all[i]->GetDescription())},
                        {"file", JsonText(all[i]->GetFileName())}});
      }
      o.Write(list);
      return kExitOk;
    }
    if (all.empty()) {
      Say(c.err, "no profile has been saved yet");
      return kExitOk;
    }
    std::vector<std::vector<std::string>> rows{{"No.", "Description", "File"}};
    for (std::size_t i = 0; i < all.size(); ++i) {
      rows.push_back({std::to_string(i + 1), all[i]->GetDescription(), all[i]->GetFileName()});
    }
    o.Table(rows);
    return kExitOk;
  }
};

}  // namespace

std::unique_ptr<Command> MakeProfilesCommand() { return std::make_unique<ProfilesCommand>(); }

}  // namespace cli
