// The overview window on a large installation, as its views use it: the first screen (the cells
// of the first 30 users, as a view draws them, each row read when first drawn) and the whole
// table (the rest read a slice at a time), each against a plain loop of the very reads it makes
// (the one-time preference, then the default where no one-time action is set), and the memory
// the table holds per cell. Run by hand on a release build:
//   bench_overview [users] [conduits]          (default 2000 users, 300 conduits)
// The installation is built with the test fixture in a temporary directory and named by a
// kestrow.ini beside this executable; that file and the tool's data files there are put back as
// they were afterwards.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchUtil.h"
#include "src/core/OVUtil.h"
#include "src/core/Overview.h"
#include "src/core/palm/CondMgr.h"
#include "src/logic/Main.h"
#include "src/logic/Overview.h"
#include "tests/support/PalmFixture.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

using bench::KeptFile;
using bench::Seconds;
using bench::Summarise;

// A main window that shows nothing and answers every question with its default.
class QuietMainView : public MainView {
 public:
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& r) override { return r.defaultAnswer; }
  void UserListChanged() override {}
  void CondListChanged() override {}
  void CondRowChanged(int) override {}
  void DetailEnabledChanged() override {}
  void SetBusy(bool) override {}
  bool RunCondDetail(CondDetailLogic&) override { return false; }
  void RunUserInfo(UserInfoLogic&) override {}
  void RunProfiles(ProfileLogic&) override {}
  void RunSyncActions(SyncActionsLogic&) override {}
  void RunOverview(OverviewLogic&) override {}
  void CloseWindow() override {}
  void ProgressBegin(const std::string&, int) override {}
  bool ProgressStep(int, const std::string&) override { return true; }
  void ProgressEnd() override {}
};

constexpr std::size_t kScreenRows = 30;

// The reads of the overview for rows [first, last), made plainly.
void PlainReads(const std::vector<std::uint32_t>& users, const std::vector<std::uint32_t>& creators,
                std::size_t first, std::size_t last) {
  for (std::size_t row = first; row < last && row < users.size(); ++row) {
    for (std::uint32_t creator : creators) {
      std::int32_t code = 0;
      if (palm::UmGetUserTempSyncPreferences(users[row], creator, &code) < 0) {
        palm::UmGetUserPermSyncPreferences(users[row], creator, &code);
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned nUsers = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 2000;
  const unsigned nConduits = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 300;
  if (nUsers == 0 || nUsers > 32000 || nConduits == 0 || nConduits > 999) {
    std::fprintf(stderr, "usage: bench_overview [users 1..32000] [conduits 1..999]\n");
    return 2;
  }
  const fs::path exeDir = testfiles::ExeDir();
  KeptFile keepIni(exeDir / "kestrow.ini");
  KeptFile keepCond(exeDir / "ovcond.dat");
  KeptFile keepCurr(exeDir / "ovcurr.dat");
  KeptFile keepProf(exeDir / "ovprof.dat");

  fixture::Installation inst;
  inst.AddBenchmarkUsersAndConduits(nUsers, nConduits);
  inst.Publish();
  std::error_code ec;
  fs::remove(exeDir / "ovcond.dat", ec);
  fs::remove(exeDir / "ovcurr.dat", ec);

  QuietMainView view;
  MainWindowLogic main(view);
  main.FormCreate();
  // Every user gets the defaults, and every tenth user a one-time action on every tenth
  // conduit: most cells take two reads, some one.
  if (main.ApplyToTickedUsers().written.size() != nUsers) {
    std::fprintf(stderr, "bench_overview: the defaults could not be written\n");
    return 1;
  }
  std::vector<std::uint32_t> users, creators;
  for (const UserRow& row : main.UserRows()) users.push_back(row.pUser->userId);
  for (const CondRow& row : main.CondRows()) creators.push_back(row.pRec->dwCreatorID);
  for (std::size_t u = 0; u < users.size(); u += 10) {
    for (std::size_t c = 0; c < creators.size(); c += 10) palm::UmSetUserTempSyncPreferences(users[u], creators[c], 3);
  }
  // The journal's lines stay: both the overview and the plain loop read the same fold.
  std::int32_t code = 0;
  palm::UmGetUserTempSyncPreferences(users[0], creators[0], &code);

  const int kRounds = 5;
  std::vector<double> tScreen, tPlainScreen, tWhole, tPlainWhole;
  std::size_t nDiffering = 0;
  for (int r = 0; r < kRounds; ++r) {
    tPlainScreen.push_back(Seconds([&] { PlainReads(users, creators, 0, kScreenRows); }));
    tPlainWhole.push_back(Seconds([&] { PlainReads(users, creators, 0, users.size()); }));
    OverviewLogic overview(main);
    tScreen.push_back(Seconds([&] {
      for (std::size_t row = 0; row < kScreenRows && row < overview.RowCount(); ++row) {
        for (std::size_t col = 0; col < overview.ColumnCount(); ++col) overview.Cell(row, col);
      }
    }));
    tWhole.push_back(tScreen.back() + Seconds([&] {
                       while (overview.ReadMore(std::chrono::milliseconds(20))) {
                       }
                     }));
    overview.SetDiffersOnly(true);
    nDiffering = 0;
    for (std::size_t row = 0; row < overview.RowCount(); ++row) nDiffering += overview.Cell(row, 0).bMarked ? 1 : 0;
  }
  main.FormDestroy();

  const double screen = Summarise(tScreen).median, plainScreen = Summarise(tPlainScreen).median;
  const double whole = Summarise(tWhole).median, plainWhole = Summarise(tPlainWhole).median;
  const std::size_t nCells = static_cast<std::size_t>(nUsers) * nConduits;
  // What the table holds: a cell each, a count and a user ID per row, creator, action and count
  // per conduit, and the display order; the names are the main window's own.
  const std::size_t nBytes = nCells * sizeof(OverviewCell) + nUsers * (4 + 4 + sizeof(std::size_t)) +
                             nConduits * (4 + 4 + sizeof(std::size_t));
  std::printf("overview: %u users, %u conduits (%zu cells); %zu users differ in the first column\n", nUsers,
              nConduits, nCells, nDiffering);
  std::printf("  first screen (%zu users drawn)          %9.2f ms median\n", kScreenRows, screen * 1e3);
  std::printf("  plain loop of the same reads             %9.2f ms median\n", plainScreen * 1e3);
  std::printf("  first screen / plain loop                %9.2f\n", screen / plainScreen);
  std::printf("  whole table                              %9.1f ms median\n", whole * 1e3);
  std::printf("  plain loop of the same reads             %9.1f ms median\n", plainWhole * 1e3);
  std::printf("  whole table / plain loop                 %9.2f\n", whole / plainWhole);
  std::printf("  memory of the table                      %9.1f MB (%.1f bytes a cell)\n", nBytes / 1e6,
              static_cast<double>(nBytes) / static_cast<double>(nCells));
  return 0;
}
