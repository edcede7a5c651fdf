// Common ground of the window tests, whatever draws the window: the tool's data files beside the
// test executable, the conduits of a standard installation, and a test base that starts from no
// data files and leaves no window, conduit module, library, data file or changed current
// directory behind. Toolkit-free: the window-logic tests use it as it is, the Qt and Win32 window
// tests through their own thin bases.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "src/logic/Main.h"
#include "tests/support/PalmFixture.h"
#include "tests/support/TestFiles.h"

namespace windowtest {

namespace fs = std::filesystem;

using testfiles::ExeDir;

inline fs::path DataFile(const std::string& name) { return ExeDir() / name; }

// The registered conduits of the standard installation, in catalogue order; the install
// conduit and the backup conduit follow them (Installation::AddWindowConduits).
inline const std::vector<fixture::Installation::Registered> kStandardConduits = {
    {"date", "datebook.dll", "Date Book"},
    {"memo", "memopad.dll", "Memo Pad"},
    {"addr", "address.dll", "Address Book"}};

// The tool's data files beside the executable, and anything a test put in their way.
inline void RemoveDataFiles() {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(ExeDir(), ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("ovcond.dat", 0) == 0 || name.rfind("ovcurr.dat", 0) == 0 || name.rfind("ovprof", 0) == 0 ||
        name.rfind("ovhist.jsonl", 0) == 0) {
      fs::remove_all(entry.path(), ec);
    }
  }
}

// Derived tests build m_pInst and m_pWin (a Window: a view with its logic).
template <class Window>
class WindowTestBase : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(os::GetCurrentDirectory(m_szStartDir, sizeof m_szStartDir));
    RemoveDataFiles();
  }

  void TearDown() override {
    // The window releases the libraries; the modules go before the installation does, and the
    // current directory leaves it.
    m_pWin.reset();
    if (g_pCondMgr) g_pCondMgr->RemoveAll();
    os::SetCurrentDirectory(m_szStartDir);
    fixture::RemoveKestrowIni();
    RemoveDataFiles();
    m_pInst.reset();
  }

  char m_szStartDir[4096] = {};
  std::unique_ptr<fixture::Installation> m_pInst;
  std::unique_ptr<Window> m_pWin;
};

}  // namespace windowtest
