// The Win32 main window on a large installation, under Wine in the mingw64 stage: start-up
// from the cache file (window shown), Apply to every user, and the same sync-preference calls
// made in a plain loop, so that the cost the window and its logic add to the library calls
// shows as a ratio. HotSync Manager runs (idle), so Apply asks it before every user; the
// writing loop alone, and the one-time reads the button adds after a default Apply, are timed
// too.
//   bench_win32_mainwindow [users] [conduits]          (default 2000 users, 300 conduits)
// The installation is built with the test fixture in a temporary directory and found through
// kestrow.ini beside this executable, which is removed afterwards with the data files.
#include "bench/BenchUtil.h"
#include "src/core/os/os.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "src/core/palm/CondMgr.h"
#include "src/core/OVUtil.h"
#include "src/win32/Ids.h"
#include "src/win32/MainWnd.h"
#include "src/win32/Win32Util.h"
#include "tests/support/PalmFixture.h"

#undef GetCurrentDirectory
#undef SetCurrentDirectory

namespace fs = std::filesystem;

namespace {

using bench::Seconds;
using bench::Summarise;
using bench::Timing;

// Lets the window draw what it was given.
void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

int g_nMessages = 0;
ov::MessageAnswer CountMessage(HWND, const ov::MessageRequest&) {
  ++g_nMessages;
  return ov::MessageAnswer::Ok;
}

std::unique_ptr<MainWnd> OpenWindow() {
  auto pWin = std::make_unique<MainWnd>();
  if (!pWin->Create(false)) return nullptr;
  ShowWindow(pWin->Hwnd(), SW_SHOW);
  UpdateWindow(pWin->Hwnd());
  Pump();
  return pWin;
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned nUsers = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 2000;
  const unsigned nConduits = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 300;
  const int kRounds = argc > 3 ? std::atoi(argv[3]) : 3;
  if (nUsers == 0 || nUsers > 32000 || nConduits == 0 || nConduits > 999 || kRounds < 1 || kRounds > 50) {
    std::fprintf(stderr, "usage: bench_win32_mainwindow [users 1..32000] [conduits 1..999] [rounds 1..50]\n");
    return 2;
  }
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);

  char self[4096];
  if (!os::GetExecutablePath(self, sizeof self)) return 1;
  const fs::path exeDir = fs::path(self).parent_path();
  for (const char* name : {"kestrow.ini", "ovcond.dat", "ovcurr.dat"}) {
    if (fs::exists(exeDir / name)) {
      std::fprintf(stderr, "bench_win32_mainwindow: %s is in the way; move it first\n", (exeDir / name).string().c_str());
      return 2;
    }
  }
  // Each Apply appends its record to the history beside the program: start from none, so that
  // every run measures the same appends (and never the trimming of a history grown by earlier
  // runs).
  std::error_code historyEc;
  fs::remove(exeDir / "ovhist.jsonl", historyEc);
  char startDir[4096];
  os::GetCurrentDirectory(startDir, sizeof startDir);
  win32::InstallMessageHooks();
  win32::SetMessageBoxFunction(CountMessage);

  int status = 0;
  {
    // The backup conduit is always listed: nConduits - 1 registered conduits and the backup.
    fixture::Installation inst;
    inst.AddBenchmarkUsersAndConduits(nUsers, nConduits);
    inst.SetHotSync("idle");
    inst.Commit();
    fixture::PointKestrowIniAt(inst.str());
    const fs::path journal = inst.dir() / "palmdesk.journal";
    std::error_code ec;

    // First start: enumerates every conduit and writes the cache file.
    std::unique_ptr<MainWnd> pWin;
    const double tFirst = Seconds([&] { pWin = OpenWindow(); });
    if (!pWin) {
      std::fprintf(stderr, "bench_win32_mainwindow: the window could not be created (no display?)\n");
      return 1;
    }
    pWin.reset();

    std::vector<double> tStart, tApply, tLoop, tPlain, tPlainRead;
    for (int r = 0; r < kRounds; ++r) {
      tStart.push_back(Seconds([&] { pWin = OpenWindow(); }));
      if (r + 1 < kRounds) pWin.reset();
    }

    // The rows and users as the window holds them, for the plain loop.
    std::vector<std::uint32_t> users, creators;
    std::vector<std::int32_t> codes;
    for (const UserRow& row : pWin->Logic().UserRows()) users.push_back(row.pUser->userId);
    for (const CondRow& row : pWin->Logic().CondRows()) {
      creators.push_back(row.pRec->dwCreatorID);
      codes.push_back(SyncPrefCode(row.pRec->dwAction));
    }
    const std::size_t nCalls = users.size() * creators.size();

    HWND apply = GetDlgItem(pWin->Hwnd(), win32::id::kApply);
    for (int r = 0; r < kRounds; ++r) {
      bench::EmptyJournal(journal, users.front(), creators.front());
      // Apply reads each default it overwrites once, for the history, before writing the user:
      // the plain loop makes the same reads and writes.
      tPlain.push_back(Seconds([&] {
        for (std::uint32_t user : users) {
          for (std::size_t i = 0; i < creators.size(); ++i) {
            std::int32_t code = 0;
            palm::UmGetUserPermSyncPreferences(user, creators[i], &code);
          }
          for (std::size_t i = 0; i < creators.size(); ++i) palm::UmSetUserPermSyncPreferences(user, creators[i], codes[i]);
        }
      }));
      tPlainRead.push_back(Seconds([&] {
        for (std::uint32_t user : users) {
          for (std::uint32_t creator : creators) {
            std::int32_t code = 0;
            palm::UmGetUserTempSyncPreferences(user, creator, &code);
          }
        }
      }));
      bench::EmptyJournal(journal, users.front(), creators.front());
      g_nMessages = 0;
      tApply.push_back(Seconds([&] { SendMessageW(apply, BM_CLICK, 0, 0); }));
      if (g_nMessages != 1) status = 1;
      bench::EmptyJournal(journal, users.front(), creators.front());
      tLoop.push_back(Seconds([&] {
        if (pWin->Logic().ApplyToTickedUsers().Reached() != users.size()) status = 1;
      }));
    }
    const std::size_t nJournal = inst.ReadJournal().size();
    pWin.reset();
    CCondMgr::GetInstance()->RemoveAll();
    os::SetCurrentDirectory(startDir);
    fixture::RemoveKestrowIni();
    for (const char* name : {"ovcond.dat", "ovcurr.dat", "ovhist.jsonl"}) fs::remove(exeDir / name, ec);

    const Timing start = Summarise(tStart), applied = Summarise(tApply), loop = Summarise(tLoop),
                 plain = Summarise(tPlain), plainRead = Summarise(tPlainRead);
    std::printf("Win32 main window under Wine: %zu users, %zu conduits, %zu sync-preference calls per Apply\n",
                users.size(), creators.size(), nCalls);
    std::printf("  first start (enumeration, window shown) %9.1f ms\n", tFirst * 1e3);
    std::printf("  start from the cache (window shown)     %9.1f ms best  %9.1f ms median\n", start.best * 1e3,
                start.median * 1e3);
    std::printf("  Apply to every user                     %9.1f ms best  %9.1f ms median  (%.0f ns/call)\n",
                applied.best * 1e3, applied.median * 1e3, applied.median * 1e9 / static_cast<double>(nCalls));
    std::printf("  plain loop of the same reads and writes %9.1f ms best  %9.1f ms median  (%.0f ns/call)\n",
                plain.best * 1e3, plain.median * 1e3, plain.median * 1e9 / static_cast<double>(nCalls));
    std::printf("  Apply / plain loop (median)             %9.2f\n", applied.median / plain.median);
    std::printf("  plain loop of the one-time reads after  %9.1f ms best  %9.1f ms median\n", plainRead.best * 1e3,
                plainRead.median * 1e3);
    std::printf("  Apply / plain loops of writes and reads %9.2f\n", applied.median / (plain.median + plainRead.median));
    std::printf("  the writing loop with the HotSync check %9.1f ms best  %9.1f ms median\n", loop.best * 1e3,
                loop.median * 1e3);
    std::printf("  writing loop / plain loop (median)      %9.2f\n", loop.median / plain.median);
    if (nJournal != nCalls) {
      std::printf("  the last Apply wrote %zu journal lines, not %zu\n", nJournal, nCalls);
      status = 1;
    }
    if (g_nMessages != 1) std::printf("  Apply did not say exactly one message\n");
  }
  return status;
}
