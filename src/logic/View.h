// What the window logic asks of a window that shows it, whatever draws it (the Qt views on Linux,
// the Win32 views on Windows, the console for scripts).
//
// The logic of each window (Main, CondDetail, Userinfo, profile, ProfDetail) keeps the window's
// state as plain data and runs its commands; it never draws and never blocks on the user itself.
// A message box is handed to the view as a MessageRequest, and the view answers which button was
// pressed. Texts are in the local 8-bit code page (the ANSI code page on Windows, UTF-8 on
// Linux), the encoding of everything Palm's libraries give.
#pragma once

#include <string>

#include "src/core/misc/Message.h"

namespace ov {

enum class MessageButtons { Ok, YesNo };
// The values of Windows' IDOK, IDCANCEL, IDYES and IDNO.
enum class MessageAnswer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct MessageRequest {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::Information;
  MessageButtons buttons = MessageButtons::Ok;
  // The button that Enter presses (for YesNo: No unless said otherwise).
  MessageAnswer defaultAnswer = MessageAnswer::Ok;
};

// Every window's view shows message boxes owned by the window.
class WindowView {
 public:
  virtual ~WindowView() = default;
  // Shows the box modally over the window and returns the button pressed.
  virtual MessageAnswer ShowMessage(const MessageRequest& request) = 0;
};

}  // namespace ov
