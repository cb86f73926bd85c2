#pragma once

#include <exception>
#include <string>

namespace velmora {

// A run-time error as the trapping procedures report it.
struct RuntimeError {
    int number;
    std::string description;
};

// "ERROR #" + the number in decimal + " : " + the description.
std::string errorReport(const RuntimeError& error);

// What a trapped failure is reported as: an operating-system error keeps its errno and the
// system's description of it; running out of memory is 7 and anything else 51, with the
// exception's own text.
RuntimeError runtimeErrorOf(const std::exception_ptr& failure);

}  // namespace velmora
