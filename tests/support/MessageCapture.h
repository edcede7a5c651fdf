// What the Qt views said: a message box function for SetMessageBoxFunction that records every
// message instead of showing it.
#pragma once

#include <vector>

#include <QString>

#include "common/misc/Message.h"

class QWidget;

namespace windowtest {

struct Said {
  QString text;
  QString caption;
  ov::MessageIcon icon;
};

// Every message since the test cleared it, in order.
inline std::vector<Said> g_said;

inline int CaptureMessage(QWidget*, const QString& text, const QString& caption, ov::MessageIcon icon) {
  g_said.push_back({text, caption, icon});
  return 0;
}

}  // namespace windowtest
