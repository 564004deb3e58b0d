// The clock the uploader reads the local date and time from (remote names, the completion
// message), injectable so that tests can fix the time; programs pass SystemLocalTime.
#pragma once

#include <functional>

#include "platform/clock/DateTime.h"

// Returns the current local date and time.
using Clock = std::function<DateTime()>;
