// orvanectl overview: every user's next HotSync, conduit by conduit, in one table (text, CSV or
// JSON), and with --differs which cells differ from what Apply would write.
#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "src/cli/Command.h"
#include "src/cli/Installation.h"
#include "src/cli/Records.h"
#include "src/core/Actions.h"
#include "src/core/OVUtil.h"
#include "src/core/Overview.h"
#include "src/core/palm/CondMgr.h"

namespace cli {

namespace {

// A CSV field (RFC 4180): quoted when it holds a comma, a quote, a line end or blanks at either
// end, a quote written twice. Control characters are escaped first, as everywhere on the console.
std::string CsvField(const std::string& raw) {
  const std::string text = Esc(raw);
  const bool bQuote = text.find_first_of(",\"\r\n") != std::string::npos ||
                      (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!bQuote) return text;
  std::string out = "\"";
  for (char ch : text) {
    if (ch == '"') out += '"';
    out += ch;
  }
  return out + '"';
}

Json CellJson(const OverviewCell& cell) {
  Json j;
  switch (cell.kind) {
    case CellKind::NotSet: j["state"] = "not set"; break;
    case CellKind::Failed:
      j["state"] = "failed";
      j["error"] = cell.nValue;
      break;
    default:
      j["state"] = "set";
      j["label"] = CellLabel(cell);
      j["oneTime"] = cell.bOneTime;
      break;
  }
  j["text"] = CellText(cell);
  return j;
}

class OverviewCommand : public Command {
 public:
  OverviewCommand()
      : Command("overview", "every user's next HotSync, conduit by conduit, and who differs",
                "overview [--csv] [--differs]") {}

  std::string Notes() const override {
    return "Each cell is what the conduit does for the user at the next HotSync: Sync, Desktop (desktop\n"
           "overwrites handheld), Handheld (handheld overwrites desktop), Nothing, Custom, \"not set\" or\n"
           "\"failed\"; \"*\" marks a one-time action. The CSV and JSON give the full texts.\n\n"
           "--differs compares every cell with the action of the conduit list (what apply would write,\n"
           "see " + std::string(kProgram) + " conduits): cells that agree are left empty (\".\" in the text table),\n"
           "and each user and conduit gets its count of differing cells. A cell never set or not read\n"
           "differs.\n\n";
  }
  std::vector<std::string> Examples() const override {
    return {"orvanectl overview                          # every user and conduit",
            "orvanectl overview --differs                # only what differs from the conduit list",
            "orvanectl overview --csv > overview.csv     # for a spreadsheet"};
  }
  void Declare(CLI::App& app) override {
    app.add_flag("--csv", m_bCsv, "print comma-separated values (one line a user) instead of a table");
    app.add_flag("--differs", m_bDiffers, "mark only the cells that differ from the conduit list, with counts");
  }

  int Run(const Context& c) override {
    if (m_bCsv && c.bJson) return Usage(c.err, "overview takes --csv or --json, not both");
    Installation inst;
    if (const int code = inst.Open(Installation::Need::UsersAndConduits, c.err)) return code;
    const std::vector<const UserRecord*> users = inst.Users();
    const std::vector<CONDUIT_REC*> recs = inst.Conduits();
    const std::vector<const CONDUIT_REC*> conduits(recs.begin(), recs.end());
    std::vector<std::uint32_t> ids;
    ids.reserve(users.size());
    for (const UserRecord* pUser : users) ids.push_back(pUser->userId);
    OverviewTable table(std::move(ids), conduits);
    table.ReadUnread(0, table.UserCount());

    if (c.bJson) return WriteJson(c, table, users, conduits);
    if (m_bCsv) return WriteCsv(c, table, users, conduits);
    return WriteText(c, table, users, conduits);
  }

 private:
  // The text of a cell in the text table and the CSV: with --differs, "" for one that agrees.
  std::string Shown(const OverviewTable& t, std::size_t row, std::size_t col, bool bFull) const {
    if (m_bDiffers && !t.Differs(row, col)) return "";
    return bFull ? CellText(t.Cell(row, col)) : CellLabel(t.Cell(row, col));
  }

  int WriteText(const Context& c, const OverviewTable& t, const std::vector<const UserRecord*>& users,
                const std::vector<const CONDUIT_REC*>& conduits) const {
    std::vector<std::vector<std::string>> rows(1);
    rows[0].push_back("User");
    for (const CONDUIT_REC* pRec : conduits) rows[0].push_back(ConduitTitleOf(*pRec));
    if (m_bDiffers) rows[0].push_back("Differ");
    for (std::size_t row = 0; row < t.UserCount(); ++row) {
      std::vector<std::string> line{UserShown(*users[row])};
      for (std::size_t col = 0; col < t.ConduitCount(); ++col) {
        const std::string text = Shown(t, row, col, false);
        line.push_back(text.empty() ? "." : text);
      }
      if (m_bDiffers) line.push_back(std::to_string(t.RowDifferences(row)));
      rows.push_back(std::move(line));
    }
    if (m_bDiffers) {
      std::vector<std::string> line{"Users differing"};
      for (std::size_t col = 0; col < t.ConduitCount(); ++col) line.push_back(std::to_string(t.ColumnDifferences(col)));
      line.push_back(std::to_string(t.Differences()));
      rows.push_back(std::move(line));
    }
    Output o = c.Results();
    o.Table(rows);
    if (m_bDiffers) {
      o.Line(std::to_string(t.DifferingRows().size()) + " of " + CountText(t.UserCount(), "user", "users") +
             " differ from the conduit list.");
    }
    return kExitOk;
  }

  int WriteCsv(const Context& c, const OverviewTable& t, const std::vector<const UserRecord*>& users,
               const std::vector<const CONDUIT_REC*>& conduits) const {
    std::string line = "User,User ID";
    for (const CONDUIT_REC* pRec : conduits) line += "," + CsvField(ConduitTitleOf(*pRec));
    if (m_bDiffers) line += ",Differences";
    Output o = c.Results();
    o.Line(line);
    for (std::size_t row = 0; row < t.UserCount(); ++row) {
      line = CsvField(FullUserName(*users[row])) + "," + std::to_string(t.UserId(row));
      for (std::size_t col = 0; col < t.ConduitCount(); ++col) line += "," + CsvField(Shown(t, row, col, true));
      if (m_bDiffers) line += "," + std::to_string(t.RowDifferences(row));
      o.Line(line);
    }
    return kExitOk;
  }

  int WriteJson(const Context& c, const OverviewTable& t, const std::vector<const UserRecord*>& users,
                const std::vector<const CONDUIT_REC*>& conduits) const {
    Json jConduits = Json::array();
    for (std::size_t col = 0; col < conduits.size(); ++col) {
      Json item = ConduitJson(*conduits[col]);
      item["syncPreference"] = SyncPrefCode(conduits[col]->dwAction);
      if (m_bDiffers) item["differingUsers"] = t.ColumnDifferences(col);
      jConduits.push_back(std::move(item));
    }
    Json jUsers = Json::array();
    for (std::size_t row = 0; row < t.UserCount(); ++row) {
      Json cells = Json::array();
      for (std::size_t col = 0; col < t.ConduitCount(); ++col) {
        Json cell = CellJson(t.Cell(row, col));
        if (m_bDiffers) cell["differs"] = t.Differs(row, col);
        cells.push_back(std::move(cell));
      }
      Json user{{"id", t.UserId(row)}, {"name", JsonText(FullUserName(*users[row]))}};
      if (m_bDiffers) user["differences"] = t.RowDifferences(row);
      user["cells"] = std::move(cells);
      jUsers.push_back(std::move(user));
    }
    Json doc{{"conduits", std::move(jConduits)}};
    if (m_bDiffers) doc["differences"] = t.Differences();
    doc["users"] = std::move(jUsers);
    c.Results().Write(doc);
    return kExitOk;
  }

  bool m_bCsv = false;
  bool m_bDiffers = false;
};

}  // namespace

std::unique_ptr<Command> MakeOverviewCommand() { return std::make_unique<OverviewCommand>(); }

}  // namespace cli
