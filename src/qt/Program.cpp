// The program entry: the application, the main window, the message loop, and the outermost
// guard that shows any exception that escapes them. No command-line argument is read.
#include <cstdio>
#include <cstring>
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
  // Two questions a package manager or an administrator asks on the command line, answered
  // without a display; anything else on the command line is not read.
  if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    if (argv[1][2] == 'v') {
      std::printf("Orvane %s\n", ORVANE_VERSION);
    } else {
      std::printf(
          "Usage: orvane\n"
          "Orvane (%s) changes Palm HotSync settings for one handheld user or for many at once.\n"
          "It finds Palm Desktop through PDPath in kestrow.ini beside the program, or through\n"
          "DesktopPath under HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core.\n"
          "Its data files live beside the program when that directory can be written, else in\n"
          "${XDG_DATA_HOME:-~/.local/share}/orvane.\n"
          "  --help     this text\n"
          "  --version  the version\n",
          mainwnd::kApplicationTitle);
    }
    return 0;
  }
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
