// Run from an installed copy (see install_test.sh): the tool's window started from a directory
// it may not write, a profile saved through the profiles dialog, and the window closed, as a
// user would do it.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "src/qt/Main.h"
#include "src/qt/MessageBox.h"
#include "src/qt/ProfDetail.h"
#include "src/qt/profile.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/ModalDriver.h"

namespace {

using dialogtest::Child;
using dialogtest::WhenModal;

TEST(Installed, SavesAProfileAndCloses) {
  SetMessageBoxFunction(windowtest::CaptureMessage);
  TfmMain window;
  window.show();
  EXPECT_TRUE(WhenModal<TfmProfile>([&] { Child<QPushButton>(&window, "sbtnProfile")->click(); },
                                    [](TfmProfile* profiles) {
                                      EXPECT_TRUE(WhenModal<TfmProfDetail>(
                                          [&] { Child<QPushButton>(profiles, "btnSave")->click(); },
                                          [](TfmProfDetail* detail) {
                                            Child<QLineEdit>(detail, "edtDesc")->setText(QStringLiteral("Installed"));
                                            Child<QPushButton>(detail, "btnOK")->click();
                                          }));
                                      profiles->reject();
                                    }));
  window.close();
  for (const windowtest::Said& said : windowtest::g_said) ADD_FAILURE() << said.text.toStdString();
  SetMessageBoxFunction(nullptr);
}

}  // namespace
