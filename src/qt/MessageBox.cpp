#include "src/qt/MessageBox.h"

#include <QMessageBox>

#include "common/misc/Assert.h"
#include "src/Main.h"

namespace {

int RealMessageBox(QWidget* owner, const QString& text, const QString& caption, ov::MessageIcon icon) {
  QMessageBox box(icon == ov::MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                  caption, text, QMessageBox::Ok, owner);
  return box.exec();
}

MessageBoxFunction g_pfnMessageBox = RealMessageBox;

int CoreMessageHook(const char* text, const char* caption, ov::MessageIcon icon) {
  return ShowMessageBox(nullptr, QString::fromLocal8Bit(text), QString::fromLocal8Bit(caption), icon);
}

void CoreAssertHook(const char* text) {
  // The text names the source and line; the process ends as soon as the box is closed.
  ShowMessageBox(nullptr, QString::fromLocal8Bit(text), QString::fromLatin1(mainwnd::kApplicationTitle),
                 ov::MessageIcon::Error);
}

}  // namespace

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, ov::MessageIcon icon) {
  return g_pfnMessageBox(owner, text, caption, icon);
}

ov::MessageAnswer ShowRequest(QWidget* owner, const ov::MessageRequest& request) {
  ShowMessageBox(owner, QString::fromLocal8Bit(request.text.c_str()), QString::fromLocal8Bit(request.caption.c_str()),
                 request.icon);
  return ov::MessageAnswer::Ok;
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction fn) {
  MessageBoxFunction old = g_pfnMessageBox;
  g_pfnMessageBox = fn ? fn : RealMessageBox;
  return old == RealMessageBox ? nullptr : old;
}

void InstallMessageHooks() {
  ov::SetMessageHook(CoreMessageHook);
  ov::SetAssertHook(CoreAssertHook);
}
