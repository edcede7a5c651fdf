// orvanectl users: the handheld users.
#include <CLI/CLI.hpp>

#include "src/cli/Command.h"
#include "src/cli/Installation.h"
#include "src/core/OVUtil.h"

namespace cli {

namespace {

class UsersCommand : public Command {
 public:
  UsersCommand() : Command("users", "the handheld users (user ID, name)", "users") {}

  std::vector<std::string> Examples() const override {
    return {"orvanectl users",
            "orvanectl --json users        # for a script"};
  }
  void Declare(CLI::App&) override {}

  int Run(const Context& c) override {
    Installation inst;
    if (const int code = inst.Open(Installation::Need::Users, c.err)) return code;
    Output o = c.Results();
    if (o.IsJson()) {
      Json users = Json::array();
      for (const UserRecord* u : inst.Users()) users.push_back({{"id", u->userId}, {"name", JsonText(FullUserName(*u))}});
      o.Write(users);
      return kExitOk;
    }
    std::vector<std::vector<std::string>> rows{{"User ID", "Name"}};
    for (const UserRecord* u : inst.Users()) rows.push_back({std::to_string(u->userId), UserShown(*u)});
    o.Table(rows);
    return kExitOk;
  }
};

}  // namespace

std::unique_ptr<Command> MakeUsersCommand() { return std::make_unique<UsersCommand>(); }

}  // namespace cli
