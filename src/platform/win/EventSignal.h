#pragma once

#include <memory>

#include "ports/DoneSignal.h"

namespace velmora {

// A done-signal on a manual-reset event object: once raised it stays signalled for however
// the wait looks at it. nullptr when none can be made.
std::unique_ptr<DoneSignal> makeEventSignal();

}  // namespace velmora
