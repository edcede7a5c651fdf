// The progress window of a long command in the Qt views: modal over its owner window, with
// Cancel (the views' ProgressSink calls go here).
#pragma once

#include <string>

class QProgressDialog;
class QWidget;

class ProgressWindow {
 public:
  explicit ProgressWindow(QWidget* owner) : m_pOwner(owner) {}
  ~ProgressWindow() { End(); }
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  void Begin(const std::string& caption, int nTotal);
  // Shows the count and the text, lets the windows repaint and answer; false once Cancel was
  // pressed.
  bool Step(int nDone, const std::string& text);
  void End();

 private:
  QWidget* m_pOwner;
  QProgressDialog* m_pDialog = nullptr;
};
