#include <gtest/gtest.h>

#include "e2e/ProgramUnderTest.h"

namespace velmora {
namespace {

using test::runProgram;

TEST(CommandLineE2ETest, VersionAndHelpPrintAndSucceed) {
    const auto version = runProgram(VELMORA_BINARY, {"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.standardOutput, "Velmora 0.9.48\n");

    const auto help = runProgram(VELMORA_BINARY, {"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.standardOutput.find("--update-now"), std::string::npos);
    EXPECT_TRUE(help.standardError.empty());
}

TEST(CommandLineE2ETest, UnknownArgumentsGiveUsageOnStandardErrorAndStatusTwo) {
    const auto result = runProgram(VELMORA_BINARY, {"--frobnicate"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_TRUE(result.standardOutput.empty());
    EXPECT_NE(result.standardError.find("Usage:"), std::string::npos);
}

}  // namespace
}  // namespace velmora
