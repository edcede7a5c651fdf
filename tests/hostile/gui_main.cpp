// The window tests need the application object before any test runs, and no display: CTest
// sets QT_QPA_PLATFORM, and so does this main for runs by hand and for test discovery.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
