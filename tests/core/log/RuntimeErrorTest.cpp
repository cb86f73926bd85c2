#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <system_error>

#include "log/RuntimeError.h"

namespace velmora {
namespace {

template <typename Failure>
std::string reportOf(const Failure& failure) {
    return errorReport(runtimeErrorOf(std::make_exception_ptr(failure)));
}

TEST(RuntimeErrorTest, EachKindOfFailureGetsItsNumberAndDescription) {
    EXPECT_EQ(reportOf(std::system_error(ENOSPC, std::generic_category())),
              "ERROR #" + std::to_string(ENOSPC) + " : " + std::generic_category().message(ENOSPC));
    EXPECT_EQ(reportOf(std::bad_alloc()), "ERROR #7 : Out of memory");
    EXPECT_EQ(reportOf(std::runtime_error("broken")), "ERROR #51 : broken");
    EXPECT_EQ(reportOf(42), "ERROR #51 : Internal error");
    EXPECT_EQ(errorReport({-5, "negative"}), "ERROR #-5 : negative");
}

}  // namespace
}  // namespace velmora
