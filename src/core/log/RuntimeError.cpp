#include "log/RuntimeError.h"

#include <new>
#include <system_error>

namespace velmora {

std::string errorReport(const RuntimeError& error) {
    return "ERROR #" + std::to_string(error.number) + " : " + error.description;
}

RuntimeError runtimeErrorOf(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::system_error& error) {
        return {error.code().value(), error.code().message()};
    } catch (const std::bad_alloc&) {
        return {7, "Out of memory"};
    } catch (const std::exception& error) {
        return {51, error.what()};
    } catch (...) {
        return {51, "Internal error"};
    }
}

}  // namespace velmora
