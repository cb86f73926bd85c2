#include <gtest/gtest.h>

#include "shell/CommandLine.h"

namespace velmora {
namespace {

CommandMode modeOf(const std::vector<std::string>& arguments) {
    return parseCommandLine(arguments).mode;
}

TEST(CommandLineTest, RecognisesEachModeAndRejectsEverythingElse) {
    EXPECT_EQ(modeOf({}), CommandMode::Resident);
    EXPECT_EQ(modeOf({"--update-now"}), CommandMode::UpdateNow);
    EXPECT_EQ(modeOf({"--version"}), CommandMode::Version);
    EXPECT_EQ(modeOf({"--help"}), CommandMode::Help);
    EXPECT_EQ(modeOf({"--forget-publisher"}), CommandMode::ForgetPublisher);
    EXPECT_EQ(modeOf({"--forget-publisher", "--update-now"}), CommandMode::Invalid);
    EXPECT_EQ(modeOf({"--update"}), CommandMode::Invalid);
    EXPECT_EQ(modeOf({""}), CommandMode::Invalid);
    EXPECT_EQ(modeOf({"/q"}), CommandMode::Invalid);
    EXPECT_EQ(modeOf({"--version", "--help"}), CommandMode::Invalid);
}

TEST(CommandLineTest, ProgressOptionsGoWithUpdateNowOnlyAndOneAtATime) {
    EXPECT_EQ(parseCommandLine({"--update-now"}).progress, ProgressDisplay::OnTerminal);
    EXPECT_EQ(parseCommandLine({"--update-now", "--quiet"}).progress, ProgressDisplay::Never);
    EXPECT_EQ(parseCommandLine({"--progress", "--update-now"}).progress, ProgressDisplay::Always);
    EXPECT_EQ(modeOf({"--progress", "--update-now"}), CommandMode::UpdateNow);

    EXPECT_EQ(modeOf({"--quiet"}), CommandMode::Invalid);
    EXPECT_EQ(modeOf({"--progress"}), CommandMode::Invalid);
    EXPECT_EQ(modeOf({"--update-now", "--quiet", "--progress"}), CommandMode::Invalid);
    EXPECT_EQ(modeOf({"--update-now", "--quiet", "--quiet"}), CommandMode::Invalid);
    EXPECT_EQ(modeOf({"--update-now", "--update-now"}), CommandMode::Invalid);
    EXPECT_EQ(modeOf({"--update-now", "--version"}), CommandMode::Invalid);
}

}  // namespace
}  // namespace velmora
