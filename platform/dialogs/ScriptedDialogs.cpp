#include "platform/dialogs/ScriptedDialogs.h"

#include <algorithm>

#include "platform/dialogs/BoxText.h"

namespace dialogs {

void ScriptedDialogs::answerMessage(BoxAnswer answer) {
  m_script.push_back({BoxKind::Message, answer, {}});
}

void ScriptedDialogs::answerInput(std::u16string typed) {
  m_script.push_back({BoxKind::Input, BoxAnswer::Ok, std::move(typed)});
}

bool ScriptedDialogs::scriptFollowed() const {
  return m_script.empty() && std::none_of(m_asked.begin(), m_asked.end(), [](const AskedBox& b) {
           return b.defaulted || b.notOffered;
         });
}

bool ScriptedDialogs::take(BoxKind kind, Answer& answer) {
  if (m_script.empty() || m_script.front().kind != kind) return false;
  answer = std::move(m_script.front());
  m_script.pop_front();
  return true;
}

BoxAnswer ScriptedDialogs::MessageBox(const std::u16string& text, const std::u16string& title,
                                      Buttons buttons, Icon icon) {
  AskedBox box{
      .kind = BoxKind::Message, .text = text, .title = title, .buttons = buttons, .icon = icon};
  Answer answer;
  box.defaulted = !take(BoxKind::Message, answer);
  box.answer = box.defaulted ? defaultAnswer(buttons) : answer.button;
  box.notOffered = !offers(buttons, box.answer);
  m_asked.push_back(box);
  return box.answer;
}

std::u16string ScriptedDialogs::InputBox(const std::u16string& prompt, const std::u16string& title,
                                         const std::u16string& preset) {
  AskedBox box{.kind = BoxKind::Input,
               .text = prompt,
               .title = title,
               .buttons = Buttons::OkCancel,
               .preset = preset};
  Answer answer;
  box.defaulted = !take(BoxKind::Input, answer);
  box.typed = box.defaulted ? preset : answer.typed;
  m_asked.push_back(box);
  return box.typed;
}

}  // namespace dialogs
