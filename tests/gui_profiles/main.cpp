// The profile tests run with a QApplication on the offscreen platform (also when CTest runs the
// binary at build time to list the tests).
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  // Death tests start the executable again rather than fork a process that holds a window system.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
