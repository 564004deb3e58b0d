#include "platform/dialogs/Dialogs.h"

#include <stdlib.h>

#include <iostream>

#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/dialogs/QtDialogs.h"

namespace dialogs {
namespace {

bool isSet(const char* name) {
  const char* value = getenv(name);
  return value != nullptr && value[0] != '\0';
}

}  // namespace

bool HasDisplay() { return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY"); }

std::unique_ptr<Dialogs> MakeDialogs() {
  if (HasDisplay()) return std::make_unique<QtDialogs>();
  return std::make_unique<ConsoleDialogs>(std::cerr);
}

}  // namespace dialogs
