// hotsync.exe, the stand-in HotSync manager: shows, for each user of the installation in its own
// directory (the core directory, where the demo maker puts it and where Orvane's "Start HotSync
// Manager" starts it), what every conduit will do at the next HotSync.
#include <string>

#include <QApplication>

#include "src/core/os/os.h"
#include "palmdesk/hotsync/HotSyncWindow.h"

namespace {

// The directory of this executable; the current directory when that cannot be found.
std::string OwnDirectory() {
  char path[4096];
  if (os::GetExecutablePath(path, sizeof path)) {
    std::string dir(path);
    const std::size_t sep = dir.find_last_of("/\\");
    if (sep != std::string::npos) return dir.substr(0, sep == 0 ? 1 : sep);
  }
  char cwd[4096];
  return os::GetCurrentDirectory(cwd, sizeof cwd) ? std::string(cwd) : std::string(".");
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("HotSync Manager"));
  palmdesk::HotSyncWindow window(OwnDirectory());
  window.show();
  return app.exec();
}
