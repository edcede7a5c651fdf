// Common ground of the window tests: the tool's data files beside the test executable, and a test
// base that starts from no data files and leaves no window, conduit module, library, data file or
// changed current directory behind.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "common/os/os.h"
#include "common/palm/CondMgr.h"
#include "src/qt/Main.h"
#include "src/qt/MessageBox.h"
#include "tests/support/PalmFixture.h"

namespace windowtest {

namespace fs = std::filesystem;

// The directory of the running test executable: the tool's own directory in these tests.
inline fs::path ExeDir() {
  char buf[4096];
  if (!os::GetExecutablePath(buf, sizeof buf)) return {};
  return fs::path(buf).parent_path();
}

inline fs::path DataFile(const std::string& name) { return ExeDir() / name; }

// Derived tests build m_pInst and m_pWin; messages go to the function given at construction.
class WindowTest : public testing::Test {
 protected:
  explicit WindowTest(MessageBoxFunction fnMessage) : m_fnMessage(fnMessage) {}

  void SetUp() override {
    ASSERT_TRUE(os::GetCurrentDirectory(m_szStartDir, sizeof m_szStartDir));
    RemoveDataFiles();
    SetMessageBoxFunction(m_fnMessage);
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
    SetMessageBoxFunction(nullptr);
  }

  // The tool's data files beside the executable, and anything a test put in their way.
  static void RemoveDataFiles() {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(ExeDir(), ec)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("ovcond.dat", 0) == 0 || name.rfind("ovcurr.dat", 0) == 0 || name.rfind("ovprof", 0) == 0) {
        fs::remove_all(entry.path(), ec);
      }
    }
  }

  char m_szStartDir[4096] = {};
  std::unique_ptr<fixture::Installation> m_pInst;
  std::unique_ptr<TfmMain> m_pWin;

 private:
  MessageBoxFunction m_fnMessage;
};

}  // namespace windowtest
