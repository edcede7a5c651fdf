// palmdesk-demo [--users N] [--conduits M] DIR: writes a demo Palm Desktop core directory.
#include <cstdio>
#include <filesystem>
#include <string>

#include "src/core/os/os.h"
#include "palmdesk/DemoMaker.h"

int main(int argc, char** argv) {
  palmdesk::DemoOptions options;
  std::string error;
  bool help = false;
  if (!palmdesk::ParseDemoArgs(argc, argv, &options, &error, &help)) {
    std::fprintf(stderr, "palmdesk-demo: %s\n%s", error.c_str(), palmdesk::kDemoUsage);
    return 2;
  }
  if (help) {
    std::fputs(palmdesk::kDemoUsage, stdout);
    std::fputs("Writes a Palm Desktop core directory for the stand-in libraries into DIR: a handful of\n"
               "users who have synced before (their defaults differ, some have one-time actions\n"
               "pending) and the usual conduits, or N users who never synced and M registered\n"
               "conduits.\n",
               stdout);
    return 0;
  }
  char self[4096];
  if (!os::GetExecutablePath(self, sizeof self)) {
    std::fprintf(stderr, "palmdesk-demo: cannot find my own directory\n");
    return 1;
  }
  const std::string sourceDir = std::filesystem::path(self).parent_path().string();
  if (!palmdesk::MakeDemo(options, sourceDir, &error)) {
    std::fprintf(stderr, "palmdesk-demo: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
