// orvanectl on a large installation: "apply --users all" as a whole command (start-up from the
// cache file, the Apply loop, the cache file written), against a plain loop of the very
// sync-preference calls it made, so that what the command adds shows as a ratio. Run by hand on
// a release build:
//   bench_cli [users] [conduits]          (default 2000 users, 300 conduits)
// The installation is built with the test fixture in a temporary directory and named by a
// kestrow.ini beside this executable; that file and the tool's data files there are put back as
// they were afterwards.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchUtil.h"
#include "src/core/os/os.h"
#include "src/core/OVUtil.h"
#include "src/cli/Cli.h"
#include "tests/support/PalmFixture.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

using bench::KeptFile;
using bench::Seconds;
using bench::Summarise;

using testfiles::ExeDir;

int RunApply() {
  char a0[] = "orvanectl", a1[] = "apply", a2[] = "--users", a3[] = "all";
  char* argv[] = {a0, a1, a2, a3, nullptr};
  std::ostringstream out, err;
  const int code = RunCli(4, argv, out, err);
  if (code != 0) std::fprintf(stderr, "apply ended with %d: %s", code, err.str().c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned nUsers = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 2000;
  const unsigned nConduits = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 300;
  if (nUsers == 0 || nUsers > 32000 || nConduits == 0 || nConduits > 999) {
    std::fprintf(stderr, "usage: bench_cli [users 1..32000] [conduits 1..999]\n");
    return 2;
  }
  const fs::path exeDir = ExeDir();
  KeptFile keepIni(exeDir / "kestrow.ini");
  KeptFile keepCond(exeDir / "ovcond.dat");
  KeptFile keepCurr(exeDir / "ovcurr.dat");
  KeptFile keepHistory(exeDir / "ovhist.jsonl");

  int status = 0;
  {
    // The backup conduit is always listed: nConduits - 1 registered conduits and the backup.
    fixture::Installation inst;
    inst.AddBenchmarkUsersAndConduits(nUsers, nConduits);
    inst.Commit();
    fixture::PointKestrowIniAt(inst.str());
    std::error_code ec;
    fs::remove(exeDir / "ovcond.dat", ec);
    fs::remove(exeDir / "ovcurr.dat", ec);
    fs::remove(exeDir / "ovhist.jsonl", ec);
    const fs::path journal = inst.dir() / "palmdesk.journal";

    // The first run enumerates the conduits and writes the cache file; its journal lines are
    // the calls every later run makes, and the plain loop makes them too.
    const double tFirst = Seconds([&] { status |= RunApply(); });
    const std::vector<fixture::JournalEntry> calls = inst.ReadJournal();
    const std::size_t nCalls = calls.size();

    const int kRounds = 5;
    std::vector<double> tApply, tPlain, tPlainRead;
    std::uintmax_t historyGrowth = 0;
    for (int r = 0; r < kRounds; ++r) {
      fs::resize_file(journal, 0, ec);
      if (!LoadPalmLibs(PLIB_CONDMGR | PLIB_USERDATA)) {
        std::fprintf(stderr, "bench_cli: the stand-in libraries did not load\n");
        return 1;
      }
      // apply reads each user's defaults once, for the history, before it writes them.
      tPlain.push_back(Seconds([&] {
        for (std::size_t i = 0; i < calls.size();) {
          std::size_t end = i;
          while (end < calls.size() && calls[end].userId == calls[i].userId) ++end;
          for (std::size_t k = i; k < end; ++k) {
            std::int32_t code = 0;
            palm::UmGetUserPermSyncPreferences(calls[k].userId, calls[k].creatorId, &code);
          }
          for (std::size_t k = i; k < end; ++k) {
            palm::UmSetUserPermSyncPreferences(calls[k].userId, calls[k].creatorId, calls[k].code);
          }
          i = end;
        }
      }));
      // After a default apply, orvanectl reads every user's one-time action of every conduit to
      // name those that override the new defaults (there are none here).
      tPlainRead.push_back(Seconds([&] {
        for (const fixture::JournalEntry& c : calls) {
          std::int32_t code = 0;
          palm::UmGetUserTempSyncPreferences(c.userId, c.creatorId, &code);
        }
      }));
      FreePalmLibs(PLIB_ALL);
      fs::resize_file(journal, 0, ec);
      const std::uintmax_t before = fs::file_size(exeDir / "ovhist.jsonl", ec);
      tApply.push_back(Seconds([&] { status |= RunApply(); }));
      historyGrowth = fs::file_size(exeDir / "ovhist.jsonl", ec) - before;
    }
    const std::size_t nJournal = inst.ReadJournal().size();

    const double apply = Summarise(tApply).median, plain = Summarise(tPlain).median,
                 plainRead = Summarise(tPlainRead).median;
    std::printf("orvanectl apply --users all: %u users, %u conduits, %zu sync-preference calls\n", nUsers, nConduits,
                nCalls);
    std::printf("  first run (enumeration, cache written)   %9.1f ms\n", tFirst * 1e3);
    std::printf("  apply --users all (whole command)        %9.1f ms median  (%.0f ns/call)\n", apply * 1e3,
                apply * 1e9 / static_cast<double>(nCalls));
    std::printf("  plain loop of the same reads and writes  %9.1f ms median  (%.0f ns/call)\n", plain * 1e3,
                plain * 1e9 / static_cast<double>(nCalls));
    std::printf("  apply / plain loop (median)              %9.2f\n", apply / plain);
    std::printf("  plain loop of the one-time reads after   %9.1f ms median\n", plainRead * 1e3);
    std::printf("  apply / plain loops of writes and reads  %9.2f\n", apply / (plain + plainRead));
    std::printf("  history written per apply                %9.0f bytes (%.2f bytes per user and conduit)\n",
                static_cast<double>(historyGrowth), static_cast<double>(historyGrowth) / static_cast<double>(nCalls));
    if (nCalls != static_cast<std::size_t>(nUsers) * nConduits || nJournal != nCalls) {
      std::printf("  expected %zu calls; the first run made %zu, the last %zu\n",
                  static_cast<std::size_t>(nUsers) * nConduits, nCalls, nJournal);
      status = 1;
    }
  }
  return status;
}
