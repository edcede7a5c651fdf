// Driving real modal dialogs of the Qt views: a polling timer waits for the modal dialog that
// open() shows and hands it to act once, which must close it. A dialog still open five seconds
// after act is closed (rejected) and the test fails, so a faulty test never hangs.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

namespace dialogtest {

// Runs open(); the first visible modal dialog of class T that appears meanwhile is handed to act.
// True when act ran.
template <class T = QDialog>
bool WhenModal(const std::function<void()>& open, const std::function<void(T*)>& act, int nTimeoutMs = 5000) {
  bool bActed = false;
  QElapsedTimer clock;
  clock.start();
  QTimer timer;
  timer.setInterval(5);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    T* p = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!bActed && p && p->isVisible()) {
      bActed = true;
      clock.restart();
      act(p);
    } else if (clock.elapsed() > nTimeoutMs) {
      timer.stop();
      if (QDialog* pOpen = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        ADD_FAILURE() << "a dialog was left open: " << pOpen->windowTitle().toStdString();
        pOpen->reject();
      }
    }
  });
  timer.start();
  open();
  timer.stop();
  return bActed;
}

// True when a modal dialog appeared while open() ran (and act ran on it).
inline bool WithModal(const std::function<void()>& open, const std::function<void(QDialog*)>& act,
                      int nTimeoutMs = 5000) {
  return WhenModal<QDialog>(open, act, nTimeoutMs);
}

// The child of pParent named name, which must exist.
template <class T>
T* Child(QObject* pParent, const char* name) {
  T* p = pParent->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(p, nullptr) << name;
  return p;
}

}  // namespace dialogtest
