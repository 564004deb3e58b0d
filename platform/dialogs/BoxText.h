// Helpers shared by the dialog implementations (not part of the interface).
#pragma once

#include <string>

#include "platform/dialogs/Dialogs.h"

namespace dialogs {

// The text with every CR LF pair turned into one LF; lone CR and LF stay as they are.
std::u16string withLineFeeds(const std::u16string& text);

// The first button of a set, which is its default: Ok or Yes.
BoxAnswer defaultAnswer(Buttons buttons);

// True when a box with `buttons` has the button that gives `answer`.
bool offers(Buttons buttons, BoxAnswer answer);

// The answer of a box closed without a button: Cancel where there is one, Ok for an OK-only
// box, No for a Yes/No box.
BoxAnswer closedAnswer(Buttons buttons);

}  // namespace dialogs
