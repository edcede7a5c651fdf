// Small helpers shared by the Qt views of the tool's windows.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QString>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>

// The window flags of every fixed-size dialog: a title with the system menu and close, no
// resizing.
inline constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                     Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                                     Qt::MSWindowsFixedSizeDialogHint;

// The height of every push button.
inline constexpr int kButtonHeight = 27;

// Gives a control its name (the name tests and tools find it by) and returns it.
template <class T>
T* Named(T* p, const char* name) {
  p->setObjectName(QString::fromLatin1(name));
  return p;
}

// A text of the window logic (local 8-bit code page) for a control, and back.
inline QString Local(const std::string& text) {
  return QString::fromLocal8Bit(text.data(), static_cast<int>(text.size()));
}
inline QString Local(const char* sz) { return QString::fromLocal8Bit(sz); }
inline std::string ToLocal(const QString& text) { return text.toLocal8Bit().toStdString(); }

// A push button named name at x, y.
inline QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, int x, int y, int width = 80) {
  QPushButton* p = Named(new QPushButton(Local(caption), parent), name);
  p->setGeometry(x, y, width, kButtonHeight);
  return p;
}

// A list of rows in report style: whole-row selection, one selected row at most, no editing,
// columns in a fixed order.
inline void SetReportStyle(QTreeView* p) {
  p->setRootIsDecorated(false);
  p->setItemsExpandable(false);
  p->setUniformRowHeights(true);
  p->setAllColumnsShowFocus(true);
  p->setSelectionBehavior(QAbstractItemView::SelectRows);
  p->setSelectionMode(QAbstractItemView::SingleSelection);
  p->setEditTriggers(QAbstractItemView::NoEditTriggers);
  p->header()->setSectionsMovable(false);
}

// A read-only list in report style named name, with these column headers and widths; the last
// column takes the room left when bStretchLast.
template <std::size_t N>
QTreeWidget* MakeReportList(QWidget* parent, const char* name, const char* const (&headers)[N], const int (&widths)[N],
                            bool bStretchLast) {
  QTreeWidget* p = Named(new QTreeWidget(parent), name);
  SetReportStyle(p);
  QStringList labels;
  for (const char* sz : headers) labels << QString::fromLocal8Bit(sz);
  p->setHeaderLabels(labels);
  p->header()->setStretchLastSection(bStretchLast);
  for (std::size_t i = 0; i < N; ++i) p->setColumnWidth(static_cast<int>(i), widths[i]);
  return p;
}

// The selected row stays plain to see when the list loses the focus.
inline void KeepSelectionVisible(QAbstractItemView* pView) {
  QPalette palette = pView->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Active, QPalette::HighlightedText));
  pView->setPalette(palette);
}

// Enter (Return, or Enter on the keypad, without other modifiers) on a list runs onEnter, which
// opens the list's row; the key goes no further, so a dialog's default button does not take it too.
class EnterKeyFilter : public QObject {
 public:
  EnterKeyFilter(QObject* pParent, std::function<void()> onEnter) : QObject(pParent), m_onEnter(std::move(onEnter)) {}

  bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
    if (pEvent->type() == QEvent::KeyPress) {
      const QKeyEvent* pKey = static_cast<const QKeyEvent*>(pEvent);
      const bool bEnter = pKey->key() == Qt::Key_Return || pKey->key() == Qt::Key_Enter;
      if (bEnter && (pKey->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        m_onEnter();
        return true;
      }
    }
    return QObject::eventFilter(pWatched, pEvent);
  }

 private:
  std::function<void()> m_onEnter;
};

inline void OnEnterKey(QAbstractItemView* pView, std::function<void()> onEnter) {
  pView->installEventFilter(new EnterKeyFilter(pView, std::move(onEnter)));
}

// Fixes the window's client area and centres it on the screen of its owner (the main window), or
// on the primary screen without one.
inline void FixAndCentre(QWidget* pForm, int nWidth, int nHeight, QWidget* pOwner) {
  pForm->setFixedSize(nWidth, nHeight);
  QScreen* pScreen = pOwner ? pOwner->screen() : QGuiApplication::primaryScreen();
  if (pScreen) pForm->move(pScreen->availableGeometry().center() - pForm->rect().center());
}
