#include "platform/dialogs/Dialogs.h"

#include <stdlib.h>

namespace dialogs {
namespace {

bool isSet(const char* name) {
  const char* value = getenv(name);
  return value != nullptr && value[0] != '\0';
}

}  // namespace

bool HasDisplay() { return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY"); }

}  // namespace dialogs
