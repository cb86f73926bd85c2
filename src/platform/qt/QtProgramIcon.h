#pragma once

#include <QIcon>

namespace velmora {

// The program's icon in every size it is drawn in, from the embedded resources.
QIcon programIcon();

}  // namespace velmora
