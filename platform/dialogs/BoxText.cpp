#include "platform/dialogs/BoxText.h"

namespace dialogs {

std::u16string withLineFeeds(const std::u16string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
    out += text[i];
  }
  return out;
}

BoxAnswer defaultAnswer(Buttons buttons) {
  return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? BoxAnswer::Ok : BoxAnswer::Yes;
}

bool offers(Buttons buttons, BoxAnswer answer) {
  switch (buttons) {
    case Buttons::Ok:
      return answer == BoxAnswer::Ok;
    case Buttons::OkCancel:
      return answer == BoxAnswer::Ok || answer == BoxAnswer::Cancel;
    case Buttons::YesNo:
      return answer == BoxAnswer::Yes || answer == BoxAnswer::No;
    case Buttons::YesNoCancel:
      return answer != BoxAnswer::Ok;
  }
  return false;
}

BoxAnswer closedAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok:
      return BoxAnswer::Ok;
    case Buttons::YesNo:
      return BoxAnswer::No;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel:
      break;
  }
  return BoxAnswer::Cancel;
}

}  // namespace dialogs
