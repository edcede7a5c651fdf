// orvanectl show: what a user's handheld will do, conduit by conduit.
#include <CLI/CLI.hpp>

#include "src/cli/Command.h"
#include "src/cli/Installation.h"
#include "src/cli/Records.h"
#include "src/core/OVUtil.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/UserActions.h"

namespace cli {

namespace {

Json PrefJson(const PrefRead& r, bool bNext) {
  Json j;
  switch (r.state) {
    case PrefRead::State::Set:
      j["state"] = "set";
      j["code"] = r.nCode;
      j["name"] = SyncPrefName(r.nCode);
      if (bNext) j["oneTime"] = r.bOneTime;
      break;
    case PrefRead::State::NotSet: j["state"] = "not set"; break;
    case PrefRead::State::Failed:
      j["state"] = "failed";
      j["error"] = r.nResult;
      break;
  }
  return j;
}

class ShowCommand : public Command {
 public:
  ShowCommand()
      : Command("show", "a user's default and next-HotSync action per conduit", "show USER [CONDUIT...]") {}

  std::vector<std::string> Examples() const override {
    return {"orvanectl show \"Alice Smith\"                   # every conduit",
            "orvanectl show 271828 \"Memo Pad\" addr         # by user ID, two conduits"};
  }
  void Declare(CLI::App& app) override {
    m_pUser = app.add_option("USER", m_user, "the user, by name or user ID");
    app.add_option("CONDUIT", m_conduits, "only these conduits: title, creator (four characters) or creator ID (0x...)");
  }

  int Run(const Context& c) override {
    if (!m_pUser->count()) return Usage(c.err, "show needs a user");
    Installation inst;
    if (const int code = inst.Open(Installation::Need::UsersAndConduits, c.err)) return code;
    const UserRecord* pUser = nullptr;
    if (!ResolveUser(inst.Users(), m_user, &pUser, c.err)) return kExitUsage;

    std::vector<const CONDUIT_REC*> conduits;
    for (const CONDUIT_REC* p : inst.Conduits()) conduits.push_back(p);
    if (!m_conduits.empty()) {
      std::vector<const CONDUIT_REC*> chosen;
      for (const std::string& key : m_conduits) {
        const CONDUIT_REC* pRec = nullptr;
        const Lookup l = FindConduit(conduits, key, &pRec);
        if (l != Lookup::Found) {
          Say(c.err, (l == Lookup::Ambiguous ? "several conduits are named " : "there is no conduit ") + Quoted(key) +
                         " (see " + kProgram + " conduits)");
          return kExitUsage;
        }
        chosen.push_back(pRec);
      }
      conduits = chosen;
    }

    const std::vector<UserConduitAction> actions = ReadUserActions(pUser->userId, conduits);
    Output o = c.Results();
    if (o.IsJson()) {
      Json list = Json::array();
      for (const UserConduitAction& a : actions) {
        Json item = ConduitJson(*a.pRec);
        item["default"] = PrefJson(a.perm, false);
        item["next"] = PrefJson(a.next, true);
        list.push_back(std::move(item));
      }
      o.Write({{"user", {{"id", pUser->userId}, {"name", JsonText(FullUserName(*pUser))}}}, {"conduits", list}});
      return kExitOk;
    }
    o.Line(Esc(UserShown(*pUser)) + " (user ID " + std::to_string(pUser->userId) + ")");
    std::vector<std::vector<std::string>> rows{{"Conduit", "Creator", "Default", "Next HotSync"}};
    for (const UserConduitAction& a : actions) {
      rows.push_back({ConduitTitleOf(*a.pRec), CreatorIdText(a.pRec->dwCreatorID), PrefReadText(a.perm), NextSyncText(a.next)});
    }
    o.Table(rows);
    return kExitOk;
  }

 private:
  std::string m_user;
  CLI::Option* m_pUser = nullptr;
  std::vector<std::string> m_conduits;
};

}  // namespace

std::unique_ptr<Command> MakeShowCommand() { return std::make_unique<ShowCommand>(); }

}  // namespace cli
