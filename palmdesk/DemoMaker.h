// The demo installation maker behind palmdesk-demo: a complete Palm Desktop core directory
// (description, the four stand-in libraries, the conduit modules it names, hotsync.exe when it
// was built) for trying the tool and for benchmarks.
#pragma once

#include <string>

#include "palmdesk/Description.h"

namespace palmdesk {

struct DemoOptions {
  int users = -1;     // -1: the realistic handful
  int conduits = -1;  // registered conduits; -1: the realistic set
  std::string dir;
};

inline constexpr int kDemoMaxUsers = 32767;
inline constexpr int kDemoMaxConduits = 10000;

// "palmdesk-demo [--users N] [--conduits M] DIR" (also --users=N). False, with a message for
// the user in *error, for anything else; *help is set for -h and --help.
bool ParseDemoArgs(int argc, const char* const* argv, DemoOptions* out, std::string* error, bool* help);

inline constexpr const char* kDemoUsage = "usage: palmdesk-demo [--users N] [--conduits M] DIR\n";

// The description of a demo installation whose core directory is coreDir. moduleSources
// receives, for each module file the description names, the sample it is a copy of.
struct DemoModule {
  std::string file;
  std::string sample;  // "sample_named" or "sample_nameless"
};
Description MakeDemoDescription(const DemoOptions& options, const std::string& coreDir,
                                std::vector<DemoModule>* modules);

// Writes the demo installation into options.dir (made when missing), taking the libraries and
// sample modules from sourceDir. A journal left from an earlier installation there is removed.
// The realistic installation (neither size given) gets a journal of its users' sync
// preferences: defaults that differ from user to user, and a few one-time actions pending.
bool MakeDemo(const DemoOptions& options, const std::string& sourceDir, std::string* error);

}  // namespace palmdesk
