// Dialogs for tests: every box asked is recorded in order, and each is answered from a script
// the test fills beforehand, or with its default when the script has nothing for it.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "platform/dialogs/Dialogs.h"

namespace dialogs {

enum class BoxKind { Message, Input };

// One box as it was asked, and how it was answered.
struct AskedBox {
  BoxKind kind = BoxKind::Message;
  std::u16string text = {};  // the message text, or the prompt of an input box, as passed
  std::u16string title = {};
  Buttons buttons = Buttons::Ok;     // Input boxes: OkCancel
  Icon icon = Icon::None;            // Input boxes: None
  std::u16string preset = {};        // input boxes only
  BoxAnswer answer = BoxAnswer::Ok;  // message boxes: the button answered
  std::u16string typed = {};         // input boxes: the text answered
  // True when no scripted answer fitted and the default was given: the first button of a
  // message box, the preset of an input box (OK pressed).
  bool defaulted = false;
  // True when the scripted answer names a button this box does not have (a mistake in the
  // test's script; the answer is still returned as scripted).
  bool notOffered = false;
};

class ScriptedDialogs : public Dialogs {
 public:
  // Queues the answer to a message box. Answers are used in the order queued, by message and
  // input boxes alike; an answer whose kind does not fit the box asked is left in the queue
  // and the box gets its default. An answer that names a button the box lacks is returned
  // as scripted and marked notOffered.
  void answerMessage(BoxAnswer answer);
  // Queues the answer to an input box: the typed text, or u"" for Cancel.
  void answerInput(std::u16string typed);

  // Every box asked so far, in order.
  const std::vector<AskedBox>& asked() const { return m_asked; }
  // Scripted answers not used yet.
  size_t unusedAnswers() const { return m_script.size(); }
  // True when every scripted answer was used, no box had to be answered by default and no
  // answer named a button its box lacks.
  bool scriptFollowed() const;

  BoxAnswer MessageBox(const std::u16string& text, const std::u16string& title, Buttons buttons,
                       Icon icon) override;
  std::u16string InputBox(const std::u16string& prompt, const std::u16string& title,
                          const std::u16string& preset) override;

 private:
  struct Answer {
    BoxKind kind;
    BoxAnswer button;
    std::u16string typed;
  };
  // Takes the next scripted answer when it is of `kind`.
  bool take(BoxKind kind, Answer& answer);

  std::deque<Answer> m_script;
  std::vector<AskedBox> m_asked;
};

}  // namespace dialogs
