// The base of the Qt window tests: the toolkit-free window fixture with the main window's Qt view,
// and the message box replaced by the function the test gives.
#pragma once

#include "src/qt/Main.h"
#include "src/qt/MessageBox.h"
#include "tests/support/WindowFixture.h"

namespace windowtest {

class WindowTest : public WindowTestBase<TfmMain> {
 protected:
  explicit WindowTest(MessageBoxFunction fnMessage) : m_fnMessage(fnMessage) {}

  void SetUp() override {
    WindowTestBase::SetUp();
    SetMessageBoxFunction(m_fnMessage);
  }

  void TearDown() override {
    WindowTestBase::TearDown();
    SetMessageBoxFunction(nullptr);
  }

 private:
  MessageBoxFunction m_fnMessage;
};

}  // namespace windowtest
