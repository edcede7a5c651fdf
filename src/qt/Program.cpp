// The program entry: the application, the main window, the message loop, and the outermost
// guard that shows any exception that escapes them. No command-line argument is read.
#include <cstdio>
#include <exception>
#include <memory>

#include <QApplication>
#include <QIcon>

#include "src/qt/Main.h"
#include "src/qt/MessageBox.h"

namespace {

// The exception display: an error message box with the exception's message, captioned with the
// application's title.
void ShowException(const char* szMessage) {
  if (QApplication::instance()) {
    ShowMessageBox(nullptr, QString::fromLocal8Bit(szMessage), QString::fromLatin1(mainwnd::kApplicationTitle),
                   ov::MessageIcon::Error);
  } else {
    std::fprintf(stderr, "%s: %s\n", mainwnd::kApplicationTitle, szMessage);
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  std::unique_ptr<QApplication> app;
  try {
    app = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    InstallMessageHooks();

    // The window's own caption is what the task bar shows; the application's title captions
    // the exception display.
    auto pMain = std::make_unique<TfmMain>();
    QApplication::setWindowIcon(pMain->windowIcon());
    pMain->show();
    QApplication::exec();
  } catch (const std::exception& e) {
    ShowException(e.what());
  } catch (...) {
    ShowException("");
  }
  return 0;
}
