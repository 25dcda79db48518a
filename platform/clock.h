#pragma once

#include "platform/datetime.h"

namespace qorv {

/// The machine's current local time, to the second.
DateTime localNow();

}  // namespace qorv
