// orvanectl apply: writes the conduits' actions into users' sync preferences.
#include <CLI/CLI.hpp>

#include <map>
#include <optional>
#include <unordered_set>

#include "src/cli/Command.h"
#include "src/cli/Installation.h"
#include "src/cli/Records.h"
#include "src/core/Actions.h"
#include "src/core/os/os.h"
#include "src/core/OVUtil.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/Session.h"
#include "src/core/UserActions.h"

namespace cli {

namespace {

// Splits one --users value at its commas. An item that begins with a double quote runs to the
// closing quote and may hold commas ("" inside is one quote); any other item runs to the next
// comma as it is. false, with the reason, for a quote left open or text after a closing one.
bool SplitUsers(const std::string& text, std::vector<std::string>& items, std::string* pError) {
  std::size_t i = 0;
  for (;;) {
    std::string item;
    if (i < text.size() && text[i] == '"') {
      for (++i;; ++i) {
        if (i >= text.size()) {
          *pError = "a quoted name in --users has no closing quote";
          return false;
        }
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            item += '"';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        item += text[i];
      }
      if (i < text.size() && text[i] != ',') {
        *pError = "a quoted name in --users must be followed by a comma or end there";
        return false;
      }
    } else {
      const std::size_t comma = text.find(',', i);
      item = text.substr(i, comma == std::string::npos ? std::string::npos : comma - i);
      i = comma == std::string::npos ? text.size() : comma;
    }
    items.push_back(item);
    if (i >= text.size()) return true;
    ++i;  // the comma
  }
}

std::vector<std::string> Escaped(const std::vector<std::string>& names) {
  std::vector<std::string> v;
  for (const std::string& n : names) v.push_back(Esc(n));
  return v;
}

class ApplyCommand : public Command {
 public:
  ApplyCommand()
      : Command("apply", "write the conduits' actions into users' sync preferences", "apply [OPTIONS]") {}

  std::vector<std::string> Examples() const override {
    return {"orvanectl apply --profile-file memo-off.txt --dry-run   # what would be written",
            "orvanectl apply --profile \"Office handhelds\" --users \"Alice Smith,Bob Jones\"",
            "orvanectl apply --next-only --users all                 # the next HotSync only"};
  }
  void Declare(CLI::App& app) override {
    app.add_option("--profile", m_profile, "the actions of a saved profile (its description or number)")
        ->type_name("NAME");
    app.add_option("--profile-file", m_profileFile, "the actions of a profile file (text, or a saved ovprofN.dat)")
        ->type_name("PATH");
    app.add_option("--users", m_users, "the users to write: all (the default) or USER,... (see below)")
        ->type_name("all|USER,...")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->expected(1)
        ->allow_extra_args(false);
    Flag(app, "--next-only", m_bNextOnly, "only the next HotSync (default: the users' default actions)");
    Flag(app, "--dry-run", m_bDryRun, "show what would be written and write nothing");
    Flag(app, "--end-one-time", m_bEndOneTime, "end the one-time actions that override the new defaults");
    Flag(app, "--go-on-unknown", m_bGoOnUnknown, "write when HotSync Manager does not say whether it synchronizes");
    m_pProfile = app.get_option("--profile");
    m_pProfileFile = app.get_option("--profile-file");
    m_pUsers = app.get_option("--users");
  }

  std::string Notes() const override {
    return "Users are named by name or user ID, separated by commas, and --users may be given\n"
           "several times. A name that holds a comma, or begins with a double quote, is written in\n"
           "double quotes with each quote in it doubled: --users '\"Smith, Ann\",Bob'. A text that is one\n"
           "user's name and another user's ID names neither and is refused.\n"
           "\n"
           "After default actions are written, the users whose one-time actions differ from them (and\n"
           "so override them at the next HotSync) are listed on standard error, and under\n"
           "\"oneTimeOverrides\" with --json; --end-one-time ends those one-time actions.\n"
           "Nothing is written while a HotSync is in progress, nor while HotSync Manager does not say\n"
           "whether one is, unless --go-on-unknown is given.\n"
           "\n"
           "Ctrl+C or Ctrl+Break (SIGINT or SIGTERM) stops after the user being written: who was\n"
           "written and who was not is said, and the exit code is 5. A second one ends at once.\n"
           "\n";
  }

  static void Flag(CLI::App& app, const char* szName, bool& b, const char* szHelp) {
    app.add_flag(szName, b, szHelp)->disable_flag_override()->multi_option_policy(CLI::MultiOptionPolicy::Throw);
  }

  int Run(const Context& c) override {
    if (m_pProfile->count() && m_pProfileFile->count()) {
      return Usage(c.err, "--profile and --profile-file cannot be given together");
    }
    const bool bPermanent = !m_bNextOnly;
    if (m_bEndOneTime && !bPermanent) {
      return Usage(c.err, "--end-one-time goes with the default actions, not with --next-only");
    }
    bool bAll = !m_pUsers->count();
    std::vector<std::string> keys;
    for (const std::string& value : m_users) {
      if (value.empty()) return Usage(c.err, "--users needs all or a list of users");
      if (value == "all") {
        bAll = true;
        continue;
      }
      std::string error;
      if (!SplitUsers(value, keys, &error)) return Usage(c.err, error);
    }

    // The profile is read whole before anything is started, so a bad one changes nothing.
    std::optional<std::vector<ProfileRec>> profile;
    // What the history calls this Apply.
    std::string what;
    if (m_pProfile->count()) {
      std::vector<ProfileRec> recs;
      std::string description;
      if (!ReadSavedProfile(m_profile, recs, &description, c.err)) return kExitUsage;
      profile = std::move(recs);
      what = "profile " + description;
    } else if (m_pProfileFile->count()) {
      std::vector<ProfileRec> recs;
      if (!ReadProfileArgument(m_profileFile, recs, c.err)) return kExitUsage;
      profile = std::move(recs);
      what = "profile file " + m_profileFile;
    }

    Installation inst;
    if (const int code = inst.Open(Installation::Need::UsersAndConduits, c.err)) return code;
    OVSession& session = inst.Session();

    // The users in list order, however they were typed.
    const std::vector<const UserRecord*> roster = inst.Users();
    std::unordered_set<const UserRecord*> named;
    for (const std::string& key : keys) {
      const UserRecord* pUser = nullptr;
      if (!ResolveUser(roster, key, &pUser, c.err)) return kExitUsage;
      named.insert(pUser);
    }
    std::vector<const UserRecord*> chosen;
    std::vector<SessionUser> users;
    for (const UserRecord* u : roster) {
      if (!bAll && !named.count(u)) continue;
      chosen.push_back(u);
      users.push_back({u->userId, UserShown(*u)});
    }

    const std::vector<CONDUIT_REC*> conduits = inst.Conduits();
    if (profile) LayProfile(*profile, conduits, c);

    const char* szKind = bPermanent ? "default" : "next HotSync only";
    Output o = c.Results();
    if (m_bDryRun) {
      if (o.IsJson()) {
        Json jUsers = Json::array(), jConduits = Json::array();
        for (const UserRecord* u : chosen) jUsers.push_back({{"id", u->userId}, {"name", JsonText(FullUserName(*u))}});
        for (const CONDUIT_REC* r : conduits) {
          jConduits.push_back({{"title", JsonText(ConduitTitleOf(*r))},
                               {"creatorId", Hex32(r->dwCreatorID)},
                               {"code", SyncPrefCode(r->dwAction)},
                               {"name", SyncPrefName(SyncPrefCode(r->dwAction))}});
        }
        o.Write({{"dryRun", true}, {"permanent", bPermanent}, {"users", jUsers}, {"conduits", jConduits}});
        return kExitOk;
      }
      o.Line(std::string("Dry run, nothing written. Would write the ") + szKind + " actions of " +
             CountText(conduits.size(), "conduit", "conduits") + " for " + CountText(chosen.size(), "user", "users") + ":");
      std::vector<std::vector<std::string>> rows{{"Conduit", "Creator", "Code", "Action"}};
      for (const CONDUIT_REC* r : conduits) {
        const std::int32_t code = SyncPrefCode(r->dwAction);
        rows.push_back({ConduitTitleOf(*r), CreatorIdText(r->dwCreatorID), std::to_string(code), SyncPrefName(code)});
      }
      o.Table(rows);
      o.Line("Users:");
      for (const UserRecord* u : chosen) o.Line("  " + Esc(UserShown(*u)) + " (" + std::to_string(u->userId) + ")");
      return kExitOk;
    }

    RunHooks hooks;
    hooks.goOnUnknown = [this] { return m_bGoOnUnknown; };
    // Ctrl+C stops between two users, never inside one user's writes.
    os::ClearStopRequest();
    os::InstallStopRequestHandler();
    hooks.stopRequested = [] { return os::StopRequested(); };
    hooks.what = what;
    const RunResult result = session.Apply(users, bPermanent, hooks);
    TellHistory(result.historyNotices, c);
    if (!result.unrecorded.empty()) {
      Say(c.err, "note: the settings of " + CountText(result.unrecorded.size(), "user", "users") +
                     " could not be read before they were written, so undo cannot put them back: " +
                     NameList(Escaped(RunResult::Names(result.unrecorded))));
    }
    // As the window does: the cache file then holds the actions just applied.
    if (result.Reached() > 0 && !session.SaveConduitCache()) {
      Say(c.err, "note: the conduit list " + Esc(session.CondFile()) + " could not be written");
    }

    // A default is overridden at the next HotSync by a one-time action of the same conduit.
    std::vector<OneTimeOverride> overrides;
    std::optional<EndResult> ended;
    if (bPermanent && result.stop == RunResult::Stop::None && !result.written.empty()) {
      overrides = session.FindOneTimeOverrides(RunResult::Ids(result.written), hooks).overrides;
      if (m_bEndOneTime && !overrides.empty()) {
        ended = session.EndOneTimeActions(overrides, hooks);
        TellHistory(ended->historyNotices, c);
      }
    }

    if (o.IsJson()) {
      Json j = {{"permanent", bPermanent}, {"written", result.written.size()}, {"failed", Names(result.failed)}};
      if (result.historyId) j["historyId"] = result.historyId;
      if (result.stop != RunResult::Stop::None) j["notWritten"] = Names(result.notWritten);
      if (bPermanent) j["oneTimeOverrides"] = OverridesJson(overrides, users, conduits);
      if (ended) j["oneTimeEnded"] = ended->nEnded;
      o.Write(j);
    } else {
      o.Line(std::string("Wrote the ") + szKind + " actions of " + CountText(conduits.size(), "conduit", "conduits") +
             " for " + CountText(result.written.size(), "user", "users") + ".");
      if (ended) o.Line("Ended " + CountText(ended->nEnded, "one-time action", "one-time actions") + " that overrode the new defaults.");
    }

    if (result.stop != RunResult::Stop::None) {
      TellStop(result, c);
      return result.stop == RunResult::Stop::Cancelled ? kExitStopped : kExitHotSync;
    }
    int code = kExitOk;
    if (!result.failed.empty()) {
      Say(c.err, ApplyFailureText(Escaped(RunResult::Names(result.failed))));
      code = kExitUsersFailed;
    }
    if (!overrides.empty() && !ended) TellOverrides(overrides, users, conduits, c);
    if (ended) {
      if (ended->nFailed) {
        Say(c.err, CountText(ended->nFailed, "one-time action", "one-time actions") + " could not be ended");
        code = kExitUsersFailed;
      }
      if (ended->stop != RunResult::Stop::None) {
        Say(c.err, StopReasonText(ended->stop) + " " +
                       CountText(ended->nNotReached, "one-time action was", "one-time actions were") + " not ended.");
        return kExitHotSync;
      }
    }
    return code;
  }

 private:
  // The profile's actions over the conduits it names; what is not installed here is said.
  static void LayProfile(const std::vector<ProfileRec>& recs, const std::vector<CONDUIT_REC*>& conduits,
                         const Context& c) {
    OVSession::PutActions(recs, conduits);
    std::unordered_set<std::uint32_t> installed;
    for (const CONDUIT_REC* pRec : conduits) installed.insert(pRec->dwCreatorID);
    std::string missing;
    for (const ProfileRec& rec : recs) {
      if (!installed.count(rec.dwCreatorID)) missing += (missing.empty() ? "" : ", ") + Esc(CreatorIdText(rec.dwCreatorID));
    }
    if (!missing.empty()) Say(c.err, "note: not installed here, left out: " + missing);
  }

  static Json Names(const std::vector<SessionUser>& users) {
    Json j = Json::array();
    for (const SessionUser& u : users) j.push_back(JsonText(u.name));
    return j;
  }

  // The overrides per user, in the order found.
  template <class F>
  static void ForEachUser(const std::vector<OneTimeOverride>& overrides, F f) {
    for (std::size_t i = 0; i < overrides.size();) {
      std::size_t end = i;
      while (end < overrides.size() && overrides[end].userId == overrides[i].userId) ++end;
      f(overrides[i].userId, i, end);
      i = end;
    }
  }

  static Json OverridesJson(const std::vector<OneTimeOverride>& overrides, const std::vector<SessionUser>& users,
                            const std::vector<CONDUIT_REC*>& conduits) {
    std::map<std::uint32_t, const CONDUIT_REC*> byCreator;
    for (const CONDUIT_REC* r : conduits) byCreator.emplace(r->dwCreatorID, r);
    std::map<std::uint32_t, std::string> names;
    for (const SessionUser& u : users) names.emplace(u.userId, u.name);
    Json j = Json::array();
    ForEachUser(overrides, [&](std::uint32_t userId, std::size_t begin, std::size_t end) {
      Json list = Json::array();
      for (std::size_t k = begin; k < end; ++k) {
        const auto it = byCreator.find(overrides[k].dwCreatorID);
        list.push_back(it != byCreator.end() ? ConduitJson(*it->second)
                                             : Json{{"creatorId", Hex32(overrides[k].dwCreatorID)}});
      }
      j.push_back({{"id", userId}, {"name", JsonText(names[userId])}, {"conduits", list}});
    });
    return j;
  }

  static void TellOverrides(const std::vector<OneTimeOverride>& overrides, const std::vector<SessionUser>& users,
                            const std::vector<CONDUIT_REC*>& conduits, const Context& c) {
    std::map<std::uint32_t, std::string> titles, names;
    for (const CONDUIT_REC* r : conduits) titles.emplace(r->dwCreatorID, ConduitTitleOf(*r));
    for (const SessionUser& u : users) names.emplace(u.userId, u.name);
    Say(c.err, OverrideSummaryText(overrides) + " The next HotSync does those instead:");
    ForEachUser(overrides, [&](std::uint32_t userId, std::size_t begin, std::size_t end) {
      std::string line = "  " + Esc(names[userId]) + " (" + std::to_string(userId) + "):";
      for (std::size_t k = begin; k < end; ++k) line += (k == begin ? " " : ", ") + Esc(titles[overrides[k].dwCreatorID]);
      c.err << os::ToConsoleText(line) << '\n';
    });
    Say(c.err, "apply with --end-one-time ends them");
  }

  static void TellStop(const RunResult& result, const Context& c) {
    if (result.Reached() == 0 && result.stop == RunResult::Stop::HotSync) {
      Say(c.err, "a HotSync is in progress; nothing was written. Try again when it has finished.");
    } else if (result.Reached() == 0 && result.stop == RunResult::Stop::HotSyncUnknown) {
      Say(c.err, "HotSync Manager did not say whether a HotSync is in progress (its state is unknown); nothing was "
                 "written. Try again, or give --go-on-unknown to write anyway.");
    } else {
      RunResult shown = result;
      for (auto* list : {&shown.written, &shown.failed, &shown.notWritten}) {
        for (SessionUser& u : *list) u.name = Esc(u.name);
      }
      Say(c.err, StopReasonText(result.stop) + " " + StoppedRunText(shown));
    }
  }

  std::string m_profile, m_profileFile;
  std::vector<std::string> m_users;
  bool m_bNextOnly = false, m_bDryRun = false, m_bEndOneTime = false, m_bGoOnUnknown = false;
  CLI::Option* m_pProfile = nullptr;
  CLI::Option* m_pProfileFile = nullptr;
  CLI::Option* m_pUsers = nullptr;
};

}  // namespace

std::unique_ptr<Command> MakeApplyCommand() { return std::make_unique<ApplyCommand>(); }

}  // namespace cli
