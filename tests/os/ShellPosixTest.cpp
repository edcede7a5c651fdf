// The POSIX shell opener: programs are started detached, everything else goes to xdg-open.
// The tests put a stand-in xdg-open first on PATH, so no real opener is ever started.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>

#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "OsTestUtil.h"

namespace {

namespace fs = std::filesystem;
using os_test::CurrentDir;
using os_test::ReadFile;
using os_test::TempDir;
using os_test::WaitForFile;
using os_test::WriteFile;

void WriteScript(const std::string& path, const std::string& body) {
  WriteFile(path, "#!/bin/sh\n" + body);
  ::chmod(path.c_str(), 0755);
}

// Sets PATH for the life of the object.
class ScopedPath {
 public:
  explicit ScopedPath(const std::string& value) {
    if (const char* old = std::getenv("PATH")) m_old = old;
    ::setenv("PATH", value.c_str(), 1);
  }
  ~ScopedPath() {
    if (m_old) {
      ::setenv("PATH", m_old->c_str(), 1);
    } else {
      ::unsetenv("PATH");
    }
  }

 private:
  std::optional<std::string> m_old;
};

TEST(ShellOpenPosix, AnythingElseGoesToXdgOpen) {
  TempDir dir;
  WriteScript(dir.File("xdg-open"), "printf '%s' \"$1\" > \"" + dir.File("opened.tmp") + "\"\n"
                                    "mv \"" + dir.File("opened.tmp") + "\" \"" + dir.File("opened") + "\"\n");
  ScopedPath path(dir.str() + ":/usr/bin:/bin");
  CurrentDir cd(dir.path());

  EXPECT_TRUE(os::ShellOpen("https://example.invalid/help.html"));
  ASSERT_TRUE(WaitForFile(dir.File("opened"), 10));
  EXPECT_EQ(ReadFile(dir.File("opened")), "https://example.invalid/help.html");

  // A missing file is the opener's business, as are files that are not executable.
  fs::remove(dir.File("opened"));
  EXPECT_TRUE(os::ShellOpen("absent.exe"));
  ASSERT_TRUE(WaitForFile(dir.File("opened"), 10));
  EXPECT_EQ(ReadFile(dir.File("opened")), "absent.exe");

  fs::remove(dir.File("opened"));
  WriteFile(dir.File("notes.txt"), "text");
  EXPECT_TRUE(os::ShellOpen("notes.txt"));
  ASSERT_TRUE(WaitForFile(dir.File("opened"), 10));
  EXPECT_EQ(ReadFile(dir.File("opened")), "notes.txt");
}

TEST(ShellOpenPosix, FalseWhenNothingCanBeStarted) {
  TempDir dir;
  ScopedPath path(dir.str());  // no xdg-open anywhere
  CurrentDir cd(dir.path());
  EXPECT_FALSE(os::ShellOpen("https://example.invalid/"));

  // An executable file that the system cannot run.
  WriteFile(dir.File("broken.exe"), std::string("\x7f" "ELF garbage", 12));
  ::chmod(dir.File("broken.exe").c_str(), 0755);
  EXPECT_FALSE(os::ShellOpen("broken.exe"));

  // An xdg-open that finds nothing to open the target with ends at once with a failure (3, as
  // the real one does without a browser); one that keeps showing it counts as opened.
  WriteScript(dir.File("xdg-open"), "exit 3\n");
  EXPECT_FALSE(os::ShellOpen("https://example.invalid/"));
  WriteScript(dir.File("xdg-open"), "exec /bin/sleep 5\n");
  EXPECT_TRUE(os::ShellOpen("https://example.invalid/"));
}

// Help is opened from a window, which must not freeze while the opener works: a launcher that
// goes on showing the page, or one that fails only after a while, still gets the target, and the
// call returns long before either ends.
TEST(ShellOpenPosix, ReturnsPromptlyWhileTheLauncherRuns) {
  const struct {
    const char* name;
    const char* after;  // what the launcher does once it has noted its argument
  } cases[] = {{"keeps running", "exec /bin/sleep 5\n"}, {"fails late", "/bin/sleep 2; exit 3\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string tmp = dir.File("opened.tmp"), opened = dir.File("opened");
    WriteScript(dir.File("xdg-open"),
                "printf '%s' \"$1\" > \"" + tmp + "\"\nmv \"" + tmp + "\" \"" + opened + "\"\n" + c.after);
    ScopedPath path(dir.str() + ":/usr/bin:/bin");
    CurrentDir cd(dir.path());

    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(os::ShellOpen("file:///help/orvane/index.htm?ref=app"));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(1000));
    ASSERT_TRUE(WaitForFile(opened, 10));
    EXPECT_EQ(ReadFile(opened), "file:///help/orvane/index.htm?ref=app");
  }
}

// The started program is detached: the call returns at once, leaves no child to reap, and the
// program holds neither our standard output nor any other descriptor of ours.
TEST(ShellOpenPosix, ProgramIsDetached) {
  TempDir dir;
  WriteScript(dir.File("hotsync.exe"),
              "echo started > marker.tmp; mv marker.tmp marker; exec sleep 5\n");
  CurrentDir cd(dir.path());

  int pipefd[2];
  ASSERT_EQ(::pipe(pipefd), 0);  // deliberately without close-on-exec
  const int savedOut = ::dup(1);
  ::dup2(pipefd[1], 1);
  const bool started = os::ShellOpen("hotsync.exe");
  ::dup2(savedOut, 1);
  ::close(savedOut);
  ::close(pipefd[1]);
  ASSERT_TRUE(started);
  ASSERT_TRUE(WaitForFile(dir.File("marker"), 10));

  // Every writer of the pipe is gone although the program still runs.
  pollfd p{pipefd[0], POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 2000), 1);
  char c;
  EXPECT_EQ(::read(pipefd[0], &c, 1), 0);
  ::close(pipefd[0]);

  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

}  // namespace
