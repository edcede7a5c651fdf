// What the Qt views said: a message box function for SetMessageBoxFunction that records every
// message instead of showing it.
#pragma once

#include <deque>
#include <vector>

#include <QString>

#include "src/core/misc/Message.h"
#include "src/logic/View.h"

class QWidget;

namespace windowtest {

struct Said {
  QString text;
  QString caption;
  ov::MessageIcon icon;
  ov::MessageButtons buttons;
};

// Every message since the test cleared it, in order.
inline std::vector<Said> g_said;
// The answers to the next Yes/No questions, in order; a question without one gets its default.
inline std::deque<ov::MessageAnswer> g_answers;

inline ov::MessageAnswer CaptureMessage(QWidget*, const ov::MessageRequest& request) {
  g_said.push_back({QString::fromLocal8Bit(request.text.c_str()), QString::fromLocal8Bit(request.caption.c_str()),
                    request.icon, request.buttons});
  if (request.buttons != ov::MessageButtons::YesNo) return ov::MessageAnswer::Ok;
  if (g_answers.empty()) return request.defaultAnswer;
  const ov::MessageAnswer answer = g_answers.front();
  g_answers.pop_front();
  return answer;
}

}  // namespace windowtest
