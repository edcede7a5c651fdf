// orvanectl overview read back as a spreadsheet or a script would: the CSV by an RFC 4180
// reader, the JSON by a JSON parser, against an installation with known differences.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "src/cli/Cli.h"
#include "src/core/Session.h"
#include "src/core/os/os.h"
#include "src/core/palm/PalmLib.h"
#include "tests/support/PalmFixture.h"

namespace fs = std::filesystem;

namespace {

// The records of an RFC 4180 text: fields split at commas outside quotes, "" a quote.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool bQuoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (bQuoted) {
      if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        rows.back().back() += '"';
        ++i;
      } else if (ch == '"') {
        bQuoted = false;
      } else {
        rows.back().back() += ch;
      }
    } else if (ch == '"') {
      bQuoted = true;
    } else if (ch == ',') {
      rows.back().emplace_back();
    } else if (ch == '\n') {
      rows.emplace_back(1);
    } else if (ch != '\r') {
      rows.back().back() += ch;
    }
  }
  if (rows.back().size() == 1 && rows.back()[0].empty()) rows.pop_back();
  return rows;
}

constexpr std::uint32_t kDate = 0x64617465, kMemo = 0x6D656D6F;

class OverviewCli : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(os::GetCurrentDirectory(m_szCwd, sizeof m_szCwd));
    fixture::ClearRegistryCorePath();
    // Three users: the first as the conduit list says, the second without Memo Pad by default,
    // the third (whose name needs quoting) with a one-time Date Book action and nothing else.
    m_inst.AddUser({1001, "Alice", "alice", false, {}});
    m_inst.AddUser({1002, "Bob", "bob", false, {}});
    m_inst.AddUser({1003, "Smith, \"Jo\"", "jo", false, {}});
    m_inst.AddWindowConduits({{"date", "datebook.dll", "Date Book"}, {"memo", "memopad.dll", "Memo Pad"}});
    m_inst.Publish();
    // The library is bound through a session of its own while the preferences are written.
    OVSession session;
    session.Open();
    for (std::uint32_t user : {1001u, 1002u}) {
      for (const auto& [creator, code] : {std::pair{kDate, 0}, {kMemo, 0}, {0x496E7374u, 1}, {0xFFFFFFFFu, 2}}) {
        palm::UmSetUserPermSyncPreferences(user, creator, code);
      }
    }
    palm::UmSetUserPermSyncPreferences(1002, kMemo, palm::SYNC_PREF_DO_NOTHING);
    palm::UmSetUserTempSyncPreferences(1003, kDate, palm::SYNC_PREF_PC_TO_HH);
    session.Close();
    os::SetCurrentDirectory(m_szCwd);
  }
  void TearDown() override {
    os::SetCurrentDirectory(m_szCwd);
    fixture::RemoveKestrowIni();
    char buf[4096];
    if (os::GetExecutablePath(buf, sizeof buf)) {
      for (const char* name : {"ovcond.dat", "ovcurr.dat", "ovprof.dat"}) fs::remove(fs::path(buf).parent_path() / name);
    }
  }

  std::pair<int, std::string> Run(std::vector<std::string> args, std::string* pErr = nullptr) {
    args.insert(args.begin(), "orvanectl");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::ostringstream out, err;
    const int code = RunCli(static_cast<int>(args.size()), argv.data(), out, err);
    if (pErr) *pErr = err.str();
    return {code, out.str()};
  }

  char m_szCwd[4096] = {};
  fixture::Installation m_inst;
};

TEST_F(OverviewCli, CsvReadsBackWithTheDifferences) {
  const auto [code, out] = Run({"overview", "--csv", "--differs"});
  ASSERT_EQ(code, 0) << out;
  const std::vector<std::vector<std::string>> rows = ReadCsv(out);
  const std::vector<std::vector<std::string>> expected{
      {"User", "User ID", "Date Book", "Memo Pad", "Install Tool", "Backup", "Differences"},
      {"Alice", "1001", "", "", "", "", "0"},
      {"Bob", "1002", "", "Do Nothing", "", "", "1"},
      {"Smith, \"Jo\"", "1003", "Desktop overwrites handheld (this time only)", "not set", "not set", "not set", "4"},
  };
  EXPECT_EQ(rows, expected) << out;

  // Without --differs every cell is there.
  const auto [allCode, all] = Run({"overview", "--csv"});
  ASSERT_EQ(allCode, 0);
  const std::vector<std::vector<std::string>> allRows = ReadCsv(all);
  ASSERT_EQ(allRows.size(), 4u);
  EXPECT_EQ(allRows[1], (std::vector<std::string>{"Alice", "1001", "Synchronize the files", "Synchronize the files",
                                                  "Desktop overwrites handheld", "Handheld overwrites Desktop"}));
}

TEST_F(OverviewCli, JsonReadsBackWithCountsPerUserAndConduit) {
  const auto [code, out] = Run({"--json", "overview", "--differs"});
  ASSERT_EQ(code, 0) << out;
  const nlohmann::json doc = nlohmann::json::parse(out);
  EXPECT_EQ(doc["differences"], 5);
  ASSERT_EQ(doc["conduits"].size(), 4u);
  EXPECT_EQ(doc["conduits"][0]["title"], "Date Book");
  EXPECT_EQ(doc["conduits"][0]["differingUsers"], 1);
  EXPECT_EQ(doc["conduits"][1]["differingUsers"], 2);
  ASSERT_EQ(doc["users"].size(), 3u);
  EXPECT_EQ(doc["users"][2]["name"], "Smith, \"Jo\"");
  EXPECT_EQ(doc["users"][2]["differences"], 4);
  const nlohmann::json& oneTime = doc["users"][2]["cells"][0];
  EXPECT_EQ(oneTime["state"], "set");
  EXPECT_EQ(oneTime["label"], "Desktop*");
  EXPECT_EQ(oneTime["oneTime"], true);
  EXPECT_EQ(oneTime["differs"], true);
  EXPECT_EQ(doc["users"][2]["cells"][1]["state"], "not set");
  EXPECT_EQ(doc["users"][0]["cells"][1]["differs"], false);

  std::string err;
  EXPECT_EQ(Run({"--json", "overview", "--csv"}, &err).first, cli::kExitUsage);
  EXPECT_NE(err.find("not both"), std::string::npos) << err;
}

}  // namespace
