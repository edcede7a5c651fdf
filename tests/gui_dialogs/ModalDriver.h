// Driving real modal dialogs: a polling timer waits for the modal dialog that open() shows and
// hands it to act, which must close it. A dialog still open a few seconds after act is closed
// (rejected) and the test fails, so a faulty test never hangs.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

namespace dialogtest {

// True when a modal dialog appeared while open() ran.
inline bool WithModal(const std::function<void()>& open, const std::function<void(QDialog*)>& act,
                      int nTimeoutMs = 5000) {
  bool bSeen = false;
  QPointer<QDialog> pDialog;
  QElapsedTimer clock;
  clock.start();
  QTimer timer;
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    QDialog* pModal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!bSeen && pModal) {
      bSeen = true;
      pDialog = pModal;
      clock.restart();
      act(pModal);
    } else if (clock.elapsed() > nTimeoutMs) {
      timer.stop();
      if (pDialog && pDialog->isVisible()) {
        ADD_FAILURE() << "the dialog was still open; closing it";
        pDialog->reject();
      }
    }
  });
  timer.start();
  open();
  timer.stop();
  return bSeen;
}

template <class T>
T* Child(QObject* pParent, const char* name) {
  T* p = pParent->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(p, nullptr) << name;
  return p;
}

}  // namespace dialogtest
