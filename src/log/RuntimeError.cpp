#include "log/RuntimeError.h"

namespace velmora {

std::string errorReport(const RuntimeError& error) {
    return "ERROR #" + std::to_string(error.number) + " : " + error.description;
}

}  // namespace velmora
