// Where the data files live: beside the executable while the user may write there, otherwise in
// the user's own data directory, with files that an installation kept beside a read-only
// executable read from there until the first save. The directory beside the test executable
// stands for the installation; its permissions are taken away for the read-only cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <iterator>
#include <string>
#include <vector>

#include "src/core/DataFiles.h"
#include "src/core/misc/ModuleDir.h"
#include "src/core/os/os.h"
#include "src/core/OVProfile.h"
#include "src/logic/profile.h"
#include "tests/logic/RecordingView.h"
#include "tests/support/WindowFixture.h"

namespace fs = std::filesystem;

namespace {

using logictest::RecordingMainView;
using logictest::RecordingProfilesView;
using windowtest::DataFile;
using windowtest::ExeDir;


std::string ForReading(const char* name) { return DataFileForReading(name); }
std::string ForWriting(const char* name) { return DataFileForWriting(name); }

struct LogicWindow {
  LogicWindow() { logic.FormCreate(); }
  RecordingMainView view;
  MainWindowLogic logic{view};
};

class DataDir : public windowtest::WindowTestBase<LogicWindow> {
 protected:
  void SetUp() override {
    WindowTestBase::SetUp();
#ifdef _WIN32
    GTEST_SKIP() << "the user's data directory is the shell's folder; the rule is tested on POSIX";
#else
    const char* old = std::getenv("XDG_DATA_HOME");
    m_oldXdg = old ? old : "";
    m_bHadXdg = old != nullptr;
    setenv("XDG_DATA_HOME", m_home.str().c_str(), 1);
    m_userDir = (m_home.path() / "orvane").string() + "/";
#endif
  }

  void TearDown() override {
    SetExeDirWritable(true);
    WindowTestBase::TearDown();
#ifndef _WIN32
    if (m_bHadXdg) {
      setenv("XDG_DATA_HOME", m_oldXdg.c_str(), 1);
    } else {
      unsetenv("XDG_DATA_HOME");
    }
#endif
  }

  // The installation read-only (no write permission for anyone), or as built.
  static void SetExeDirWritable(bool bWritable) {
    fs::permissions(ExeDir(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    bWritable ? fs::perm_options::add : fs::perm_options::remove);
    if (bWritable) fs::permissions(ExeDir(), fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
  }

  void Open() {
    m_pInst = std::make_unique<fixture::Installation>();
    m_pInst->AddUser({1001, "Alice", "dirA", false, {}});
    m_pInst->AddWindowConduits(windowtest::kStandardConduits).Publish();
  }

  testfiles::ScratchDir m_home;
  std::string m_userDir;
  std::string m_oldXdg;
  bool m_bHadXdg = false;
};

TEST_F(DataDir, BesideTheExecutableWhileItCanBeWritten) {
  char szExeDir[4096];
  ASSERT_TRUE(GetModuleDirectory(nullptr, szExeDir, sizeof szExeDir));
  EXPECT_EQ(DataDirectory(), szExeDir);
  EXPECT_EQ(ForWriting("ovcurr.dat"), DataFile("ovcurr.dat").string());
  EXPECT_EQ(ForReading("ovcurr.dat"), DataFile("ovcurr.dat").string());
  EXPECT_FALSE(fs::exists(m_userDir)) << "the user's directory is not made when it is not needed";
}

// A read-only installation with no data files: everything is written to the user's directory,
// which is made, and read back from there at the next start.
TEST_F(DataDir, ReadOnlyInstallationWritesToTheUsersDirectory) {
  Open();
  SetExeDirWritable(false);
  EXPECT_EQ(DataDirectory(), m_userDir);
  EXPECT_TRUE(fs::is_directory(m_userDir));

  m_pWin = std::make_unique<LogicWindow>();
  m_pWin->logic.sbtnDisableClick();
  m_pWin->logic.FormClose();
  EXPECT_TRUE(m_pWin->view.said.empty());
  m_pWin.reset();
  EXPECT_TRUE(fs::exists(m_userDir + "ovcond.dat"));
  EXPECT_TRUE(fs::exists(m_userDir + "ovcurr.dat"));
  EXPECT_FALSE(fs::exists(DataFile("ovcond.dat")));
  EXPECT_FALSE(fs::exists(DataFile("ovcurr.dat")));

  m_pWin = std::make_unique<LogicWindow>();
  for (const CondRow& row : m_pWin->logic.CondRows()) EXPECT_FALSE(row.ticked) << row.title;
}

// Data kept beside an executable whose directory became read-only is read from there; the first
// save writes to the user's directory, the files beside the executable stay as they were, and a
// profile the catalogue names beside the executable still loads. The new profile's file, as the
// details dialog shows it, is in the user's directory.
TEST_F(DataDir, FilesBesideAReadOnlyExecutableAreReadThenWrittenToTheUsersDirectory) {
  Open();
  OVProfile old;
  old.SetFileName(DataFile("ovprof1.dat").string().c_str());
  const ProfileRec memo{0x6D656D6F, 0x10001};  // 'memo' switched off
  old.AddRec(&memo);
  ASSERT_TRUE(old.Save());
  {
    OVProfMgr catalogue(DataFile("ovprof.dat").string().c_str());
    OVProfile* p = catalogue.NewProfile();
    p->SetDescription("Old");
    p->SetFileName(DataFile("ovprof1.dat").string().c_str());
    ASSERT_TRUE(catalogue.Save());
  }
  const auto before = fs::last_write_time(DataFile("ovprof.dat"));
  SetExeDirWritable(false);

  m_pWin = std::make_unique<LogicWindow>();
  MainWindowLogic& main = m_pWin->logic;
  RecordingProfilesView view;
  ProfileLogic profiles(&main);
  profiles.SetView(&view);
  profiles.SetProfMgr(main.GetProfMgr());
  EXPECT_EQ(fs::path(main.GetProfMgr()->GetLoadFileName()), DataFile("ovprof.dat"));
  ASSERT_EQ(profiles.Rows().size(), 1u);
  profiles.SelectRow(0);
  profiles.btnLoadClick();
  EXPECT_EQ(main.CondRows()[1].pRec->dwAction, 0x10001u) << "the old profile loaded";

  view.description = "New";
  profiles.btnSaveClick();
  EXPECT_EQ(view.shownFile, m_userDir + "ovprof2.dat");
  EXPECT_TRUE(view.said.empty());
  EXPECT_TRUE(fs::exists(m_userDir + "ovprof.dat"));
  EXPECT_TRUE(fs::exists(m_userDir + "ovprof2.dat"));
  EXPECT_EQ(fs::last_write_time(DataFile("ovprof.dat")), before) << "nothing is written beside the executable";

  // From now on the catalogue is read from the user's directory, with both profiles.
  profiles.FillList();
  EXPECT_EQ(std::string(main.GetProfMgr()->GetLoadFileName()), m_userDir + "ovprof.dat");
  ASSERT_EQ(profiles.Rows().size(), 2u);
  EXPECT_EQ(profiles.Rows()[0].description, "Old");
}

// A user's directory that cannot be made: the save fails and is told, naming the file.
TEST_F(DataDir, UsersDirectoryThatCannotBeMadeIsTold) {
  Open();
  std::ofstream(m_home.path() / "orvane") << "a file in the way";
  SetExeDirWritable(false);
  m_pWin = std::make_unique<LogicWindow>();
  m_pWin->logic.FormClose();
  ASSERT_EQ(m_pWin->view.said.size(), 1u);
  EXPECT_EQ(m_pWin->view.said[0].text, "The current settings could not be saved to " + m_userDir + "ovcurr.dat.");
}

// Data files that an older build left in the VirtualStore copy of its directory move into the
// data directory: each one only where the data directory has none of its name, checked before
// the copy is removed, and the catalogue's paths into the old directory follow them.
TEST(VirtualStoreMove, DataFilesComeHomeAndTheCatalogueFollows) {
  testfiles::ScratchDir root;
  const std::string sep(1, os::kPathSep);
  const std::string install = root.str() + sep + "Program Files" + sep + "Orvane" + sep;
  const std::string store = root.str() + sep + "VirtualStore" + sep;
  const std::string data = root.str() + sep + "data" + sep;
  for (const std::string& d : {install, store, data}) fs::create_directories(d);
  auto write = [](const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  };
  auto read = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  write(store + "ovcurr.dat", "old current settings");
  write(store + "ovprof1.dat", "old profile");
  write(store + "ovcond.dat", "old conduit list");
  write(store + "notes.txt", "not ours");
  write(data + "ovcond.dat", "the new build's conduit list");
  {
    // The catalogue as the older build wrote it: one profile beside itself, one elsewhere.
    OVProfMgr catalogue((store + "ovprof.dat").c_str());
    OVProfile* mine = catalogue.NewProfile();
    mine->SetDescription("Office");
    mine->SetFileName((install + "ovprof1.dat").c_str());
    OVProfile* other = catalogue.NewProfile();
    other->SetDescription("Shared");
    other->SetFileName((root.str() + sep + "shared.dat").c_str());
    ASSERT_TRUE(catalogue.Save());
  }

  const DataFileMove result = MoveDataFiles(store, install, data);
  std::vector<std::string> moved = result.moved;
  std::sort(moved.begin(), moved.end());
  EXPECT_EQ(moved, (std::vector<std::string>{"ovcurr.dat", "ovprof.dat", "ovprof1.dat"}));
  EXPECT_EQ(result.kept, (std::vector<std::string>{"ovcond.dat"}));
  EXPECT_TRUE(result.failed.empty());
  EXPECT_TRUE(result.bCatalogueRewritten);

  EXPECT_EQ(read(data + "ovcurr.dat"), "old current settings");
  EXPECT_EQ(read(data + "ovprof1.dat"), "old profile");
  EXPECT_EQ(read(data + "ovcond.dat"), "the new build's conduit list") << "what the new build wrote wins";
  EXPECT_EQ(read(store + "ovcond.dat"), "old conduit list") << "and the other is left, not lost";
  EXPECT_FALSE(fs::exists(store + "ovcurr.dat"));
  EXPECT_TRUE(fs::exists(store + "notes.txt"));
  EXPECT_FALSE(fs::exists(data + "notes.txt"));

  OVProfMgr catalogue((data + "ovprof.dat").c_str());
  ASSERT_TRUE(catalogue.Load());
  std::vector<std::string> paths;
  for (OVProfile* p : catalogue.Profiles()) paths.push_back(p->GetFileName());
  EXPECT_EQ(paths, (std::vector<std::string>{data + "ovprof1.dat", root.str() + sep + "shared.dat"}));

  // A second start finds nothing more to move.
  const DataFileMove again = MoveDataFiles(store, install, data);
  EXPECT_TRUE(again.moved.empty());
  EXPECT_EQ(again.kept, (std::vector<std::string>{"ovcond.dat"}));
}

}  // namespace
