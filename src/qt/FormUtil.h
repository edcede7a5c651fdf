// Small helpers shared by the tool's dialogs.
#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QWidget>

// Gives a control its name (the name tests and tools find it by) and returns it.
template <class T>
T* Named(T* p, const char* name) {
  p->setObjectName(QString::fromLatin1(name));
  return p;
}

// Fixes the dialog's client area and centres it on the screen of its owner (the main window), or
// on the primary screen without one.
inline void FixAndCentre(QWidget* pForm, int nWidth, int nHeight, QWidget* pOwner) {
  pForm->setFixedSize(nWidth, nHeight);
  QScreen* pScreen = pOwner ? pOwner->screen() : QGuiApplication::primaryScreen();
  if (pScreen) pForm->move(pScreen->availableGeometry().center() - pForm->rect().center());
}
