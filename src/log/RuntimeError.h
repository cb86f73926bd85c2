#pragma once

#include <string>

namespace velmora {

// A run-time error as the trapping procedures report it.
struct RuntimeError {
    int number;
    std::string description;
};

// "ERROR #" + the number in decimal + " : " + the description.
std::string errorReport(const RuntimeError& error);

}  // namespace velmora
