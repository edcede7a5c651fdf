// The one way the tool's windows speak to the user: a modal message box behind a replaceable
// function, so that tests can hear what was said without running a modal loop.
#pragma once

#include <QString>

#include "src/core/misc/Message.h"
#include "src/logic/View.h"

class QWidget;

// Shows a message box the window logic asked for (text, caption, icon, OK or Yes/No with its
// default button), modal, owned by owner (none: no owner, centred on the screen). Returns the
// button pressed, or what a replacement returns.
ov::MessageAnswer ShowRequest(QWidget* owner, const ov::MessageRequest& request);
// The same for a box with an OK button only.
ov::MessageAnswer ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, ov::MessageIcon icon);

using MessageBoxFunction = ov::MessageAnswer (*)(QWidget* owner, const ov::MessageRequest& request);
// Replaces the message box (nullptr restores the real one); returns the previous function.
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction fn);

// Routes the core's messages (ov::ShowMessage) into ShowMessageBox with no owner, and shows a
// failed assertion in an error message box before the process ends. Needs the application object.
void InstallMessageHooks();
