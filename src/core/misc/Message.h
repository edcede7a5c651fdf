// Messages to the user. The core never shows a window itself: it calls ShowMessage, which hands
// the message to the hook that the window layer installs (a modal message box there). Without a
// hook the message goes to standard error as "<caption>: <text>".
#pragma once

namespace ov {

enum class MessageIcon { Information, Warning, Question, Error };

// Shows one message; the result is what the hook answered (0 without a hook).
using MessageHook = int (*)(const char* text, const char* caption, MessageIcon icon);

// Installs the hook (nullptr removes it); returns the previous one.
MessageHook SetMessageHook(MessageHook hook);

int ShowMessage(const char* text, const char* caption, MessageIcon icon);

}  // namespace ov
