#include "src/qt/MessageBox.h"

#include <QMessageBox>

#include "src/core/misc/Assert.h"
#include "src/logic/Main.h"

namespace {

QMessageBox::Icon BoxIcon(ov::MessageIcon icon) {
  switch (icon) {
    case ov::MessageIcon::Information: break;
    case ov::MessageIcon::Warning: return QMessageBox::Warning;
    case ov::MessageIcon::Question: return QMessageBox::Question;
    case ov::MessageIcon::Error: return QMessageBox::Critical;
  }
  return QMessageBox::Information;
}

ov::MessageAnswer RealMessageBox(QWidget* owner, const ov::MessageRequest& request) {
  const bool bYesNo = request.buttons == ov::MessageButtons::YesNo;
  QMessageBox box(BoxIcon(request.icon), QString::fromLocal8Bit(request.caption.c_str()),
                  QString::fromLocal8Bit(request.text.c_str()),
                  bYesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
  if (bYesNo) {
    box.setDefaultButton(request.defaultAnswer == ov::MessageAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    // Escape and the close box give No, never Yes.
    box.setEscapeButton(QMessageBox::No);
  }
  switch (box.exec()) {
    case QMessageBox::Yes: return ov::MessageAnswer::Yes;
    case QMessageBox::No: return ov::MessageAnswer::No;
    default: return ov::MessageAnswer::Ok;
  }
}

MessageBoxFunction g_pfnMessageBox = RealMessageBox;

int CoreMessageHook(const char* text, const char* caption, ov::MessageIcon icon) {
  return static_cast<int>(ShowMessageBox(nullptr, QString::fromLocal8Bit(text), QString::fromLocal8Bit(caption), icon));
}

void CoreAssertHook(const char* text) {
  // The text names the source and line; the process ends as soon as the box is closed.
  ShowMessageBox(nullptr, QString::fromLocal8Bit(text), QString::fromLatin1(mainwnd::kApplicationTitle),
                 ov::MessageIcon::Error);
}

}  // namespace

ov::MessageAnswer ShowRequest(QWidget* owner, const ov::MessageRequest& request) {
  return g_pfnMessageBox(owner, request);
}

ov::MessageAnswer ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, ov::MessageIcon icon) {
  ov::MessageRequest request;
  request.text = text.toLocal8Bit().toStdString();
  request.caption = caption.toLocal8Bit().toStdString();
  request.icon = icon;
  return ShowRequest(owner, request);
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
