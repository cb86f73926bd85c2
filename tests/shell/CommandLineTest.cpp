#include <gtest/gtest.h>

#include "shell/CommandLine.h"

namespace velmora {
namespace {

TEST(CommandLineTest, RecognisesEachModeAndRejectsEverythingElse) {
    EXPECT_EQ(parseCommandLine({}), CommandMode::Resident);
    EXPECT_EQ(parseCommandLine({"--update-now"}), CommandMode::UpdateNow);
    EXPECT_EQ(parseCommandLine({"--version"}), CommandMode::Version);
    EXPECT_EQ(parseCommandLine({"--help"}), CommandMode::Help);
    EXPECT_EQ(parseCommandLine({"--update"}), CommandMode::Invalid);
    EXPECT_EQ(parseCommandLine({""}), CommandMode::Invalid);
    EXPECT_EQ(parseCommandLine({"/q"}), CommandMode::Invalid);
    EXPECT_EQ(parseCommandLine({"--version", "--help"}), CommandMode::Invalid);
}

}  // namespace
}  // namespace velmora
