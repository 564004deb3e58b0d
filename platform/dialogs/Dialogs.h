// Modal message boxes and one-line input boxes, behind an interface so that the programs can
// show them with Qt, write them to standard error when there is no display, or have a test
// script answer them. This header has no Qt in it.
#pragma once

#include <string>

namespace dialogs {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Critical, Question, Exclamation, Information };
enum class BoxAnswer { Ok, Cancel, Yes, No };

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Shows a modal message box and returns the button pressed. The text may hold CR LF line
  // breaks; it is shown as plain text. The default button (the one Enter presses, and the
  // answer where nobody is asked) is the first one: Ok or Yes. Closing the box without a
  // button answers Cancel where there is one and Ok for an OK-only box; a Yes/No box cannot
  // be closed by the user (Escape and the close control do nothing), and answers No if
  // something else closes it, so that a dismissed box never confirms.
  virtual BoxAnswer MessageBox(const std::u16string& text, const std::u16string& title,
                               Buttons buttons, Icon icon) = 0;

  // Shows a modal one-line input box with OK and Cancel, its edit field holding `preset`.
  // Returns the typed text on OK, the empty text on Cancel.
  virtual std::u16string InputBox(const std::u16string& prompt, const std::u16string& title,
                                  const std::u16string& preset) = 0;
};

// True when someone can answer a box. Linux: a window system is named (DISPLAY or
// WAYLAND_DISPLAY is set and not empty). Windows: the process's window station is visible and
// its standard error is not redirected to a file or pipe.
bool HasDisplay();

}  // namespace dialogs
