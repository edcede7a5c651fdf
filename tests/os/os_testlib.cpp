// A small library for the loading tests: two exported functions.
#include <string>

#include "src/core/os/os.h"

#ifdef _WIN32
#define OS_TESTLIB_EXPORT extern "C" __declspec(dllexport)
#else
#define OS_TESTLIB_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {
int g_inThisLibrary = 0;
}

OS_TESTLIB_EXPORT int OsTestAnswer() { return 42; }

// The path of the file this library was loaded from, as the OS layer finds it.
OS_TESTLIB_EXPORT const char* OsTestModulePath() {
  static const std::string path = os::GetModulePathOf(&g_inThisLibrary);
  return path.c_str();
}
