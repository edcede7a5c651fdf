#include "src/qt/Progress.h"

#include <QApplication>
#include <QProgressDialog>

#include "src/logic/Main.h"
#include "src/qt/FormUtil.h"

void ProgressWindow::Begin(const std::string& caption, int nTotal) {
  End();
  m_pDialog = Named(new QProgressDialog(m_pOwner, kFixedDialogFlags), "fmProgress");
  m_pDialog->setWindowTitle(Local(caption));
  m_pDialog->setCancelButtonText(Local(mainwnd::kProgressCancel));
  m_pDialog->setRange(0, nTotal);
  m_pDialog->setMinimumDuration(0);
  m_pDialog->setAutoClose(false);
  m_pDialog->setAutoReset(false);
  // Modal over its owner: nothing in it can be pressed while the command runs.
  m_pDialog->setWindowModality(Qt::WindowModal);
  m_pDialog->setMinimumWidth(mainwnd::kProgressWidth);
  // The owner's wait cursor would cover the Cancel button too.
  QApplication::setOverrideCursor(Qt::ArrowCursor);
  m_pDialog->show();
  QApplication::processEvents();
}

bool ProgressWindow::Step(int nDone, const std::string& text) {
  if (!m_pDialog) return true;
  m_pDialog->setLabelText(Local(text));
  m_pDialog->setValue(nDone);
  // Repaints and answers Cancel between steps.
  QApplication::processEvents();
  return !m_pDialog->wasCanceled();
}

void ProgressWindow::End() {
  if (!m_pDialog) return;
  delete m_pDialog;
  m_pDialog = nullptr;
  QApplication::restoreOverrideCursor();
}
