#include "Message.h"

#include <cstdio>

namespace ov {
namespace {
MessageHook g_messageHook = nullptr;
}

MessageHook SetMessageHook(MessageHook hook) {
  MessageHook old = g_messageHook;
  g_messageHook = hook;
  return old;
}

int ShowMessage(const char* text, const char* caption, MessageIcon icon) {
  if (g_messageHook) return g_messageHook(text ? text : "", caption ? caption : "", icon);
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
  return 0;
}

}  // namespace ov
