// POSIX only: Ctrl+C (SIGINT) and SIGTERM become a stop request once the handler is installed.
#include <gtest/gtest.h>

#include <csignal>

#include <signal.h>

#include "src/core/os/os.h"

namespace {

TEST(StopRequestPosix, SignalsSetTheFlagInsteadOfEndingTheProcess) {
  for (int sig : {SIGINT, SIGTERM}) {
    os::ClearStopRequest();
    os::InstallStopRequestHandler();
    EXPECT_FALSE(os::StopRequested());
    ASSERT_EQ(::raise(sig), 0);
    EXPECT_TRUE(os::StopRequested()) << sig;
    // The first request put the system's handling back: a second signal would end the process.
    struct sigaction now {};
    ::sigaction(sig, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL) << sig;
    os::ClearStopRequest();
    EXPECT_FALSE(os::StopRequested());
  }
  // Neither signal stays armed for the rest of the tests.
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

}  // namespace
