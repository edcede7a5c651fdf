// The main window on a large installation: start-up from the cache file (window shown), Apply to
// every user, and the same sync-preference calls made in a plain loop, so that the cost the
// window adds to the library calls shows as a ratio. Apply records each user's defaults in the
// history before writing them, so the plain loop reads each default once before its write too. HotSync Manager runs (idle), so Apply asks
// it before every user. Also one user's HotSync actions read back (the dialog's contents)
// against the plain loop of the same reads. Run by hand on a release build:
//   bench_mainwindow [users] [conduits]          (default 2000 users, 300 conduits)
// The installation is built with the test fixture in a temporary directory and found through
// the per-user registry (the fixture keeps that in a temporary file). The tool's data files
// beside this executable (ovcond.dat, ovcurr.dat, ovhist.jsonl) are put back as they were afterwards.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QPushButton>

#include "bench/BenchUtil.h"
#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "src/qt/Main.h"
#include "src/qt/MessageBox.h"
#include "src/core/OVUtil.h"
#include "src/logic/SyncActions.h"
#include "tests/support/PalmFixture.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {

using bench::KeptFile;
using bench::Seconds;
using bench::Summarise;
using bench::Timing;

using testfiles::ExeDir;

int g_nMessages = 0;
ov::MessageAnswer CountMessage(QWidget*, const ov::MessageRequest& request) {
  ++g_nMessages;
  return request.defaultAnswer;
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned nUsers = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 2000;
  const unsigned nConduits = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 300;
  if (nUsers == 0 || nUsers > 32000 || nConduits == 0 || nConduits > 999) {
    std::fprintf(stderr, "usage: bench_mainwindow [users 1..32000] [conduits 1..999]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  const fs::path exeDir = ExeDir();
  if (fs::exists(exeDir / "kestrow.ini")) {
    std::fprintf(stderr, "bench_mainwindow: %s would point the tool elsewhere; move it away first\n",
                 (exeDir / "kestrow.ini").string().c_str());
    return 2;
  }
  KeptFile keepCond(exeDir / "ovcond.dat");
  KeptFile keepCurr(exeDir / "ovcurr.dat");
  KeptFile keepHistory(exeDir / "ovhist.jsonl");
  char startDir[4096];
  os::GetCurrentDirectory(startDir, sizeof startDir);
  SetMessageBoxFunction(CountMessage);
  InstallMessageHooks();

  int status = 0;
  {
    // The backup conduit is always listed: nConduits - 1 registered conduits and the backup.
    fixture::Installation inst;
    inst.AddBenchmarkUsersAndConduits(nUsers, nConduits);
    inst.SetHotSync("idle");
    inst.Commit();
    fixture::SetRegistryCorePath(inst.str());
    std::error_code ec;
    fs::remove(exeDir / "ovcond.dat", ec);
    fs::remove(exeDir / "ovcurr.dat", ec);
    fs::remove(exeDir / "ovhist.jsonl", ec);
    const fs::path journal = inst.dir() / "palmdesk.journal";

    // First start: enumerates every conduit and writes the cache file.
    std::unique_ptr<TfmMain> pWin;
    const double tFirst = Seconds([&] {
      pWin = std::make_unique<TfmMain>();
      pWin->show();
      QApplication::processEvents();
    });
    pWin.reset();

    const int kRounds = 5;
    std::vector<double> tStart, tApply, tLoop, tPlain, tPlainRead;
    for (int r = 0; r < kRounds; ++r) {
      tStart.push_back(Seconds([&] {
        pWin = std::make_unique<TfmMain>();
        pWin->show();
        QApplication::processEvents();
      }));
      if (r + 1 < kRounds) pWin.reset();
    }

    // The rows and users as the window holds them, for the plain loop.
    std::vector<std::uint32_t> users, creators;
    std::vector<std::int32_t> codes;
    for (void* p = GetUserRoster()->GetFirst(); p; p = GetUserRoster()->GetNext()) {
      users.push_back(static_cast<UserRecord*>(p)->userId);
    }
    for (int row = 0; const CONDUIT_REC* pRec = pWin->CondRecordAt(row); ++row) {
      creators.push_back(pRec->dwCreatorID);
      codes.push_back(SyncPrefCode(pRec->dwAction));
    }
    const std::size_t nCalls = users.size() * creators.size();

    QPushButton* pApply = pWin->findChild<QPushButton*>(QStringLiteral("sbtnApply"));
    std::vector<std::uintmax_t> historyGrowth;
    for (int r = 0; r < kRounds; ++r) {
      bench::EmptyJournal(journal, users.front(), creators.front());
      tPlain.push_back(Seconds([&] {
        for (std::uint32_t user : users) {
          for (std::size_t i = 0; i < creators.size(); ++i) {
            std::int32_t code = 0;
            palm::UmGetUserPermSyncPreferences(user, creators[i], &code);
          }
          for (std::size_t i = 0; i < creators.size(); ++i) {
            palm::UmSetUserPermSyncPreferences(user, creators[i], codes[i]);
          }
        }
      }));
      // The button: the HotSync check before each user, the progress window, and the search
      // for one-time actions that would override the new defaults (there are none).
      // The reads the button adds after a default Apply: every user's one-time action of every
      // conduit.
      tPlainRead.push_back(Seconds([&] {
        for (std::uint32_t user : users) {
          for (std::size_t i = 0; i < creators.size(); ++i) {
            std::int32_t code = 0;
            palm::UmGetUserTempSyncPreferences(user, creators[i], &code);
          }
        }
      }));
      bench::EmptyJournal(journal, users.front(), creators.front());
      g_nMessages = 0;
      std::error_code sizeEc;
      const std::uintmax_t before = fs::exists(exeDir / "ovhist.jsonl") ? fs::file_size(exeDir / "ovhist.jsonl", sizeEc) : 0;
      tApply.push_back(Seconds([&] { pApply->click(); }));
      historyGrowth.push_back(fs::file_size(exeDir / "ovhist.jsonl", sizeEc) - before);
      if (g_nMessages != 1) status = 1;
      // The writing loop alone, with its HotSync check before each user.
      bench::EmptyJournal(journal, users.front(), creators.front());
      tLoop.push_back(Seconds([&] {
        if (pWin->Logic().ApplyToTickedUsers().Reached() != users.size()) status = 1;
      }));
    }
    const std::size_t nJournal = inst.ReadJournal().size();

    // One user's actions read back, as the HotSync actions dialog reads them, against the
    // plain loop of the same reads.
    const int kReadRounds = 51;
    std::vector<double> tRead, tReadPlain;
    const std::uint32_t reader = users[users.size() / 2];
    for (int r = 0; r < kReadRounds; ++r) {
      tReadPlain.push_back(Seconds([&] {
        for (std::uint32_t creator : creators) {
          std::int32_t code = 0;
          palm::UmGetUserPermSyncPreferences(reader, creator, &code);
          palm::UmGetUserTempSyncPreferences(reader, creator, &code);
        }
      }));
      tRead.push_back(Seconds([&] {
        SyncActionsLogic dialog(pWin->Logic(), reader, "bench");
        if (dialog.Rows().size() != creators.size()) status = 1;
      }));
    }
    pWin.reset();
    CCondMgr::GetInstance()->RemoveAll();
    os::SetCurrentDirectory(startDir);
    fixture::ClearRegistryCorePath();

    const Timing start = Summarise(tStart), apply = Summarise(tApply), loop = Summarise(tLoop),
                 plain = Summarise(tPlain), plainRead = Summarise(tPlainRead), read = Summarise(tRead), readPlain = Summarise(tReadPlain);
    std::printf("main window: %zu users, %zu conduits, %zu sync-preference calls per Apply\n",
                users.size(), creators.size(), nCalls);
    std::printf("  first start (enumeration, window shown) %9.1f ms\n", tFirst * 1e3);
    std::printf("  start from the cache (window shown)     %9.1f ms best  %9.1f ms median\n",
                start.best * 1e3, start.median * 1e3);
    std::printf("  Apply to every user                     %9.1f ms best  %9.1f ms median  (%.0f ns/call)\n",
                apply.best * 1e3, apply.median * 1e3, apply.median * 1e9 / static_cast<double>(nCalls));
    std::printf("  plain loop of the same reads and writes %9.1f ms best  %9.1f ms median  (%.0f ns/call)\n",
                plain.best * 1e3, plain.median * 1e3, plain.median * 1e9 / static_cast<double>(nCalls));
    std::printf("  Apply / plain loop (median)             %9.2f\n", apply.median / plain.median);
    std::printf("  plain loop of the one-time reads after  %9.1f ms best  %9.1f ms median\n", plainRead.best * 1e3,
                plainRead.median * 1e3);
    std::printf("  Apply / plain loops of writes and reads %9.2f\n", apply.median / (plain.median + plainRead.median));
    std::printf("  history written per Apply               %9.0f bytes (%.2f bytes per user and conduit)\n",
                static_cast<double>(historyGrowth.back()),
                static_cast<double>(historyGrowth.back()) / static_cast<double>(nCalls));
    std::printf("  the writing loop with the HotSync check %9.1f ms best  %9.1f ms median\n", loop.best * 1e3,
                loop.median * 1e3);
    std::printf("  writing loop / plain loop (median)      %9.2f\n", loop.median / plain.median);
    std::printf("one user's actions read back: %zu conduits, 2 reads each\n", creators.size());
    std::printf("  HotSync actions dialog's contents       %9.3f ms best  %9.3f ms median\n", read.best * 1e3,
                read.median * 1e3);
    std::printf("  plain loop of the same reads            %9.3f ms best  %9.3f ms median\n", readPlain.best * 1e3,
                readPlain.median * 1e3);
    std::printf("  read-back / plain loop (median)         %9.2f\n", read.median / readPlain.median);
    if (nJournal != nCalls) {
      std::printf("  the last Apply wrote %zu journal lines, not %zu\n", nJournal, nCalls);
      status = 1;
    }
  }
  return status;
}
