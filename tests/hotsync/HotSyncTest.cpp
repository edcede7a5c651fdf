// The stand-in HotSync manager: the conduits and preferences it reads from an installation,
// what its window shows for a user (default and next-HotSync actions, named as Orvane names
// them), the same conduits, IDs and texts as Orvane's catalogue writes and reads back, damaged
// journals, Refresh, and the demo installation that carries hotsync.exe.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QScreen>
#include <QTreeWidget>

#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/palm/PalmApi.h"
#include "src/core/palm/SyncPrefNames.h"
#include "palmdesk/DemoMaker.h"
#include "palmdesk/Description.h"
#include "palmdesk/hotsync/HotSyncWindow.h"
#include "palmdesk/hotsync/NextSync.h"
#include "src/core/OVUtil.h"
#include "src/core/UserActions.h"
#include "tests/support/PalmFixture.h"

namespace {

namespace fs = std::filesystem;
using palmdesk::HotSyncWindow;
using Row = std::array<std::string, HotSyncWindow::ConduitColumns>;

constexpr std::uint32_t kAddr = 0x61646472;  // "addr"
constexpr std::uint32_t kDate = 0x64617465;  // "date"
constexpr std::uint32_t kBackup = 0xFFFFFFFFu;

fixture::Conduit Registered(const std::string& creator, const std::string& module, const std::string& title) {
  fixture::Conduit c;
  c.creator = creator;
  c.module = module;
  c.title = title;
  return c;
}

// Three users; addr, date and memo registered (addr twice, and one creator HotSync cannot
// use), an install conduit and the backup conduit. The memo module names itself.
std::unique_ptr<fixture::Installation> MakeInstallation() {
  auto inst = std::make_unique<fixture::Installation>();
  inst->AddUser({1001, "Alice Ashby", "AshbyA", false, {}});
  inst->AddUser({1002, "Bob Brown", "BrownB", false, {}});
  inst->AddUser({1003, "Carol Chen", "ChenC", true, {}});
  inst->AddConduit(Registered("addr", "addrcond.dll", "Address Book"));
  inst->AddConduit(Registered("date", "datecond.dll", "Date Book"));
  inst->AddConduit(Registered("addr", "other.dll", "Second Address Book"));
  inst->AddConduit(Registered("toolong", "long.dll", "Long Creator"));
  inst->AddConduit(Registered("memo", "memocond.dll", "Memo Pad"));
  inst->AddInstallConduit({"Inst", "instcond.dll", "Install"});
  inst->SetBackupConduit("Backup20.dll");
  inst->AddModule("sample_nameless", "addrcond.dll");
  inst->AddModule("sample_nameless", "datecond.dll");
  inst->AddModule("sample_named", "memocond.dll", "Memo Pad Plus");
  inst->AddModule("sample_named", "instcond.dll", "Install Tool");
  inst->AddModule("sample_named", "Backup20.dll", "Backup");
  inst->Commit();
  return inst;
}

void AppendJournal(const fixture::Installation& inst, const std::string& text) {
  std::ofstream out(inst.dir() / "palmdesk.journal", std::ios::binary | std::ios::app);
  out << text;
}

std::vector<Row> ConduitRows(HotSyncWindow& w) {
  auto* list = w.findChild<QTreeWidget*>(QStringLiteral("lvConduits"));
  std::vector<Row> rows;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    Row r;
    for (int c = 0; c < HotSyncWindow::ConduitColumns; ++c) r[c] = list->topLevelItem(i)->text(c).toStdString();
    rows.push_back(r);
  }
  return rows;
}

Row HeaderTexts(HotSyncWindow& w) {
  const QTreeWidgetItem* header = w.findChild<QTreeWidget*>(QStringLiteral("lvConduits"))->headerItem();
  Row r;
  for (int c = 0; c < HotSyncWindow::ConduitColumns; ++c) r[c] = header->text(c).toStdString();
  return r;
}

// One-time actions stand out: the next HotSync's action is bold exactly when a one-time action
// decides it (its text carries the mark), and nothing else is.
void ExpectOneTimeActionsInBold(HotSyncWindow& w) {
  auto* list = w.findChild<QTreeWidget*>(QStringLiteral("lvConduits"));
  const std::string mark = palm::kOneTimeMark;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = list->topLevelItem(i);
    const std::string next = item->text(HotSyncWindow::ColNext).toStdString();
    const bool oneTime = next.size() > mark.size() && next.compare(next.size() - mark.size(), mark.size(), mark) == 0;
    for (int c = 0; c < HotSyncWindow::ConduitColumns; ++c) {
      EXPECT_EQ(item->font(c).bold(), oneTime && c == HotSyncWindow::ColNext) << "row " << i << ", column " << c;
    }
  }
}

// Every action, creator and kind fits its column in the font it is drawn in, and the window
// opens wide enough to show every column of the conduit list, or as wide as the screen.
void ExpectTextsFit(HotSyncWindow& w) {
  auto* list = w.findChild<QTreeWidget*>(QStringLiteral("lvConduits"));
  int total = 0;
  for (int c = 0; c < HotSyncWindow::ConduitColumns; ++c) total += list->columnWidth(c);
  const int screenWidth = w.screen()->availableGeometry().width();
  EXPECT_LE(w.width(), screenWidth) << "the window fits the screen";
  if (w.width() < screenWidth) {
    EXPECT_LE(total, list->viewport()->width()) << "the conduit list scrolls sideways at first";
  }
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = list->topLevelItem(i);
    for (int c :
         {HotSyncWindow::ColCreator, HotSyncWindow::ColKind, HotSyncWindow::ColDefault, HotSyncWindow::ColNext}) {
      EXPECT_LT(QFontMetrics(item->font(c)).horizontalAdvance(item->text(c)), list->columnWidth(c))
          << item->text(c).toStdString();
    }
  }
}

std::string CurrentUser(HotSyncWindow& w) {
  const QTreeWidgetItem* item = w.findChild<QTreeWidget*>(QStringLiteral("lvUsers"))->currentItem();
  return item ? item->text(0).toStdString() : std::string();
}

std::string Status(HotSyncWindow& w) { return w.findChild<QLabel*>(QStringLiteral("lblStatus"))->text().toStdString(); }

// Each conduit's default (permanent) action, and the next HotSync's: the one-time (temporary)
// action marked when one is set, else the default. Every code is named, whatever was written.
TEST(HotSyncWindow, ShowsDefaultAndNextHotSyncActions) {
  auto inst = MakeInstallation();
  AppendJournal(*inst,
                "perm 1001 0x61646472 1\n"
                "temp 1001 0x61646472 2\n"  // addr: one-time over the default
                "temp 1001 0x64617465 0\n"
                "perm 1001 0x64617465 3\n"  // date: a later default does not end the one-time action
                "perm 1001 0x496E7374 1\n"  // the install conduit, by its creator ID 'Inst'
                "temp 1001 0xFFFFFFFF 3\n"  // backup: one-time without a default
                "perm 1001 0x6D656D6F 4\n"  // memo: custom
                "perm 1002 0x64617465 2\n"
                "temp 1002 0x6D656D6F 1\n"
                "temp-delete 1002 0x6D656D6F\n"  // memo: ended again, nothing left
                "perm 1002 0x496E7374 0\n"
                "temp 1002 0x496E7374 3\n"
                "temp-delete 1002 0x496E7374\n"  // install: ended, the default decides again
                "temp 1003 0x61646472 0\n"
                "perm 1003 0x64617465 9\n"
                "temp 1003 0x6D656D6F -1\n");
  HotSyncWindow w(inst->str());
  w.show();

  EXPECT_EQ(w.windowTitle().toStdString(), "HotSync Manager (Orvane stand-in)");
  EXPECT_EQ(w.findChild<QTreeWidget*>(QStringLiteral("lvUsers"))->topLevelItemCount(), 3);
  EXPECT_EQ(HeaderTexts(w), (Row{"Conduit", "Creator", "Kind", "Default", "Next HotSync"}));
  EXPECT_EQ(CurrentUser(w), "Alice Ashby") << "the first user is shown at once";

  const struct {
    std::uint32_t userId;
    std::vector<Row> rows;
  } cases[] = {
      {1001,
       {
           {"Address Book", "addr", "Registered", "Desktop overwrites handheld",
            "Handheld overwrites Desktop (this time only)"},
           {"Date Book", "date", "Registered", "Do Nothing", "Synchronize the files (this time only)"},
           {"Memo Pad Plus", "memo", "Registered", "Custom", "Custom"},
           {"Install Tool", "Inst", "Install", "Desktop overwrites handheld", "Desktop overwrites handheld"},
           {"Backup", "0xFFFFFFFF", "Backup", "not set", "Do Nothing (this time only)"},
       }},
      {1002,
       {
           {"Address Book", "addr", "Registered", "not set", "not set"},
           {"Date Book", "date", "Registered", "Handheld overwrites Desktop", "Handheld overwrites Desktop"},
           {"Memo Pad Plus", "memo", "Registered", "not set", "not set"},
           {"Install Tool", "Inst", "Install", "Synchronize the files", "Synchronize the files"},
           {"Backup", "0xFFFFFFFF", "Backup", "not set", "not set"},
       }},
      {1003,
       {
           {"Address Book", "addr", "Registered", "not set", "Synchronize the files (this time only)"},
           {"Date Book", "date", "Registered", "Unknown (9)", "Unknown (9)"},
           {"Memo Pad Plus", "memo", "Registered", "not set", "Unknown (-1) (this time only)"},
           {"Install Tool", "Inst", "Install", "not set", "not set"},
           {"Backup", "0xFFFFFFFF", "Backup", "not set", "not set"},
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.userId);
    ASSERT_TRUE(w.SelectUser(c.userId));
    EXPECT_EQ(ConduitRows(w), c.rows);
    ExpectOneTimeActionsInBold(w);
    ExpectTextsFit(w);
  }
  EXPECT_FALSE(w.SelectUser(4242));
  EXPECT_EQ(CurrentUser(w), "Carol Chen");
}

// The window is HotSync Manager for the installation's HSAPI.DLL: running while it is open, and
// its HotSync button starts and ends a pretend HotSync that another process's library sees
// (the library reads the state file at every call; here it is loaded beside the window).
TEST(HotSyncWindow, HotSyncButtonSetsTheStateTheHotSyncApiReports) {
  auto inst = MakeInstallation();
  const os::Library hsapi = os::LoadLibrary((inst->dir() / "HSAPI.DLL").string().c_str());
  ASSERT_NE(hsapi, nullptr);
  auto check = reinterpret_cast<palm::PFN_HsCheckApiStatus>(os::FindSymbol(hsapi, "HsCheckApiStatus"));
  auto status = reinterpret_cast<palm::PFN_HsGetSyncStatus>(os::FindSymbol(hsapi, "HsGetSyncStatus"));
  ASSERT_TRUE(check && status);
  EXPECT_EQ(check(), palm::HSAPI_ERR_HOTSYNC_NOT_FOUND) << "no hotsync line, no window: not running";

  std::uint32_t synced = 0xEE;
  {
    HotSyncWindow w(inst->str());
    auto* button = w.findChild<QPushButton*>(QStringLiteral("btnHotSync"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(check(), 0);
    EXPECT_EQ(status(&synced), 0);
    EXPECT_EQ(synced, palm::HOTSYNC_STATUS_IDLE);

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(w.syncing());
    EXPECT_EQ(status(&synced), 0);
    EXPECT_EQ(synced, palm::HOTSYNC_STATUS_SYNCING);
    EXPECT_NE(Status(w).find("A HotSync is in progress."), std::string::npos);

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(w.syncing());
    EXPECT_EQ(status(&synced), 0);
    EXPECT_EQ(synced, palm::HOTSYNC_STATUS_IDLE);
    QTest::mouseClick(button, Qt::LeftButton);  // closed in the middle of a HotSync
  }
  EXPECT_FALSE(std::filesystem::exists(inst->dir() / palmdesk::kHotSyncStateFile));
  EXPECT_EQ(check(), palm::HSAPI_ERR_HOTSYNC_NOT_FOUND) << "the description's state again";
  os::FreeLibrary(hsapi);
}

// Orvane's catalogue enumerates the conduits through the libraries and writes every user's
// preferences under its records' creator IDs: the HotSync window must find each of them under
// the same conduit, with the same title, and name both actions exactly as Orvane reads them
// back through the user data library.
TEST(HotSyncWindow, ShowsWhatOrvaneWroteAndReadsBack) {
  auto inst = MakeInstallation();
  std::vector<Row> expected;
  {
    // Bound as Orvane's start-up binds them: kestrow.ini names the core directory, which is
    // the current directory. Everything is released before the installation goes.
    struct Binding {
      char startDir[4096] = {};
      explicit Binding(const fixture::Installation& inst) {
        os::GetCurrentDirectory(startDir, sizeof startDir);
        fixture::PointKestrowIniAt(inst.str());
        os::SetCurrentDirectory(inst.str().c_str());
      }
      ~Binding() {
        CCondMgr::GetInstance()->RemoveAll();
        FreePalmLibs(PLIB_ALL);
        os::SetCurrentDirectory(startDir);
        fixture::RemoveKestrowIni();
      }
    } binding(*inst);
    ASSERT_TRUE(LoadPalmLibs(PLIB_ALL));
    CCondMgr* mgr = CCondMgr::GetInstance();
    ASSERT_TRUE(mgr->LoadConduits(COND_SRC_DEFAULT));
    // Per conduit: a default or none, a one-time action or none, one ended again.
    std::vector<const CONDUIT_REC*> recs;
    std::int32_t i = 0;
    for (CONDUIT_REC* rec = mgr->GetFirst(); rec; rec = mgr->GetNext(), ++i) {
      recs.push_back(rec);
      if (i != 1) {
        EXPECT_EQ(palm::UmSetUserPermSyncPreferences(1003, rec->dwCreatorID, (i + 1) % 5), 0);
      }
      if (i % 2 == 0) {
        EXPECT_EQ(palm::UmSetUserTempSyncPreferences(1003, rec->dwCreatorID, i % 5), 0);
      }
      if (i == 4) {
        EXPECT_EQ(palm::UmDeleteUserTempSyncPreferences(1003, rec->dwCreatorID), 0);
      }
    }
    for (const UserConduitAction& a : ReadUserActions(1003, recs)) {
      expected.push_back({a.pRec->szTitle, "", "", PrefReadText(a.perm), NextSyncText(a.next)});
    }
  }
  ASSERT_EQ(expected.size(), 5u);
  // What Orvane reads: one conduit without a default, two with a one-time action in force.
  EXPECT_EQ(expected[1][HotSyncWindow::ColDefault], "not set");
  EXPECT_EQ(expected[2][HotSyncWindow::ColNext], "Handheld overwrites Desktop (this time only)");
  EXPECT_EQ(expected[4][HotSyncWindow::ColNext], "Synchronize the files");

  HotSyncWindow w(inst->str());
  ASSERT_TRUE(w.SelectUser(1003));
  std::vector<Row> shown = ConduitRows(w);
  for (Row& r : shown) r[HotSyncWindow::ColCreator] = r[HotSyncWindow::ColKind] = "";
  EXPECT_EQ(shown, expected);
  ExpectOneTimeActionsInBold(w);
}

// A journal with damage of every kind: what is readable still counts, the rest is skipped and
// counted, and a last line still being written waits. The same whatever the read size, so a
// line split between two reads is read whole.
TEST(HotSyncJournal, DamagedLinesAreSkippedWhateverTheReadSize) {
  fixture::TempDir dir;
  const std::string path = (dir.path() / "palmdesk.journal").string();
  std::string text = "perm 1001 0x61646472 1\n";
  text += std::string("\x00\x01garbage\xff\xfe", 11) + "\n";  // skipped 1
  text += std::string(200000, 'x') + "\n";                    // skipped 2
  text += "temp 1001 0x61646472 2\r\n";
  text += "perm 1001 not-a-number 1\n";      // skipped 3
  text += "temp 1001 0x61646472 2 extra\n";  // skipped 4
  text += "\n\n";                            // empty lines: not damage
  text += "perm 1002 0x64617465 3\n";
  text += std::string(5000, 'y');  // overlong, unfinished
  {
    std::ofstream out(path, std::ios::binary);
    out << text;
  }
  for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{4096}, std::size_t{1} << 20}) {
    SCOPED_TRACE(chunk);
    palmdesk::PreferenceTable table;
    const palmdesk::JournalReadResult r = palmdesk::ReadJournalFile(path, &table, chunk);
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.lines, 3u);
    EXPECT_EQ(r.skipped, 4u);
    EXPECT_TRUE(r.partialLastLine);
    const palmdesk::SyncChoice addr = table.Find(1001, kAddr);
    EXPECT_EQ(addr.source, palmdesk::PreferenceSource::Temporary);
    EXPECT_EQ(addr.code, 2);
    EXPECT_EQ(table.Find(1002, kDate).source, palmdesk::PreferenceSource::Permanent);
    EXPECT_EQ(table.Find(1002, kAddr).source, palmdesk::PreferenceSource::None);
  }
  palmdesk::PreferenceTable table;
  EXPECT_FALSE(palmdesk::ReadJournalFile((dir.path() / "missing").string(), &table).found);
}

// A long history (many Applies to the same users) folds as it is read; what is found is still
// the last line of each kind, as a plain fold of every line gives it. Users the installation
// does not have are not kept.
TEST(HotSyncJournal, LongHistoriesFoldToTheLastPreferences) {
  palmdesk::PreferenceTable table;
  table.KeepOnly({7, 9});
  std::map<std::pair<std::uint32_t, bool>, std::int32_t> last;  // (creator, permanent) -> code
  for (std::int32_t i = 0; i < 50000; ++i) {
    palmdesk::JournalLine line;
    line.permanent = i % 3 != 0;
    line.userId = 7;
    line.creatorId = 100 + static_cast<std::uint32_t>((i * 7) % 23);
    line.code = i;
    std::string text = palmdesk::FormatJournalLine(line);
    text.pop_back();  // the line end
    ASSERT_TRUE(table.AddLine(text));
    last[{line.creatorId, line.permanent}] = i;
    // Permanent preferences alone for a second set of conduits.
    if (i % 2 == 0) {
      ASSERT_TRUE(table.AddLine("perm 7 " + std::to_string(200 + i % 5) + " " + std::to_string(i)));
      last[{200u + static_cast<std::uint32_t>(i % 5), true}] = i;
    }
    line.userId = 8;
    text = palmdesk::FormatJournalLine(line);
    text.pop_back();
    EXPECT_TRUE(table.AddLine(text)) << "a journal line, though not kept";
  }
  // Then a long run of one other conduit alone: the earlier preferences now live only in what
  // the folds kept.
  for (std::int32_t i = 0; i < 20000; ++i) ASSERT_TRUE(table.AddLine("temp 7 300 " + std::to_string(i)));
  last[{300u, false}] = 19999;

  const palmdesk::UserPreferences prefs = table.ForUser(7);
  EXPECT_EQ(prefs.size(), 29u);
  EXPECT_EQ(prefs.Find(300).code, 19999);
  for (std::uint32_t creator = 200; creator < 205; ++creator) {
    const palmdesk::SyncChoice choice = prefs.Find(creator);
    EXPECT_EQ(choice.source, palmdesk::PreferenceSource::Permanent);
    EXPECT_EQ(choice.code, (last[{creator, true}])) << creator;
  }
  for (std::uint32_t creator = 100; creator < 123; ++creator) {
    SCOPED_TRACE(creator);
    const palmdesk::SyncChoice choice = prefs.Find(creator);
    auto temp = last.find({creator, false});
    ASSERT_NE(temp, last.end());
    EXPECT_EQ(choice.source, palmdesk::PreferenceSource::Temporary);
    EXPECT_EQ(choice.code, temp->second);
  }
  EXPECT_EQ(table.ForUser(8).size(), 0u);
  EXPECT_EQ(table.ForUser(9).size(), 0u);
}

TEST(HotSyncWindow, DamagedOrMissingFilesGiveACalmWindow) {
  auto inst = MakeInstallation();
  AppendJournal(*inst, std::string("\xff\x00\x7f", 3) + "\ntemp 1001 0x61646472 1\nperm 1001 0x64617465");
  {
    HotSyncWindow w(inst->str());
    EXPECT_EQ(ConduitRows(w)[0][HotSyncWindow::ColNext], "Desktop overwrites handheld (this time only)");
    EXPECT_EQ(ConduitRows(w)[1][HotSyncWindow::ColDefault], "not set") << "a line still being written waits";
    EXPECT_NE(Status(w).find("1 damaged lines of palmdesk.journal were skipped"), std::string::npos) << Status(w);
  }

  // A description of random bytes: whatever lines it has are skipped, the window opens.
  std::string noise;
  for (int i = 0; i < 5000; ++i) noise += static_cast<char>((i * 7919) % 256);
  {
    std::ofstream out(inst->dir() / "palmdesk.ini", std::ios::binary | std::ios::trunc);
    out << noise;
  }
  {
    HotSyncWindow w(inst->str());
    EXPECT_EQ(w.findChild<QTreeWidget*>(QStringLiteral("lvUsers"))->topLevelItemCount(), 0);
    EXPECT_TRUE(ConduitRows(w).empty());
    EXPECT_NE(Status(w).find("could not be read"), std::string::npos) << Status(w);
  }

  fs::remove(inst->dir() / "palmdesk.ini");
  HotSyncWindow w(inst->str());
  EXPECT_EQ(w.findChild<QTreeWidget*>(QStringLiteral("lvUsers"))->topLevelItemCount(), 0);
  EXPECT_NE(Status(w).find("No palmdesk.ini"), std::string::npos) << Status(w);
}

TEST(HotSyncWindow, RefreshReadsNewPreferencesAndKeepsTheUser) {
  auto inst = MakeInstallation();
  HotSyncWindow w(inst->str());
  ASSERT_TRUE(w.SelectUser(1002));
  EXPECT_EQ(ConduitRows(w)[0][HotSyncWindow::ColNext], "not set");

  AppendJournal(*inst, "perm 1002 0x61646472 3\ntemp 1002 0x6D656D6F 1\n");
  QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("btnRefresh")), Qt::LeftButton);
  EXPECT_EQ(CurrentUser(w), "Bob Brown");
  EXPECT_EQ(ConduitRows(w)[0], (Row{"Address Book", "addr", "Registered", "Do Nothing", "Do Nothing"}));
  EXPECT_EQ(ConduitRows(w)[2],
            (Row{"Memo Pad Plus", "memo", "Registered", "not set", "Desktop overwrites handheld (this time only)"}));
  ExpectOneTimeActionsInBold(w);
}

// palmdesk-demo puts hotsync.exe into every installation it writes, where Orvane's "Start
// HotSync Manager" finds it; it reads that installation.
TEST(HotSyncDemo, DemoInstallationCarriesTheHotSyncManager) {
  fixture::TempDir dir;
  palmdesk::DemoOptions options;
  options.dir = (dir.path() / "core").string();
  std::string error;
  ASSERT_TRUE(palmdesk::MakeDemo(options, fixture::PalmdeskBuildDir().string(), &error)) << error;
  const fs::path copy = dir.path() / "core" / "hotsync.exe";
  ASSERT_TRUE(fs::exists(copy));
  EXPECT_EQ(fs::file_size(copy), fs::file_size(fixture::PalmdeskBuildDir() / "hotsync.exe"));
#ifndef _WIN32
  EXPECT_NE(fs::status(copy).permissions() & fs::perms::owner_exec, fs::perms::none);
#endif

  palmdesk::NextSync state;
  state.Load(options.dir);
  EXPECT_EQ(state.users().size(), 5u);
  ASSERT_EQ(state.conduits().size(), 11u);  // eight registered, two install, the backup
  EXPECT_EQ(state.conduits().back().creatorId, kBackup);
  EXPECT_EQ(state.conduits().back().title, "Backup");
  // The demo's users have synced before: their preferences are in the journal, every line read.
  EXPECT_EQ(state.journal().found, true);
  EXPECT_GT(state.journal().lines, 0u);
  EXPECT_EQ(state.journal().skipped, 0u);
}

}  // namespace
