#include "Assert.h"

#include <cstdio>
#include <cstdlib>

namespace ov {
namespace {
AssertHook g_assertHook = nullptr;
}

AssertHook SetAssertHook(AssertHook hook) {
  AssertHook old = g_assertHook;
  g_assertHook = hook;
  return old;
}

char* FormatAssertText(char* buf, unsigned cap, const char* condition, const char* source, int line) {
  if (buf && cap) {
    std::snprintf(buf, cap, "Assertion failed: %s, file %s, line %d", condition ? condition : "",
                  source ? source : "", line);
  }
  return buf;
}

void AssertFailed(const char* condition, const char* source, int line) {
  char text[1024];
  FormatAssertText(text, sizeof text, condition, source, line);
  if (g_assertHook) {
    g_assertHook(text);
  } else {
    std::fprintf(stderr, "%s\n", text);
  }
  std::fputs("Abnormal program termination\n", stderr);
  std::fflush(stderr);
  std::_Exit(3);
}

}  // namespace ov
