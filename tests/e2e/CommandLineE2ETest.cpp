#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

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

// --help gives each option a line of its own, and the manual page describes the same set.
TEST(CommandLineE2ETest, HelpAndTheManualPageListTheSameOptions) {
    std::set<std::string> inHelp;
    std::istringstream help(runProgram(VELMORA_BINARY, {"--help"}).standardOutput);
    const std::regex helpLine(R"(^  (--[a-z-]+) .*)");
    for (std::string line; std::getline(help, line);) {
        if (std::smatch match; std::regex_match(line, match, helpLine)) {
            inHelp.insert(match[1]);
        }
    }
    std::set<std::string> inManual;
    std::ifstream manual(std::string(VELMORA_SOURCE_DIR) + "/resources/velmora.1");
    const std::regex optionItem(R"(^\.B \\-\\-([a-z\\-]+)$)");
    bool inOptions = false;
    for (std::string line; std::getline(manual, line);) {
        if (line.starts_with(".SH")) {
            inOptions = line == ".SH OPTIONS";
        } else if (std::smatch match; inOptions && std::regex_match(line, match, optionItem)) {
            inManual.insert("--" + std::regex_replace(match[1].str(), std::regex(R"(\\-)"), "-"));
        }
    }
    EXPECT_EQ(inHelp, (std::set<std::string>{"--forget-publisher", "--help", "--progress",
                                             "--quiet", "--update-now", "--version"}));
    EXPECT_EQ(inManual, inHelp);
}

TEST(CommandLineE2ETest, UnknownArgumentsGiveUsageOnStandardErrorAndStatusTwo) {
    const auto result = runProgram(VELMORA_BINARY, {"--frobnicate"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_TRUE(result.standardOutput.empty());
    EXPECT_NE(result.standardError.find("Usage:"), std::string::npos);
}

}  // namespace
}  // namespace velmora
