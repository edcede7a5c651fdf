// The main of every Qt test executable: the application object on the offscreen platform before
// any test runs (also when CTest runs the binary at build time to list the tests), and death
// tests that start the executable again rather than fork a process that holds a window system.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
