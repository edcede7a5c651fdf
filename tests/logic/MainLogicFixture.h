// The main window's logic on a temporary stand-in installation, as the window tests start it:
// users named by the test (IDs from 1001), the standard conduits, and a view that records.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "src/core/palm/CondMgr.h"
#include "src/logic/Main.h"
#include "tests/logic/RecordingView.h"
#include "tests/support/WindowFixture.h"

namespace logictest {

// The main window's logic with a view that records; started up as the window starts it.
struct LogicWindow {
  LogicWindow() { logic.FormCreate(); }
  RecordingMainView view;
  MainWindowLogic logic{view};
};

// The conduit rows of the standard installation, in catalogue order.
enum Row { kDate, kMemo, kAddr, kInstall, kBackup, kRowCount };
constexpr std::uint32_t kFirstUserId = 1001;

class MainLogic : public windowtest::WindowTestBase<LogicWindow> {
 protected:
  // Users named by names (IDs from 1001) and the standard conduits, with fault switches and the
  // stand-in libraries libs (fixture::Installation's bits).
  void Open(const std::vector<std::string>& names = {"Alice", "Bob", "Carol"},
            const std::vector<std::pair<std::string, std::string>>& faults = {}, unsigned libs = 15) {
    m_pInst = std::make_unique<fixture::Installation>(libs);
    for (std::size_t i = 0; i < names.size(); ++i) {
      const std::uint32_t id = kFirstUserId + static_cast<std::uint32_t>(i);
      m_pInst->AddUser({id, names[i], "dir" + std::to_string(id), false, {}});
    }
    m_pInst->AddWindowConduits(windowtest::kStandardConduits);
    for (const auto& [key, value] : faults) m_pInst->SetFault(key, value);
    m_pInst->Publish();
    m_pWin = std::make_unique<LogicWindow>();
  }

  MainWindowLogic& Logic() { return m_pWin->logic; }
  RecordingMainView& View() { return m_pWin->view; }
  const CondRow& Row(int row) { return Logic().CondRows()[static_cast<std::size_t>(row)]; }
  std::uint32_t Action(int row) { return Row(row).pRec->dwAction; }
  void Choose(int row, void (MainWindowLogic::*item)()) {
    Logic().SelectCondRow(row);
    Logic().pmCondPopup();
    (Logic().*item)();
  }
  std::vector<std::string> Said() {
    std::vector<std::string> texts;
    for (const ov::MessageRequest& r : View().said) texts.push_back(r.caption + ": " + r.text);
    return texts;
  }
};

}  // namespace logictest
