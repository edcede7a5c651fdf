// The window and the console on the same installation give the same answers: the same calls for
// an Apply, the same refusal of an unknown HotSync state, the same description rule and the same
// verdict on a damaged profile list. Each runs alone (the Palm binding is process-wide): the
// window's logic first, then orvanectl in-process.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "src/cli/Cli.h"
#include "src/logic/Main.h"
#include "src/logic/ProfDetail.h"
#include "src/logic/profile.h"
#include "tests/logic/RecordingView.h"
#include "tests/support/WindowFixture.h"

namespace {

using fixture::JournalEntry;
using logictest::RecordingMainView;
using logictest::RecordingProfilesView;

struct LogicWindow {
  LogicWindow() { logic.FormCreate(); }
  RecordingMainView view;
  MainWindowLogic logic{view};
};

struct Console {
  int code;
  std::string out, err;
};

class WindowAndConsole : public windowtest::WindowTestBase<LogicWindow> {
 protected:
  // Alice, Bob and Carol with the standard conduits; HotSync Manager as hotsync says, with its
  // status read failing when bStatusFails.
  void Install(const char* hotsync = "absent", bool bStatusFails = false) {
    m_pInst = std::make_unique<fixture::Installation>();
    for (std::uint32_t i = 0; i < 3; ++i) {
      m_pInst->AddUser({1001 + i, i == 0 ? "Alice" : i == 1 ? "Bob" : "Carol", "dir", false, {}});
    }
    m_pInst->AddWindowConduits(windowtest::kStandardConduits);
    m_pInst->SetHotSync(hotsync);
    if (bStatusFails) m_pInst->SetFault("sync_status_fail", "268435459");
    m_pInst->Publish();
  }
  void OpenWindow() { m_pWin = std::make_unique<LogicWindow>(); }
  // Closes the window as the program does, and lets the console start afresh.
  void CloseWindow() {
    m_pWin.reset();
    if (g_pCondMgr) g_pCondMgr->RemoveAll();
    os::SetCurrentDirectory(m_szStartDir);
  }
  Console Run(std::vector<std::string> args) {
    args.insert(args.begin(), "orvanectl");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::ostringstream out, err;
    const int code = RunCli(static_cast<int>(args.size()), argv.data(), out, err);
    return {code, out.str(), err.str()};
  }
  std::vector<JournalEntry> TakeJournal() {
    std::vector<JournalEntry> journal = m_pInst->ReadJournal();
    std::ofstream(m_pInst->dir() / "palmdesk.journal", std::ios::trunc);
    return journal;
  }
};

// Apply to every user writes the same calls in the same order from both.
TEST_F(WindowAndConsole, ApplyWritesTheSameCalls) {
  Install();
  OpenWindow();
  m_pWin->logic.sbtnApplyClick();
  const std::vector<JournalEntry> fromWindow = TakeJournal();
  CloseWindow();
  const Console c = Run({"apply", "--users", "all"});
  EXPECT_EQ(c.code, cli::kExitOk) << c.err;
  EXPECT_EQ(TakeJournal(), fromWindow);
  EXPECT_EQ(fromWindow.size(), 3u * 5u);
}

// A HotSync Manager that does not say whether it synchronizes is "unknown" in both: the window
// asks (No writes nothing), the console refuses with exit 4 unless told to go on.
TEST_F(WindowAndConsole, AnUnknownHotSyncStateIsUnknownInBoth) {
  Install("idle", true);
  OpenWindow();
  m_pWin->view.questionAnswers = {ov::MessageAnswer::No};
  m_pWin->logic.sbtnApplyClick();
  ASSERT_FALSE(m_pWin->view.said.empty());
  EXPECT_NE(m_pWin->view.said.back().text.find("unknown"), std::string::npos) << m_pWin->view.said.back().text;
  EXPECT_TRUE(TakeJournal().empty());
  CloseWindow();

  const Console refused = Run({"apply"});
  EXPECT_EQ(refused.code, cli::kExitHotSync);
  EXPECT_NE(refused.err.find("unknown"), std::string::npos) << refused.err;
  EXPECT_TRUE(TakeJournal().empty());
}

// One description rule: blanks alone are a description, empty or several lines are not; a text
// too long is cut on a whole character by the dialog (what a person sees in the field) and
// refused by the console (a script's text is never stored as something else).
TEST_F(WindowAndConsole, OneDescriptionRule) {
  Install();
  std::ofstream(windowtest::ExeDir() / "agree-profile.txt") << "Orvane conduit profile 1\nmemo nothing\n";
  const std::string file = (windowtest::ExeDir() / "agree-profile.txt").string();
  const struct {
    std::string description;
    bool bDialog, bConsole;
  } cases[] = {
      {"   ", true, true},
      {"Office", true, true},
      {"", false, false},
      {"two\nlines", false, false},
      {"tab\there", true, true},
      {std::string(300, 'x'), true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("description of " + std::to_string(c.description.size()) + " bytes");
    ProfDetailLogic dialog;
    dialog.SetFileName("ovprof1.dat");
    EXPECT_EQ(dialog.btnOKClick(c.description), c.bDialog);
    const Console r = Run({"import-profile", file, "--name", c.description, "--replace"});
    EXPECT_EQ(r.code == cli::kExitOk, c.bConsole) << r.err;
  }
  std::filesystem::remove(file);
}

// A profile list that exists but cannot be read is an error in both, and neither writes it.
TEST_F(WindowAndConsole, ADamagedProfileListIsAnErrorInBoth) {
  Install();
  const std::string damaged("\x03\x00\x00\x00\x04\x00\x00\x00Work", 12);
  std::ofstream(windowtest::DataFile("ovprof.dat"), std::ios::binary) << damaged;
  OpenWindow();
  RecordingProfilesView view;
  ProfileLogic profiles(&m_pWin->logic);
  profiles.SetView(&view);
  profiles.SetProfMgr(m_pWin->logic.GetProfMgr());
  EXPECT_TRUE(profiles.IsCatalogueUnreadable());
  CloseWindow();

  const Console c = Run({"profiles"});
  EXPECT_EQ(c.code, cli::kExitUsage);
  EXPECT_NE(c.err.find("could not be read"), std::string::npos) << c.err;
  std::ifstream in(windowtest::DataFile("ovprof.dat"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), damaged);
}

}  // namespace
