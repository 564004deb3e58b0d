#include <iostream>

#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/dialogs/QtDialogs.h"

namespace dialogs {

std::unique_ptr<Dialogs> MakeDialogs() {
  if (HasDisplay()) return std::make_unique<QtDialogs>();
  return std::make_unique<ConsoleDialogs>(std::cerr);
}

}  // namespace dialogs
