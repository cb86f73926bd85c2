#pragma once

#include <memory>

#include "ports/DoneSignal.h"

namespace velmora {

// A done-signal on an eventfd, which becomes readable once raised; nullptr when none can be
// made.
std::unique_ptr<DoneSignal> makeEventFdSignal();

}  // namespace velmora
